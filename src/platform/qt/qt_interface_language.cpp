#include "platform/qt/qt_interface_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tovenrak::platform::qt {

namespace {

// Built from translations/ at build time and kept in the program's resources.
constexpr char kTraditional[] = ":/i18n/tovenrak_zh_TW.qm";

// tr() asks with the namespace; lupdate names a class's texts by the class
// alone unless it was given the include paths to read the nested namespace
// definitions. Either form of the .ts is found.
class WindowTranslator : public QTranslator {
 public:
  using QTranslator::QTranslator;
  QString translate(const char* context, const char* source,
                    const char* disambiguation, int n) const override {
    const QByteArrayView full(context ? context : "");
    const qsizetype last = full.lastIndexOf(QByteArrayView("::"));
    if (last >= 0) {
      QString found =
          QTranslator::translate(context, source, disambiguation, n);
      if (!found.isNull()) return found;
    }
    const QByteArray name =
        (last < 0 ? full : full.sliced(last + 2)).toByteArray();
    return QTranslator::translate(name.constData(), source, disambiguation, n);
  }
};

bool Install(QCoreApplication& app, const QString& file,
             const QString& folder = {}) {
  auto* translator = new WindowTranslator(&app);
  if (translator->load(file, folder)) {
    QCoreApplication::installTranslator(translator);
    return true;
  }
  delete translator;
  return false;
}

}  // namespace

bool InstallInterfaceLanguage(QCoreApplication& app, const QLocale& locale) {
  const QLocale::Territory where = locale.territory();
  const bool traditional =
      locale.language() == QLocale::Chinese &&
      (where == QLocale::Taiwan || where == QLocale::HongKong ||
       where == QLocale::Macao);
  const QString qt = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  Install(app, traditional ? "qtbase_zh_TW" : "qtbase_zh_CN", qt);
  // The preview's menu (back, reload, copy) has no Traditional form.
  if (!traditional || !Install(app, "qtwebengine_zh_TW", qt))
    Install(app, "qtwebengine_zh_CN", qt);
  if (traditional) Install(app, kTraditional);
  return traditional;
}

}  // namespace tovenrak::platform::qt
