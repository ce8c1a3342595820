// Opening the batch window.

#pragma once

#include <filesystem>

#include "platform/batch_launcher.h"

class QWidget;

namespace tovenrak::app {

// Shows a new batch window centred over `parent`, modally, and returns when
// it is closed. The window starts with `program_folder` as its target and
// converts with a converter of its own; when that converter cannot be made, a
// stop message gives the reason and no window opens.
void ShowBatWindowModally(QWidget* parent,
                          const std::filesystem::path& program_folder);

// The main window's Batch command: a fresh batch window at each use.
class BatWindowLauncher : public platform::BatchLauncher {
 public:
  BatWindowLauncher(QWidget* parent, std::filesystem::path program_folder)
      : parent_(parent), program_folder_(std::move(program_folder)) {}

  void ShowBatchWindow() override {
    ShowBatWindowModally(parent_, program_folder_);
  }

 private:
  QWidget* parent_;
  const std::filesystem::path program_folder_;
};

}  // namespace tovenrak::app
