// The review's controls as a record of the marks, the selection and the
// count shown.

#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/review_view.h"
#include "support/text.h"

namespace tovenrak::fakes {

struct FakeReviewView : platform::ReviewView {
  void SetListener(platform::ReviewListener*) override {}
  void ShowMarks(const std::vector<platform::ReviewMark>& shown) override {
    marks = shown;
    for (platform::ReviewMark& mark : marks)
      mark.text = testing::WithoutIsolates(mark.text);
    selected = -1;
    gone.clear();
    written_now.clear();
  }
  bool SelectMark(int index) override {
    if (gone.contains(index)) return false;
    selected = index;
    return true;
  }
  // Replaces unless the text was deleted or replaced by other text.
  bool ReplaceMark(int index, const std::string& written,
                   const std::string& with, const std::string& text) override {
    if (gone.contains(index) ||
        (written_now.contains(index) && written_now[index] != written))
      return false;
    written_now[index] = with;
    marks.at(static_cast<size_t>(index)).text = testing::WithoutIsolates(text);
    return true;
  }
  size_t MarksStanding() const override { return marks.size() - gone.size(); }
  void ShowCount(const std::string& text) override { count = text; }

  std::vector<platform::ReviewMark> marks;
  int selected = -1;
  std::string count;
  std::set<int> gone;                      // Marks whose text edits deleted.
  std::map<int, std::string> written_now;  // Marks replaced, and by what.
};

}  // namespace tovenrak::fakes
