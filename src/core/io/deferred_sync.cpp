#include "core/io/deferred_sync.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tovenrak::core {

DeferredSync::~DeferredSync() {
  for (const FileSystem& fs : file_systems_) ::close(fs.fd);
}

Result<size_t> DeferredSync::Add(const std::filesystem::path& folder) {
  std::lock_guard lock(mutex_);
  if (const auto it = seen_.find(folder.native()); it != seen_.end())
    return it->second;
  // syncfs needs a descriptor that is open for reading, not just a path.
  const int fd = ::open(folder.empty() ? "." : folder.c_str(),
                        O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    const int err = errno;
    if (fd >= 0) ::close(fd);
    return Error{err == ENOENT || err == ENOTDIR ? ErrorCode::kNotFound
                                                 : ErrorCode::kNotWritable,
                 std::strerror(err), folder.string()};
  }
  size_t index = 0;
  while (index < file_systems_.size() &&
         file_systems_[index].device != st.st_dev)
    ++index;
  if (index == file_systems_.size()) {
    file_systems_.push_back({fd, st.st_dev, folder.string()});
  } else {
    ::close(fd);
  }
  seen_.emplace(folder.native(), index);
  return index;
}

Result<size_t> DeferredSync::Add(int folder,
                                 const std::filesystem::path& path) {
  struct stat st;
  if (::fstat(folder, &st) != 0)
    return Error{ErrorCode::kNotWritable, std::strerror(errno), path.string()};
  std::lock_guard lock(mutex_);
  for (size_t i = 0; i < file_systems_.size(); ++i) {
    if (file_systems_[i].device == st.st_dev) return i;
  }
  const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return Error{ErrorCode::kNotWritable, std::strerror(errno), path.string()};
  file_systems_.push_back({fd, st.st_dev, path.string()});
  return file_systems_.size() - 1;
}

std::vector<Status> DeferredSync::SyncAll() {
  std::lock_guard lock(mutex_);
  std::vector<Status> done;
  for (const FileSystem& fs : file_systems_) {
    if (::syncfs(fs.fd) == 0) {
      done.emplace_back();
    } else {
      done.emplace_back(
          Error{ErrorCode::kNotWritable, std::strerror(errno), fs.folder});
    }
  }
  return done;
}

}  // namespace tovenrak::core
