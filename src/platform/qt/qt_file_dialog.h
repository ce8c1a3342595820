// The file dialog on Qt: one object that remembers the last chosen name.

#pragma once

#include <QString>
#include <QStringList>

#include "platform/file_dialog.h"

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace tovenrak::platform::qt {

// Turns "Desc|patterns|Desc|patterns|" into Qt's name filters, one per entry:
// "Html文件[*.htm;*.html]|*.htm;*.html|" gives
// "Html文件[*.htm;*.html] (*.htm *.html)".
QStringList QtNameFilters(const std::string& filter);

class QtFileDialog : public platform::FileDialog {
 public:
  // The dialogs are modal over `parent`.
  explicit QtFileDialog(QWidget* parent) : parent_(parent) {}

  std::string AskOpenPath(const std::string& title,
                          const std::string& filter) override;
  std::string AskSavePath(const std::string& title,
                          const std::string& filter) override;
  void StartFrom(const std::string& path) override {
    last_chosen_ = QString::fromStdString(path);
  }
  std::string AskOpenPaths(const std::string& title,
                           const std::string& filter) override;
  std::string AskFolderPath(const std::string& title) override;

 private:
  enum class Kind { kOpen, kSave, kOpenMany, kFolder };
  QStringList Ask(Kind kind, const std::string& title,
                  const std::string& filter);

  QWidget* parent_;
  QString last_chosen_;
};

}  // namespace tovenrak::platform::qt
