// A main-window listener that records each event, resizes aside, as a line
// of text.

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
  void OnResized(float, float, float) override {}
  void OnPreviewLoadStarted() override { events.push_back("load started"); }
  void OnPreviewLoadFinished(bool ok) override {
    events.push_back(ok ? "load finished" : "load failed");
  }
  void OnPreviewLinkHovered(const std::string& url) override {
    events.push_back("hover " + url);
  }

  std::vector<std::string> events;
};

}  // namespace tovenrak::testing
