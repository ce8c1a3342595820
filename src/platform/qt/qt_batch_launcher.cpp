#include "platform/qt/qt_batch_launcher.h"

#include <QDialog>

namespace tovenrak::platform::qt {

void QtBatchLauncher::ShowBatchWindow() {
  QDialog window(parent_);
  window.setObjectName("Bat");
  window.setWindowTitle("批量转换");
  window.setAccessibleName("批量转换");
  window.exec();
}

}  // namespace tovenrak::platform::qt
