// Opening the batch window on Qt.

#pragma once

#include <QtGlobal>

#include "platform/batch_launcher.h"

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace tovenrak::platform::qt {

class QtBatchLauncher : public platform::BatchLauncher {
 public:
  // The batch window is modal over `parent`.
  explicit QtBatchLauncher(QWidget* parent) : parent_(parent) {}

  void ShowBatchWindow() override;

 private:
  QWidget* parent_;
};

}  // namespace tovenrak::platform::qt
