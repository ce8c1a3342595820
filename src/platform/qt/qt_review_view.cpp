#include "platform/qt/qt_review_view.h"

#include <QAccessible>
#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolTip>
#include <algorithm>

#include "platform/qt/qt_main_window.h"
#include "platform/qt/qt_source_view.h"
#include "platform/qt/qt_status_bar.h"
#include "platform/qt/qt_window_texts.h"
#include "platform/review_listener.h"

namespace tovenrak::platform::qt {

namespace {

// The UTF-16 offset of code point `column` (from 0) in `text`.
int Utf16Offset(const QString& text, size_t column) {
  int offset = 0;
  for (size_t c = 0; c < column && offset < text.size(); ++c)
    offset += text.at(offset).isHighSurrogate() ? 2 : 1;
  return offset;
}

}  // namespace

QtReviewView::QtReviewView(QtMainWindow& window)
    : QObject(&window), source_view_(window.source_view()) {
  count_ = new QLabel(&window.status());
  count_->setObjectName("ReviewCount");
  count_->setTextFormat(Qt::PlainText);
  count_->setAccessibleName(tr("疑点数"));
  count_->setFrameShape(QFrame::StyledPanel);
  count_->hide();
  window.status().addPermanentWidget(count_);
  CreateMenu(window);
  source_view_.installEventFilter(this);
  source_view_.viewport()->installEventFilter(this);
  connect(&source_view_, &QPlainTextEdit::cursorPositionChanged, this,
          &QtReviewView::DescribeCursor);
  // The view's signal, as the view gets a new document for each text.
  connect(&source_view_, &QPlainTextEdit::textChanged, this, [this] {
    if (listener_ && !marking_) listener_->OnTextEdited();
  });
  // A mark is a cursor, which the document moves at each of its changes:
  // the marks of a large text would make loading the next one quadratic.
  connect(&source_view_, &QtSourceView::TextReplacing, this, [this] {
    marks_.clear();
    source_view_.setExtraSelections({});
    underlined_ = {0, -1};
  });
  // Scrolling, resizing and editing all ask for a repaint first.
  connect(&source_view_, &QPlainTextEdit::updateRequest, this,
          &QtReviewView::UnderlineShown);
}

void QtReviewView::CreateMenu(QtMainWindow& window) {
  QMenu* menu = window.menuBar()->addMenu(tr("审阅(&R)"));
  menu->setObjectName("mnuReview");
  menu->setAccessibleName(tr("审阅"));
  auto add = [&](const char* name, const QString& caption,
                 const QKeySequence& shortcut,
                 void (platform::ReviewListener::*command)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    window.KeepShortcut(action);
    connect(action, &QAction::triggered, this, [this, command] {
      if (listener_) (listener_->*command)();
    });
  };
  add("mnuNextPoint", tr("下一个疑点(&N)"), QKeySequence(Qt::Key_F8),
      &platform::ReviewListener::OnNextPoint);
  add("mnuPreviousPoint", tr("上一个疑点(&P)"),
      QKeySequence(Qt::SHIFT | Qt::Key_F8),
      &platform::ReviewListener::OnPreviousPoint);
  menu->addSeparator();
  add("mnuSave", tr("保存(&S)..."), QKeySequence(Qt::CTRL | Qt::Key_S),
      &platform::ReviewListener::OnSaveConverted);
}

void QtReviewView::SetListener(platform::ReviewListener* listener) {
  listener_ = listener;
}

void QtReviewView::ShowMarks(const std::vector<platform::ReviewMark>& marks) {
  marks_.clear();
  QTextDocument* document = source_view_.document();
  // Inside an edit block a cursor moved does not lay out its line to find
  // its place on screen; nothing is edited.
  QTextCursor batch(document);
  // Ending the block tells of a change, though nothing is edited.
  marking_ = true;
  batch.beginEditBlock();
  for (const platform::ReviewMark& mark : marks) {
    const QTextBlock block =
        document->findBlockByNumber(static_cast<int>(mark.line) - 1);
    if (!block.isValid()) continue;
    const QString text = block.text();
    const int start = Utf16Offset(text, mark.column - 1);
    const int end = start + Utf16Offset(text.mid(start), mark.length);
    QTextCursor cursor(document);
    cursor.setPosition(block.position() + start);
    cursor.setPosition(block.position() + end, QTextCursor::KeepAnchor);
    Shown shown{cursor, WindowText(mark.text), {}};
    for (const std::string& alternative : mark.alternatives)
      shown.alternatives.push_back(QString::fromStdString(alternative));
    marks_.push_back(std::move(shown));
  }
  batch.endEditBlock();
  marking_ = false;
  underlined_ = {0, -1};
  UnderlineShown();
  DescribeCursor();
}

void QtReviewView::UnderlineShown() {
  // A screenful of blocks either side, so that a short scroll shows its
  // marks at once; every block in that range is a line of the document.
  const int screen =
      std::max(1, source_view_.viewport()->height() /
                      std::max(1, source_view_.fontMetrics().lineSpacing()));
  const std::pair<int, int> shown = source_view_.ShownPositions(screen);
  if (shown == underlined_) return;
  underlined_ = shown;
  QList<QTextEdit::ExtraSelection> selections;
  for (const Shown& mark : marks_) {
    if (mark.cursor.selectionEnd() < shown.first ||
        mark.cursor.selectionStart() > shown.second)
      continue;
    QTextEdit::ExtraSelection selection;
    selection.cursor = mark.cursor;
    selection.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    selection.format.setUnderlineColor(QColor(208, 0, 0));
    selection.format.setToolTip(mark.text);
    selections.append(selection);
  }
  source_view_.setExtraSelections(selections);
}

bool QtReviewView::SelectMark(int index) {
  if (index < 0 || index >= static_cast<int>(marks_.size()) ||
      !marks_[index].cursor.hasSelection())
    return false;
  source_view_.setTextCursor(marks_[index].cursor);
  source_view_.ensureCursorVisible();
  source_view_.setFocus(Qt::ShortcutFocusReason);
  DescribeCursor();
  const QRect place = source_view_.cursorRect();
  QToolTip::showText(source_view_.viewport()->mapToGlobal(place.bottomLeft()),
                     marks_[index].text, source_view_.viewport());
  return true;
}

bool QtReviewView::ReplaceMark(int index, const std::string& written,
                               const std::string& with,
                               const std::string& text) {
  if (index < 0 || index >= static_cast<int>(marks_.size())) return false;
  QTextCursor& cursor = marks_[index].cursor;
  if (!cursor.hasSelection() ||
      cursor.selectedText() != QString::fromStdString(written))
    return false;
  const int start = cursor.selectionStart();
  const QString replacement = QString::fromStdString(with);
  cursor.insertText(replacement);
  cursor.setPosition(start);
  cursor.setPosition(start + static_cast<int>(replacement.size()),
                     QTextCursor::KeepAnchor);
  marks_[index].text = WindowText(text);
  underlined_ = {0, -1};
  UnderlineShown();
  return true;
}

size_t QtReviewView::MarksStanding() const {
  return static_cast<size_t>(std::count_if(
      marks_.begin(), marks_.end(),
      [](const Shown& mark) { return mark.cursor.hasSelection(); }));
}

void QtReviewView::ShowCount(const std::string& text) {
  count_->setText(WindowText(text));
  // Screen readers hear the count itself, as the status panels' texts.
  count_->setAccessibleName(text.empty() ? tr("疑点数") : count_->text());
  count_->setVisible(!text.empty());
}

int QtReviewView::MarkAt(int position) const {
  for (size_t m = 0; m < marks_.size(); ++m) {
    const QTextCursor& cursor = marks_[m].cursor;
    if (position >= cursor.selectionStart() &&
        position <= cursor.selectionEnd() && cursor.hasSelection())
      return static_cast<int>(m);
  }
  return -1;
}

QString QtReviewView::MarkTextAt(int position) const {
  const int mark = MarkAt(position);
  return mark < 0 ? QString() : marks_[mark].text;
}

QMenu* QtReviewView::CreateChoiceMenu(int mark, QWidget* parent) const {
  if (mark < 0 || mark >= static_cast<int>(marks_.size())) return nullptr;
  auto* menu = new QMenu(parent);
  menu->setObjectName("mnuChoices");
  menu->setAccessibleName(marks_[mark].text);
  const QTextCursor& cursor = marks_[mark].cursor;
  const QString written = cursor.selectedText();
  // The word around the place, with each alternative in it: speech reads
  // 幹, 乾 and 干 alike, 乾了 and 幹了 not. Up to two letters a side, in its
  // line, up to punctuation or markup.
  const QString line = cursor.block().text();
  const int start = cursor.selectionStart() - cursor.block().position();
  const int end = cursor.selectionEnd() - cursor.block().position();
  int from = start, to = end;
  while (from > 0 && start - from < 2 && line[from - 1].isLetter()) --from;
  while (to < line.size() && to - end < 2 && line[to].isLetter()) ++to;
  const QString before = line.mid(from, start - from),
                after = line.mid(end, to - end);
  for (size_t a = 0; a < marks_[mark].alternatives.size(); ++a) {
    const QString& alternative = marks_[mark].alternatives[a];
    QAction* action = menu->addAction(
        from == start && to == end
            ? tr("改为“%1”").arg(alternative)
            : tr("改为“%1”（%2）")
                  .arg(alternative, before + alternative + after));
    action->setCheckable(true);
    action->setChecked(alternative == written);
    connect(action, &QAction::triggered, this, [this, mark, a] {
      if (listener_) listener_->OnPointChosen(mark, static_cast<int>(a));
    });
  }
  return menu;
}

bool QtReviewView::eventFilter(QObject* watched, QEvent* event) {
  QWidget* viewport = source_view_.viewport();
  if (watched == viewport && event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text =
        MarkTextAt(source_view_.cursorForPosition(help->pos()).position());
    if (text.isEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(),
                         text + tr("\n右键单击可改用其他写法"), viewport);
    }
    return true;
  }
  if (watched == &source_view_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->keyCombination() ==
          QKeyCombination(Qt::ShiftModifier, Qt::Key_F10)) {
    // The context menu's key where a keyboard has no menu key.
    const QPoint at = source_view_.cursorRect().bottomLeft();
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, at,
                           viewport->mapToGlobal(at));
    QCoreApplication::sendEvent(&source_view_, &menu);
    return true;
  }
  if ((watched == viewport || watched == &source_view_) &&
      event->type() == QEvent::ContextMenu) {
    auto* context = static_cast<QContextMenuEvent*>(event);
    // From the keyboard the menu is for the cursor's place.
    const bool by_mouse = context->reason() == QContextMenuEvent::Mouse;
    const int position =
        by_mouse ? source_view_
                       .cursorForPosition(viewport->mapFrom(
                           qobject_cast<QWidget*>(watched), context->pos()))
                       .position()
                 : source_view_.textCursor().position();
    QMenu* menu = CreateChoiceMenu(MarkAt(position), &source_view_);
    if (menu) {
      menu->addSeparator();
    } else {
      menu = new QMenu(&source_view_);
    }
    QMenu* standard = source_view_.createStandardContextMenu();
    for (QAction* action : standard->actions()) {
      // Ctrl+X and Ctrl+C are the window's Exit and Clear: the menu does not
      // offer them as Cut and Copy.
      const QString name = action->objectName();
      if (name == QStringLiteral("edit-cut") ||
          name == QStringLiteral("edit-copy"))
        action->setText(action->text().section(QLatin1Char('\t'), 0, 0));
      action->setParent(menu);
      menu->addAction(action);
    }
    delete standard;
    menu->exec(context->globalPos());
    delete menu;
    return true;
  }
  return QObject::eventFilter(watched, event);
}

void QtReviewView::DescribeCursor() {
  const QString text = MarkTextAt(source_view_.textCursor().position());
  if (source_view_.accessibleDescription() == text) return;
  source_view_.setAccessibleDescription(text);
  QAccessibleEvent changed(&source_view_, QAccessible::DescriptionChanged);
  QAccessible::updateAccessibility(&changed);
}

}  // namespace tovenrak::platform::qt
