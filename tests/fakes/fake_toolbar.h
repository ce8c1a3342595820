// A toolbar that holds each position's enabled and pressed state.

#pragma once

#include <array>

#include "platform/toolbar.h"

namespace tovenrak::fakes {

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

}  // namespace tovenrak::fakes
