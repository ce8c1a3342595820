// Toolbar positions, menu commands, the site link, the browser's status and
// the layout call.

#include <gtest/gtest.h>

#include "main_window/main_layout.h"
#include "main_world.h"

namespace tovenrak::testing {
namespace {

TEST(MainCommandsTest, EachToolbarPositionRunsItsCommand) {
  struct Case {
    int position;
    const char* asked;  // dialog kind asked, "" for none
    int batch_windows;
    bool cleared;
  };
  const Case cases[] = {
      {1, "open", 0, false}, {2, "", 0, true},  {3, "", 0, false},
      {4, "", 1, false},     {5, "", 0, false}, {6, "save", 0, false},
      {7, "save", 0, false}, {8, "", 0, false},
  };
  for (const Case& c : cases) {
    MainWorld w;
    w.Make();
    w.Open("doc.htm", Page("charset=gb2312", kGbBody));
    w.dialog.asked.clear();
    w.converter->calls.clear();

    w.main->OnToolButton(c.position);

    const std::string asked =
        w.dialog.asked.empty() ? "" : w.dialog.asked.back().kind;
    EXPECT_EQ(asked, c.asked) << c.position;
    EXPECT_EQ(w.batch.shown, c.batch_windows) << c.position;
    EXPECT_EQ(w.view.text.empty(), c.cleared) << c.position;
    EXPECT_EQ(w.converter->calls.size(),
              c.position == 6 || c.position == 7 ? 1u : 0u)
        << c.position;
  }
}

TEST(MainCommandsTest, MenuItemsRunTheirCommands) {
  MainWorld w;
  w.Make();
  w.Open("doc.htm", Page("charset=gb2312", kGbBody));

  w.main->OnMenuClear();
  EXPECT_EQ(w.view.text, "");
  EXPECT_FALSE(w.tool.enabled[2]);

  w.main->OnMenuOpen();
  EXPECT_EQ(w.dialog.asked.back().kind, "open");

  w.main->OnMenuBatch();
  EXPECT_EQ(w.batch.shown, 1);

  w.main->OnMenuAbout();
  w.main->OnMenuAbout();
  EXPECT_EQ(w.frame.maximized, 2);

  EXPECT_EQ(w.frame.quit, 0);
  w.main->OnMenuExit();
  EXPECT_EQ(w.frame.quit, 1);
  EXPECT_TRUE(std::filesystem::exists(w.docs / "doc.htm"));
}

TEST(MainCommandsTest, SiteCommandAndLinkOpenTheSameAddress) {
  MainWorld w;
  w.Make();
  w.main->OnMenuWebSite();
  w.main->OnSiteLinkClicked();
  ASSERT_EQ(w.shell.opened.size(), 2u);
  for (const auto& opened : w.shell.opened) {
    EXPECT_EQ(opened.address, "zemlorin.example");
    EXPECT_EQ(opened.working_folder, w.root / "program");
  }
  EXPECT_EQ(w.frame.site_address, "zemlorin.example");
}

TEST(MainCommandsTest, BrowseToReportsWhetherTheDesktopAccepted) {
  MainWorld w;
  w.Make();
  EXPECT_TRUE(w.main->BrowseTo("http://example.com/"));
  w.shell.accept = false;
  EXPECT_FALSE(w.main->BrowseTo("nowhere:"));
  EXPECT_EQ(w.shell.opened.back().address, "nowhere:");
}

TEST(MainCommandsTest, BrowserPanelFollowsLoadingAndHoveredLinks) {
  MainWorld w;
  w.Make();
  auto panel = [&] { return w.status.panels[1]; };
  w.main->OnPreviewLoadStarted();
  EXPECT_EQ(panel(), "正在打开页面……");
  w.main->OnPreviewLinkHovered("file:///docs/next.htm");
  EXPECT_EQ(panel(), "file:///docs/next.htm");
  w.main->OnPreviewLinkHovered("");
  EXPECT_EQ(panel(), "正在打开页面……");
  w.main->OnPreviewLoadFinished(true);
  EXPECT_EQ(panel(), "完成");
  w.main->OnPreviewLinkHovered("http://example.com/");
  w.main->OnPreviewLinkHovered("");
  EXPECT_EQ(panel(), "完成");
  w.main->OnPreviewLoadFinished(false);
  EXPECT_EQ(panel(), "页面无法显示");
  EXPECT_EQ(w.status.panels[2], "");
}

TEST(MainCommandsTest, ResizePlacesThePanesByTheLayoutRule) {
  MainWorld w;
  w.Make();
  w.main->OnResized(9000, 6000, 8880);
  const platform::PaneRects expected =
      main_window::LayOutMain(9000, 6000, 8880, main_window::kInitialPanes);
  EXPECT_EQ(w.frame.placed, 1);
  EXPECT_FLOAT_EQ(w.frame.panes.source.width, expected.source.width);
  EXPECT_FLOAT_EQ(w.frame.panes.preview.width, expected.preview.width);
  // Too narrow for the preview: its width is kept from the last layout.
  w.main->OnResized(600, 6000, 480);
  EXPECT_FLOAT_EQ(w.frame.panes.preview.width, expected.preview.width);
  EXPECT_FLOAT_EQ(w.frame.panes.source.width, 200);
}

}  // namespace
}  // namespace tovenrak::testing
