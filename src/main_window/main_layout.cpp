#include "main_window/main_layout.h"

#include <algorithm>

namespace tovenrak::main_window {

namespace {

// A size the window system refuses leaves the control as it was.
void SetSize(float& property, float value) {
  if (value >= 0) property = value;
}

}  // namespace

platform::PaneRects LayOutMain(float w, float h, float c,
                               const platform::PaneRects& previous) {
  platform::PaneRects p = previous;
  SetSize(p.source.width, w / 3);
  SetSize(p.source.height, h / 1.7f);
  p.source.left = c - p.source.width - 100;
  p.source.top = 960;
  p.source_label.left = p.source.left;
  p.source_label.top = p.source.top - p.source_label.height;

  SetSize(p.preview.width, c - p.source.width - 480);
  SetSize(p.preview.height, h / 1.7f);
  p.preview.left = 120;
  p.preview.top = 960;
  p.preview_label.left = p.preview.left;
  p.preview_label.top = p.preview.top - p.preview_label.height;

  const float panes_bottom = std::max(p.source.top + p.source.height,
                                      p.preview.top + p.preview.height);
  p.about_strip_shift =
      std::max(0.0f, panes_bottom + kAboutStripGap - platform::kAboutStripTop);
  return p;
}

}  // namespace tovenrak::main_window
