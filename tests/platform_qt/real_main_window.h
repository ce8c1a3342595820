// The real main window wired to its logic, with fake dialogs, batch window
// and shell, shown offscreen.

#pragma once

#include <filesystem>

#include "core/convert/default_converter.h"
#include "fakes/fake_batch_launcher.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/fake_message_box.h"
#include "fakes/fake_shell.h"
#include "main_window/main_presenter.h"
#include "platform/disk_files.h"
#include "platform/qt/qt_main_window.h"

namespace tovenrak::testing {

struct RealMainWindow {
  // `app_dir` receives the preview file and stands for the program's folder.
  explicit RealMainWindow(const std::filesystem::path& app_dir)
      : main({window.source_view(), window.preview(), window.status(),
              window.toolbar(), dia, box, batch, shell, window, files},
             std::move(core::MakeDefaultConverter().value()), app_dir,
             app_dir) {
    window.SetListener(&main);
    window.ShowCentred();
  }

  platform::qt::QtMainWindow window;
  fakes::FakeFileDialog dia;
  fakes::FakeMessageBox box;
  fakes::FakeBatchLauncher batch;
  fakes::FakeShell shell;
  platform::DiskFiles files;
  main_window::Main main;
};

}  // namespace tovenrak::testing
