#include "platform/qt/qt_status_bar.h"

#include <QLabel>
#include <QResizeEvent>

#include "platform/qt/qt_window_texts.h"

namespace tovenrak::platform::qt {

namespace {

// A panel that asks for its whole text's width but shrinks below it, its
// text then cut short in the middle with "…" (a note begins with the
// encoding and ends with its warning: 与内容不符, 请核对) and shown whole
// in its tooltip: a long note must not widen the window, nor push the other
// panels out.
class ElidedPanel : public QLabel {
 public:
  explicit ElidedPanel(QWidget* parent) : QLabel(parent) {}

  void SetWholeText(const QString& text) {
    whole_ = text;
    Elide();
    updateGeometry();
  }
  const QString& WholeText() const { return whole_; }

  QSize sizeHint() const override {
    const QSize shown = QLabel::sizeHint();
    return {shown.width() - fontMetrics().horizontalAdvance(text()) +
                fontMetrics().horizontalAdvance(whole_),
            shown.height()};
  }
  QSize minimumSizeHint() const override {
    return {fontMetrics().horizontalAdvance(QStringLiteral("编码…")),
            QLabel::minimumSizeHint().height()};
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QLabel::resizeEvent(event);
    Elide();
  }

 private:
  void Elide() {
    const QString shown = fontMetrics().elidedText(
        whole_, Qt::ElideMiddle, contentsRect().width() - 2 * margin() - 2);
    setToolTip(shown == whole_ ? QString() : whole_);
    if (shown != text()) setText(shown);
  }

  QString whole_;
};

}  // namespace

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
  panels_[2] = new ElidedPanel(this);
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
  panels_[0]->setMinimumWidth(fontMetrics().horizontalAdvance(tr("完成")) * 3);
  addWidget(panels_[0], 1);
  addPermanentWidget(panels_[1]);
  addPermanentWidget(panels_[2]);
}

void QtStatusBar::SetPanelText(int panel, const std::string& text) {
  if (panel < 1 || panel > 3) return;
  QLabel* label = panels_[panel - 1];
  const QString shown = WindowText(text);
  if (panel == 3) {
    static_cast<ElidedPanel*>(label)->SetWholeText(shown);
  } else {
    label->setText(shown);
  }
  // Screen readers hear the whole text as it changes; an empty panel says
  // what it is for.
  label->setAccessibleName(text.empty() ? label->accessibleDescription()
                                        : shown);
}

QString QtStatusBar::PanelText(int panel) const {
  if (panel < 1 || panel > 3) return {};
  return panel == 3 ? static_cast<ElidedPanel*>(panels_[2])->WholeText()
                    : panels_[panel - 1]->text();
}

}  // namespace tovenrak::platform::qt
