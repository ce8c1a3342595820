// Test helpers for the Qt layer: waiting for the event loop, catching what
// goes to the desktop, printing QString.

#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QUrl>
#include <ostream>
#include <string>
#include <vector>

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

// While it lives, receives the addresses handed to the desktop that have one
// of `schemes`.
class UrlCatcher : public QObject {
  Q_OBJECT

 public:
  explicit UrlCatcher(QStringList schemes) : schemes_(std::move(schemes)) {
    for (const QString& scheme : schemes_)
      QDesktopServices::setUrlHandler(scheme, this, "Open");
  }
  ~UrlCatcher() override {
    for (const QString& scheme : schemes_)
      QDesktopServices::unsetUrlHandler(scheme);
  }

  std::vector<std::string> urls;

 public slots:
  void Open(const QUrl& url) { urls.push_back(url.toString().toStdString()); }

 private:
  QStringList schemes_;
};

}  // namespace tovenrak::testing

// Lets GoogleTest print a QString as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
