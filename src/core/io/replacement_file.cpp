#include "core/io/replacement_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace tovenrak::core {

namespace {

// Short enough that a temporary fits beside a target of any valid length.
constexpr char kTempPrefix[] = ".tvr-";
constexpr int kNameAttempts = 100;

Error OsError(int err) {
  return Error{ErrorCode::kNotWritable, std::strerror(err)};
}

std::string TempName() {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937_64 random{std::random_device{}()};
  std::string name = kTempPrefix;
  for (int i = 0; i < 6; ++i)
    name += kLetters[random() % (sizeof kLetters - 1)];
  return name;
}

// An unnamed file gets its name with linkat: directly where the process has
// CAP_DAC_READ_SEARCH, otherwise through /proc.
bool CanNameUnnamedFiles() {
  static const bool can =
      ::geteuid() == 0 || ::access("/proc/self/fd", X_OK) == 0;
  return can;
}

// Returns 0 or the errno of the failed link.
int LinkUnnamed(int fd, int dir_fd, const char* name) {
  if (::linkat(fd, "", dir_fd, name, AT_EMPTY_PATH) == 0) return 0;
  if (errno == EEXIST) return errno;
  char proc_path[32];
  std::snprintf(proc_path, sizeof proc_path, "/proc/self/fd/%d", fd);
  if (::linkat(AT_FDCWD, proc_path, dir_fd, name, AT_SYMLINK_FOLLOW) == 0)
    return 0;
  return errno;
}

}  // namespace

ReplacementFile::ReplacementFile(int dir_fd, int fd, std::string temp_name)
    : dir_fd_(dir_fd), fd_(fd), temp_name_(std::move(temp_name)) {}

Result<std::unique_ptr<ReplacementFile>> ReplacementFile::Create(int dir_fd,
                                                                 Kind kind) {
  if (kind == Kind::kUnnamed && CanNameUnnamedFiles()) {
    const int fd =
        ::openat(dir_fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0)
      return std::unique_ptr<ReplacementFile>(
          new ReplacementFile(dir_fd, fd, ""));
    // These say that the kernel or the file system has no unnamed files.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
      return OsError(errno);
  }
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = TempName();
    // Registered before it exists, so that no moment is left uncovered.
    auto file =
        std::unique_ptr<ReplacementFile>(new ReplacementFile(dir_fd, -1, name));
    file->registered_.emplace(dir_fd, name);
    {
      const CreatingTemporary creating;
      file->fd_ =
          ::openat(dir_fd, name.c_str(),
                   O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0666);
    }
    if (file->fd_ >= 0) return file;
    file->temp_name_.clear();  // Not ours to remove.
    if (errno != EEXIST) return OsError(errno);
  }
  return OsError(EEXIST);
}

ReplacementFile::~ReplacementFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!published_ && !temp_name_.empty())
    ::unlinkat(dir_fd_, temp_name_.c_str(), 0);
}

Status ReplacementFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return OsError(errno);
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return {};
}

Status ReplacementFile::Sync() {
  if (::fsync(fd_) != 0) return OsError(errno);
  return {};
}

Status ReplacementFile::KeepOwnerAndMode(const struct stat& replaced) {
  struct stat own;
  if (::fstat(fd_, &own) != 0) return OsError(errno);
  if ((own.st_uid != replaced.st_uid || own.st_gid != replaced.st_gid) &&
      ::fchown(fd_, replaced.st_uid, replaced.st_gid) != 0) {
    return Error{ErrorCode::kNotWritable,
                 std::string("cannot keep its owner and group (") +
                     std::strerror(errno) + "); left as it was"};
  }
  if (::fchmod(fd_, replaced.st_mode & 0777) != 0) return OsError(errno);
  return {};
}

Status ReplacementFile::NarrowMode(uint32_t permissions) {
  if ((permissions & 0777) == 0777) return {};
  struct stat own;
  if (::fstat(fd_, &own) != 0) return OsError(errno);
  const mode_t narrowed = own.st_mode & permissions & 0777;
  if (narrowed != (own.st_mode & 07777) && ::fchmod(fd_, narrowed) != 0)
    return OsError(errno);
  return {};
}

Status ReplacementFile::Publish(const char* name, bool replace) {
  if (!temp_name_.empty()) {
    if (::renameat(dir_fd_, temp_name_.c_str(), dir_fd_, name) != 0)
      return OsError(errno);
    published_ = true;
    return {};
  }
  if (!replace) {
    if (const int err = LinkUnnamed(fd_, dir_fd_, name); err != 0)
      return OsError(err);
    published_ = true;
    return {};
  }
  // A link cannot replace a name, so the file gets a fresh name first and
  // that name is renamed over the target.
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string temp = TempName();
    TemporaryName registered(dir_fd_, temp);
    int err = 0;
    {
      const CreatingTemporary creating;
      err = LinkUnnamed(fd_, dir_fd_, temp.c_str());
    }
    if (err == EEXIST) continue;
    if (err != 0) return OsError(err);
    if (::renameat(dir_fd_, temp.c_str(), dir_fd_, name) != 0) {
      const int rename_err = errno;
      ::unlinkat(dir_fd_, temp.c_str(), 0);
      return OsError(rename_err);
    }
    published_ = true;
    return {};
  }
  return OsError(EEXIST);
}

}  // namespace tovenrak::core
