// A fresh folder for each test, and a small device in it that fills up.

#pragma once

#include <stdlib.h>
#include <sys/mount.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/io/file_io.h"

namespace tovenrak::testing {

class ScratchFolder {
 public:
  ScratchFolder() {
    char name[] = "/tmp/tovenrak-XXXXXX";
    path_ = ::mkdtemp(name);
    std::filesystem::permissions(path_, std::filesystem::perms(0755));
  }
  ~ScratchFolder() {
    if (mounted_) ::umount2(mounted_->c_str(), MNT_DETACH);
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const {
    return path_ / name;
  }

  // Makes `folder` a tmpfs of `bytes` bytes; false when not permitted.
  bool MountSmallDevice(const std::filesystem::path& folder, size_t bytes) {
    std::filesystem::create_directories(folder);
    const std::string options = "size=" + std::to_string(bytes);
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0)
      return false;
    mounted_ = folder;
    return true;
  }

  static void Write(const std::filesystem::path& path, const std::string& s) {
    std::ofstream(path, std::ios::binary) << s;
  }
  static std::string Read(const std::filesystem::path& path) {
    auto bytes = core::ReadDocument(path);
    return bytes.has_value() ? *bytes : "<unreadable>";
  }
  // The names in `folder`, sorted, hidden ones (temporaries) included.
  static std::vector<std::string> Names(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
  std::optional<std::filesystem::path> mounted_;
};

}  // namespace tovenrak::testing
