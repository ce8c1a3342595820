// What the user does in the batch window, reported to its logic.

#pragma once

#include <filesystem>
#include <vector>

namespace tovenrak::platform {

class BatListener {
 public:
  BatListener() = default;
  BatListener(const BatListener&) = delete;
  BatListener& operator=(const BatListener&) = delete;
  virtual ~BatListener() = default;

  // The user picked another volume in `Drive1`.
  virtual void OnDrive1Changed() = 0;
  // The user made another folder current in `Dir1`.
  virtual void OnDir1Changed() = 0;
  // The buttons Add, Remove, Start and Close.
  virtual void OnNAdd() = 0;
  // The list's command 加入文件夹: a folder chosen in a dialog, listed as
  // a folder dropped is, for those who drop nothing (the keyboard's users).
  virtual void OnNAddFolder() = 0;
  virtual void OnNDel() = 0;
  virtual void OnNGo() = 0;
  virtual void OnNQuit() = 0;
  // `BeFore` was clicked, or its selection moved.
  virtual void OnBeForeClicked() = 0;
  // The pointer moved over `BeFore` to (`x`, `y`), in pixels from its top
  // left corner; `button_held` when any mouse button is down.
  virtual void OnBeForeMouseMove(bool button_held, int x, int y) = 0;
  // The check box 写出疑点清单 was turned on or off.
  virtual void OnReviewListToggled(bool on) = 0;
  // Files or folders were dropped on `BeFore`, in the order given.
  virtual void OnBeForeDropped(
      const std::vector<std::filesystem::path>& paths) = 0;
};

}  // namespace tovenrak::platform
