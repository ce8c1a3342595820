// What the windows remember for the user from one run to the next.

#pragma once

#include <string>

namespace tovenrak::platform {

// Values are UTF-8 texts under short ASCII keys.
class Settings {
 public:
  Settings() = default;
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;
  virtual ~Settings() = default;

  // The value last stored under `key`, or "" when none was.
  virtual std::string Value(const std::string& key) const = 0;

  // Stores `value` under `key`; it is kept for the next run. A store that
  // cannot be written is noticed by no one: the choice lasts this run.
  virtual void SetValue(const std::string& key, const std::string& value) = 0;
};

}  // namespace tovenrak::platform
