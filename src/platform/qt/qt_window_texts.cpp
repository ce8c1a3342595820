#include "platform/qt/qt_window_texts.h"

#include <QCoreApplication>

#include "platform/shown_name.h"

namespace tovenrak::platform::qt {

namespace {

constexpr char kContext[] = "WindowTexts";

// Listed here for the translation tools; the logic writes them itself.
[[maybe_unused]] constexpr const char* kFixedTexts[] = {
    QT_TRANSLATE_NOOP("WindowTexts", "完成"),
    QT_TRANSLATE_NOOP("WindowTexts", "正在打开页面……"),
    QT_TRANSLATE_NOOP("WindowTexts", "页面无法显示"),
    QT_TRANSLATE_NOOP("WindowTexts", "文件处于 GB 码状态"),
    QT_TRANSLATE_NOOP("WindowTexts", "文件处于 Big5 码状态"),
    QT_TRANSLATE_NOOP("WindowTexts", "文件处于 GB18030 码状态"),
    QT_TRANSLATE_NOOP("WindowTexts", "文件处于 UTF-8 码状态"),
    QT_TRANSLATE_NOOP("WindowTexts", "Zemlorin Tovenrak - 批量转换"),
    QT_TRANSLATE_NOOP("WindowTexts", "请您选定要转换的文件，再开始转换。"),
};

std::function<std::string(std::string_view)>& Script() {
  static std::function<std::string(std::string_view)> convert;
  return convert;
}

}  // namespace

QString WindowText(const std::string& text) {
  QString translated = QCoreApplication::translate(kContext, text.c_str());
  if (translated.toStdString() != text) return translated;
  return QString::fromStdString(WithoutNeedlessMarks(
      Script() ? ConvertAroundNames(text, Script()) : text));
}

void SetWindowTextScript(std::function<std::string(std::string_view)> convert) {
  Script() = std::move(convert);
}

}  // namespace tovenrak::platform::qt
