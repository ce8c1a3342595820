#include "core/io/make_folders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace tovenrak::core {

namespace {

namespace fs = std::filesystem;

Error Failure(int err, const fs::path& path) {
  const ErrorCode code = err == ENOENT || err == ENOTDIR
                             ? ErrorCode::kNotFound
                             : ErrorCode::kNotWritable;
  return Error{code, std::strerror(err), path.string()};
}

}  // namespace

Status MakeFolders(const fs::path& path, uint32_t mode) {
  fs::path made;
  for (const fs::path& part : path) {
    made /= part;
    if (::mkdir(made.c_str(), mode) == 0) continue;
    const int err = errno;
    struct stat st;
    // EEXIST, or a folder that may not be written but is there (EACCES,
    // EROFS): a folder, or a link to one, is what mkdir -p accepts.
    if (::stat(made.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
    return Failure(err == EEXIST ? ENOTDIR : err, made);
  }
  return {};
}

OpenFolder& OpenFolder::operator=(OpenFolder&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

OpenFolder::~OpenFolder() {
  if (fd_ >= 0) ::close(fd_);
}

Result<OpenFolder> OpenExistingFolder(const fs::path& path) {
  const int fd = ::open(path.empty() ? "." : path.c_str(),
                        O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Failure(errno, path);
  return OpenFolder(fd);
}

Result<OpenFolder> MakeSubfolders(const fs::path& base,
                                  const fs::path& relative) {
  Result<OpenFolder> opened = OpenExistingFolder(base);
  if (!opened) return opened.error();
  return MakeSubfolders(*opened, base, relative);
}

uint32_t FolderModeLike(const struct stat& source) {
  return S_ISDIR(source.st_mode) ? (source.st_mode & 0777) | 0700 : 0777;
}

Result<OpenFolder> MakeSubfolders(const OpenFolder& base,
                                  const fs::path& base_path,
                                  const fs::path& relative,
                                  const OpenFolder* like) {
  int fd = ::fcntl(base.fd(), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return Failure(errno, base_path);
  fs::path made = base_path;
  fs::path below;
  for (const fs::path& part : relative) {
    made /= part;
    below /= part;
    uint32_t mode = 0777;
    struct stat source;
    if (like != nullptr &&
        ::fstatat(like->fd(), below.c_str(), &source, AT_SYMLINK_NOFOLLOW) == 0)
      mode = FolderModeLike(source);
    if (::mkdirat(fd, part.c_str(), mode) != 0 && errno != EEXIST) {
      const int err = errno;
      ::close(fd);
      return Failure(err, made);
    }
    // O_NOFOLLOW with O_PATH opens a link itself, which O_DIRECTORY refuses.
    const int next = ::openat(fd, part.c_str(),
                              O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int err = errno;
    ::close(fd);
    if (next < 0 && (err == ENOTDIR || err == ELOOP))
      return Error{ErrorCode::kNotWritable, "not a folder", made.string()};
    if (next < 0) return Failure(err, made);
    fd = next;
  }
  return OpenFolder(fd);
}

Result<const OpenFolder*> LastSubfolder::Open(const OpenFolder& base,
                                              const fs::path& base_path,
                                              const fs::path& relative,
                                              const OpenFolder* like) {
  if (open_.is_open() && relative == relative_) return &open_;
  open_ = {};
  Result<OpenFolder> made = MakeSubfolders(base, base_path, relative, like);
  if (!made) return made.error();
  open_ = std::move(*made);
  relative_ = relative;
  return &open_;
}

}  // namespace tovenrak::core
