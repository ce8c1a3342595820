#include "platform/qt/qt_page_preview.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNavigationRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <system_error>

#include "platform/qt/qt_preview_guard.h"

namespace tovenrak::platform::qt {

namespace {

// Laying out a whole page of this size takes the engine well over a tenth of
// a second (a mebibyte of Chinese text takes one to two seconds).
constexpr uintmax_t kLargePageBytes = uintmax_t{128} << 10;

// The engine lays out everything it has read before its first frame, and a
// large local page is usually read whole by then. For such a page, its
// blocks are laid out only once they come near the screen until two frames
// have been shown; then the whole page is laid out as it is, which leaves
// the first screen of nearly every page as it was. Runs apart from the
// page's own scripts, which are off.
constexpr char kFirstScreenFirst[] = R"(
(() => {
  const sheet = new CSSStyleSheet();
  sheet.replaceSync('body > *, p, li, pre, blockquote { ' +
      'content-visibility: auto; contain-intrinsic-size: auto 100px; }');
  document.adoptedStyleSheets = [...document.adoptedStyleSheets, sheet];
  requestAnimationFrame(() => requestAnimationFrame(() => {
    document.adoptedStyleSheets =
        document.adoptedStyleSheets.filter(s => s !== sheet);
  }));
})();
)";

}  // namespace

QtPagePreview::QtPagePreview(QWidget* parent)
    : QWebEngineView(parent),
      profile_(new QWebEngineProfile(this)),
      guard_(new QtPreviewGuard(this)) {
  setObjectName("Htmler");
  setAccessibleName(tr("页面预览"));
  // An off-the-record profile without a cache: the preview file is rewritten
  // under the same name and must never be shown from a cache.
  profile_->setHttpCacheType(QWebEngineProfile::NoCache);
  // A page opened for conversion may be hostile: the guard keeps every
  // request it makes on this machine and away from the user's other files.
  profile_->setUrlRequestInterceptor(guard_);
  auto* page = new QWebEnginePage(profile_, this);
  setPage(page);
  Harden(page->settings());

  // A navigation the preview refuses still starts and stops a load in the
  // engine; only the loads of what it accepted are news for the window.
  connect(page, &QWebEnginePage::loadingChanged, this,
          [this](const QWebEngineLoadingInfo& info) {
            NameRenderWidget();
            if (warming_ || info.url() != accepted_) return;
            if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus &&
                start_at_top_) {
              // The engine puts a page loaded again under the same name
              // back where it was scrolled to. The page's own scripts are
              // off; this one runs apart from them.
              start_at_top_ = false;
              this->page()->runJavaScript(
                  QStringLiteral("window.scrollTo(0, 0);"),
                  QWebEngineScript::ApplicationWorld);
            }
            if (!listener_) return;
            if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
              listener_->OnPreviewLoadStarted();
            } else {
              listener_->OnPreviewLoadFinished(
                  info.status() == QWebEngineLoadingInfo::LoadSucceededStatus);
            }
          });
  // A page process that dies takes its page with it, loaded or loading: it
  // is reported as a load that failed, so that the window shows as much and
  // waits for no load that will never end. The next file gets a new one.
  connect(page, &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
            if (warming_ || !listener_ ||
                status == QWebEnginePage::NormalTerminationStatus)
              return;
            listener_->OnPreviewLoadFinished(false);
          });
  connect(page, &QWebEnginePage::linkHovered, this, [this](const QString& url) {
    if (listener_) listener_->OnPreviewLinkHovered(url.toStdString());
  });
  connect(page, &QWebEnginePage::navigationRequested, this,
          [this](QWebEngineNavigationRequest& request) {
            const PreviewNavigation decision = DecideNavigation(
                request.url(), request.navigationType(), request.isMainFrame(),
                guard_->page(), guard_->folder());
            if (decision == PreviewNavigation::kLoad) {
              if (request.isMainFrame()) accepted_ = request.url();
              request.accept();
              return;
            }
            request.reject();
            if (decision == PreviewNavigation::kOpenOnDesktop)
              QDesktopServices::openUrl(request.url());
            if (decision == PreviewNavigation::kScrollTo)
              ScrollTo(request.url().fragment(QUrl::FullyDecoded));
          });
  // A link meant for a new window opens on the desktop like any other; no
  // window is made for it.
  connect(page, &QWebEnginePage::newWindowRequested, this,
          [](QWebEngineNewWindowRequest& request) {
            if (request.isUserInitiated() &&
                OpensOnDesktop(request.requestedUrl())) {
              QDesktopServices::openUrl(request.requestedUrl());
            }
          });
  // The engine starts the process that lays out pages on the first load,
  // which takes a tenth of a second; an empty page loaded now has it ready
  // when the first document comes.
  setHtml(QString());
  NameRenderWidget();
}

void QtPagePreview::NameRenderWidget() {
  // The engine draws the page in a widget of its own, which takes the
  // keyboard for the preview; screen readers find it by the same name.
  if (QWidget* render = focusProxy();
      render && render->accessibleName().isEmpty())
    render->setAccessibleName(accessibleName());
}

QtPagePreview::~QtPagePreview() {
  // The page must go before the profile it was made with.
  delete page();
}

void QtPagePreview::Harden(QWebEngineSettings* settings) {
  // A previewed page shows its own images and styles, which needs access to
  // local files. Its scripts do not run: with that access a script could read
  // the user's files, and nothing it could do is needed to show a page.
  settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls,
                         true);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls,
                         false);
  settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard,
                         false);
  settings->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
  settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
  settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
  settings->setAttribute(QWebEngineSettings::WebGLEnabled, false);
  // Nothing is sent or looked up on the page's behalf: no pings for links,
  // no name lookups ahead of a click, no icons.
  settings->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
  settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
  settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
  settings->setAttribute(QWebEngineSettings::TouchIconsEnabled, false);
  // The engine would otherwise hand a clicked link of any scheme it does not
  // know itself (mailto:, an app's own) to the desktop.
  settings->setUnknownUrlSchemePolicy(
      QWebEngineSettings::DisallowUnknownUrlSchemes);
  // A file dropped on the preview is not shown in place of the document.
  settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
  // Opening and converting leave the keyboard where the user had it.
  settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
  // Documents here are GB unless they say otherwise.
  settings->setDefaultTextEncoding("GBK");
}

void QtPagePreview::contextMenuEvent(QContextMenuEvent* event) {
  // The engine's menu, less what would save or show the preview file in the
  // document's place (the window saves and shows the document itself) and
  // the downloads, which go nowhere here.
  QMenu* menu = createStandardContextMenu();
  for (const QWebEnginePage::WebAction dead :
       {QWebEnginePage::SavePage, QWebEnginePage::ViewSource,
        QWebEnginePage::DownloadLinkToDisk, QWebEnginePage::DownloadImageToDisk,
        QWebEnginePage::DownloadMediaToDisk})
    menu->removeAction(page()->action(dead));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

void QtPagePreview::ShowFile(const std::filesystem::path& path,
                             const std::filesystem::path& folder) {
  // Whatever loads before this file's navigation is accepted is not news.
  warming_ = false;
  accepted_ = QUrl();
  const QUrl url = QUrl::fromLocalFile(QString::fromStdString(path.string()));
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > kMaxPreviewBytes) {
    guard_->SetPage(QUrl(), {});
    // The file is most often the window's preview of the document, in
    // UTF-8 and so larger than the document, whose name it is not.
    setHtml(tr("<p>这个页面大于 %1 MiB，不在此预览；源文件中可以查看、"
               "转换和保存。</p>")
                .arg(kMaxPreviewBytes >> 20));
    return;
  }
  guard_->SetPage(url, folder);
  ShowFirstScreenFirst(!error && size >= kLargePageBytes);
  load(url);
}

void QtPagePreview::ScrollTo(const QString& fragment) {
  // As a browser finds a fragment: the element of that id, else the first
  // anchor of that name; "top" or nothing is the top. The page's own
  // scripts do not run in the preview; this one runs beside them.
  const QString name = QString::fromUtf8(
      QJsonDocument(QJsonArray{fragment}).toJson(QJsonDocument::Compact));
  page()->runJavaScript(
      QStringLiteral(
          "(function(f){var e=document.getElementById(f)||"
          "document.getElementsByName(f)[0];if(e)e.scrollIntoView();"
          "else if(f===''||f.toLowerCase()==='top')window.scrollTo(0,0);})(") +
          name + QStringLiteral("[0])"),
      QWebEngineScript::ApplicationWorld);
}

void QtPagePreview::ShowFirstScreenFirst(bool on) {
  QWebEngineScriptCollection& scripts = page()->scripts();
  const QString name = QStringLiteral("first-screen-first");
  const QList<QWebEngineScript> found = scripts.find(name);
  if (!on) {
    for (const QWebEngineScript& script : found) scripts.remove(script);
    return;
  }
  if (!found.isEmpty()) return;
  QWebEngineScript script;
  script.setName(name);
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setWorldId(QWebEngineScript::ApplicationWorld);
  script.setRunsOnSubFrames(false);
  script.setSourceCode(QString::fromUtf8(kFirstScreenFirst));
  scripts.insert(script);
}

}  // namespace tovenrak::platform::qt
