// File systems written to by saves that skipped their own sync, each made
// durable once at the end of a run.

#pragma once

#include <cstddef>
#include <filesystem>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/result.h"

namespace tovenrak::core {

// Saving many files with one fsync each makes a run wait on the disk once
// per file. A run can instead save with Durability::kDeferred, noting each
// output's folder here, and call SyncAll once before it reports: one
// syncfs per file system, after which every file noted is on disk. Safe to
// use from several threads at once.
class DeferredSync {
 public:
  DeferredSync() = default;
  DeferredSync(const DeferredSync&) = delete;
  DeferredSync& operator=(const DeferredSync&) = delete;
  ~DeferredSync();

  // Notes that a file was (or is about to be) saved in `folder`, and returns
  // the number of the file system that holds it: folders on one file system
  // share a number. Fails with kNotFound or kNotWritable (the folder cannot
  // be opened), the error's path being `folder`.
  Result<size_t> Add(const std::filesystem::path& folder);

  // The same for the folder open as `folder` (O_PATH will do), whose path is
  // `path`: a folder below another may be on a file system of its own.
  Result<size_t> Add(int folder, const std::filesystem::path& path);

  // Syncs every file system noted so far, each once. Entry i is the outcome
  // for file system i: a failure (kNotWritable, the OS's reason, the path of
  // the first folder noted on it) means that the files saved there may not
  // be on disk.
  std::vector<Status> SyncAll();

 private:
  struct FileSystem {
    int fd;  // The first folder noted on it, open for reading.
    dev_t device;
    std::string folder;
  };

  std::mutex mutex_;
  std::vector<FileSystem> file_systems_;
  // Folders already seen, by the path given, to spare a stat for the next
  // file saved in the same place: a large tree has thousands.
  std::unordered_map<std::string, size_t> seen_;
};

}  // namespace tovenrak::core
