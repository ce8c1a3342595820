// The real main window driven by Main, with fake dialogs, batch window and
// shell: a Big5 page opened.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QTest>
#include <filesystem>
#include <fstream>

#include "core/convert/default_converter.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/fake_message_box.h"
#include "fakes/fake_shell.h"
#include "main_window/main_presenter.h"
#include "platform/disk_files.h"
#include "platform/qt/qt_main_window.h"
#include "platform/qt/qt_page_preview.h"
#include "platform/qt/qt_source_view.h"
#include "platform/qt/qt_status_bar.h"
#include "platform/qt/qt_toolbar.h"
#include "qt_test_support.h"

namespace tovenrak::platform::qt {
namespace {

namespace fs = std::filesystem;

TEST(QtMainIntegrationTest, Big5PageEndsAsGbTextAndPreviewFile) {
  std::string pattern =
      (fs::temp_directory_path() / "tovenrak-window-XXXXXX").string();
  const fs::path root = ::mkdtemp(pattern.data());
  // 頭髮 in Big5, declared as Big5.
  std::ofstream(root / "news.htm", std::ios::binary)
      << "<html><head><meta charset=big5><title>\xC0\x59\xBE\x76</title>"
         "</head><body>\xC0\x59\xBE\x76</body></html>";
  QtMainWindow window;
  fakes::FakeFileDialog dia;
  fakes::FakeMessageBox box;
  fakes::FakeBatchLauncher batch;
  fakes::FakeShell shell;
  DiskFiles files;
  main_window::Main main(
      {window.source_view(), window.preview(), window.status(),
       window.toolbar(), dia, box, batch, shell, window, files},
      std::move(core::MakeDefaultConverter().value()), root, root);
  window.SetListener(&main);
  window.ShowCentred();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  dia.next_answers.push_back((root / "news.htm").string());
  window.toolbar().ButtonAction(kOpenButton)->trigger();

  EXPECT_TRUE(box.shown.empty());
  EXPECT_NE(window.source_view().toPlainText().indexOf("<body>头发</body>"), -1)
      << window.source_view().toPlainText().toStdString();
  EXPECT_NE(window.source_view().toPlainText().indexOf("charset=gb2312"), -1);
  EXPECT_EQ(window.windowTitle(), main_window::kTitle);
  EXPECT_EQ(window.status().PanelText(2), "文件处于 Big5 码状态");
  EXPECT_TRUE(window.toolbar().ButtonAction(kBig5Button)->isChecked());
  EXPECT_TRUE(window.preview().isVisible());
  const QUrl temp = QUrl::fromLocalFile(
      QString::fromStdString((root / main_window::kPreviewFile).string()));
  EXPECT_TRUE(testing::WaitUntil([&] {
    return window.preview().url() == temp &&
           window.preview().title() == "头发" &&
           window.status().PanelText(1) == "完成";
  })) << window.preview().url().toString().toStdString();

  fs::remove_all(root);
}

}  // namespace
}  // namespace tovenrak::platform::qt
