// Reading a document whole and saving it safely.

#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/io/make_folders.h"
#include "core/result.h"

namespace tovenrak::core {

// Larger files are refused: converting one takes about three times its size
// in memory.
inline constexpr uint64_t kMaxDocumentBytes = uint64_t{1536} << 20;

// Returns the bytes of the file at `path`: as many as its size when opened
// (a file that grows meanwhile is not read further, so the buffer is
// allocated once), or, for a file that reports no size (those under /proc),
// all up to its end. Fails with kNotFound, kUnreadable (a folder, a device,
// a pipe, a read error) or kTooLarge (over `max_bytes`, or no memory for it);
// the error's path is `path`.
// With `permissions`, sets it to the file's permission bits.
Result<std::string> ReadDocument(const std::filesystem::path& path,
                                 uint64_t max_bytes = kMaxDocumentBytes,
                                 uint32_t* permissions = nullptr);

// Reads the file `relative` below the folder open as `root` as ReadDocument
// does, through no link: a link in the place of the file or of a folder on
// the way (one put there after the tree was listed) fails with kUnreadable,
// so that nothing outside the tree is read, nor elsewhere when the root's
// path is made to lead there. The error's path is root_path / relative.
// REQUIRES: `relative` is relative, not empty, and has no ".." part.
Result<std::string> ReadDocumentBelow(const OpenFolder& root,
                                      const std::filesystem::path& root_path,
                                      const std::filesystem::path& relative,
                                      uint64_t max_bytes = kMaxDocumentBytes,
                                      uint32_t* permissions = nullptr);

// Makes a write past the process's file size limit (ulimit -f) fail with
// EFBIG, so that the save fails and says so as any other, where the signal
// SIGXFSZ would end the whole process silently in the middle of a run.
void FailWritesPastTheSizeLimit();

// When a saved file reaches the disk.
enum class Durability {
  kNow,  // Before the save returns: fsync, then the file takes its name.
  // When the caller syncs the file system (see DeferredSync); the file still
  // takes its name only once it is whole, so no reader sees it half-written.
  kDeferred,
};

// Writes `bytes` to the file `path`, replacing what is there in one step: a
// failed or interrupted save leaves the old file whole and no new file, and
// no temporary file outlives the save except after SIGKILL or a crash where
// the file system lacks unnamed files (then one hidden ".tvr-XXXXXX"; see
// ReplacementFile). With Durability::kNow the bytes are on disk (fsync)
// before the file takes the name.
//
// The save cannot be turned against the user who runs it:
// - a link at `path` is replaced by the new file, never followed; the folder
//   part of `path` is the caller's choice and is followed;
// - a new file gets the mode open() gives (0666 less the umask), less any
//   bit `permissions` lacks (a copy's source's, so that a private file's
//   copy stays private, as cp makes it); the process umask is never
//   changed, so saves may run on several threads;
// - a replaced regular file keeps its owner, group and permission bits,
//   except setuid, setgid and sticky; if the process may not keep its owner
//   and group the save fails and the file stays as it was;
// - a folder, device, pipe or socket at `path`, or a file the process may not
//   write, is refused.
// Fails with kNotFound (no such folder) or kNotWritable; the error's path is
// `path` and its reason the OS's own.
Status SaveDocument(const std::filesystem::path& path, std::string_view bytes,
                    Durability durability = Durability::kNow,
                    uint32_t permissions = 0777);

// As above, into `folder`, the folder of `path` already open (see
// MakeSubfolders), which is used instead of opening it again; `path` gives
// the file's name and the error's path.
Status SaveDocument(const OpenFolder& folder, const std::filesystem::path& path,
                    std::string_view bytes,
                    Durability durability = Durability::kNow,
                    uint32_t permissions = 0777);

// As SaveDocument with Durability::kDeferred, but the file is its owner's
// alone (mode 0600) whatever the file it replaces was: a scratch copy of a
// user's document, which no one else is to read.
Status SavePrivateScratch(const std::filesystem::path& path,
                          std::string_view bytes);

}  // namespace tovenrak::core
