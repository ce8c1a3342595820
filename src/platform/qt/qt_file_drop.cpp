#include "platform/qt/qt_file_drop.h"

#include <QDropEvent>
#include <QFile>
#include <QMimeData>

namespace tovenrak::platform::qt {

bool TakeFileDrag(QEvent* event, std::vector<std::filesystem::path>& dropped) {
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove &&
      type != QEvent::Drop) {
    return false;
  }
  auto* drag = static_cast<QDropEvent*>(event);
  std::vector<std::filesystem::path> paths;
  for (const QUrl& url : drag->mimeData()->urls()) {
    // File names are bytes: encodeName gives back the ones the desktop named.
    if (url.isLocalFile())
      paths.emplace_back(QFile::encodeName(url.toLocalFile()).toStdString());
  }
  if (paths.empty()) return false;
  drag->acceptProposedAction();
  if (type == QEvent::Drop) dropped = std::move(paths);
  return true;
}

}  // namespace tovenrak::platform::qt
