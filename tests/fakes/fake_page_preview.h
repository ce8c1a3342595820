// A page preview that records what it was asked to do, in order.

#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/page_preview.h"

namespace tovenrak::fakes {

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

  std::vector<std::string> calls;  // "load <path>", "show", "hide"
  bool visible = true;
};

}  // namespace tovenrak::fakes
