// A main-window listener that records each event as a line of text.

#pragma once

#include <string>
#include <vector>

#include "platform/main_window_listener.h"

namespace tovenrak::testing {

struct RecordingListener : platform::MainWindowListener {
  void OnToolButton(int position) override {
    events.push_back("tool " + std::to_string(position));
  }
  void OnMenuOpen() override { events.push_back("open"); }
  void OnMenuClear() override { events.push_back("clear"); }
  void OnMenuBatch() override { events.push_back("batch"); }
  void OnMenuExit() override { events.push_back("exit"); }
  void OnMenuWebSite() override { events.push_back("web site"); }
  void OnMenuAbout() override { events.push_back("about"); }
  void OnSiteLinkClicked() override { events.push_back("site link"); }
  void OnResized(float w, float h, float c) override {
    outer_width = w;
    outer_height = h;
    client_width = c;
    ++resized;
  }
  void OnPreviewLoadStarted() override { events.push_back("load started"); }
  void OnPreviewLoadFinished(bool ok) override {
    events.push_back(ok ? "load finished" : "load failed");
  }
  void OnPreviewLinkHovered(const std::string& url) override {
    events.push_back("hover " + url);
  }

  std::vector<std::string> events;
  float outer_width = 0, outer_height = 0, client_width = 0;
  int resized = 0;
};

}  // namespace tovenrak::testing
