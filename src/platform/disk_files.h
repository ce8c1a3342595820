// The windows' files on the real file system.

#pragma once

#include "platform/files.h"

namespace tovenrak::platform {

// Reads with core::ReadDocument and saves with core::SaveDocument, whose
// contracts are those of Files.
class DiskFiles : public Files {
 public:
  core::Result<std::string> Read(const std::filesystem::path& path,
                                 uint64_t max_bytes) override;
  core::Status Save(const std::filesystem::path& path,
                    std::string_view bytes) override;
  core::Status SaveScratch(const std::filesystem::path& path,
                           std::string_view bytes) override;
  bool SameFile(const std::filesystem::path& a,
                const std::filesystem::path& b) override;
};

}  // namespace tovenrak::platform
