// The main window's status bar: the browser's status, the encoding state and
// how the encoding was found.

#pragma once

#include <QStatusBar>

#include "platform/status_bar.h"

QT_BEGIN_NAMESPACE
class QLabel;
QT_END_NAMESPACE

namespace tovenrak::platform::qt {

class QtStatusBar : public QStatusBar, public platform::StatusBar {
  Q_OBJECT

 public:
  explicit QtStatusBar(QWidget* parent = nullptr);

  // Panels other than 1, 2 and 3 are ignored. The panel's accessible name
  // follows its text; its description names the panel.
  void SetPanelText(int panel, const std::string& text) override;

  QString PanelText(int panel) const;

 private:
  QLabel* panels_[3];
};

}  // namespace tovenrak::platform::qt
