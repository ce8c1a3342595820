#include "platform/disk_files.h"

#include <sys/stat.h>

#include "core/io/file_io.h"

namespace tovenrak::platform {

core::Result<std::string> DiskFiles::Read(const std::filesystem::path& path,
                                          uint64_t max_bytes) {
  return core::ReadDocument(path, max_bytes);
}

core::Status DiskFiles::Save(const std::filesystem::path& path,
                             std::string_view bytes) {
  return core::SaveDocument(path, bytes);
}

core::Status DiskFiles::SaveScratch(const std::filesystem::path& path,
                                    std::string_view bytes) {
  return core::SavePrivateScratch(path, bytes);
}

bool DiskFiles::SameFile(const std::filesystem::path& a,
                         const std::filesystem::path& b) {
  // A link in the last place is itself what a save replaces.
  struct stat one, other;
  if (::lstat(a.c_str(), &one) == 0 && ::lstat(b.c_str(), &other) == 0)
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
  return Files::SameFile(a, b);
}

}  // namespace tovenrak::platform
