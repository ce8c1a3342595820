// Toolbar positions, menu commands, the site link, the browser's status and
// the layout of the panes as the window is resized.

#include <gtest/gtest.h>

#include <cstdio>
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

// "left,top widthxheight", to the nearest twip.
std::string Place(const platform::TwipsRect& r) {
  char text[64];
  std::snprintf(text, sizeof text, "%.0f,%.0f %.0fx%.0f", r.left, r.top,
                r.width, r.height);
  return text;
}

TEST(MainCommandsTest, ResizingPlacesPanesHeadingsAndStrip) {
  struct Step {
    const char* name;
    float w, h, c;  // outer width and height, client width, in twips
    const char* source;
    const char* source_label;
    const char* preview;
    const char* preview_label;
    float shift;
  };
  const Step steps[] = {
      {"starting size", 7290, 5205, 7170, "4640,960 2430x3062",
       "4640,705 1935x255", "120,960 4260x3062", "120,705 1215x255", 0},
      // The preview's width would be negative: it keeps the last one.
      {"too narrow", 900, 3400, 600, "200,960 300x2000", "200,705 1935x255",
       "120,960 4260x2000", "120,705 1215x255", 0},
      // Maximised on a screen 800 pixels high, the panes would cover the
      // strip at its own place: it moves below them.
      {"800 pixels high", 19200, 12000, 19080, "12580,960 6400x7059",
       "12580,705 1935x255", "120,960 12200x7059", "120,705 1215x255",
       960 + 12000 / 1.7f + 120 - 6720},
  };
  MainWorld w;
  for (const Step& s : steps) {
    w.main.OnResized(s.w, s.h, s.c);
    const platform::PaneRects& p = w.frame.panes;
    EXPECT_EQ(Place(p.source), s.source) << s.name;
    EXPECT_EQ(Place(p.source_label), s.source_label) << s.name;
    EXPECT_EQ(Place(p.preview), s.preview) << s.name;
    EXPECT_EQ(Place(p.preview_label), s.preview_label) << s.name;
    EXPECT_NEAR(p.about_strip_shift, s.shift, 0.01) << s.name;
  }
}

}  // namespace
}  // namespace tovenrak::testing
