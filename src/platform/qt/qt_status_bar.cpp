#include "platform/qt/qt_status_bar.h"

#include <QLabel>

namespace tovenrak::platform::qt {

QtStatusBar::QtStatusBar(QWidget* parent) : QStatusBar(parent) {
  setObjectName("Status");
  setAccessibleName("状态栏");
  panels_[0] = new QLabel(this);
  panels_[0]->setAccessibleName("浏览器状态");
  panels_[1] = new QLabel(this);
  panels_[1]->setAccessibleName("编码状态");
  panels_[1]->setMinimumWidth(
      fontMetrics().horizontalAdvance(QStringLiteral("文件处于 Big5 码状态")) +
      16);
  panels_[2] = new QLabel(this);
  panels_[2]->setAccessibleName("编码检测");
  for (QLabel* panel : panels_) panel->setFrameShape(QFrame::StyledPanel);
  // The browser's status takes what the encoding panels leave.
  addWidget(panels_[0], 1);
  addPermanentWidget(panels_[1]);
  addPermanentWidget(panels_[2]);
}

void QtStatusBar::SetPanelText(int panel, const std::string& text) {
  if (panel < 1 || panel > 3) return;
  panels_[panel - 1]->setText(QString::fromStdString(text));
}

QString QtStatusBar::PanelText(int panel) const {
  return panel < 1 || panel > 3 ? QString() : panels_[panel - 1]->text();
}

}  // namespace tovenrak::platform::qt
