// The main window's status bar: two text panels.

#pragma once

#include <string>

namespace tovenrak::platform {

class StatusBar {
 public:
  // Panels are counted from 1.
  static constexpr int kBrowserPanel = 1;
  static constexpr int kEncodingPanel = 2;

  StatusBar() = default;
  StatusBar(const StatusBar&) = delete;
  StatusBar& operator=(const StatusBar&) = delete;
  virtual ~StatusBar() = default;

  // Shows `text` (UTF-8) in panel `panel`.
  virtual void SetPanelText(int panel, const std::string& text) = 0;
};

}  // namespace tovenrak::platform
