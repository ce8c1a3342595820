#include "main_window/main_layout.h"

#include <gtest/gtest.h>

namespace tovenrak::main_window {
namespace {

// The starting window: client area 7170 x 4545 twips under a 60-twip border
// on each side, a 300-twip title bar and a 300-twip menu bar.
constexpr float kW = 7290, kH = 5205, kC = 7170;

TEST(MainLayoutTest, StartingSizePutsSourceAtRightAndPreviewAtLeft) {
  const platform::PaneRects p = LayOutMain(kW, kH, kC, kInitialPanes);
  EXPECT_FLOAT_EQ(p.source.width, kW / 3);
  EXPECT_FLOAT_EQ(p.source.left + p.source.width, kC - 100);
  EXPECT_FLOAT_EQ(p.source.top, 960);
  EXPECT_FLOAT_EQ(p.source.height, kH / 1.7f);
  EXPECT_FLOAT_EQ(p.preview.left, 120);
  EXPECT_FLOAT_EQ(p.preview.top, 960);
  EXPECT_FLOAT_EQ(p.preview.height, kH / 1.7f);
  EXPECT_FLOAT_EQ(p.source.left - (p.preview.left + p.preview.width), 260);
  // Each heading sits directly above its pane, aligned with its left edge.
  EXPECT_FLOAT_EQ(p.source_label.left, p.source.left);
  EXPECT_FLOAT_EQ(p.source_label.top, 960 - 255);
  EXPECT_FLOAT_EQ(p.source_label.width, 1935);
  EXPECT_FLOAT_EQ(p.preview_label.left, 120);
  EXPECT_FLOAT_EQ(p.preview_label.top, 960 - 255);
  EXPECT_FLOAT_EQ(p.preview_label.width, 1215);
}

TEST(MainLayoutTest, WideningBy300GivesSource100AndPreview200) {
  const platform::PaneRects before = LayOutMain(kW, kH, kC, kInitialPanes);
  const platform::PaneRects after = LayOutMain(kW + 300, kH, kC + 300, before);
  EXPECT_FLOAT_EQ(after.source.width - before.source.width, 100);
  EXPECT_FLOAT_EQ(after.preview.width - before.preview.width, 200);
  EXPECT_FLOAT_EQ(after.source.height, before.source.height);
}

TEST(MainLayoutTest, RestoringAfterMinimiseGivesTheRestoredLayout) {
  const platform::PaneRects normal = LayOutMain(kW, kH, kC, kInitialPanes);
  const platform::PaneRects minimised = LayOutMain(2400, 510, 2280, normal);
  const platform::PaneRects restored = LayOutMain(kW, kH, kC, minimised);
  EXPECT_FLOAT_EQ(restored.source.left, normal.source.left);
  EXPECT_FLOAT_EQ(restored.source.width, normal.source.width);
  EXPECT_FLOAT_EQ(restored.source.height, normal.source.height);
  EXPECT_FLOAT_EQ(restored.preview.width, normal.preview.width);
  EXPECT_FLOAT_EQ(restored.preview.height, normal.preview.height);
}

TEST(MainLayoutTest, NegativePreviewWidthKeepsThePreviousWidthOnly) {
  const platform::PaneRects normal = LayOutMain(kW, kH, kC, kInitialPanes);
  // C - W/3 - 480 = 600 - 300 - 480 < 0.
  const platform::PaneRects narrow = LayOutMain(900, 3400, 600, normal);
  EXPECT_FLOAT_EQ(narrow.preview.width, normal.preview.width);
  EXPECT_FLOAT_EQ(narrow.preview.height, 2000);
  EXPECT_FLOAT_EQ(narrow.source.width, 300);
  EXPECT_FLOAT_EQ(narrow.source.left, 200);
  EXPECT_FLOAT_EQ(narrow.source_label.left, 200);
}

TEST(MainLayoutTest, AboutStripMovesOnlyWhenThePanesWouldCoverIt) {
  struct Case {
    const char* name;
    float h;
    float shift;
  };
  const Case cases[] = {
      {"starting size", kH, 0},
      // Maximised on a screen 600 pixels high: the strip shows below the
      // panes at its own place.
      {"600 pixels high", 9000, 0},
      {"panes end at the gap", (6720 - 120 - 960) * 1.7f, 0},
      {"800 pixels high", 12000, 960 + 12000 / 1.7f + 120 - 6720},
  };
  for (const Case& c : cases) {
    const platform::PaneRects p = LayOutMain(19200, c.h, 19200, kInitialPanes);
    EXPECT_NEAR(p.about_strip_shift, c.shift, 0.01) << c.name;
    EXPECT_LE(p.source.top + p.source.height + 120,
              6720 + p.about_strip_shift + 0.01)
        << c.name;
  }
}

TEST(MainLayoutTest, SourceLeftMayBeNegativeInATinyWindow) {
  const platform::PaneRects p = LayOutMain(300, 300, 150, kInitialPanes);
  EXPECT_FLOAT_EQ(p.source.left, 150 - 100 - 100);
  EXPECT_FLOAT_EQ(p.source.width, 100);
  EXPECT_FLOAT_EQ(p.preview.width, 0);
}

}  // namespace
}  // namespace tovenrak::main_window
