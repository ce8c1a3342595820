// The preview: fresh loads of a rewritten file, its events and the size
// limit. What a page may reach: hostile_preview_test.cpp.

#include "platform/qt/qt_page_preview.h"

#include "preview_fixture.h"

namespace tovenrak::platform::qt {
namespace {

using QtPagePreviewTest = testing::PreviewTest;

TEST_F(QtPagePreviewTest, RewrittenFileIsShownFreshEachTime) {
  for (const char* title : {"first", "second", "third"}) {
    Load(Write("temp.htm", std::string("<title>") + title + "</title>"));
    EXPECT_EQ(Title(), title);
  }
  EXPECT_EQ(preview_.url(), Url("temp.htm"));
}

TEST_F(QtPagePreviewTest, ReportsLoadsAndHoveredLinks) {
  Load(Write("a.htm", "<p>a</p>"));
  EXPECT_EQ(listener_.events.front(), "load started");
  EXPECT_EQ(listener_.events.back(), "load finished");
  Load(root_ / "missing.htm");
  EXPECT_EQ(listener_.events.back(), "load failed");

  listener_.events.clear();
  emit preview_.page()->linkHovered("http://www.example.com/");
  EXPECT_EQ(listener_.events,
            std::vector<std::string>{"hover http://www.example.com/"});
}

TEST_F(QtPagePreviewTest, FileOverTheLimitGetsANoticeInsteadOfALayout) {
  const std::filesystem::path huge = Write("huge.htm", "<p>laid out</p>");
  std::filesystem::resize_file(huge, kMaxPreviewBytes + 1);
  preview_.ShowFile(huge);
  EXPECT_TRUE(testing::WaitUntil([&] {
    return Evaluate("document.body ? document.body.innerText : ''")
               .find("大于 16 MiB") != std::string::npos;
  }));
  EXPECT_EQ(Matches("laid out"), 0);
}

}  // namespace
}  // namespace tovenrak::platform::qt
