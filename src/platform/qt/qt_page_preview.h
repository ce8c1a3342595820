// The page preview: a web view that reads local files afresh on every load
// and keeps what a page does on this machine.

#pragma once

#include <QUrl>
#include <QWebEngineView>

#include "platform/main_window_listener.h"
#include "platform/page_preview.h"

QT_BEGIN_NAMESPACE
class QWebEngineProfile;
class QWebEngineSettings;
QT_END_NAMESPACE

namespace tovenrak::platform::qt {

class QtPreviewGuard;

// Shows the file it is given and nothing else: what the page asks to load is
// limited by QtPreviewGuard, its scripts do not run, and a web link the user
// clicks opens on the desktop instead of in the preview.
class QtPagePreview : public QWebEngineView, public platform::PagePreview {
  Q_OBJECT

 public:
  explicit QtPagePreview(QWidget* parent = nullptr);
  ~QtPagePreview() override;

  // Receives load and link events; may be null.
  void SetListener(platform::MainWindowListener* listener) {
    listener_ = listener;
  }

  void ShowFile(const std::filesystem::path& path,
                const std::filesystem::path& folder) override;
  void StartAtTop() override { start_at_top_ = true; }
  void Show() override { show(); }
  void Hide() override { hide(); }

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  static void Harden(QWebEngineSettings* settings);
  void NameRenderWidget();
  // Whether the next pages show their first screen before the rest is laid
  // out (for large pages).
  void ShowFirstScreenFirst(bool on);
  // Scrolls the page shown to the place `fragment` names ("end" of "#end").
  void ScrollTo(const QString& fragment);

  QWebEngineProfile* profile_;
  QtPreviewGuard* guard_;
  QUrl accepted_;  // The main frame's last accepted navigation.
  bool start_at_top_ = false;
  bool warming_ = true;  // Only the empty first page was asked for.
  platform::MainWindowListener* listener_ = nullptr;
};

}  // namespace tovenrak::platform::qt
