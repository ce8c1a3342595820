// A batch window view that keeps the controls' state in public fields.

#pragma once

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/bat_listener.h"
#include "platform/bat_view.h"

namespace tovenrak::fakes {

struct FakeBatView : platform::BatView {
  void SetListener(platform::BatListener* l) override { listener = l; }

  void AppendToBeFore(const std::string& path) override {
    be_fore.push_back(path);
  }
  void RemoveFromBeFore(int index) override {
    be_fore.erase(be_fore.begin() + index);
    be_fore_selection = -1;
  }
  int BeForeSelection() const override { return be_fore_selection; }
  int BeForeIndexAt(int, int) const override { return -1; }
  void SetBeForeToolTip(const std::string&) override {}
  void EnableNDel(bool enabled) override { n_del_enabled = enabled; }
  std::string ToText() const override { return to_text; }
  void SetToText(const std::string& text) override { to_text = text; }
  void FillDrive1(const std::vector<std::string>&) override {}
  void SetDrive1(int index) override { drive1 = index; }
  int Drive1() const override { return drive1; }
  bool SetDir1(const std::filesystem::path& volume,
               const std::filesystem::path& folder) override {
    if (unreadable.count(folder)) return false;
    dir1_volume = volume;
    dir1 = folder;
    return true;
  }
  std::filesystem::path Dir1() const override { return dir1; }
  void ShowPro(bool visible) override { pro_visible = visible; }
  // The user's action taken while the bar is painted, if any.
  void SetPro(int percent) override {
    pro_values.push_back(percent);
    if (while_painted) while_painted();
  }
  void SetRunning(bool on) override { running.push_back(on); }
  void Close() override { closed = true; }
  int TargetChoice() const override { return target_choice; }
  void SetTargetChoice(int choice) override { target_choice = choice; }

  platform::BatListener* listener = nullptr;
  std::vector<std::string> be_fore;
  int be_fore_selection = -1;
  bool n_del_enabled = true;  // Load must disable it.
  std::string to_text = "Text1";
  int drive1 = -2;
  std::filesystem::path dir1_volume;
  std::filesystem::path dir1;
  std::set<std::filesystem::path> unreadable;  // SetDir1 fails for these.
  std::function<void()> while_painted;
  std::vector<bool> running;  // SetRunning's calls.
  bool pro_visible = true;    // Load must hide it.
  std::vector<int> pro_values;
  bool closed = false;
  int target_choice = -1;  // Load must choose the automatic entry.
};

}  // namespace tovenrak::fakes
