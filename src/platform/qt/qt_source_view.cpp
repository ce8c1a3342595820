#include "platform/qt/qt_source_view.h"

#include <QPalette>

namespace tovenrak::platform::qt {

QtSourceView::QtSourceView(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName("OriText");
  setAccessibleName(tr("源文件"));
  QPalette light_yellow = palette();
  light_yellow.setColor(QPalette::Base, QColor(255, 255, 192));
  setPalette(light_yellow);
  // Tab walks the window's keyboard order: source view, toolbar, preview.
  setTabChangesFocus(true);
}

void QtSourceView::SetText(const std::string& text) {
  setPlainText(QString::fromStdString(text));
  document()->setModified(false);
}

std::string QtSourceView::Text() const { return toPlainText().toStdString(); }

bool QtSourceView::IsModified() const { return document()->isModified(); }

}  // namespace tovenrak::platform::qt
