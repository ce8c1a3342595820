// What the user does to review the doubtful places, reported to the logic.

#pragma once

namespace tovenrak::platform {

class ReviewListener {
 public:
  ReviewListener() = default;
  ReviewListener(const ReviewListener&) = delete;
  ReviewListener& operator=(const ReviewListener&) = delete;
  virtual ~ReviewListener() = default;

  // The commands 下一个疑点 and 上一个疑点.
  virtual void OnNextPoint() = 0;
  virtual void OnPreviousPoint() = 0;

  // Alternative `alternative` of mark `mark` (both counted from 0 in the
  // marks last shown) was chosen.
  virtual void OnPointChosen(int mark, int alternative) = 0;

  // The command that saves the converted document as it is shown now.
  virtual void OnSaveConverted() = 0;

  // The source view's text changed, by typing or by a program.
  virtual void OnTextEdited() = 0;
};

}  // namespace tovenrak::platform
