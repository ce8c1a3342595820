#include "platform/qt/qt_shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace tovenrak::platform::qt {

bool QtShell::OpenAddress(const std::string& address,
                          const std::filesystem::path& working_folder) {
  const QUrl url =
      QUrl::fromUserInput(QString::fromStdString(address),
                          QString::fromStdString(working_folder.string()));
  return url.isValid() && QDesktopServices::openUrl(url);
}

}  // namespace tovenrak::platform::qt
