// Names of temporary files that SIGINT, SIGTERM or SIGHUP must not leave
// behind.

#pragma once

#include <signal.h>

#include <cstddef>
#include <string_view>

namespace tovenrak::core {

// The longest name a TemporaryName can hold.
inline constexpr size_t kMaxTemporaryName = 31;

// While it lives, the file `name` in the folder open as `dir_fd` is removed
// if the process receives SIGINT, SIGTERM or SIGHUP, before the signal ends
// the process. The first registration installs handlers for those signals
// whose disposition is still the default; a signal that the program ignores
// or handles itself is left alone. Destroying the registration forgets the
// name without removing the file. Registering and the handler are safe from
// any thread.
// REQUIRES: name.size() <= kMaxTemporaryName; `dir_fd` stays open while
// registered.
class TemporaryName {
 public:
  TemporaryName(int dir_fd, std::string_view name);
  ~TemporaryName();
  TemporaryName(const TemporaryName&) = delete;
  TemporaryName& operator=(const TemporaryName&) = delete;

 private:
  int slot_;  // -1 when every slot was taken: the name is not registered.
};

// While it lives, this thread may make a registered name exist (open it,
// link it): SIGINT, SIGTERM and SIGHUP wait, and a handler running on another
// thread removes the names only once no thread is at this step, so that no
// name is made after they were removed. Made while a handler is at work, it
// waits for the process to end.
class CreatingTemporary {
 public:
  CreatingTemporary();
  ~CreatingTemporary();
  CreatingTemporary(const CreatingTemporary&) = delete;
  CreatingTemporary& operator=(const CreatingTemporary&) = delete;

 private:
  sigset_t saved_;
};

}  // namespace tovenrak::core
