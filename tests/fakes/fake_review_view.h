// The review's controls as a record of the marks, the selection and the
// count shown.

#pragma once

#include <string>
#include <vector>

#include "platform/review_view.h"

namespace tovenrak::fakes {

struct FakeReviewView : platform::ReviewView {
  void SetListener(platform::ReviewListener*) override {}
  void ShowMarks(const std::vector<platform::ReviewMark>& shown) override {
    marks = shown;
    selected = -1;
  }
  void SelectMark(int index) override { selected = index; }
  void ShowCount(const std::string& text) override { count = text; }

  std::vector<platform::ReviewMark> marks;
  int selected = -1;
  std::string count;
};

}  // namespace tovenrak::fakes
