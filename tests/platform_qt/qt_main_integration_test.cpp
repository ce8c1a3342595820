// The real window driven by Main: a Big5 page opened through a fake dialog.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QTest>
#include <filesystem>
#include <fstream>

#include "platform/qt/qt_main_window.h"
#include "platform/qt/qt_page_preview.h"
#include "platform/qt/qt_source_view.h"
#include "platform/qt/qt_status_bar.h"
#include "platform/qt/qt_toolbar.h"
#include "qt_test_support.h"
#include "real_main_window.h"

namespace tovenrak::platform::qt {
namespace {

namespace fs = std::filesystem;

TEST(QtMainIntegrationTest, Big5PageEndsAsGbTextAndPreviewFile) {
  std::string pattern =
      (fs::temp_directory_path() / "tovenrak-window-XXXXXX").string();
  const fs::path root = ::mkdtemp(pattern.data());
  const fs::path page = root / "news.htm";
  // 頭髮 in Big5, declared as Big5.
  std::ofstream(page, std::ios::binary)
      << "<html><head><meta http-equiv=\"Content-Type\" "
         "content=\"text/html; charset=big5\"><title>\xC0\x59\xBE\x76</title>"
         "</head><body>\xC0\x59\xBE\x76</body></html>";

  testing::RealMainWindow real(root);
  QtMainWindow& window = real.window;
  fakes::FakeFileDialog& dia = real.dia;
  fakes::FakeMessageBox& box = real.box;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  dia.next_answers.push_back(page.string());
  window.toolbar().ButtonAction(1)->trigger();

  EXPECT_TRUE(box.shown.empty());
  EXPECT_NE(window.source_view().toPlainText().indexOf("<body>头发</body>"), -1)
      << window.source_view().toPlainText().toStdString();
  EXPECT_NE(window.source_view().toPlainText().indexOf("charset=gb2312"), -1);
  EXPECT_EQ(window.status().PanelText(2), "文件处于 Big5 码状态");
  EXPECT_TRUE(window.toolbar().ButtonAction(7)->isChecked());
  EXPECT_TRUE(window.preview().isVisible());
  const QUrl temp =
      QUrl::fromLocalFile(QString::fromStdString((root / "temp.htm").string()));
  EXPECT_TRUE(testing::WaitUntil([&] {
    return window.preview().url() == temp &&
           window.preview().title() == "头发" &&
           window.status().PanelText(1) == "完成";
  })) << window.preview().url().toString().toStdString()
      << " " << window.preview().title().toStdString() << " "
      << window.status().PanelText(1).toStdString();

  // Ctrl+C in the source view clears the document.
  window.source_view().setFocus();
  QTest::keyClick(&window.source_view(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(window.source_view().toPlainText().isEmpty());
  EXPECT_FALSE(window.preview().isVisible());
  EXPECT_FALSE(window.toolbar().ButtonAction(7)->isEnabled());
  fs::remove_all(root);
}

}  // namespace
}  // namespace tovenrak::platform::qt
