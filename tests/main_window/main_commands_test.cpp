// Toolbar positions, menu commands, the site link, the browser's status and
// the layout call.

#include <gtest/gtest.h>

#include <functional>

#include "main_world.h"

namespace tovenrak::testing {
namespace {

TEST(MainCommandsTest, EachButtonMenuItemAndLinkRunsItsCommand) {
  using L = platform::MainWindowListener;
  struct Case {
    const char* name;
    std::function<void(L&)> event;
    const char* done;
  };
  auto tool = [](int position) {
    return [position](L& l) { l.OnToolButton(position); };
  };
  const Case cases[] = {
      {"1", tool(1), "open"},
      {"2", tool(2), "clear"},
      {"3", tool(3), ""},
      {"4", tool(4), "batch"},
      {"5", tool(5), ""},
      {"6", tool(6), "Big5ToGB save"},
      {"7", tool(7), "GBToBig5 save"},
      {"8", tool(8), ""},
      {"open", &L::OnMenuOpen, "open"},
      {"clear", &L::OnMenuClear, "clear"},
      {"batch", &L::OnMenuBatch, "batch"},
      {"exit", &L::OnMenuExit, "quit"},
      {"about", &L::OnMenuAbout, "maximize"},
      {"web site", &L::OnMenuWebSite, "browse zemlorin.example in /program"},
      {"site link", &L::OnSiteLinkClicked,
       "browse zemlorin.example in /program"},
  };
  for (const Case& c : cases) {
    MainWorld w;
    w.Open("doc.htm", kGbBody);
    w.dialog.asked.clear();
    w.converter->calls.clear();

    c.event(w.main);

    std::string done;
    auto add = [&](const std::string& what) {
      done += (done.empty() ? "" : " ") + what;
    };
    for (const std::string& call : w.converter->calls)
      add(call.substr(0, call.find(' ')));
    for (const auto& asked : w.dialog.asked) add(asked.kind);
    if (w.view.text.empty()) add("clear");
    if (w.batch.shown) add("batch");
    if (w.frame.quit) add("quit");
    if (w.frame.maximized) add("maximize");
    for (const auto& opened : w.shell.opened)
      add("browse " + opened.address + " in " + opened.working_folder.string());
    EXPECT_EQ(done, c.done) << c.name;
  }
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
