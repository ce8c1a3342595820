// Message boxes on Qt.

#pragma once

#include <QtGlobal>

#include "platform/message_box.h"

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace tovenrak::platform::qt {

class QtMessageBox : public platform::MessageBox {
 public:
  // The boxes are modal over `parent` (may be null).
  explicit QtMessageBox(QWidget* parent) : parent_(parent) {}

  void Show(const std::string& text, platform::MessageIcon icon,
            const std::string& title) override;
  bool Ask(const std::string& question, const std::string& title) override;

 private:
  QWidget* parent_;
};

}  // namespace tovenrak::platform::qt
