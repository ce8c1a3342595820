// Files kept in memory, with failures on demand.

#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "platform/files.h"

namespace tovenrak::fakes {

struct FakeFiles : platform::Files {
  core::Result<std::string> Read(const std::filesystem::path& path,
                                 uint64_t max_bytes) override {
    auto file = files.find(path);
    if (file == files.end()) {
      return core::Error{core::ErrorCode::kNotFound,
                         "No such file or directory", path.string()};
    }
    if (file->second.size() > max_bytes)
      return core::Error{core::ErrorCode::kTooLarge, "too large",
                         path.string()};
    return file->second;
  }
  core::Status Save(const std::filesystem::path& path,
                    std::string_view bytes) override {
    if (auto broken = failing.find(path); broken != failing.end())
      return broken->second;
    files[path] = bytes;
    return {};
  }

  std::map<std::filesystem::path, std::string> files;
  // Saving one of these fails with its error.
  std::map<std::filesystem::path, core::Error> failing;
};

}  // namespace tovenrak::fakes
