// The main window's parts as records: the frame's commands, toolbar, status
// bar, source view and page preview, and what it hands off to the desktop and
// the batch window.

#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/batch_launcher.h"
#include "platform/main_frame.h"
#include "platform/page_preview.h"
#include "platform/settings.h"
#include "platform/shell.h"
#include "platform/source_view.h"
#include "platform/status_bar.h"
#include "platform/toolbar.h"

namespace tovenrak::fakes {

struct FakeMainFrame : platform::MainFrame {
  void SetTitle(const std::string&) override {}
  void PlacePanes(const platform::PaneRects&) override {}
  void SetSiteLink(const std::string&, const std::string&) override {}
  void Maximize() override { ++maximized; }
  void Quit() override { ++quit; }
  void CheckVariant(int choice) override { checked_variant = choice; }
  using Job = std::pair<std::function<void()>, std::function<void()>>;
  // Kept in `aside` until RunLater(), as the window runs `done` only
  // between its events.
  void RunAside(std::function<void()> work,
                std::function<void()> done) override {
    aside.push_back({std::move(work), std::move(done)});
  }
  void RunLater() {
    std::vector<Job> jobs;
    jobs.swap(aside);
    for (auto& [work, done] : jobs) {
      work();
      done();
    }
  }

  std::vector<Job> aside;
  int maximized = 0;
  int quit = 0;
  int checked_variant = -1;
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
  void ShowStart() override {}

  // What the user would type: replaces the text and marks it modified.
  void Edit(const std::string& new_text) {
    text = new_text;
    modified = true;
  }

  std::string text;
  bool modified = false;
};

// Records its calls as "load <path>", "top", "show" and "hide", joined by
// ", ".
struct FakePagePreview : platform::PagePreview {
  void ShowFile(const std::filesystem::path& path,
                const std::filesystem::path& folder) override {
    Call("load " + path.string());
    this->folder = folder;
  }
  void StartAtTop() override { Call("top"); }
  void Show() override { Call("show"), visible = true; }
  void Hide() override { Call("hide"), visible = false; }
  void Call(const std::string& call) {
    calls += (calls.empty() ? "" : ", ") + call;
  }

  std::string calls;
  std::filesystem::path folder;  // Of the last file loaded.
  bool visible = true;
};

// Records each address as "<address> in <working folder>".
struct FakeShell : platform::Shell {
  bool OpenAddress(const std::string& address,
                   const std::filesystem::path& working_folder) override {
    opened.push_back(address + " in " + working_folder.string());
    return true;
  }
  std::vector<std::string> opened;
};

// Settings in memory.
struct FakeSettings : platform::Settings {
  std::string Value(const std::string& key) const override {
    auto value = values.find(key);
    return value == values.end() ? "" : value->second;
  }
  void SetValue(const std::string& key, const std::string& value) override {
    values[key] = value;
  }
  std::map<std::string, std::string> values;
};

struct FakeBatchLauncher : platform::BatchLauncher {
  void ShowBatchWindow() override { ++shown; }
  int shown = 0;
};

}  // namespace tovenrak::fakes
