#include "main_window/main_layout.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace tovenrak::main_window {
namespace {

// "left,top widthxheight", to the nearest twip.
std::string Place(const platform::TwipsRect& r) {
  char text[64];
  std::snprintf(text, sizeof text, "%.0f,%.0f %.0fx%.0f", r.left, r.top,
                r.width, r.height);
  return text;
}

TEST(MainLayoutTest, PlacesPanesHeadingsAndStripForTheWindowSize) {
  // The starting window: outer 7290 x 5205 twips, client area 7170 wide.
  const platform::PaneRects start = LayOutMain(7290, 5205, 7170, kInitialPanes);
  struct Case {
    const char* name;
    float w, h, c;
    const platform::PaneRects& previous;
    const char* source;
    const char* source_label;
    const char* preview;
    const char* preview_label;
    float shift;
  };
  const Case cases[] = {
      {"starting size", 7290, 5205, 7170, kInitialPanes, "4640,960 2430x3062",
       "4640,705 1935x255", "120,960 4260x3062", "120,705 1215x255", 0},
      // The preview's width would be negative: it keeps the last one.
      {"too narrow", 900, 3400, 600, start, "200,960 300x2000",
       "200,705 1935x255", "120,960 4260x2000", "120,705 1215x255", 0},
      // Maximised on a screen 800 pixels high, the panes would cover the
      // strip at its own place: it moves below them.
      {"800 pixels high", 19200, 12000, 19080, kInitialPanes,
       "12580,960 6400x7059", "12580,705 1935x255", "120,960 12200x7059",
       "120,705 1215x255", 960 + 12000 / 1.7f + 120 - 6720},
  };
  for (const Case& c : cases) {
    const platform::PaneRects p = LayOutMain(c.w, c.h, c.c, c.previous);
    EXPECT_EQ(Place(p.source), c.source) << c.name;
    EXPECT_EQ(Place(p.source_label), c.source_label) << c.name;
    EXPECT_EQ(Place(p.preview), c.preview) << c.name;
    EXPECT_EQ(Place(p.preview_label), c.preview_label) << c.name;
    EXPECT_NEAR(p.about_strip_shift, c.shift, 0.01) << c.name;
  }
}

}  // namespace
}  // namespace tovenrak::main_window
