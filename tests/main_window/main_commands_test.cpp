// Toolbar positions, menu commands, the site link, the browser's status and
// the layout call.

#include <gtest/gtest.h>

#include "main_world.h"

namespace tovenrak::testing {
namespace {

TEST(MainCommandsTest, EachToolbarPositionRunsItsCommand) {
  struct Case {
    int position;
    const char* asked;  // dialog kind asked, "" for none
    int batch_windows;
    bool cleared;
    size_t conversions;
  };
  const Case cases[] = {
      {1, "open", 0, false, 0}, {2, "", 0, true, 0},  {3, "", 0, false, 0},
      {4, "", 1, false, 0},     {5, "", 0, false, 0}, {6, "save", 0, false, 1},
      {7, "save", 0, false, 1}, {8, "", 0, false, 0},
  };
  for (const Case& c : cases) {
    MainWorld w;
    w.Open("doc.htm", kGbBody);
    w.dialog.asked.clear();
    w.converter->calls.clear();

    w.main.OnToolButton(c.position);

    EXPECT_EQ(w.dialog.asked.empty() ? "" : w.dialog.asked.back().kind, c.asked)
        << c.position;
    EXPECT_EQ(w.batch.shown, c.batch_windows) << c.position;
    EXPECT_EQ(w.view.text.empty(), c.cleared) << c.position;
    EXPECT_EQ(w.converter->calls.size(), c.conversions) << c.position;
  }
}

TEST(MainCommandsTest, MenuItemsAndTheSiteLinkRunTheirCommands) {
  MainWorld w;
  w.Open("doc.htm", kGbBody);

  w.main.OnMenuClear();
  EXPECT_EQ(w.view.text, "");
  w.main.OnMenuOpen();
  EXPECT_EQ(w.dialog.asked.back().kind, "open");
  w.main.OnMenuBatch();
  EXPECT_EQ(w.batch.shown, 1);
  w.main.OnMenuAbout();
  EXPECT_EQ(w.frame.maximized, 1);
  EXPECT_EQ(w.frame.quit, 0);
  w.main.OnMenuExit();
  EXPECT_EQ(w.frame.quit, 1);

  w.main.OnMenuWebSite();
  w.main.OnSiteLinkClicked();
  ASSERT_EQ(w.shell.opened.size(), 2u);
  for (const auto& opened : w.shell.opened) {
    EXPECT_EQ(opened.address, main_window::kSiteAddress);
    EXPECT_EQ(opened.working_folder, "/program");
  }
  w.shell.accept = false;
  EXPECT_FALSE(w.main.BrowseTo("nowhere:"));
}

TEST(MainCommandsTest, BrowserPanelFollowsLoadingAndHoveredLinks) {
  MainWorld w;
  auto panel = [&] {
    return w.status.panels[platform::StatusBar::kBrowserPanel];
  };
  w.main.OnPreviewLoadStarted();
  EXPECT_EQ(panel(), "正在打开页面……");
  w.main.OnPreviewLinkHovered("file:///docs/next.htm");
  EXPECT_EQ(panel(), "file:///docs/next.htm");
  w.main.OnPreviewLinkHovered("");
  EXPECT_EQ(panel(), "正在打开页面……");
  w.main.OnPreviewLoadFinished(true);
  w.main.OnPreviewLinkHovered("http://example.com/");
  w.main.OnPreviewLinkHovered("");
  EXPECT_EQ(panel(), "完成");
  w.main.OnPreviewLoadFinished(false);
  EXPECT_EQ(panel(), "页面无法显示");
  EXPECT_EQ(w.Panel(), "");
}

TEST(MainCommandsTest, TooNarrowAWindowKeepsThePreviewWidthOfTheLastLayout) {
  MainWorld w;
  w.main.OnResized(9000, 6000, 8880);
  const float width = w.frame.panes.preview.width;
  EXPECT_GT(width, 0);
  w.main.OnResized(600, 6000, 480);
  EXPECT_EQ(w.frame.placed, 2);
  EXPECT_FLOAT_EQ(w.frame.panes.preview.width, width);
  EXPECT_FLOAT_EQ(w.frame.panes.source.width, 200);
}

}  // namespace
}  // namespace tovenrak::testing
