// The main window's frame: title, pane geometry, maximising and ending the
// program.

#pragma once

#include <functional>
#include <string>

namespace tovenrak::platform {

// A control's place in twips (1/1440 inch) from the top left of the window's
// client area, under the menu bar.
struct TwipsRect {
  float left = 0;
  float top = 0;
  float width = 0;
  float height = 0;
};

// The top of the about strip (its upper separator line) at its fixed place.
inline constexpr float kAboutStripTop = 6720;

// The two panes and their headings, and how far the about strip below them
// moves down from its fixed places so that the panes never cover it.
struct PaneRects {
  TwipsRect preview;
  TwipsRect preview_label;
  TwipsRect source;
  TwipsRect source_label;
  float about_strip_shift = 0;
};

class MainFrame {
 public:
  MainFrame() = default;
  MainFrame(const MainFrame&) = delete;
  MainFrame& operator=(const MainFrame&) = delete;
  virtual ~MainFrame() = default;

  // Shows `title` (UTF-8) in the window's title bar.
  virtual void SetTitle(const std::string& title) = 0;

  // Places the panes and their headings, and moves the about strip.
  // REQUIRES: no width or height is negative.
  virtual void PlacePanes(const PaneRects& rects) = 0;

  // Shows the about strip's site link with caption `address` and tooltip
  // `tooltip` (UTF-8).
  virtual void SetSiteLink(const std::string& address,
                           const std::string& tooltip) = 0;

  // Maximises the window; a maximised window stays as it is.
  virtual void Maximize() = 0;

  // Ends the program without a question.
  virtual void Quit() = 0;

  // Shows the variant at `choice` in platform::kVariantChoices as the one
  // chosen in the convert menu.
  virtual void CheckVariant(int choice) = 0;

  // Runs `work` on a thread of its own, then `done` on the window's thread
  // once it has finished, between the window's events; `done` not at all if
  // the window goes first, which waits for work still running. Work runs
  // one at a time, in order. `work` must touch nothing the window's thread
  // may change meanwhile.
  virtual void RunAside(std::function<void()> work,
                        std::function<void()> done) = 0;
};

}  // namespace tovenrak::platform
