#include "platform/qt/qt_app_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace tovenrak::platform::qt {

std::filesystem::path ChooseAppDir(const QString& program_dir,
                                   const QString& fallback) {
  // Trying is the only sure test: permission bits say nothing about a
  // read-only file system, and nothing to root.
  struct stat folder {};
  const std::string path = program_dir.toStdString();
  const bool own = ::stat(path.c_str(), &folder) == 0 &&
                   S_ISDIR(folder.st_mode) && folder.st_uid == ::geteuid() &&
                   (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0;
  QTemporaryFile probe(QDir(program_dir).filePath(".tovenrak-probe-XXXXXX"));
  if (own && probe.open()) return std::filesystem::path(path);
  // Made here, it is the user's alone; one that is there (a link the user
  // put to a folder elsewhere) keeps its permissions.
  if (!QFileInfo::exists(fallback) && QDir().mkpath(fallback)) {
    QFile::setPermissions(fallback, QFileDevice::ReadOwner |
                                        QFileDevice::WriteOwner |
                                        QFileDevice::ExeOwner);
  }
  return std::filesystem::path(fallback.toStdString());
}

}  // namespace tovenrak::platform::qt
