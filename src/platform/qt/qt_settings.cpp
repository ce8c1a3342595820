#include "platform/qt/qt_settings.h"

namespace tovenrak::platform::qt {

std::string QtSettings::Value(const std::string& key) const {
  return settings_.value(QString::fromStdString(key)).toString().toStdString();
}

void QtSettings::SetValue(const std::string& key, const std::string& value) {
  settings_.setValue(QString::fromStdString(key),
                     QString::fromStdString(value));
  // Written now, so that a batch window opened next reads the same choice
  // even through another QSettings.
  settings_.sync();
}

}  // namespace tovenrak::platform::qt
