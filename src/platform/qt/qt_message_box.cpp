#include "platform/qt/qt_message_box.h"

#include <QMessageBox>

#include "platform/qt/qt_window_texts.h"

namespace tovenrak::platform::qt {

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
  QMessageBox box(shown, WindowText(title), WindowText(text), QMessageBox::Ok,
                  parent_);
  box.setAccessibleName(box.windowTitle());
  box.exec();
}

bool QtMessageBox::Ask(const std::string& question, const std::string& title) {
  QMessageBox box(QMessageBox::Question, QString::fromStdString(title),
                  QString::fromStdString(question),
                  QMessageBox::Yes | QMessageBox::No, parent_);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  box.setAccessibleName(QString::fromStdString(title));
  return box.exec() == QMessageBox::Yes;
}

}  // namespace tovenrak::platform::qt
