#include "platform/disk_files.h"

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

}  // namespace tovenrak::platform
