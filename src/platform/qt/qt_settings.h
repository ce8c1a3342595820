// The user's settings kept by QSettings, in the XDG configuration folder.

#pragma once

#include <QSettings>

#include "platform/settings.h"

namespace tovenrak::platform::qt {

// Stored under the application's organisation and name
// ($XDG_CONFIG_HOME/Zemlorin/tovenrak.conf on Linux).
// REQUIRES: a QCoreApplication with those names exists.
class QtSettings : public platform::Settings {
 public:
  std::string Value(const std::string& key) const override;
  void SetValue(const std::string& key, const std::string& value) override;

 private:
  QSettings settings_;
};

}  // namespace tovenrak::platform::qt
