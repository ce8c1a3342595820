// What the main window hands off, recorded: addresses given to the desktop
// and openings of the batch window.

#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/batch_launcher.h"
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
    return true;
  }
  std::vector<Opened> opened;
};

struct FakeBatchLauncher : platform::BatchLauncher {
  void ShowBatchWindow() override { ++shown; }
  int shown = 0;
};

}  // namespace tovenrak::fakes
