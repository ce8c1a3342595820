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

}  // namespace tovenrak::platform::qt
