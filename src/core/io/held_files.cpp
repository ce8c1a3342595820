#include "core/io/held_files.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tovenrak::core {

std::filesystem::path LockFileOf(const std::filesystem::path& file) {
  return file.parent_path() / ("." + file.filename().string() + ".lock");
}

namespace {

bool Locked(const std::filesystem::path& path) {
  // Opened to read only, never made, never through a link.
  const int fd =
      ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return held;
}

}  // namespace

bool IsHeldByLock(const std::filesystem::path& file) {
  return Locked(LockFileOf(file)) || Locked(file);
}

}  // namespace tovenrak::core
