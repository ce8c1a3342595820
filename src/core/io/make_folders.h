// Creating the folders that outputs are written into.

#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <utility>

#include "core/result.h"

namespace tovenrak::core {

// Creates the folder `path` and each missing folder above it, as `mkdir -p`
// does: new folders get `mode` less the umask, folders and links to folders
// already there are kept as they are. Fails with kNotFound when a part of
// `path` is a file or a broken link, or with kNotWritable, and the OS's
// reason; the error's path is the folder that could not be made.
Status MakeFolders(const std::filesystem::path& path, uint32_t mode = 0777);

// The mode for a folder made to hold copies of the files of `source`: no
// permission for others that `source` lacks, so that a private folder's
// copies stay private, and every permission for its owner, who writes into
// it. 0777 for a `source` that is not a folder.
uint32_t FolderModeLike(const struct stat& source);

// A folder held open (O_PATH): files saved through it land in that folder
// even if its path is made to lead elsewhere meanwhile. Closed when
// destroyed.
class OpenFolder {
 public:
  OpenFolder() = default;
  explicit OpenFolder(int fd) : fd_(fd) {}
  OpenFolder(OpenFolder&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  OpenFolder& operator=(OpenFolder&& other) noexcept;
  ~OpenFolder();

  int fd() const { return fd_; }
  bool is_open() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// Opens the existing folder `path`, through links (the user named it):
// files read or saved through the handle stay in that folder whatever its
// path is made to lead to later. Fails with kNotFound or kNotWritable and
// the OS's reason; the error's path is `path`.
Result<OpenFolder> OpenExistingFolder(const std::filesystem::path& path);

// Creates the folders of `relative` below the existing folder `base`, never
// following a link among them: a link, file or anything else in the place of
// one of them fails with kNotWritable ("not a folder"), so that outputs of a
// tree stay below `base`. Returns the last of them (`base` itself when
// `relative` is empty) open. The error's path is `base` / the part
// concerned. With `like`, the folder whose files the new folders receive,
// each folder made takes the mode FolderModeLike gives for the folder at the
// same place below `like`.
// REQUIRES: `relative` is relative and has no ".." part.
Result<OpenFolder> MakeSubfolders(const std::filesystem::path& base,
                                  const std::filesystem::path& relative);

// The same below the folder open as `base`, whose path is `base_path`.
Result<OpenFolder> MakeSubfolders(const OpenFolder& base,
                                  const std::filesystem::path& base_path,
                                  const std::filesystem::path& relative,
                                  const OpenFolder* like = nullptr);

// The subfolder a worker saved into last, kept open for its next file: a
// tree's files come folder by folder, and each would otherwise walk, make
// and open its folders again. One for each thread.
class LastSubfolder {
 public:
  // The folder `relative` below the folder open as `base` (whose path is
  // `base_path`), made and opened as MakeSubfolders does, or the one opened
  // last when `relative` is the same; valid until the next call. A failure
  // is MakeSubfolders'.
  Result<const OpenFolder*> Open(const OpenFolder& base,
                                 const std::filesystem::path& base_path,
                                 const std::filesystem::path& relative,
                                 const OpenFolder* like = nullptr);

 private:
  std::filesystem::path relative_;
  OpenFolder open_;
};

}  // namespace tovenrak::core
