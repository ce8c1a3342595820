// A fresh folder for each test, and a small device in it that fills up.

#pragma once

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/io/file_io.h"

namespace tovenrak::testing {

class ScratchFolder {
 public:
  // Creates an empty folder named after the running test.
  ScratchFolder() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("tovenrak-" + std::string(test->test_suite_name()) + "-" +
             test->name() + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    for (const auto& mount : mounts_) ::umount2(mount.c_str(), MNT_DETACH);
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const {
    return path_ / name;
  }

  // Makes `folder` (created if missing) a file system of `bytes` bytes of its
  // own. Returns false where that is not permitted (not root).
  bool MountSmallDevice(const std::filesystem::path& folder, size_t bytes) {
    std::filesystem::create_directories(folder);
    const std::string options = "size=" + std::to_string(bytes);
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0)
      return false;
    mounts_.push_back(folder);
    return true;
  }

  static void Write(const std::filesystem::path& path,
                    const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string Read(const std::filesystem::path& path) {
    auto bytes = core::ReadDocument(path);
    return bytes.has_value() ? *bytes : "<unreadable>";
  }
  // The names in `folder`, hidden ones (temporary files) included.
  static std::vector<std::string> Names(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
  std::vector<std::filesystem::path> mounts_;
};

}  // namespace tovenrak::testing
