// The batch window as a Qt dialog: builds its controls and forwards the
// user's actions to the listener.

#pragma once

#include <QDialog>
#include <QPersistentModelIndex>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/bat_view.h"

QT_BEGIN_NAMESPACE
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTreeView;
QT_END_NAMESPACE

namespace tovenrak::platform::qt {

// A fixed-size dialog laid out in twips at the screen's logical resolution.
// Each control's object name is its name in the batch window (BeFore, NAdd,
// NDel, NGo, NQuit, ToText, Drive1, Dir1, Pro, Label2, Label4, and the target
// list Target with its label LTarget). Files and folders dropped on BeFore
// are reported to the listener.
class QtBatView : public QDialog, public BatView {
  Q_OBJECT

 public:
  explicit QtBatView(QWidget* parent = nullptr);

  void SetListener(BatListener* listener) override;
  void AppendToBeFore(const std::string& path) override;
  void RemoveFromBeFore(int index) override;
  int BeForeSelection() const override;
  // (`x`, `y`) are in the coordinates of the list's viewport, in which its
  // mouse moves are reported.
  int BeForeIndexAt(int x, int y) const override;
  void SetBeForeToolTip(const std::string& text) override;
  void EnableNDel(bool enabled) override;
  std::string ToText() const override;
  void SetToText(const std::string& text) override;
  void FillDrive1(const std::vector<std::string>& volumes) override;
  void SetDrive1(int index) override;
  int Drive1() const override;
  bool SetDir1(const std::filesystem::path& volume,
               const std::filesystem::path& folder) override;
  std::filesystem::path Dir1() const override;
  int TargetChoice() const override;
  void SetTargetChoice(int choice) override;
  void ShowPro(bool visible) override;
  void SetPro(int percent) override;
  void SetRunning(bool running) override;
  void Close() override;
  // Esc and the window's close button: while a run goes on, they ask it to
  // stop.
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void CreateControls();
  void PlaceControls();
  void ConnectControls();
  QRect Twips(int left, int top, int width, int height) const;
  void HideOtherVolumes(int first, int last);
  // Scrolls Dir1 so that the current folder's row and name are in view.
  void ShowCurrentFolder();
  // Takes a drag of local files over BeFore and reports the drop; true when
  // `event` was such a drag.
  bool TakeFileDrop(QEvent* event);

  BatListener* listener_ = nullptr;
  bool running_ = false;
  // The controls a run disables, and whether each was enabled before.
  std::vector<std::pair<QWidget*, bool>> held_;
  // Set while the program itself changes Drive1 or Dir1, which the listener
  // must not hear of as the user's choice.
  bool setting_ = false;
  std::filesystem::path dir1_folder_;
  bool dir1_scroll_pending_ = false;
  QPersistentModelIndex dir1_volume_;

  QLabel* label4_ = nullptr;
  QListWidget* be_fore_ = nullptr;
  QPushButton* n_add_ = nullptr;
  QPushButton* n_del_ = nullptr;
  QPushButton* n_go_ = nullptr;
  QPushButton* n_quit_ = nullptr;
  QLabel* label2_ = nullptr;
  QLineEdit* to_text_ = nullptr;
  QComboBox* drive1_ = nullptr;
  QTreeView* dir1_ = nullptr;
  QFileSystemModel* dir1_model_ = nullptr;
  QProgressBar* pro_ = nullptr;
  QCheckBox* review_list_ = nullptr;
  QLabel* target_label_ = nullptr;
  QComboBox* target_ = nullptr;
};

}  // namespace tovenrak::platform::qt
