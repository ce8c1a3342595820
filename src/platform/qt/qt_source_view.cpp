#include "platform/qt/qt_source_view.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPalette>
#include <QPlainTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

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
  emit TextReplacing();
  // Each text gets a document of its own: one that has held many cursors
  // (the review's marks of a large text) keeps room for them all, and Qt
  // walks that room at every change, so that loading a text into it took
  // minutes.
  QTextDocument* old = document();
  // The first, the editor's own, goes with setDocument; the later ones are
  // this view's.
  const bool ours = old->parent() == this;
  auto* fresh = new QTextDocument(this);
  fresh->setDocumentLayout(new QPlainTextDocumentLayout(fresh));
  fresh->setDefaultFont(old->defaultFont());
  fresh->setDefaultTextOption(old->defaultTextOption());
  fresh->setPlainText(QString::fromStdString(text));
  fresh->setModified(false);
  setDocument(fresh);
  if (ours) delete old;
}

std::string QtSourceView::Text() const {
  // toPlainText() gives a no-break space as a space and a line separator as
  // a line feed; the raw text keeps them, and separates lines by U+2029.
  QString text = document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  return text.toStdString();
}

bool QtSourceView::IsModified() const { return document()->isModified(); }

void QtSourceView::ShowStart() {
  moveCursor(QTextCursor::Start);
  horizontalScrollBar()->setValue(0);
  verticalScrollBar()->setValue(0);
}

void QtSourceView::PasteText(QClipboard::Mode mode) {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData(mode);
  if (!isReadOnly() && data != nullptr && data->hasText())
    insertPlainText(data->text());
}

// Qt's own paste reads an empty X11 clipboard's missing data: Ctrl+V or a
// middle click with nothing copied crashed the program.
void QtSourceView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste)) {
    PasteText();
    event->accept();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void QtSourceView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton &&
      QGuiApplication::clipboard()->supportsSelection()) {
    if (!isReadOnly()) {
      setTextCursor(cursorForPosition(event->position().toPoint()));
      PasteText(QClipboard::Selection);
    }
    event->accept();
    return;
  }
  QPlainTextEdit::mouseReleaseEvent(event);
}

std::pair<int, int> QtSourceView::ShownPositions(int margin) const {
  QTextBlock first = firstVisibleBlock();
  QTextBlock last = first;
  const QPointF offset = contentOffset();
  const int bottom = viewport()->height();
  for (QTextBlock block = first; block.isValid(); block = block.next()) {
    if (blockBoundingGeometry(block).translated(offset).top() > bottom) break;
    last = block;
  }
  for (int i = 0; i < margin && first.previous().isValid(); ++i)
    first = first.previous();
  for (int i = 0; i < margin && last.next().isValid(); ++i) last = last.next();
  return {first.position(), last.position() + last.length()};
}

}  // namespace tovenrak::platform::qt
