// A message box that records what it was asked to show.

#pragma once

#include <string>
#include <vector>

#include "platform/message_box.h"

namespace tovenrak::fakes {

struct FakeMessageBox : platform::MessageBox {
  struct Shown {
    std::string text;
    platform::MessageIcon icon;
    std::string title;
  };
  void Show(const std::string& text, platform::MessageIcon icon,
            const std::string& title) override {
    shown.push_back({text, icon, title});
  }
  std::vector<Shown> shown;
};

}  // namespace tovenrak::fakes
