// Opening the batch window.

#pragma once

#include <filesystem>

class QWidget;

namespace tovenrak::app {

// Shows a new batch window centred over `parent`, modally, and returns when
// it is closed. The window starts with `program_folder` as its target and
// converts with a converter of its own; when that converter cannot be made, a
// stop message gives the reason and no window opens.
void ShowBatWindowModally(QWidget* parent,
                          const std::filesystem::path& program_folder);

}  // namespace tovenrak::app
