// A file too large for the real main window: a message, the document kept,
// and a preview that does not try to lay the file out.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/page_preview.h"
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

// The text of the page the preview shows, read in the application's world.
std::string PreviewText(QtPagePreview& preview) {
  QString text;
  bool done = false;
  preview.page()->runJavaScript("document.body ? document.body.innerText : ''",
                                QWebEngineScript::ApplicationWorld,
                                [&](const QVariant& value) {
                                  text = value.toString();
                                  done = true;
                                });
  EXPECT_TRUE(testing::WaitUntil([&] { return done; }));
  return text.toStdString();
}

TEST(MainLargeFileTest, FileOverTheLimitGetsMessageAndNoPreview) {
  std::string pattern =
      (fs::temp_directory_path() / "tovenrak-large-XXXXXX").string();
  const fs::path root = ::mkdtemp(pattern.data());
  const fs::path small = root / "small.htm";
  // 头发 in GB.
  std::ofstream(small, std::ios::binary)
      << "<title>small</title><p>\xCD\xB7\xB7\xA2</p>";
  // Short GB paragraphs, 20 MiB of them: the kind of page that keeps the
  // browser busy for a minute.
  const fs::path large = root / "large.htm";
  {
    std::ofstream out(large, std::ios::binary);
    std::string piece;
    while (piece.size() < (1u << 20)) piece += "<p>\xCD\xB7\xB7\xA2 abc</p>\n";
    for (int i = 0; i < 20; ++i) out << piece;
  }
  ASSERT_GT(fs::file_size(large), kMaxPreviewBytes);

  testing::RealMainWindow real(root);
  QtMainWindow& window = real.window;
  fakes::FakeFileDialog& dia = real.dia;
  fakes::FakeMessageBox& box = real.box;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  dia.next_answers = {small.string(), large.string()};
  window.toolbar().ButtonAction(1)->trigger();
  ASSERT_TRUE(testing::WaitUntil(
      [&] { return window.status().PanelText(1) == "完成"; }));
  window.toolbar().ButtonAction(1)->trigger();

  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_NE(box.shown[0].text.find(large.string()), std::string::npos)
      << box.shown[0].text;
  EXPECT_NE(box.shown[0].text.find("16 MiB"), std::string::npos)
      << box.shown[0].text;
  EXPECT_EQ(box.shown[0].icon, MessageIcon::kCritical);
  // The document opened before stays in the source view and the state.
  EXPECT_NE(window.source_view().toPlainText().indexOf("头发"), -1);
  EXPECT_EQ(window.status().PanelText(2), "文件处于 GB 码状态");
  // The preview says why it shows nothing instead of laying out the file.
  EXPECT_TRUE(window.preview().isVisible());
  EXPECT_TRUE(testing::WaitUntil([&] {
    return PreviewText(window.preview()).find("16 MiB") != std::string::npos;
  })) << PreviewText(window.preview());
  EXPECT_NE(PreviewText(window.preview()).find(large.string()),
            std::string::npos);
  EXPECT_EQ(PreviewText(window.preview()).find("头发 abc"), std::string::npos);
  fs::remove_all(root);
}

}  // namespace
}  // namespace tovenrak::platform::qt
