// Handing addresses to the desktop.

#pragma once

#include <filesystem>
#include <string>

namespace tovenrak::platform {

class Shell {
 public:
  Shell() = default;
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;
  virtual ~Shell() = default;

  // Opens `address` (a web address, or a file relative to `working_folder`)
  // with the user's default handler, in a normal visible window, and returns
  // at once. Returns whether the desktop accepted it.
  virtual bool OpenAddress(const std::string& address,
                           const std::filesystem::path& working_folder) = 0;
};

}  // namespace tovenrak::platform
