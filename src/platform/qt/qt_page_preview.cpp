#include "platform/qt/qt_page_preview.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace tovenrak::platform::qt {

QtPagePreview::QtPagePreview(QWidget* parent)
    : QWebEngineView(parent), profile_(new QWebEngineProfile(this)) {
  setObjectName("Htmler");
  setAccessibleName("页面预览");
  // An off-the-record profile without a cache: the preview file is rewritten
  // under the same name and must never be shown from a cache.
  profile_->setHttpCacheType(QWebEngineProfile::NoCache);
  auto* page = new QWebEnginePage(profile_, this);
  setPage(page);

  // A previewed page shows its own images and styles, which needs access to
  // local files. Its scripts do not run: with that access a script could read
  // any file of the user's and send it away in an image's address.
  QWebEngineSettings* settings = page->settings();
  settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls,
                         true);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls,
                         false);
  settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard,
                         false);
  settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  // Opening and converting leave the keyboard where the user had it.
  settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
  // Documents here are GB unless they say otherwise.
  settings->setDefaultTextEncoding("GBK");

  connect(this, &QWebEngineView::loadStarted, this, [this] {
    if (listener_) listener_->OnPreviewLoadStarted();
  });
  connect(this, &QWebEngineView::loadFinished, this, [this](bool ok) {
    if (listener_) listener_->OnPreviewLoadFinished(ok);
  });
  connect(page, &QWebEnginePage::linkHovered, this, [this](const QString& url) {
    if (listener_) listener_->OnPreviewLinkHovered(url.toStdString());
  });
}

QtPagePreview::~QtPagePreview() {
  // The page must go before the profile it was made with.
  delete page();
}

void QtPagePreview::ShowFile(const std::filesystem::path& path) {
  load(QUrl::fromLocalFile(QString::fromStdString(path.string())));
}

}  // namespace tovenrak::platform::qt
