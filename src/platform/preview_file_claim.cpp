#include "platform/preview_file_claim.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <system_error>

#include "core/io/held_files.h"

namespace tovenrak::platform {
namespace {

// More windows than this at once share the last name.
constexpr int kMaxNames = 64;

std::string NameNumbered(std::string_view name, int number) {
  if (number == 1) return std::string(name);
  const size_t dot = name.rfind('.');
  const std::string_view stem = name.substr(0, dot);
  const std::string_view ext =
      dot == std::string_view::npos ? "" : name.substr(dot);
  return std::string(stem) + "-" + std::to_string(number) + std::string(ext);
}

}  // namespace

PreviewFileClaim::PreviewFileClaim(const std::filesystem::path& folder,
                                   std::string_view name) {
  for (int number = 1; number <= kMaxNames; ++number) {
    const std::string numbered = NameNumbered(name, number);
    path_ = folder / numbered;
    const std::filesystem::path lock = core::LockFileOf(path_);
    const int fd =
        ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    // Something else in the lock's place (a folder, a link) takes the name
    // too; a folder that takes no file takes none.
    if (fd < 0 && (errno == EISDIR || errno == ELOOP || errno == ENXIO))
      continue;
    if (fd < 0) {
      path_ = folder / std::string(name);
      return;
    }
    // A folder or a pipe in the preview file's own place cannot be written
    // over (a file or a link is replaced): the next name is free of it.
    struct stat there {};
    if (::lstat(path_.c_str(), &there) == 0 && !S_ISREG(there.st_mode) &&
        !S_ISLNK(there.st_mode)) {
      ::close(fd);
      continue;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      lock_ = fd;
      return;
    }
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    if (!held) return;  // No locks here: take this name as it is.
  }
}

PreviewFileClaim::~PreviewFileClaim() {
  if (lock_ >= 0) ::close(lock_);
}

bool IsPreviewFileOf(const std::filesystem::path& folder, std::string_view name,
                     const std::filesystem::path& file) {
  const std::filesystem::path file_name = file.filename();
  bool named = false;
  for (int number = 1; number <= kMaxNames && !named; ++number) {
    const std::filesystem::path numbered = NameNumbered(name, number);
    named = file_name == numbered ||
            file_name == core::LockFileOf(numbered).filename();
  }
  std::error_code error;
  return named &&
         std::filesystem::equivalent(file.parent_path(), folder, error);
}

}  // namespace tovenrak::platform
