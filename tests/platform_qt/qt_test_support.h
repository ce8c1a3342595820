// Test helpers for the Qt layer: waiting for the event loop, printing QString.

#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <QThread>
#include <ostream>

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

}  // namespace tovenrak::testing

// Lets GoogleTest print a QString as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
