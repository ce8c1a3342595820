#include "core/io/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tovenrak::core {

namespace {

Error ErrnoError(ErrorCode code, const std::filesystem::path& path, int err) {
  return Error{code, std::strerror(err), path.string()};
}

// Closes a file descriptor when it goes out of scope.
class FdCloser {
 public:
  explicit FdCloser(int fd) : fd_(fd) {}
  ~FdCloser() {
    if (fd_ >= 0) ::close(fd_);
  }
  FdCloser(const FdCloser&) = delete;
  FdCloser& operator=(const FdCloser&) = delete;
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

Result<std::string> ReadDocument(const std::filesystem::path& path,
                                 uint64_t max_bytes) {
  // Without O_NONBLOCK, opening a named pipe would wait for a writer forever;
  // it is refused below like any other file that is not a regular one.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    return ErrnoError(
        errno == ENOENT ? ErrorCode::kNotFound : ErrorCode::kUnreadable, path,
        errno);
  }
  FdCloser closer(fd);
  struct stat st;
  if (::fstat(fd, &st) != 0)
    return ErrnoError(ErrorCode::kUnreadable, path, errno);
  if (S_ISDIR(st.st_mode))
    return ErrnoError(ErrorCode::kUnreadable, path, EISDIR);
  if (!S_ISREG(st.st_mode)) {
    return Error{ErrorCode::kUnreadable, "not a regular file", path.string()};
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (static_cast<uint64_t>(st.st_size) > max_bytes) {
    return Error{
        ErrorCode::kTooLarge,
        "file is larger than " + std::to_string(max_bytes >> 20) + " MiB",
        path.string()};
  }

  std::string bytes;
  bytes.resize(static_cast<size_t>(st.st_size));
  size_t done = 0;
  for (;;) {
    if (done == bytes.size()) {
      // The file may have grown since fstat; read on until end of file.
      if (bytes.size() >= max_bytes) break;
      bytes.resize(std::min<uint64_t>(max_bytes + 1, bytes.size() + 65536));
    }
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return ErrnoError(ErrorCode::kUnreadable, path, errno);
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  if (done > max_bytes) {
    return Error{
        ErrorCode::kTooLarge,
        "file is larger than " + std::to_string(max_bytes >> 20) + " MiB",
        path.string()};
  }
  return bytes;
}

Status SaveDocument(const std::filesystem::path& requested,
                    std::string_view bytes) {
  // Saving through a link writes the file it points to and keeps the link.
  std::error_code ec;
  std::filesystem::path path = requested;
  if (std::filesystem::is_symlink(requested, ec)) {
    path = std::filesystem::weakly_canonical(requested, ec);
    if (ec) return ErrnoError(ErrorCode::kNotWritable, requested, ec.value());
  }
  std::filesystem::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  struct stat folder_st;
  if (::stat(folder.c_str(), &folder_st) != 0) {
    return ErrnoError(
        errno == ENOENT ? ErrorCode::kNotFound : ErrorCode::kNotWritable,
        folder, errno);
  }
  if (!S_ISDIR(folder_st.st_mode))
    return ErrnoError(ErrorCode::kNotFound, folder, ENOTDIR);

  mode_t mode = 0666;
  struct stat target_st;
  const bool exists = ::stat(path.c_str(), &target_st) == 0;
  if (exists) {
    if (S_ISDIR(target_st.st_mode))
      return ErrnoError(ErrorCode::kNotWritable, path, EISDIR);
    // A device or pipe must not be replaced by a regular file.
    if (!S_ISREG(target_st.st_mode)) {
      return Error{ErrorCode::kNotWritable, "not a regular file",
                   path.string()};
    }
    if (::access(path.c_str(), W_OK) != 0)
      return ErrnoError(ErrorCode::kNotWritable, path, errno);
    mode = target_st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }

  std::string temp =
      (folder / ("." + path.filename().string() + ".tovenrak-XXXXXX")).string();
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return ErrnoError(ErrorCode::kNotWritable, path, errno);
  FdCloser closer(fd);

  auto fail = [&](int err) {
    ::unlink(temp.c_str());
    return ErrnoError(ErrorCode::kNotWritable, path, err);
  };
  if (!WriteAll(fd, bytes)) return fail(errno);
  if (::fchmod(fd, mode) != 0) return fail(errno);
  if (::fsync(fd) != 0) return fail(errno);
  if (::close(closer.Release()) != 0) return fail(errno);
  if (::rename(temp.c_str(), path.c_str()) != 0) return fail(errno);
  return {};
}

}  // namespace tovenrak::core
