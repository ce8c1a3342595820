// Where the main window's two panes and their headings go for a window size.

#pragma once

#include "platform/main_frame.h"

namespace tovenrak::main_window {

// The headings' fixed sizes, in twips.
inline constexpr float kPreviewLabelWidth = 1215;
inline constexpr float kSourceLabelWidth = 1935;
inline constexpr float kLabelHeight = 255;

// The least room between the panes and the about strip.
inline constexpr float kAboutStripGap = 120;

// The panes before the first layout: only the headings have a size.
inline constexpr platform::PaneRects kInitialPanes = {
    .preview = {},
    .preview_label = {0, 0, kPreviewLabelWidth, kLabelHeight},
    .source = {},
    .source_label = {0, 0, kSourceLabelWidth, kLabelHeight},
};

// Returns the places of the panes for a window of outer width `w` and outer
// height `h` (border, title bar and menu bar included) whose client area is
// `c` wide, all in twips. The source pane takes a third of the outer width at
// the right, 100 from the client area's edge; the preview takes the rest from
// 120 on, 260 away from it; both start at 960 and are h / 1.7 high; each
// heading sits directly above its pane. A width or height that would come out
// negative (a very narrow window) keeps its value from `previous`, and the
// places computed from it use that kept value.
//
// The about strip stays at its fixed places while the panes end above it, as
// they do up to an outer height of about 9580 twips; in a taller window (a
// maximised one on a large screen) it moves down to just below the panes,
// which would otherwise cover it.
platform::PaneRects LayOutMain(float w, float h, float c,
                               const platform::PaneRects& previous);

}  // namespace tovenrak::main_window
