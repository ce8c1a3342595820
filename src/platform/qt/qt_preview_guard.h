// What a previewed page may load and where its links may lead.

#pragma once

#include <QUrl>
#include <QWebEngineNavigationRequest>
#include <QWebEngineUrlRequestInterceptor>
#include <filesystem>

namespace tovenrak::platform::qt {

// Whether the preview showing `page`, whose own files are in `folder`
// (PagePreview::ShowFile; `page`'s folder when empty), may load `url` as a
// resource of `type`. A page is a local file, and what it may load keeps it
// on the machine and away from the user's other files:
// - its main frame: `page` itself, up to kMaxPreviewBytes, and nothing else;
// - pictures, styles, fonts and media: any regular local file, wherever the
//   page's own relative paths lead (a saved site reaches ../img). Such files
//   are only shown: without scripts nothing can read them back;
// - frames and objects: a web page or picture in `folder` or below it,
//   found there after following links, in no hidden folder;
// - data: and blob: addresses, which carry the page's own content;
// - nothing else: no other scheme (no network at all), no scripts, no
//   fetches, prefetches, pings or workers, no devices or pipes.
bool PreviewMayLoad(const QUrl& url,
                    QWebEngineUrlRequestInfo::ResourceType type,
                    const QUrl& page, const std::filesystem::path& folder = {});

// Whether a link the user follows to `url` opens on the desktop, in the
// user's own browser: web addresses do.
bool OpensOnDesktop(const QUrl& url);

// What the preview showing `page` does with a navigation to `url`.
enum class PreviewNavigation {
  kLoad,           // Load it in the preview.
  kOpenOnDesktop,  // Leave the preview as it is; the desktop opens `url`.
  kScrollTo,       // Scroll the page shown to `url`'s fragment.
  kIgnore,         // Do nothing.
};

// The preview's main frame loads only `page`, or a notice of its own in a
// data: address, when the program shows or reloads it; its frames load what
// PreviewMayLoad allows them. A link the user clicks to a web address opens on
// the desktop; refreshes, forms, history moves and any other address are
// ignored. A preview file's page leads its addresses from the document's
// `folder` (a <base>), where a link to a place in the page itself ("#end")
// leads to the folder's address and that place: the page scrolls there.
PreviewNavigation DecideNavigation(
    const QUrl& url, QWebEngineNavigationRequest::NavigationType type,
    bool main_frame, const QUrl& page,
    const std::filesystem::path& folder = {});

// Blocks every request of a preview's profile that PreviewMayLoad refuses.
class QtPreviewGuard : public QWebEngineUrlRequestInterceptor {
  Q_OBJECT

 public:
  explicit QtPreviewGuard(QObject* parent = nullptr);

  // The page the preview was last asked to show, and its files' folder.
  void SetPage(const QUrl& page, const std::filesystem::path& folder) {
    page_ = page;
    folder_ = folder;
  }
  const QUrl& page() const { return page_; }
  const std::filesystem::path& folder() const { return folder_; }

  void interceptRequest(QWebEngineUrlRequestInfo& info) override;

 private:
  QUrl page_;
  std::filesystem::path folder_;
};

}  // namespace tovenrak::platform::qt
