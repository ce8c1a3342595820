// Test helpers for the Qt layer: waiting for the event loop, catching what
// goes to the desktop, recording the main window's events, printing QString.

#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QThread>
#include <QUrl>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "platform/main_window_listener.h"

namespace tovenrak::testing {

// Processes events until `done()` holds or `ms` milliseconds pass; returns
// `done()`. The limit only guards against a hang: it asserts nothing about
// speed.
template <typename Done>
bool WaitUntil(Done done, int ms = 30000) {
  QDeadlineTimer deadline(ms);
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(5);
  }
  return done();
}

// While it lives, receives the http, https, mailto and file addresses handed
// to the desktop.
class UrlCatcher : public QObject {
  Q_OBJECT

 public:
  UrlCatcher() {
    for (const char* scheme : {"http", "https", "mailto", "file"})
      QDesktopServices::setUrlHandler(scheme, this, "Open");
  }
  ~UrlCatcher() override {
    for (const char* scheme : {"http", "https", "mailto", "file"})
      QDesktopServices::unsetUrlHandler(scheme);
  }

  std::vector<std::string> urls;

 public slots:
  void Open(const QUrl& url) { urls.push_back(url.toString().toStdString()); }
};

// Records each event, resizes aside, as a line of text.
struct RecordingListener : platform::MainWindowListener {
  void OnToolButton(int position) override {
    events.push_back("tool " + std::to_string(position));
  }
  void OnMenuOpen() override { events.push_back("open"); }
  void OnMenuClear() override { events.push_back("clear"); }
  void OnMenuBatch() override { events.push_back("batch"); }
  void OnMenuExit() override { events.push_back("exit"); }
  void OnMenuWebSite() override { events.push_back("web site"); }
  void OnMenuAbout() override { events.push_back("about"); }
  void OnMenuConvert(int choice) override {
    events.push_back("convert " + std::to_string(choice));
  }
  void OnMenuVariant(int choice) override {
    events.push_back("variant " + std::to_string(choice));
  }
  void OnFilesDropped(
      const std::vector<std::filesystem::path>& paths) override {
    for (const auto& path : paths) events.push_back("drop " + path.string());
  }
  void OnSiteLinkClicked() override { events.push_back("site link"); }
  void OnResized(float, float, float) override {}
  void OnPreviewLoadStarted() override { events.push_back("load started"); }
  void OnPreviewLoadFinished(bool ok) override {
    events.push_back(ok ? "load finished" : "load failed");
  }
  void OnPreviewLinkHovered(const std::string& url) override {
    events.push_back("hover " + url);
  }

  std::vector<std::string> events;
};

}  // namespace tovenrak::testing

// Lets GoogleTest print a QString as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
