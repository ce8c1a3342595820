#include "platform/qt/qt_file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "platform/qt/qt_window_texts.h"
#include "platform/shown_name.h"

namespace tovenrak::platform::qt {

QStringList QtNameFilters(const std::string& filter) {
  const QStringList parts =
      QString::fromStdString(filter).split('|', Qt::SkipEmptyParts);
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
    filters.append(WindowText(parts[i].toStdString()) + " (" +
                   patterns.join(' ') + ")");
  }
  return filters;
}

std::string QtFileDialog::AskOpenPath(const std::string& title,
                                      const std::string& filter) {
  const QStringList chosen = Ask(Kind::kOpen, title, filter);
  return chosen.isEmpty() ? std::string() : chosen.first().toStdString();
}

std::string QtFileDialog::AskSavePath(const std::string& title,
                                      const std::string& filter) {
  const QStringList chosen = Ask(Kind::kSave, title, filter);
  return chosen.isEmpty() ? std::string() : chosen.first().toStdString();
}

std::string QtFileDialog::AskOpenPaths(const std::string& title,
                                       const std::string& filter) {
  const QStringList chosen = Ask(Kind::kOpenMany, title, filter);
  if (chosen.size() <= 1)
    return chosen.isEmpty() ? std::string() : chosen.first().toStdString();
  // The folder that holds them all, then each name relative to it: a plain
  // name when, as usual, they were chosen in one folder.
  QString folder = QFileInfo(chosen.first()).absolutePath();
  for (const QString& path : chosen) {
    while (!QFileInfo(path).absolutePath().startsWith(folder)) {
      folder = QFileInfo(folder).absolutePath();
    }
  }
  std::string answer = folder.toStdString();
  const QDir dir(folder);
  for (const QString& path : chosen) {
    answer += '\0';
    answer += dir.relativeFilePath(path).toStdString();
  }
  return answer;
}

std::string QtFileDialog::AskFolderPath(const std::string& title) {
  const QStringList chosen = Ask(Kind::kFolder, title, "");
  return chosen.isEmpty() ? std::string() : chosen.first().toStdString();
}

QStringList QtFileDialog::Ask(Kind kind, const std::string& title,
                              const std::string& filter) {
  QFileDialog dialog(parent_, WindowText(title));
  dialog.setObjectName("Dia");
  dialog.setAccessibleName(dialog.windowTitle());
  dialog.setNameFilters(QtNameFilters(filter));
  // The descriptions name their patterns already ("Html文件[*.htm;*.html]").
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  // No dialog here deletes or renames a file, as the dialog's own menu and
  // Delete key would, one stray key and Enter away; a save dialog then makes
  // no folder either.
  dialog.setOption(QFileDialog::ReadOnly);
  switch (kind) {
    case Kind::kOpen:
      dialog.setFileMode(QFileDialog::ExistingFile);
      break;
    case Kind::kOpenMany:
      dialog.setFileMode(QFileDialog::ExistingFiles);
      break;
    case Kind::kFolder:
      dialog.setFileMode(QFileDialog::Directory);
      dialog.setOption(QFileDialog::ShowDirsOnly);
      break;
    case Kind::kSave:
      // Any new name, taken as typed (no extension is added); an existing
      // file is replaced only after the user agrees, asked here: the
      // dialog's own question reads a name such as "<i>a.txt<!--" as
      // markup, which hides the question.
      dialog.setAcceptMode(QFileDialog::AcceptSave);
      dialog.setFileMode(QFileDialog::AnyFile);
      dialog.setOption(QFileDialog::DontConfirmOverwrite);
      break;
  }
  if (kind == Kind::kFolder && !last_chosen_.isEmpty()) {
    // In the folder of the last name chosen, or in that folder itself: a
    // file named there would leave nothing to choose.
    const QFileInfo last(last_chosen_);
    dialog.setDirectory(last.isDir() ? last.absoluteFilePath()
                                     : last.absolutePath());
  } else if (!last_chosen_.isEmpty()) {
    dialog.selectFile(last_chosen_);
  }
  QStringList chosen;
  for (;;) {
    if (dialog.exec() != QDialog::Accepted) return {};
    chosen = dialog.selectedFiles();
    if (kind != Kind::kSave || chosen.isEmpty()) break;
    const QFileInfo there(chosen.first());
    if (!there.exists() && !there.isSymLink()) break;
    QMessageBox box(
        QMessageBox::Warning, dialog.windowTitle(),
        WindowText("文件“" + ShownName(chosen.first().toStdString()) +
                   "”已存在。要替换它吗？"),
        QMessageBox::Yes | QMessageBox::No, &dialog);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.setAccessibleName(dialog.windowTitle());
    if (box.exec() == QMessageBox::Yes) break;
    dialog.selectFile(chosen.first());
  }
  if (!chosen.isEmpty()) last_chosen_ = chosen.first();
  return chosen;
}

}  // namespace tovenrak::platform::qt
