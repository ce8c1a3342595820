// A status bar that holds its panels' texts.

#pragma once

#include <map>
#include <string>

#include "platform/status_bar.h"

namespace tovenrak::fakes {

struct FakeStatusBar : platform::StatusBar {
  void SetPanelText(int panel, const std::string& text) override {
    panels[panel] = text;
  }
  std::map<int, std::string> panels;
};

}  // namespace tovenrak::fakes
