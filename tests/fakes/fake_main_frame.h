// The main window's own parts as records: the frame (title, pane places,
// window commands), toolbar, status bar, source view and page preview.

#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/main_frame.h"
#include "platform/page_preview.h"
#include "platform/source_view.h"
#include "platform/status_bar.h"
#include "platform/toolbar.h"

namespace tovenrak::fakes {

struct FakeMainFrame : platform::MainFrame {
  void SetTitle(const std::string& text) override { title = text; }
  void PlacePanes(const platform::PaneRects& rects) override { panes = rects; }
  void SetSiteLink(const std::string& address, const std::string&) override {
    site_address = address;
  }
  void Maximize() override { ++maximized; }
  void Quit() override { ++quit; }

  std::string title;
  platform::PaneRects panes;
  std::string site_address;
  int maximized = 0;
  int quit = 0;
};

struct FakeToolbar : platform::Toolbar {
  void SetButtonEnabled(int position, bool on) override {
    enabled.at(position) = on;
  }
  void SetButtonPressed(int position, bool on) override {
    pressed.at(position) = on;
  }

  // Indexed by position, 1 to 8; a new toolbar is all disabled and released
  // so that a test sees what the window set.
  std::array<bool, 9> enabled{};
  std::array<bool, 9> pressed{};
};

struct FakeStatusBar : platform::StatusBar {
  void SetPanelText(int panel, const std::string& text) override {
    panels[panel] = text;
  }
  std::map<int, std::string> panels;
};

// Holds its text and lets a test play the user's edits.
struct FakeSourceView : platform::SourceView {
  void SetText(const std::string& new_text) override {
    text = new_text;
    modified = false;
  }
  std::string Text() const override { return text; }
  bool IsModified() const override { return modified; }

  // What the user would type: replaces the text and marks it modified.
  void Edit(const std::string& new_text) {
    text = new_text;
    modified = true;
  }

  std::string text;
  bool modified = false;
};

struct FakePagePreview : platform::PagePreview {
  void ShowFile(const std::filesystem::path& path) override {
    calls.push_back("load " + path.string());
  }
  void Show() override {
    calls.push_back("show");
    visible = true;
  }
  void Hide() override {
    calls.push_back("hide");
    visible = false;
  }

  std::vector<std::string> calls;  // "load <path>", "show", "hide", in order
  bool visible = true;
};

}  // namespace tovenrak::fakes
