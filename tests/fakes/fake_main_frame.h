// A main window frame that records its title, pane places and window
// commands.

#pragma once

#include <string>

#include "platform/main_frame.h"

namespace tovenrak::fakes {

struct FakeMainFrame : platform::MainFrame {
  void SetTitle(const std::string& text) override { title = text; }
  void PlacePanes(const platform::PaneRects& rects) override {
    panes = rects;
    ++placed;
  }
  void SetSiteLink(const std::string& address, const std::string&) override {
    site_address = address;
  }
  void Maximize() override { ++maximized; }
  void Quit() override { ++quit; }

  std::string title;
  platform::PaneRects panes;
  int placed = 0;
  std::string site_address;
  int maximized = 0;
  int quit = 0;
};

}  // namespace tovenrak::fakes
