#include "platform/qt/qt_status_bar.h"

#include <QLabel>

#include "platform/qt/qt_window_texts.h"

namespace tovenrak::platform::qt {

QtStatusBar::QtStatusBar(QWidget* parent) : QStatusBar(parent) {
  setObjectName("Status");
  setAccessibleName(tr("状态栏"));
  // A panel's description says what it is; its name is what it shows.
  panels_[0] = new QLabel(this);
  panels_[0]->setAccessibleDescription(tr("浏览器状态"));
  panels_[1] = new QLabel(this);
  panels_[1]->setAccessibleDescription(tr("编码状态"));
  panels_[1]->setMinimumWidth(
      fontMetrics().horizontalAdvance(tr("文件处于 Big5 码状态")) + 16);
  panels_[2] = new QLabel(this);
  panels_[2]->setAccessibleDescription(tr("编码检测"));
  for (QLabel* panel : panels_) {
    // Names and the page's own link addresses are shown as written, never
    // read as markup.
    panel->setTextFormat(Qt::PlainText);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAccessibleName(panel->accessibleDescription());
  }
  // The browser's status takes what the encoding panels leave, and no more:
  // a long link address hovered would widen the window.
  panels_[0]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  addWidget(panels_[0], 1);
  addPermanentWidget(panels_[1]);
  addPermanentWidget(panels_[2]);
}

void QtStatusBar::SetPanelText(int panel, const std::string& text) {
  if (panel < 1 || panel > 3) return;
  QLabel* label = panels_[panel - 1];
  label->setText(WindowText(text));
  // Screen readers hear the text as it changes; an empty panel says what it
  // is for.
  label->setAccessibleName(text.empty() ? label->accessibleDescription()
                                        : label->text());
}

QString QtStatusBar::PanelText(int panel) const {
  return panel < 1 || panel > 3 ? QString() : panels_[panel - 1]->text();
}

}  // namespace tovenrak::platform::qt
