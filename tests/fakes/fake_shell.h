// A shell that records the addresses handed to it and accepts on demand.

#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace tovenrak::fakes {

struct FakeShell : platform::Shell {
  struct Opened {
    std::string address;
    std::filesystem::path working_folder;
  };
  bool OpenAddress(const std::string& address,
                   const std::filesystem::path& working_folder) override {
    opened.push_back({address, working_folder});
    return accept;
  }
  std::vector<Opened> opened;
  bool accept = true;
};

}  // namespace tovenrak::fakes
