#include "platform/qt/qt_app_dir.h"

#include <QDir>
#include <QTemporaryFile>

namespace tovenrak::platform::qt {

std::filesystem::path ChooseAppDir(const QString& program_dir,
                                   const QString& fallback) {
  // Trying is the only sure test: permission bits say nothing about a
  // read-only file system, and nothing to root.
  QTemporaryFile probe(QDir(program_dir).filePath(".tovenrak-probe-XXXXXX"));
  if (QDir(program_dir).exists() && probe.open())
    return std::filesystem::path(program_dir.toStdString());
  QDir().mkpath(fallback);
  return std::filesystem::path(fallback.toStdString());
}

}  // namespace tovenrak::platform::qt
