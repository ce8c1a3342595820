// The main window's toolbar: a button or an empty gap at each position.

#pragma once

#include <QToolBar>
#include <array>
#include <vector>

#include "platform/main_window_listener.h"
#include "platform/toolbar.h"

QT_BEGIN_NAMESPACE
class QAction;
QT_END_NAMESPACE

namespace tovenrak::platform::qt {

class QtToolbar : public QToolBar, public platform::Toolbar {
  Q_OBJECT

 public:
  explicit QtToolbar(QWidget* parent = nullptr);

  // Receives button clicks; may be null.
  void SetListener(platform::MainWindowListener* listener) {
    listener_ = listener;
  }

  void SetButtonEnabled(int position, bool enabled) override;
  void SetButtonPressed(int position, bool pressed) override;

  // The button or gap at `position` (1 to kToolbarPositions), or null.
  QWidget* PositionWidget(int position) const;
  QAction* ButtonAction(int position) const;

 private:
  void AddButton(int position, const char* caption, const char* tooltip,
                 const char* picture);
  void AddGap(int position);

  // Indexed by position; gaps have a widget and no action.
  std::array<QAction*, kToolbarPositions + 1> actions_{};
  std::array<QWidget*, kToolbarPositions + 1> widgets_{};
  // Settles the buttons toggled since the last turn of the event loop: when
  // no click triggered them, the one toggled on (or else off) was pressed
  // by other means, a screen reader's Toggle action.
  void SettleToggled();

  std::vector<int> toggled_;  // Positions, since the last SettleToggled.
  bool triggered_ = false;    // A click followed those toggles.
  bool setting_ = false;      // SetButtonPressed is at work.
  platform::MainWindowListener* listener_ = nullptr;
};

}  // namespace tovenrak::platform::qt
