// Reading and saving whole documents: the file system as the windows see it.

#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/result.h"

namespace tovenrak::platform {

// Errors keep the file (`path`) and the reason apart; the reason is the
// operating system's own words where it gave any.
class Files {
 public:
  Files() = default;
  Files(const Files&) = delete;
  Files& operator=(const Files&) = delete;
  virtual ~Files() = default;

  // Returns the bytes of the file at `path`. Fails with kNotFound,
  // kUnreadable (a folder, a device, a read error) or kTooLarge (more than
  // `max_bytes`).
  virtual core::Result<std::string> Read(const std::filesystem::path& path,
                                         uint64_t max_bytes) = 0;

  // Writes `bytes` to `path`, replacing any file there only once all of it
  // is written: a failed save leaves the old file whole. Fails with
  // kNotFound (no such folder) or kNotWritable.
  virtual core::Status Save(const std::filesystem::path& path,
                            std::string_view bytes) = 0;

  // As Save, for a file that only this program reads back, soon and while
  // it runs (the page the preview shows): it is replaced as Save replaces
  // it, but need not reach the disk before this returns, which would make
  // the preview wait for a disk write.
  virtual core::Status SaveScratch(const std::filesystem::path& path,
                                   std::string_view bytes) {
    return Save(path, bytes);
  }

  // Whether `a` and `b` name one file: the same path, or, on a real file
  // system, the same file reached another way (a linked folder, "..", a
  // hard link), but for a link named itself, which a save replaces.
  virtual bool SameFile(const std::filesystem::path& a,
                        const std::filesystem::path& b) {
    return std::filesystem::absolute(a).lexically_normal() ==
           std::filesystem::absolute(b).lexically_normal();
  }
};

}  // namespace tovenrak::platform
