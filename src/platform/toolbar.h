// The main window's toolbar: buttons addressed by their position.

#pragma once

namespace tovenrak::platform {

// Positions are counted from 1 to 8. Clicks are reported through
// MainWindowListener::OnToolButton; a disabled button reports nothing.
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
