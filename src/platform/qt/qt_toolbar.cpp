#include "platform/qt/qt_toolbar.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QTimer>
#include <algorithm>
#include <iterator>
#include <utility>

namespace tovenrak::platform::qt {

QtToolbar::QtToolbar(QWidget* parent) : QToolBar(parent) {
  setObjectName("Tool");
  setAccessibleName(tr("工具栏"));
  setMovable(false);
  setFloatable(false);
  setIconSize(QSize(16, 16));
  setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  // Small captions keep picture and caption within the toolbar's height.
  QFont captions = font();
  captions.setPointSizeF(8);
  setFont(captions);
  setContentsMargins(0, 0, 0, 0);
  setStyleSheet("QToolButton { padding: 0px 2px; }");

  struct Button {
    int position;
    const char* caption;
    const char* tooltip;
    const char* picture;
  };
  const Button buttons[] = {
      {kOpenButton, QT_TR_NOOP("打开"), QT_TR_NOOP("打开一个文件进行内码转换"),
       "open"},
      {kClearButton, QT_TR_NOOP("清除"), QT_TR_NOOP("清除当前文本"), "clear"},
      {kBatchButton, QT_TR_NOOP("批量"), QT_TR_NOOP("批量转换文件内码"),
       "batch"},
      {kGbButton, "GB", QT_TR_NOOP("将当前文件转换为 GB 码"), "gb"},
      {kBig5Button, "Big5", QT_TR_NOOP("将当前文件转换为 Big5 码"), "big5"},
  };
  // Every position without a button is a gap.
  for (int position = 1; position <= kToolbarPositions; ++position) {
    const Button* button =
        std::find_if(std::begin(buttons), std::end(buttons),
                     [&](const Button& b) { return b.position == position; });
    if (button == std::end(buttons)) {
      AddGap(position);
    } else {
      AddButton(position, button->caption, button->tooltip, button->picture);
    }
  }

  // GB and Big5 press each other out; Clear may release both.
  auto* encoding = new QActionGroup(this);
  encoding->setExclusionPolicy(
      QActionGroup::ExclusionPolicy::ExclusiveOptional);
  for (int position : {kGbButton, kBig5Button}) {
    actions_[position]->setCheckable(true);
    encoding->addAction(actions_[position]);
    // A screen reader's Toggle checks the button without a click: it is a
    // press all the same, or the button would show a conversion never made.
    // A click toggles it too, then triggers the action, at once.
    auto* button = qobject_cast<QAbstractButton*>(widgets_[position]);
    connect(button, &QAbstractButton::toggled, this, [this, position] {
      if (setting_) return;
      if (toggled_.empty())
        QTimer::singleShot(0, this, &QtToolbar::SettleToggled);
      toggled_.push_back(position);
    });
  }
}

void QtToolbar::SettleToggled() {
  const std::vector<int> toggled = std::exchange(toggled_, {});
  if (std::exchange(triggered_, false) || toggled.empty()) return;
  int pressed = toggled.front();
  for (const int position : toggled)
    if (actions_[position]->isChecked()) pressed = position;
  if (listener_) listener_->OnToolButton(pressed);
}

void QtToolbar::AddButton(int position, const char* caption,
                          const char* tooltip, const char* picture) {
  QAction* action = addAction(
      QIcon(QStringLiteral(":/pictures/%1.png").arg(picture)), tr(caption));
  action->setToolTip(tr(tooltip));
  connect(action, &QAction::triggered, this, [this, position] {
    if (!toggled_.empty()) triggered_ = true;
    if (listener_) listener_->OnToolButton(position);
  });
  QWidget* button = widgetForAction(action);
  button->setAccessibleName(tr(caption));
  button->setAccessibleDescription(tr(tooltip));
  button->setFocusPolicy(Qt::TabFocus);
  actions_[position] = action;
  widgets_[position] = button;
}

void QtToolbar::AddGap(int position) {
  auto* gap = new QWidget(this);
  gap->setFixedWidth(8);
  gap->setAccessibleName(tr("间隔"));
  addWidget(gap);
  widgets_[position] = gap;
}

void QtToolbar::SetButtonEnabled(int position, bool enabled) {
  if (QWidget* widget = PositionWidget(position)) {
    if (actions_[position]) {
      actions_[position]->setEnabled(enabled);
    } else {
      widget->setEnabled(enabled);
    }
  }
}

void QtToolbar::SetButtonPressed(int position, bool pressed) {
  if (QAction* action = ButtonAction(position);
      action && action->isCheckable()) {
    setting_ = true;
    action->setChecked(pressed);
    setting_ = false;
  }
}

QWidget* QtToolbar::PositionWidget(int position) const {
  return position >= 1 && position <= kToolbarPositions ? widgets_[position]
                                                        : nullptr;
}

QAction* QtToolbar::ButtonAction(int position) const {
  return position >= 1 && position <= kToolbarPositions ? actions_[position]
                                                        : nullptr;
}

}  // namespace tovenrak::platform::qt
