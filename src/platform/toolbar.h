// The main window's toolbar: buttons addressed by their position.

#pragma once

namespace tovenrak::platform {

// The buttons' positions, counted from 1 to kToolbarPositions; the positions
// between them (3, 5 and 8) are empty gaps.
inline constexpr int kOpenButton = 1;
inline constexpr int kClearButton = 2;
inline constexpr int kBatchButton = 4;
inline constexpr int kGbButton = 6;
inline constexpr int kBig5Button = 7;
inline constexpr int kToolbarPositions = 8;

// Clicks are reported through MainWindowListener::OnToolButton; a disabled
// button reports nothing.
class Toolbar {
 public:
  Toolbar() = default;
  Toolbar(const Toolbar&) = delete;
  Toolbar& operator=(const Toolbar&) = delete;
  virtual ~Toolbar() = default;

  virtual void SetButtonEnabled(int position, bool enabled) = 0;

  // Shows a toggle button pressed or released. A gap or push button ignores
  // it.
  virtual void SetButtonPressed(int position, bool pressed) = 0;
};

}  // namespace tovenrak::platform
