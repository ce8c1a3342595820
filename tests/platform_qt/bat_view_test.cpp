#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QToolTip>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "batch/bat.h"
#include "core/convert/default_converter.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/fake_message_box.h"
#include "platform/qt/qt_bat_view.h"

namespace tovenrak::platform::qt {
namespace {

namespace fs = std::filesystem;

#ifndef TOVENRAK_SAMPLES
#define TOVENRAK_SAMPLES TOVENRAK_SOURCE_DIR "/samples"
#endif

// The command-line converter, built beside this test.
std::string ConvertTool() {
#ifdef TOVENRAK_CONVERT
  return TOVENRAK_CONVERT;
#else
  return (fs::path(QCoreApplication::applicationDirPath().toStdString()) /
          "../../src/app/tovenrak-convert")
      .lexically_normal()
      .string();
#endif
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class QtBatViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = fs::temp_directory_path() / "bat_view_test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    for (const char* sub : {"program", "one", "two", "out", "cli"})
      fs::create_directory(dir_ / sub);
    auto converter = core::MakeDefaultConverter();
    ASSERT_TRUE(converter.has_value()) << converter.error().Message();
    er_ = std::move(converter.value());
    bat_ = std::make_unique<batch::Bat>(
        view_, dialog_, messages_, *er_, dir_ / "program",
        std::vector<fs::path>{"/", dir_ / "gone"});
    bat_->Load();
  }
  void TearDown() override {
    bat_.reset();
    fs::remove_all(dir_);
  }

  template <typename T>
  T* Control(const char* name) {
    T* control = view_.findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  void Press(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
  }
  void MoveOver(QWidget* viewport, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at),
                     Qt::NoButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
  }

  fs::path dir_;
  QtBatView view_;
  fakes::FakeFileDialog dialog_;
  fakes::FakeMessageBox messages_;
  std::unique_ptr<core::Converter> er_;
  std::unique_ptr<batch::Bat> bat_;
};

TEST_F(QtBatViewTest, OpensFixedSizeWithEveryControlNamed) {
  EXPECT_EQ(view_.windowTitle(), "批量转换");
  const double x = view_.logicalDpiX() / 1440.0;
  const double y = view_.logicalDpiY() / 1440.0;
  EXPECT_EQ(view_.minimumSize(), QSize(qRound(6975 * x), qRound(4335 * y)));
  EXPECT_EQ(view_.maximumSize(), view_.minimumSize());
  EXPECT_FALSE(view_.windowFlags() & Qt::WindowMinMaxButtonsHint);
  EXPECT_EQ(Control<QListWidget>("BeFore")->geometry(),
            QRect(qRound(120 * x), qRound(360 * y), qRound(2295 * x),
                  qRound(2940 * y)));
  for (const char* name : {"Label4", "BeFore", "NAdd", "NDel", "NGo", "NQuit",
                           "Label2", "ToText", "Drive1", "Dir1", "Pro"}) {
    EXPECT_FALSE(Control<QWidget>(name)->accessibleName().isEmpty()) << name;
  }
  EXPECT_EQ(Control<QPushButton>("NGo")->text(), "开始转换(&S)");
  EXPECT_EQ(Control<QLineEdit>("ToText")->text().toStdString(),
            (dir_ / "program").string());
  EXPECT_FALSE(Control<QPushButton>("NDel")->isEnabled());
  EXPECT_TRUE(Control<QProgressBar>("Pro")->isHidden());
  EXPECT_EQ(Control<QComboBox>("Drive1")->currentText(), "/");
}

TEST_F(QtBatViewTest, ConvertsTwoFilesAsTheCommandLineConverterDoes) {
  fs::copy_file(TOVENRAK_SAMPLES "/gb-page.html",
                dir_ / "one" / "gb-page.html");
  fs::copy_file(TOVENRAK_SAMPLES "/big5-news.htm",
                dir_ / "two" / "big5 news.htm");
  dialog_.next_answers = {
      (dir_ / "one").string() + std::string(1, '\0') + "gb-page.html",
      (dir_ / "two" / "big5 news.htm").string()};
  view_.show();
  Control<QPushButton>("NAdd")->click();
  Control<QPushButton>("NAdd")->click();
  ASSERT_EQ(Control<QListWidget>("BeFore")->count(), 2);
  Control<QLineEdit>("ToText")->setText(
      QString::fromStdString((dir_ / "out").string()));
  Control<QPushButton>("NGo")->click();

  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text,
            "所选定文件已转换到 " + (dir_ / "out").string() + "/ 文件夹下。");
  EXPECT_EQ(Control<QProgressBar>("Pro")->value(), 100);
  EXPECT_FALSE(Control<QProgressBar>("Pro")->isHidden());
  EXPECT_FALSE(view_.isVisible());
  EXPECT_EQ(view_.result(), QDialog::Accepted);

  QProcess cli;
  cli.start(
      QString::fromStdString(ConvertTool()),
      {"-o", QString::fromStdString((dir_ / "cli").string()),
       QString::fromStdString((dir_ / "one" / "gb-page.html").string()),
       QString::fromStdString((dir_ / "two" / "big5 news.htm").string())});
  ASSERT_TRUE(cli.waitForFinished(60000)) << ConvertTool();
  ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  for (const char* name : {"gb-page.html", "big5 news.htm"}) {
    const std::string ours = Read(dir_ / "out" / name);
    EXPECT_NE(ours, Read(dir_ / (name[0] == 'g' ? "one" : "two") / name))
        << name << " was not converted";
    EXPECT_EQ(ours, Read(dir_ / "cli" / name)) << name;
  }
}

TEST_F(QtBatViewTest, ToolTipFollowsTheListsOwnHitTest) {
  dialog_.next_answers = {"/d/a.htm", "/d/b.htm"};
  Control<QPushButton>("NAdd")->click();
  Control<QPushButton>("NAdd")->click();
  view_.show();
  auto* be_fore = Control<QListWidget>("BeFore");
  QWidget* viewport = be_fore->viewport();
  const QRect second = be_fore->visualItemRect(be_fore->item(1));
  MoveOver(viewport, second.center(), Qt::NoButton);
  EXPECT_EQ(viewport->toolTip(), "/d/b.htm");
  QHelpEvent help(QEvent::ToolTip, second.center(),
                  viewport->mapToGlobal(second.center()));
  QCoreApplication::sendEvent(viewport, &help);
  EXPECT_EQ(QToolTip::text(), "/d/b.htm") << "shown on hovering";
  MoveOver(viewport, QPoint(second.center().x(), second.bottom() + 10),
           Qt::NoButton);
  EXPECT_EQ(viewport->toolTip(), "") << "below the last entry";
  MoveOver(viewport, second.center(), Qt::LeftButton);
  EXPECT_EQ(viewport->toolTip(), "") << "button held";
}

TEST_F(QtBatViewTest, SelectingAnEntryEnablesRemoveUntilItIsUsed) {
  dialog_.next_answers = {"/d/a.htm", "/d/b.htm"};
  Control<QPushButton>("NAdd")->click();
  Control<QPushButton>("NAdd")->click();
  auto* be_fore = Control<QListWidget>("BeFore");
  be_fore->setCurrentRow(0);
  ASSERT_TRUE(Control<QPushButton>("NDel")->isEnabled());
  Control<QPushButton>("NDel")->click();
  EXPECT_EQ(be_fore->count(), 1);
  EXPECT_EQ(be_fore->item(0)->text(), "/d/b.htm");
  EXPECT_FALSE(Control<QPushButton>("NDel")->isEnabled());
  EXPECT_EQ(bat_->be_hind(), std::vector<std::string>{"b.htm"});
}

TEST_F(QtBatViewTest, FocusWithoutSelectionLeavesRemoveDisabled) {
  dialog_.next_answers = {"/d/a.htm"};
  Control<QPushButton>("NAdd")->click();
  view_.show();
  QApplication::setActiveWindow(&view_);
  auto* be_fore = Control<QListWidget>("BeFore");
  Control<QPushButton>("NAdd")->setFocus(Qt::TabFocusReason);
  be_fore->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(be_fore->hasFocus());
  // Focus makes the first entry current but selects nothing; it used to
  // enable Remove, which then removed nothing.
  EXPECT_TRUE(be_fore->currentIndex().isValid());
  EXPECT_FALSE(Control<QPushButton>("NDel")->isEnabled());
}

TEST_F(QtBatViewTest, EnterActsOnlyOnTheFocusedButton) {
  view_.show();
  auto* to_text = Control<QLineEdit>("ToText");
  to_text->setFocus();
  Press(to_text, Qt::Key_Return);
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_TRUE(dialog_.asked.empty());
  auto* n_go = Control<QPushButton>("NGo");
  n_go->setFocus();
  Press(n_go, Qt::Key_Return);
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "请您选定要转换的文件，再开始转换。");
}

TEST_F(QtBatViewTest, FolderChosenInDir1BecomesTarget) {
  auto* dir1 = Control<QTreeView>("Dir1");
  const QModelIndex program = dir1->currentIndex();
  ASSERT_TRUE(program.isValid());
  dir1->setCurrentIndex(program.parent());
  EXPECT_EQ(Control<QLineEdit>("ToText")->text().toStdString(), dir_.string());
}

TEST_F(QtBatViewTest, UnreadableVolumeKeepsLastReadableFolder) {
  auto* drive1 = Control<QComboBox>("Drive1");
  ASSERT_EQ(drive1->count(), 2);
  drive1->setCurrentIndex(1);
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text,
            "读取驱动器" + (dir_ / "gone").string() +
                "时出错。\n\r请检查该驱动器内有无磁盘或"
                "磁盘格式是否正确。");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kCritical);
  EXPECT_EQ(drive1->currentIndex(), 0);
  EXPECT_EQ(view_.Dir1(), dir_ / "program");
  EXPECT_EQ(Control<QLineEdit>("ToText")->text().toStdString(),
            (dir_ / "program").string());
}

}  // namespace
}  // namespace tovenrak::platform::qt
