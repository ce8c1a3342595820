#include "platform/qt/qt_message_box.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/qt/qt_window_texts.h"

namespace tovenrak::platform::qt {

namespace {

// The width a long message is laid out in, in average characters.
constexpr int kLongMessageColumns = 72;

// A message box grows with its text: a batch's list of files can make it
// taller than the screen, its OK button out of reach. Such a text is shown
// in a box of its own, which scrolls.
void ShowScrolling(QMessageBox& box, const QString& text, int room) {
  QDialog dialog(box.parentWidget());
  dialog.setWindowTitle(box.windowTitle());
  dialog.setAccessibleName(box.windowTitle());
  auto* icon = new QLabel(&dialog);
  icon->setPixmap(box.iconPixmap());
  icon->setAccessibleName(box.windowTitle());
  icon->setAlignment(Qt::AlignTop);
  auto* view = new QPlainTextEdit(text, &dialog);
  view->setReadOnly(true);
  view->setAccessibleName(box.windowTitle());
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setAccessibleName("OK");
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog,
                   &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addWidget(view, 1);
  auto* column = new QVBoxLayout(&dialog);
  column->addLayout(row, 1);
  column->addWidget(buttons);
  const QFontMetrics metrics(view->font());
  dialog.resize(metrics.averageCharWidth() * kLongMessageColumns +
                    icon->sizeHint().width(),
                room);
  buttons->button(QDialogButtonBox::Ok)->setFocus();
  dialog.exec();
}

}  // namespace

void QtMessageBox::Show(const std::string& text, platform::MessageIcon icon,
                        const std::string& title) {
  QMessageBox::Icon shown = QMessageBox::Information;
  switch (icon) {
    case platform::MessageIcon::kInformation:
      shown = QMessageBox::Information;
      break;
    case platform::MessageIcon::kExclamation:
    case platform::MessageIcon::kWarning:
      shown = QMessageBox::Warning;
      break;
    case platform::MessageIcon::kCritical:
      shown = QMessageBox::Critical;
      break;
  }
  const QString shown_text = WindowText(text);
  QMessageBox box(shown, WindowText(title), shown_text, QMessageBox::Ok,
                  parent_);
  // A file name such as "<i>a.txt<!--" is shown as written: read as markup
  // it would hide the rest of the message.
  box.setTextFormat(Qt::PlainText);
  box.setAccessibleName(box.windowTitle());
  // Three quarters of the screen for the box, with room for its frame.
  const QScreen* screen =
      parent_ ? parent_->screen() : QGuiApplication::primaryScreen();
  const int room = screen ? screen->availableGeometry().height() * 3 / 4 : 600;
  const QFontMetrics metrics(box.font());
  const int tall =
      metrics
          .boundingRect(
              QRect(0, 0, metrics.averageCharWidth() * kLongMessageColumns,
                    QWIDGETSIZE_MAX),
              Qt::TextWordWrap, shown_text)
          .height();
  if (tall > room - 4 * metrics.lineSpacing()) {
    ShowScrolling(box, shown_text, room);
    return;
  }
  box.exec();
}

bool QtMessageBox::Ask(const std::string& question, const std::string& title) {
  QMessageBox box(QMessageBox::Question, WindowText(title),
                  WindowText(question), QMessageBox::Yes | QMessageBox::No,
                  parent_);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  box.setAccessibleName(box.windowTitle());
  return box.exec() == QMessageBox::Yes;
}

}  // namespace tovenrak::platform::qt
