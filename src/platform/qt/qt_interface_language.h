// The language of the windows: Simplified Chinese, or Traditional Chinese for
// the locales that write it.

#pragma once

#include <QtGlobal>

QT_BEGIN_NAMESPACE
class QCoreApplication;
class QLocale;
QT_END_NAMESPACE

namespace tovenrak::platform::qt {

// Installs the Traditional Chinese texts of the windows when `locale` is
// Chinese of Taiwan, Hong Kong or Macao, and returns true; otherwise the
// texts stay Simplified, as written, and it returns false. Qt's own texts
// (dialog buttons and the like) follow in the same script where installed.
// The translators are children of `app`.
bool InstallInterfaceLanguage(QCoreApplication& app, const QLocale& locale);

}  // namespace tovenrak::platform::qt
