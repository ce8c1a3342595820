// A source view that holds its text and lets a test play the user's edits.

#pragma once

#include <string>

#include "platform/source_view.h"

namespace tovenrak::fakes {

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

}  // namespace tovenrak::fakes
