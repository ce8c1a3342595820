// The file dialog, message box, batch launcher and shell on Qt, driven
// through their modal windows.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/bat_launcher.h"
#include "platform/qt/qt_file_dialog.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_shell.h"
#include "qt_test_support.h"

namespace tovenrak::platform::qt {
namespace {

namespace fs = std::filesystem;

// Runs `answer` on the next modal window once it is shown.
void WhenModalShows(std::function<void(QWidget*)> answer) {
  QTimer::singleShot(0, [answer = std::move(answer)] {
    QWidget* modal = nullptr;
    testing::WaitUntil(
        [&] { return (modal = QApplication::activeModalWidget()); });
    if (modal) answer(modal);
  });
}

// Types `text` into a file dialog's name box and accepts it.
void TypeAndAccept(QWidget* modal, const QString& text) {
  auto* dialog = qobject_cast<QFileDialog*>(modal);
  ASSERT_NE(dialog, nullptr);
  // As when typing, the names typed replace the files picked in the list.
  for (auto* view : dialog->findChildren<QAbstractItemView*>())
    view->clearSelection();
  dialog->findChild<QLineEdit*>("fileNameEdit")->setText(text);
  static_cast<QDialog*>(dialog)->accept();
}

class QtDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (fs::temp_directory_path() / "tovenrak-dialogs-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    for (const char* name : {"a.htm", "b.htm", "c.txt"})
      std::ofstream(dir_ / name) << name;
  }
  void TearDown() override { fs::remove_all(dir_); }

  QString Path(const char* name) const {
    return QString::fromStdString((dir_ / name).string());
  }

  fs::path dir_;
  QWidget parent_;
};

TEST_F(QtDialogsTest, DialogsAnswerThePathAndStartFromTheLastChosen) {
  QtFileDialog dia(&parent_);
  QString title;
  QStringList filters;
  WhenModalShows([&](QWidget* modal) {
    title = modal->windowTitle();
    filters = static_cast<QFileDialog*>(modal)->nameFilters();
    TypeAndAccept(modal, Path("a.htm"));
  });
  EXPECT_EQ(dia.AskOpenPath("打开文件", kDocumentFilter),
            (dir_ / "a.htm").string());
  EXPECT_EQ(title, "打开文件");
  EXPECT_EQ(filters, (QStringList{"Html文件[*.htm;*.html] (*.htm *.html)",
                                  "文本文件[*.txt] (*.txt)"}));

  // The next dialog, a save, starts from the name chosen last and takes a
  // new name as typed, without adding an extension.
  QStringList started_with;
  WhenModalShows([&](QWidget* modal) {
    started_with = static_cast<QFileDialog*>(modal)->selectedFiles();
    TypeAndAccept(modal, Path("new-name"));
  });
  EXPECT_EQ(dia.AskSavePath("保存", kDocumentFilter),
            (dir_ / "new-name").string());
  EXPECT_EQ(started_with, QStringList{Path("a.htm")});
}

TEST_F(QtDialogsTest, MultipleChoiceComesBackAsFolderAndNamesSeparatedByNul) {
  QtFileDialog dia(&parent_);
  WhenModalShows([&](QWidget* modal) {
    static_cast<QFileDialog*>(modal)->setDirectory(
        QString::fromStdString(dir_.string()));
    TypeAndAccept(modal, "\"a.htm\" \"c.txt\"");
  });
  EXPECT_EQ(dia.AskOpenPaths("加入文件", kDocumentFilter),
            dir_.string() + '\0' + "a.htm" + '\0' + "c.txt");

  WhenModalShows([&](QWidget* modal) { TypeAndAccept(modal, Path("b.htm")); });
  EXPECT_EQ(dia.AskOpenPaths("加入文件", "All|*|"), (dir_ / "b.htm").string());

  WhenModalShows(
      [](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
  EXPECT_EQ(dia.AskOpenPaths("加入文件", "All|*|"), "");
}

TEST_F(QtDialogsTest, MessageBoxShowsTextIconAndTitle) {
  QtMessageBox box(&parent_);
  QString text, title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  WhenModalShows([&](QWidget* modal) {
    auto* shown = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(shown, nullptr);
    text = shown->text();
    title = shown->windowTitle();
    icon = shown->icon();
    shown->accept();
  });
  box.Show("无法保存文件", MessageIcon::kCritical, "标题");
  EXPECT_EQ(text, "无法保存文件");
  EXPECT_EQ(title, "标题");
  EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST_F(QtDialogsTest, BatchLauncherShowsAFreshModalBatchWindowEachTime) {
  tovenrak::app::BatWindowLauncher batch(&parent_, TOVENRAK_SOURCE_DIR);
  for (int opening = 0; opening < 2; ++opening) {
    QString target;
    bool modal_window = false;
    int listed = -1;
    WhenModalShows([&](QWidget* modal) {
      modal_window = modal->isModal();
      if (auto* to_text = modal->findChild<QLineEdit*>("ToText")) {
        target = to_text->text();
      }
      if (auto* before = modal->findChild<QListWidget*>("BeFore")) {
        listed = before->count();
        before->addItem("/tmp/left-over.htm");
      }
      modal->close();
    });
    batch.ShowBatchWindow();
    EXPECT_TRUE(modal_window) << opening;
    EXPECT_EQ(target, TOVENRAK_SOURCE_DIR) << opening;
    EXPECT_EQ(listed, 0)
        << opening;  // Nothing carries over from the last opening.
  }
}

TEST_F(QtDialogsTest, ShellHandsAddressesToTheDesktop) {
  testing::UrlCatcher desktop({"http", "file"});
  QtShell shell;
  EXPECT_TRUE(shell.OpenAddress("zemlorin.example", dir_));
  EXPECT_TRUE(shell.OpenAddress("a.htm", dir_));
  EXPECT_FALSE(shell.OpenAddress("", dir_));
  EXPECT_EQ(desktop.urls,
            (std::vector<std::string>{
                "http://zemlorin.example",
                QUrl::fromLocalFile(Path("a.htm")).toString().toStdString()}));
}

}  // namespace
}  // namespace tovenrak::platform::qt
