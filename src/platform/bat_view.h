// The controls of the batch window, as its logic sees them.

#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tovenrak::platform {

class BatListener;

// Texts are UTF-8. Nothing here reports back to the listener: only the user's
// own actions do.
class BatView {
 public:
  BatView() = default;
  BatView(const BatView&) = delete;
  BatView& operator=(const BatView&) = delete;
  virtual ~BatView() = default;

  // `listener` hears of the user's actions from now on; null stops that.
  virtual void SetListener(BatListener* listener) = 0;

  // `BeFore`, the visible file list (full paths), unsorted.
  virtual void AppendToBeFore(const std::string& path) = 0;
  // Removes the entry at `index` and leaves the list without a selection.
  virtual void RemoveFromBeFore(int index) = 0;
  // The selected entry, or -1 when none is.
  virtual int BeForeSelection() const = 0;
  // The entry at the point (`x`, `y`), in pixels from the list's top left
  // corner, by the list's own hit test; -1 when the point lies on no entry.
  virtual int BeForeIndexAt(int x, int y) const = 0;
  virtual void SetBeForeToolTip(const std::string& text) = 0;

  // The Remove button.
  virtual void EnableNDel(bool enabled) = 0;

  // `ToText`, the target folder box, which the user may also type into.
  virtual std::string ToText() const = 0;
  virtual void SetToText(const std::string& text) = 0;

  // `Drive1`, the volume list: the mount points to choose from, and which one
  // is shown (-1 for none).
  virtual void FillDrive1(const std::vector<std::string>& volumes) = 0;
  virtual void SetDrive1(int index) = 0;
  virtual int Drive1() const = 0;

  // `Dir1`, the folder list: shows the folders of the volume mounted at
  // `volume` with `folder` current. Returns false, keeping what it showed,
  // when `folder` cannot be read.
  virtual bool SetDir1(const std::filesystem::path& volume,
                       const std::filesystem::path& folder) = 0;
  virtual std::filesystem::path Dir1() const = 0;

  // The target list: 0 for "自动 (GB ⇄ Big5)", else 1 + the index of the
  // chosen entry in platform::kTargetChoices.
  virtual int TargetChoice() const = 0;
  virtual void SetTargetChoice(int choice) = 0;

  // `Pro`, the progress bar, 0 to 100. A new value is painted at once, also
  // while the caller keeps the user-interface thread busy.
  virtual void ShowPro(bool visible) = 0;
  virtual void SetPro(int percent) = 0;

  // While a run goes on (`running`), every control but Close is disabled,
  // Close reads "停止" and takes no focus, and SetPro also takes the user's
  // actions meanwhile: Close, Esc and the window's own close button tell
  // the listener OnNQuit and close nothing, Close then reading "正在停止……"
  // until the run ends.
  virtual void SetRunning(bool running) = 0;

  // Closes the window.
  virtual void Close() = 0;
};

}  // namespace tovenrak::platform
