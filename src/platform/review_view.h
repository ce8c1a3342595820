// The review's controls: the doubtful places marked in the source view, and
// the status bar panel that counts them.

#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tovenrak::platform {

class ReviewListener;

// A doubtful place in the source view's text: where it starts (1-based line
// and column in code points, a line ending after a line feed, or after a
// carriage return not followed by one), how many code points it spans, what
// a screen reader and the tooltip read for it, and the characters the user
// may choose instead (UTF-8).
struct ReviewMark {
  size_t line = 1;
  size_t column = 1;
  size_t length = 1;
  std::string text;
  std::vector<std::string> alternatives;
};

class ReviewView {
 public:
  ReviewView() = default;
  ReviewView(const ReviewView&) = delete;
  ReviewView& operator=(const ReviewView&) = delete;
  virtual ~ReviewView() = default;

  // `listener` hears of the user's review commands from now on; may be null.
  virtual void SetListener(ReviewListener* listener) = 0;

  // Underlines `marks` in the source view's text as it is now, replacing the
  // marks shown before; none clears them. Hovering a mark shows its text,
  // and its context menu offers its alternatives.
  virtual void ShowMarks(const std::vector<ReviewMark>& marks) = 0;

  // Moves the cursor to mark `index` (counted from 0 in the last ShowMarks),
  // selects it and makes its text what a screen reader reads, and returns
  // true; returns false, doing nothing, when edits deleted the mark's text.
  virtual bool SelectMark(int index) = 0;

  // Writes `with` in place of mark `index`'s text, which the mark then
  // spans with `text` as its text, when that text is still `written` (edits
  // may have changed it), and returns whether it did. It is an edit of the
  // source view's text, as one typed, which Undo takes back.
  virtual bool ReplaceMark(int index, const std::string& written,
                           const std::string& with,
                           const std::string& text) = 0;

  // How many marks of the last ShowMarks still have text: edits delete some.
  virtual size_t MarksStanding() const = 0;

  // Shows `text` (UTF-8) in the count panel; empty hides what it showed.
  virtual void ShowCount(const std::string& text) = 0;
};

}  // namespace tovenrak::platform
