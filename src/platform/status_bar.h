// The main window's status bar: three text panels.

#pragma once

#include <string>

namespace tovenrak::platform {

class StatusBar {
 public:
  // Panels are counted from 1.
  static constexpr int kBrowserPanel = 1;
  static constexpr int kEncodingPanel = 2;
  // Which encoding the open document was read in, and why.
  static constexpr int kDetectionPanel = 3;

  StatusBar() = default;
  StatusBar(const StatusBar&) = delete;
  StatusBar& operator=(const StatusBar&) = delete;
  virtual ~StatusBar() = default;

  // Shows `text` (UTF-8) in panel `panel`.
  virtual void SetPanelText(int panel, const std::string& text) = 0;
};

}  // namespace tovenrak::platform
