// The Qt layer's dialogs and ties to the desktop: the file dialog and the
// batch launcher through their modal windows, the batch window through its
// controls, the shell and the program's folder.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/bat_launcher.h"
#include "batch/bat.h"
#include "core/convert/default_converter.h"
#include "core/scratch_folder.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_main_frame.h"
#include "platform/disk_files.h"
#include "platform/preview_file_claim.h"
#include "platform/qt/qt_app_dir.h"
#include "platform/qt/qt_bat_view.h"
#include "platform/qt/qt_file_dialog.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/qt_window_texts.h"
#include "platform/shown_name.h"
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
  QtDialogsTest() {
    for (const char* name : {"a.htm", "c.txt"})
      testing::ScratchFolder::Write(dir_ / name, name);
  }
  QString Path(const char* name) const {
    return QString::fromStdString((dir_ / name).string());
  }

  testing::ScratchFolder dir_;
  QWidget parent_;
};

TEST_F(QtDialogsTest, DialogsAnswerPathsAndStartFromTheLastChosen) {
  QtFileDialog dia(&parent_);
  QStringList filters;
  bool details_hidden = false;
  WhenModalShows([&](QWidget* modal) {
    const auto* dialog = static_cast<QFileDialog*>(modal);
    filters = dialog->nameFilters();
    // Nor can a file be deleted from its menu.
    details_hidden = dialog->testOption(QFileDialog::HideNameFilterDetails) &&
                     dialog->testOption(QFileDialog::ReadOnly);
    TypeAndAccept(modal, Path("a.htm"));
  });
  EXPECT_EQ(dia.AskOpenPath("打开文件", kDocumentFilter),
            (dir_ / "a.htm").string());
  EXPECT_EQ(filters,
            (QStringList{"Html文件[*.htm;*.html] (*.htm *.html)",
                         "文本文件[*.txt] (*.txt)", "所有文件[*] (*)"}));
  EXPECT_TRUE(details_hidden);

  // A save starts from the name chosen last and takes a new name as typed,
  // without adding an extension.
  QStringList started_with;
  WhenModalShows([&](QWidget* modal) {
    started_with = static_cast<QFileDialog*>(modal)->selectedFiles();
    EXPECT_TRUE(
        static_cast<QFileDialog*>(modal)->testOption(QFileDialog::ReadOnly));
    TypeAndAccept(modal, Path("new-name"));
  });
  EXPECT_EQ(dia.AskSavePath("保存", kDocumentFilter),
            (dir_ / "new-name").string());
  EXPECT_EQ(started_with, QStringList{Path("a.htm")});
  // ...or from the name the window gives it.
  dia.StartFrom(Path("c.txt").toStdString());
  WhenModalShows([&](QWidget* modal) {
    started_with = static_cast<QFileDialog*>(modal)->selectedFiles();
    TypeAndAccept(modal, Path("new-name"));
  });
  dia.AskSavePath("保存", kDocumentFilter);
  EXPECT_EQ(started_with, QStringList{Path("c.txt")});

  // Several files come back as the folder and the names, NUL-separated.
  WhenModalShows(
      [&](QWidget* modal) { TypeAndAccept(modal, "\"a.htm\" \"c.txt\""); });
  EXPECT_EQ(dia.AskOpenPaths("加入文件", kDocumentFilter),
            dir_.path().string() + '\0' + "a.htm" + '\0' + "c.txt");
  WhenModalShows(
      [](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
  EXPECT_EQ(dia.AskOpenPaths("加入文件", kDocumentFilter), "");
}

// A file name shows as written, not read as markup that would hide the
// rest of the message. A batch's closing message can list many files: the
// box stays within the screen, the list scrolls, and OK stays in reach.
TEST_F(QtDialogsTest, MessagesShowNamesAsWrittenAndScrollWhenTall) {
  QtMessageBox boxes(&parent_);
  std::string text = "共 300 个文件：";
  for (int i = 0; i < 300; ++i) text += "\n/site/page" + std::to_string(i);
  for (const std::string& message :
       {std::string("文件“<i>a.txt<!-- b”混有编码"), text}) {
    QString shown;
    int height = 0;
    WhenModalShows([&](QWidget* modal) {
      height = modal->frameGeometry().height();
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        shown = box->text();
        box->button(QMessageBox::Ok)->click();
      } else if (auto* view = modal->findChild<QPlainTextEdit*>()) {
        shown = view->toPlainText();
        modal->findChild<QDialogButtonBox*>()
            ->button(QDialogButtonBox::Ok)
            ->click();
      }
    });
    boxes.Show(message, MessageIcon::kWarning, "批量转换");
    EXPECT_EQ(shown.toStdString(), message);
    EXPECT_LE(height, parent_.screen()->availableGeometry().height());
  }
}

// In a Traditional interface the messages and the file dialogs' texts,
// written in Simplified Chinese, are converted; the names in them are not,
// nor is a text translated as one of the fixed texts.
TEST_F(QtDialogsTest, MessagesTakeTheInterfacesScriptButNotTheirNames) {
  struct Script {
    Script() {
      SetWindowTextScript([](std::string_view text) {
        std::string out(text);
        for (size_t at; (at = out.find("发")) != std::string::npos;)
          out.replace(at, 3, "發");
        return out;
      });
    }
    ~Script() { SetWindowTextScript(nullptr); }
  } script;
  QtMessageBox boxes(&parent_);
  std::vector<std::string> shown;
  const auto answer = [&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    shown.push_back(box->windowTitle().toStdString());
    shown.push_back(box->text().toStdString());
    QAbstractButton* ok = box->button(QMessageBox::Ok);
    (ok ? ok : box->button(QMessageBox::No))->click();
  };
  // A name keeps its isolating marks only where it needs them, to hold a
  // right-to-left name apart: copied, the others are just the path.
  const std::string name = "/发/头发.htm",
                    hebrew = platform::ShownName("/发/שלום.htm");
  WhenModalShows(answer);
  boxes.Show("头发“" + platform::ShownName(name) + "”头发",
             MessageIcon::kWarning, "发");
  WhenModalShows(answer);
  boxes.Ask("发" + hebrew, "发");
  EXPECT_EQ(shown, (std::vector<std::string>{"發", "头發“" + name + "”头發",
                                             "發", "發" + hebrew}));
  EXPECT_EQ(QtNameFilters("头发[*.htm]|*.htm|"),
            QStringList{"头發[*.htm] (*.htm)"});
}

// Replacing a file is asked in plain words: a name read as markup would
// hide the question. No asks for another name.
TEST_F(QtDialogsTest, ReplacingAFileIsAskedWithItsNameAsWritten) {
  const std::string name = "<i>x.htm<!-- y";
  testing::ScratchFolder::Write(dir_ / name, "x");
  QtFileDialog dia(&parent_);
  QString asked;
  Qt::TextFormat format = Qt::AutoText;
  for (const QMessageBox::StandardButton answer :
       {QMessageBox::No, QMessageBox::Yes}) {
    WhenModalShows([&, answer](QWidget* modal) {
      WhenModalShows([&, answer](QWidget* box) {
        auto* question = qobject_cast<QMessageBox*>(box);
        ASSERT_NE(question, nullptr);
        asked = question->text();
        format = question->textFormat();
        if (answer == QMessageBox::No) {
          WhenModalShows(
              [](QWidget* again) { static_cast<QDialog*>(again)->reject(); });
        }
        question->button(answer)->click();
      });
      TypeAndAccept(modal, Path(name.c_str()));
    });
    EXPECT_EQ(dia.AskSavePath("保存", kDocumentFilter),
              answer == QMessageBox::Yes ? (dir_ / name).string() : "");
  }
  EXPECT_EQ(
      testing::WithoutIsolates(asked.toStdString()),
      ("文件“" + Path(name.c_str()) + "”已存在。要替换它吗？").toStdString());
  EXPECT_EQ(format, Qt::PlainText);
}

TEST_F(QtDialogsTest, BatchLauncherShowsAFreshModalBatchWindowEachTime) {
  fakes::FakeSettings settings;
  tovenrak::app::BatWindowLauncher batch(&parent_, TOVENRAK_SOURCE_DIR,
                                         settings, {});
  for (int opening = 0; opening < 2; ++opening) {
    QString target;
    int listed = -1;  // nothing carries over from the last opening
    WhenModalShows([&](QWidget* modal) {
      EXPECT_TRUE(modal->isModal());
      target = modal->findChild<QLineEdit*>("ToText")->text();
      listed = modal->findChild<QListWidget*>("BeFore")->count();
      modal->findChild<QListWidget*>("BeFore")->addItem("/tmp/left-over.htm");
      modal->close();
    });
    batch.ShowBatchWindow();
    EXPECT_EQ(target, TOVENRAK_SOURCE_DIR) << opening;
    EXPECT_EQ(listed, 0) << opening;
  }
}

TEST_F(QtDialogsTest, ShellHandsAddressesToTheDesktop) {
  testing::UrlCatcher desktop;
  QtShell shell;
  EXPECT_TRUE(shell.OpenAddress("zemlorin.example", dir_.path()));
  EXPECT_TRUE(shell.OpenAddress("a.htm", dir_.path()));
  EXPECT_FALSE(shell.OpenAddress("", dir_.path()));
  EXPECT_EQ(desktop.urls,
            (std::vector<std::string>{
                "http://zemlorin.example",
                QUrl::fromLocalFile(Path("a.htm")).toString().toStdString()}));
}

// The opened file named another way is the same file: saving over it is
// asked about as much.
TEST_F(QtDialogsTest, DiskFilesTellTheSameFileHoweverItIsNamed) {
  DiskFiles files;
  fs::create_directory(dir_ / "sub");
  fs::create_directory_symlink(dir_.path(), dir_ / "link");
  const fs::path a = dir_ / "a.htm";
  EXPECT_TRUE(files.SameFile(a, dir_ / "link" / "a.htm"));
  EXPECT_TRUE(files.SameFile(a, dir_ / "sub" / ".." / "a.htm"));
  EXPECT_FALSE(files.SameFile(a, dir_ / "c.txt"));
  // A save to a link replaces the link, not the file it leads to.
  fs::create_symlink(a, dir_ / "to-a.htm");
  EXPECT_FALSE(files.SameFile(a, dir_ / "to-a.htm"));
  EXPECT_FALSE(files.SameFile(a, dir_ / "none.htm"));
}

TEST_F(QtDialogsTest, AppDirIsTheProgramFolderWhenWritableElseAFallback) {
  const QString fallback = Path("data/tovenrak");
  EXPECT_EQ(
      ChooseAppDir(QString::fromStdString(dir_.path().string()), fallback),
      dir_.path());
  // A folder that cannot take a file (here: one that is a file).
  EXPECT_EQ(ChooseAppDir(Path("a.htm"), fallback), dir_ / "data/tovenrak");
  EXPECT_TRUE(fs::is_directory(dir_ / "data/tovenrak"));
  // One that others may write, where they could put their page in the
  // preview file's place; the fallback is the user's alone.
  fs::permissions(dir_.path(), fs::perms::group_write, fs::perm_options::add);
  EXPECT_EQ(
      ChooseAppDir(QString::fromStdString(dir_.path().string()), fallback),
      dir_ / "data/tovenrak");
  EXPECT_EQ(fs::status(dir_ / "data/tovenrak").permissions(),
            fs::perms::owner_all);
  // One that is there already, perhaps a link the user put to a folder of
  // theirs, keeps its permissions.
  fs::permissions(dir_ / "data/tovenrak", fs::perms::group_read,
                  fs::perm_options::add);
  ChooseAppDir(QString::fromStdString(dir_.path().string()), fallback);
  EXPECT_EQ(fs::status(dir_ / "data/tovenrak").permissions(),
            fs::perms::owner_all | fs::perms::group_read);
}

// Windows running at once each write a preview file of their own; a name
// comes free when its window goes.
TEST_F(QtDialogsTest, EachRunningWindowClaimsAPreviewFileOfItsOwn) {
  auto first = std::make_unique<PreviewFileClaim>(dir_.path(), "temp.htm");
  const PreviewFileClaim second(dir_.path(), "temp.htm");
  EXPECT_EQ(first->path(), dir_ / "temp.htm");
  EXPECT_EQ(second.path(), dir_ / "temp-2.htm");
  first.reset();
  EXPECT_EQ(PreviewFileClaim(dir_.path(), "temp.htm").path(),
            dir_ / "temp.htm");
  // A folder or a link in a lock's place holds its name too.
  fs::create_directories(dir_ / "planted/.temp.htm.lock");
  fs::create_symlink("elsewhere", dir_ / "planted/.temp-2.htm.lock");
  fs::create_directory(dir_ / "planted/temp-3.htm");
  EXPECT_EQ(PreviewFileClaim(dir_ / "planted", "temp.htm").path(),
            dir_ / "planted/temp-4.htm");
  // No lock where nothing can be written: the name, whose write says why.
  EXPECT_EQ(PreviewFileClaim(dir_ / "missing", "temp.htm").path(),
            dir_ / "missing/temp.htm");
  // The files claims use, reached by any path; no other.
  fs::create_directory_symlink(dir_.path(), dir_ / "again");
  for (const char* name : {"temp.htm", "temp-2.htm", ".temp-64.htm.lock"})
    EXPECT_TRUE(IsPreviewFileOf(dir_.path(), "temp.htm", dir_ / "again" / name))
        << name;
  for (const char* name : {"temp-65.htm", "temp-1.htm", "xtemp.htm",
                           "temp.htm.lock", ".temp.htm", "temp-2.html"})
    EXPECT_FALSE(IsPreviewFileOf(dir_.path(), "temp.htm", dir_ / name)) << name;
  EXPECT_FALSE(
      IsPreviewFileOf(dir_.path(), "temp.htm", dir_ / "planted/temp.htm"));
}

struct PaintCounter : QObject {
  bool eventFilter(QObject* watched, QEvent* event) override {
    paints += event->type() == QEvent::Paint;
    return QObject::eventFilter(watched, event);
  }
  int paints = 0;
};

// The batch window driven by Bat through its own controls.
class QtBatViewTest : public QtDialogsTest {
 protected:
  QtBatViewTest() { bat_.Load(); }

  template <typename T>
  T* Control(const char* name) {
    return view_.findChild<T*>(name);
  }
  void Add(const std::string& answer) {
    dialog_.next_answers.push_back(answer);
    Control<QPushButton>("NAdd")->click();
  }

  QtBatView view_;
  fakes::FakeFileDialog dialog_;
  fakes::FakeMessageBox messages_;
  std::unique_ptr<core::Converter> er_ =
      std::move(core::MakeDefaultConverter().value());
  fakes::FakeSettings settings_;
  batch::Bat bat_{view_, dialog_, messages_, settings_, *er_, "/", {"/"}};
};

TEST_F(QtBatViewTest, ConvertsEachFileWithTheBarPaintedAtEachStep) {
  const fs::path big5 = dir_ / "big5 news.htm";
  fs::copy_file(TOVENRAK_SOURCE_DIR "/samples/big5-news.htm", big5);
  view_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
  Add(big5.string());
  Add(big5.string());
  fs::create_directory(dir_ / "out");
  Control<QLineEdit>("ToText")->setText(
      QString::fromStdString((dir_ / "out").string()));
  PaintCounter counter;
  Control<QProgressBar>("Pro")->installEventFilter(&counter);
  Control<QPushButton>("NGo")->click();

  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kInformation);
  // Painted at each step although the run never returns to the event loop.
  EXPECT_GE(counter.paints, 2);
  EXPECT_TRUE(fs::exists(dir_ / "out" / big5.filename()));
}

// While the run goes on only Close, then reading 停止, takes clicks: it and
// Esc stop the run after the files begun, and the window stays open with
// the files left, to be run again.
TEST_F(QtBatViewTest, CloseAndEscStopARunThatSaysWhatItDid) {
  const std::string gb = testing::Bytes("头发", core::Encoding::kGbk);
  constexpr int kFiles = 12;
  for (int i = 0; i < kFiles; ++i) {
    const fs::path file = dir_ / ("p" + std::to_string(i) + ".txt");
    testing::ScratchFolder::Write(file, gb);
    Add(file.string());
  }
  fs::create_directory(dir_ / "out");
  Control<QLineEdit>("ToText")->setText(
      QString::fromStdString((dir_ / "out").string()));
  view_.show();
  auto* quit = Control<QPushButton>("NQuit");
  bool held = false;
  QTimer::singleShot(0, &view_, [&] {
    held = !Control<QPushButton>("NGo")->isEnabled() &&
           !Control<QListWidget>("BeFore")->isEnabled() &&
           quit->text() == "停止";
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&view_, &escape);
    EXPECT_TRUE(view_.isVisible());
    // Taken: the files begun are still being written.
    EXPECT_EQ(quit->text(), "正在停止……");
    EXPECT_FALSE(quit->isEnabled());
  });
  Control<QPushButton>("NGo")->click();

  EXPECT_TRUE(held);
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_TRUE(messages_.shown[0].text.starts_with("转换已停止：已转换 "))
      << messages_.shown[0].text;
  int written = 0;
  for (int i = 0; i < kFiles; ++i)
    written += fs::exists(dir_ / "out" / ("p" + std::to_string(i) + ".txt"));
  EXPECT_LT(written, kFiles);
  EXPECT_NE(messages_.shown[0].text.find(
                "其余 " + std::to_string(kFiles - written) + " 个没有转换"),
            std::string::npos)
      << messages_.shown[0].text;
  EXPECT_EQ(quit->text(), "关闭");
  // The files left stay listed, and run again, ask nothing.
  EXPECT_TRUE(view_.isVisible());
  EXPECT_EQ(bat_.be_hind().size(), static_cast<size_t>(kFiles - written));
  for (const std::string& name : bat_.be_hind())
    EXPECT_FALSE(fs::exists(dir_ / "out" / name)) << name;
  Control<QPushButton>("NGo")->click();
  EXPECT_TRUE(messages_.asked.empty());
  for (int i = 0; i < kFiles; ++i)
    EXPECT_TRUE(fs::exists(dir_ / "out" / ("p" + std::to_string(i) + ".txt")));
}

// Enter acts only on the focused button. Focus makes the first entry current
// but selects nothing: it used to enable Remove, which then removed nothing.
TEST_F(QtBatViewTest, OnlyASelectedEntryEnablesRemoveAndEnterOnlyTheFocused) {
  view_.show();
  QApplication::setActiveWindow(&view_);
  for (const char* name : {"ToText", "NGo"}) {
    Control<QWidget>(name)->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(Control<QWidget>(name), &press);
  }
  EXPECT_TRUE(dialog_.asked.empty());
  EXPECT_EQ(messages_.shown.size(), 1u);

  Add("/d/a.htm");
  Add("/d/b.htm");
  auto* be_fore = Control<QListWidget>("BeFore");
  auto* n_del = Control<QPushButton>("NDel");
  Control<QPushButton>("NAdd")->setFocus(Qt::TabFocusReason);
  be_fore->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(be_fore->hasFocus() && be_fore->currentIndex().isValid());
  EXPECT_FALSE(n_del->isEnabled());
  be_fore->setCurrentRow(0);
  ASSERT_TRUE(n_del->isEnabled());
  n_del->click();
  EXPECT_EQ(bat_.be_hind(), std::vector<std::string>{"b.htm"});
  EXPECT_FALSE(n_del->isEnabled());
}

// The list's menu, which the menu key or Shift+F10 opens, adds a folder as
// a drop does: the keyboard drops nothing.
TEST_F(QtBatViewTest, TheListsMenuAddsFilesOrAFolder) {
  fs::create_directories(dir_ / "site/sub");
  testing::ScratchFolder::Write(dir_ / "site/sub/a.htm", "x");
  dialog_.next_answers = {(dir_ / "site").string()};
  view_.show();
  QStringList offered;
  QTimer::singleShot(0, &view_, [&] {
    QWidget* popup = nullptr;
    testing::WaitUntil(
        [&] { return (popup = QApplication::activePopupWidget()); });
    if (!popup) return;
    for (QAction* action : popup->actions()) offered.append(action->text());
    popup->actions().at(1)->trigger();
    popup->close();
  });
  // Shift+F10, where a keyboard has no menu key.
  auto* list = Control<QListWidget>("BeFore");
  list->setFocus();
  QKeyEvent shift_f10(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier);
  QCoreApplication::sendEvent(list, &shift_f10);
  EXPECT_EQ(offered, (QStringList{"加入文件(&A)...", "加入文件夹(&F)..."}));
  EXPECT_EQ(dialog_.asked, std::vector<std::string>{"folder"});
  EXPECT_EQ(bat_.be_hind(), std::vector<std::string>{"sub/a.htm"});
}

}  // namespace
}  // namespace tovenrak::platform::qt
