// Opening the batch window.

#pragma once

#include <filesystem>
#include <functional>

#include "platform/batch_launcher.h"
#include "platform/settings.h"

class QWidget;

namespace tovenrak::app {

using Reserved = std::function<bool(const std::filesystem::path&)>;

// Shows a new batch window centred over `parent`, modally, and returns when
// it is closed. The window starts with `program_folder` as its target and
// converts in the variant `settings` remember, with a converter of its own,
// never writing the outputs `reserved` names (batch::BatchOptions::reserved);
// when that converter cannot be made, a stop message gives the reason and no
// window opens.
void ShowBatWindowModally(QWidget* parent,
                          const std::filesystem::path& program_folder,
                          const platform::Settings& settings,
                          const Reserved& reserved);

// The main window's Batch command: a fresh batch window at each use.
class BatWindowLauncher : public platform::BatchLauncher {
 public:
  BatWindowLauncher(QWidget* parent, std::filesystem::path program_folder,
                    const platform::Settings& settings, Reserved reserved)
      : parent_(parent),
        program_folder_(std::move(program_folder)),
        settings_(settings),
        reserved_(std::move(reserved)) {}

  void ShowBatchWindow() override {
    ShowBatWindowModally(parent_, program_folder_, settings_, reserved_);
  }

 private:
  QWidget* parent_;
  const std::filesystem::path program_folder_;
  const platform::Settings& settings_;
  const Reserved reserved_;
};

}  // namespace tovenrak::app
