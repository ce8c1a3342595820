#include "core/io/file_io.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "core/io/replacement_file.h"
#include "core/io/reserve_large.h"

namespace tovenrak::core {

namespace {

Error ErrnoError(ErrorCode code, const std::filesystem::path& path, int err) {
  return Error{code, std::strerror(err), path.string()};
}

Error TooLarge(const std::filesystem::path& path, uint64_t max_bytes) {
  return Error{
      ErrorCode::kTooLarge,
      "file is larger than " + std::to_string(max_bytes >> 20) + " MiB",
      path.string()};
}

// Closes a file descriptor when it goes out of scope.
class FdCloser {
 public:
  explicit FdCloser(int fd) : fd_(fd) {}
  ~FdCloser() { ::close(fd_); }
  FdCloser(const FdCloser&) = delete;
  FdCloser& operator=(const FdCloser&) = delete;

 private:
  const int fd_;
};

// Reads into `buffer` until it is full or the file ends; returns the bytes
// read, or -1 with errno set.
ssize_t ReadFully(int fd, char* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, buffer + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

// A file without a size is read in pieces and joined once at the end, so
// that the text is never copied into a buffer twice its size.
Result<std::string> ReadToEnd(int fd, const std::filesystem::path& path,
                              uint64_t max_bytes) {
  constexpr size_t kPiece = size_t{1} << 20;
  std::vector<std::string> pieces;
  uint64_t total = 0;
  for (;;) {
    std::string piece(kPiece, '\0');
    const ssize_t n = ReadFully(fd, piece.data(), piece.size());
    if (n < 0) return ErrnoError(ErrorCode::kUnreadable, path, errno);
    piece.resize(static_cast<size_t>(n));
    total += static_cast<uint64_t>(n);
    if (total > max_bytes) return TooLarge(path, max_bytes);
    if (n == 0) break;
    pieces.push_back(std::move(piece));
  }
  std::string bytes;
  ReserveLarge(bytes, static_cast<size_t>(total));
  for (const std::string& piece : pieces) bytes += piece;
  return bytes;
}

}  // namespace

namespace {

// Without O_NONBLOCK, opening a named pipe would wait for a writer forever;
// it is refused by ReadOpened like any other file that is not a regular one.
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;

// Below a tree opened with O_NOFOLLOW, ELOOP means a link was found; a
// path opened on its own gets it only for a loop of links.
Error OpenError(const std::filesystem::path& path, int err,
                bool below_tree = true) {
  if (err == ELOOP && below_tree)
    return Error{ErrorCode::kUnreadable, "a link; links are not followed",
                 path.string()};
  return ErrnoError(
      err == ENOENT ? ErrorCode::kNotFound : ErrorCode::kUnreadable, path, err);
}

Result<std::string> ReadOpened(int fd, const std::filesystem::path& path,
                               uint64_t max_bytes, uint32_t* permissions);

}  // namespace

Result<std::string> ReadDocument(const std::filesystem::path& path,
                                 uint64_t max_bytes, uint32_t* permissions) {
  const int fd = ::open(path.c_str(), kReadFlags);
  if (fd < 0) return OpenError(path, errno, /*below_tree=*/false);
  return ReadOpened(fd, path, max_bytes, permissions);
}

Result<std::string> ReadDocumentBelow(const OpenFolder& root,
                                      const std::filesystem::path& root_path,
                                      const std::filesystem::path& relative,
                                      uint64_t max_bytes,
                                      uint32_t* permissions) {
  const std::filesystem::path path = root_path / relative;
  int folder = ::fcntl(root.fd(), F_DUPFD_CLOEXEC, 0);
  if (folder < 0) return OpenError(path, errno);
  // Each folder on the way is opened from the one before, never through a
  // link (O_NOFOLLOW with O_PATH opens a link itself, which O_DIRECTORY
  // refuses with ENOTDIR).
  const std::filesystem::path parent = relative.parent_path();
  for (const std::filesystem::path& part : parent) {
    const int next = ::openat(folder, part.c_str(),
                              O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    int err = errno;
    struct stat st;
    if (next < 0 && err == ENOTDIR &&
        ::fstatat(folder, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(st.st_mode))
      err = ELOOP;
    ::close(folder);
    if (next < 0) return OpenError(path, err);
    folder = next;
  }
  const int fd =
      ::openat(folder, relative.filename().c_str(), kReadFlags | O_NOFOLLOW);
  const int err = errno;
  ::close(folder);
  if (fd < 0) return OpenError(path, err);
  return ReadOpened(fd, path, max_bytes, permissions);
}

namespace {

// Reads the file open as `fd`, and closes it.
Result<std::string> ReadOpened(int fd, const std::filesystem::path& path,
                               uint64_t max_bytes, uint32_t* permissions) {
  FdCloser closer(fd);
  struct stat st;
  if (::fstat(fd, &st) != 0)
    return ErrnoError(ErrorCode::kUnreadable, path, errno);
  if (S_ISDIR(st.st_mode))
    return ErrnoError(ErrorCode::kUnreadable, path, EISDIR);
  if (!S_ISREG(st.st_mode)) {
    return Error{ErrorCode::kUnreadable, "not a regular file", path.string()};
  }
  if (permissions) *permissions = st.st_mode & 0777;
  // Clears O_NONBLOCK, the only one set of the flags F_SETFL changes.
  ::fcntl(fd, F_SETFL, 0);
  const uint64_t size = static_cast<uint64_t>(st.st_size);
  if (size > max_bytes) return TooLarge(path, max_bytes);

  try {
    if (size == 0) return ReadToEnd(fd, path, max_bytes);
    std::string bytes;
    ReserveLarge(bytes, static_cast<size_t>(size));
    bytes.resize(static_cast<size_t>(size));
    const ssize_t n = ReadFully(fd, bytes.data(), bytes.size());
    if (n < 0) return ErrnoError(ErrorCode::kUnreadable, path, errno);
    bytes.resize(static_cast<size_t>(n));  // The file shrank meanwhile.
    return bytes;
  } catch (const std::bad_alloc&) {
    return Error{ErrorCode::kTooLarge, "not enough memory to read it",
                 path.string()};
  }
}

}  // namespace

namespace {

// How a saved file's mode is chosen.
struct SaveMode {
  uint32_t permissions = 0777;  // A new file has no other bits.
  bool keep = true;  // A replaced file keeps its own (else as a new file).
};

// Saves into the folder open as `dir_fd`, under `path`'s file name. A name
// taken between the look and the save (another run saving the same file)
// is then replaced as a file found there would have been.
Status SaveIn(int dir_fd, const std::filesystem::path& path,
              std::string_view bytes, Durability durability, SaveMode mode,
              bool again = true) {
  auto fail = [&path](ErrorCode code, std::string reason) {
    return Error{code, std::move(reason), path.string()};
  };
  const std::filesystem::path name = path.filename();
  if (name.empty() || name == "." || name == "..")
    return fail(ErrorCode::kNotWritable, "not a file name");

  struct stat target;
  const bool exists =
      ::fstatat(dir_fd, name.c_str(), &target, AT_SYMLINK_NOFOLLOW) == 0;
  if (!exists && errno != ENOENT)
    return fail(ErrorCode::kNotWritable, std::strerror(errno));
  const bool keep = exists && !S_ISLNK(target.st_mode);
  if (keep) {
    if (S_ISDIR(target.st_mode))
      return fail(ErrorCode::kNotWritable, std::strerror(EISDIR));
    if (!S_ISREG(target.st_mode))
      return fail(ErrorCode::kNotWritable, "not a regular file");
    if (::faccessat(dir_fd, name.c_str(), W_OK, AT_EACCESS) != 0)
      return fail(ErrorCode::kNotWritable, std::strerror(errno));
  }

  auto file = ReplacementFile::Create(dir_fd, ReplacementFile::Kind::kUnnamed);
  if (!file) return fail(file.error().code, file.error().reason);
  Status done = keep && mode.keep ? (*file)->KeepOwnerAndMode(target)
                                  : (*file)->NarrowMode(mode.permissions);
  if (done) done = (*file)->Write(bytes);
  if (done && durability == Durability::kNow) done = (*file)->Sync();
  if (done) done = (*file)->Publish(name.c_str(), exists);
  if (!done && !exists && again &&
      ::fstatat(dir_fd, name.c_str(), &target, AT_SYMLINK_NOFOLLOW) == 0)
    return SaveIn(dir_fd, path, bytes, durability, mode, false);
  if (!done) return fail(done.error().code, done.error().reason);
  return {};
}

}  // namespace

namespace {

Status SaveInFolderOf(const std::filesystem::path& path, std::string_view bytes,
                      Durability durability, SaveMode mode) {
  std::filesystem::path folder = path.parent_path();
  if (folder.empty()) folder = ".";

  // Everything below works relative to the folder, so that a link planted
  // at the name is seen as a link and only the entry itself is replaced.
  const int dir_fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd < 0) {
    const int err = errno;
    return Error{err == ENOENT || err == ENOTDIR ? ErrorCode::kNotFound
                                                 : ErrorCode::kNotWritable,
                 std::strerror(err), path.string()};
  }
  FdCloser closer(dir_fd);
  return SaveIn(dir_fd, path, bytes, durability, mode);
}

}  // namespace

Status SaveDocument(const std::filesystem::path& path, std::string_view bytes,
                    Durability durability, uint32_t permissions) {
  return SaveInFolderOf(path, bytes, durability, {permissions, true});
}

void FailWritesPastTheSizeLimit() {
  struct sigaction current {};
  if (::sigaction(SIGXFSZ, nullptr, &current) == 0 &&
      current.sa_handler == SIG_DFL)
    ::signal(SIGXFSZ, SIG_IGN);
}

Status SavePrivateScratch(const std::filesystem::path& path,
                          std::string_view bytes) {
  return SaveInFolderOf(path, bytes, Durability::kDeferred, {0600, false});
}

Status SaveDocument(const OpenFolder& folder, const std::filesystem::path& path,
                    std::string_view bytes, Durability durability,
                    uint32_t permissions) {
  return SaveIn(folder.fd(), path, bytes, durability, {permissions, true});
}

}  // namespace tovenrak::core
