// The page preview: a web view that reads local files afresh on every load.

#pragma once

#include <QWebEngineView>

#include "platform/main_window_listener.h"
#include "platform/page_preview.h"

QT_BEGIN_NAMESPACE
class QWebEngineProfile;
QT_END_NAMESPACE

namespace tovenrak::platform::qt {

class QtPagePreview : public QWebEngineView, public platform::PagePreview {
  Q_OBJECT

 public:
  explicit QtPagePreview(QWidget* parent = nullptr);
  ~QtPagePreview() override;

  // Receives load and link events; may be null.
  void SetListener(platform::MainWindowListener* listener) {
    listener_ = listener;
  }

  void ShowFile(const std::filesystem::path& path) override;
  void Show() override { show(); }
  void Hide() override { hide(); }

 private:
  QWebEngineProfile* profile_;
  platform::MainWindowListener* listener_ = nullptr;
};

}  // namespace tovenrak::platform::qt
