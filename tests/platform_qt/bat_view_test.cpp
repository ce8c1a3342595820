// The batch window on Qt, driven by Bat through its own controls.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <filesystem>
#include <memory>
#include <string>

#include "batch/bat.h"
#include "core/convert/default_converter.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/fake_message_box.h"
#include "platform/qt/qt_bat_view.h"

namespace tovenrak::platform::qt {
namespace {

namespace fs = std::filesystem;

// Counts the paints of a widget.
struct PaintCounter : QObject {
  bool eventFilter(QObject* watched, QEvent* event) override {
    paints += event->type() == QEvent::Paint;
    return QObject::eventFilter(watched, event);
  }
  int paints = 0;
};

class QtBatViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = fs::temp_directory_path() / "bat_view_test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    for (const char* sub : {"program", "out"}) fs::create_directory(dir_ / sub);
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
  void Add(const std::vector<std::string>& answers) {
    for (const std::string& answer : answers) {
      dialog_.next_answers.push_back(answer);
      Control<QPushButton>("NAdd")->click();
    }
  }

  fs::path dir_;
  QtBatView view_;
  fakes::FakeFileDialog dialog_;
  fakes::FakeMessageBox messages_;
  std::unique_ptr<core::Converter> er_ =
      std::move(core::MakeDefaultConverter().value());
  std::unique_ptr<batch::Bat> bat_;
};

TEST_F(QtBatViewTest, ConvertsEachFileWithTheBarPaintedAtEachStep) {
  const fs::path big5 = dir_ / "big5 news.htm";
  fs::copy_file(TOVENRAK_SOURCE_DIR "/samples/big5-news.htm", big5);
  view_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
  Add({big5.string(), big5.string()});
  ASSERT_EQ(Control<QListWidget>("BeFore")->count(), 2);
  Control<QLineEdit>("ToText")->setText(
      QString::fromStdString((dir_ / "out").string()));
  PaintCounter counter;
  Control<QProgressBar>("Pro")->installEventFilter(&counter);
  Control<QPushButton>("NGo")->click();

  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(Control<QProgressBar>("Pro")->value(), 100);
  // Painted at each step although the run never returns to the event loop.
  EXPECT_GE(counter.paints, 2);
  EXPECT_FALSE(view_.isVisible());
  EXPECT_EQ(view_.result(), QDialog::Accepted);
  EXPECT_TRUE(fs::exists(dir_ / "out" / big5.filename()));
}

// Focus makes the first entry current but selects nothing; it used to
// enable Remove, which then removed nothing.
TEST_F(QtBatViewTest, OnlyASelectedEntryEnablesRemove) {
  Add({"/d/a.htm", "/d/b.htm"});
  view_.show();
  QApplication::setActiveWindow(&view_);
  auto* be_fore = Control<QListWidget>("BeFore");
  auto* n_del = Control<QPushButton>("NDel");
  Control<QPushButton>("NAdd")->setFocus(Qt::TabFocusReason);
  be_fore->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(be_fore->hasFocus());
  EXPECT_TRUE(be_fore->currentIndex().isValid());
  EXPECT_FALSE(n_del->isEnabled());

  be_fore->setCurrentRow(0);
  ASSERT_TRUE(n_del->isEnabled());
  n_del->click();
  EXPECT_EQ(be_fore->count(), 1);
  EXPECT_EQ(bat_->be_hind(), std::vector<std::string>{"b.htm"});
  EXPECT_FALSE(n_del->isEnabled());
}

TEST_F(QtBatViewTest, EnterActsOnlyOnTheFocusedButton) {
  view_.show();
  for (const char* name : {"ToText", "NGo"}) {
    QWidget* control = Control<QWidget>(name);
    control->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(control, &press);
  }
  EXPECT_TRUE(dialog_.asked.empty());
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "请您选定要转换的文件，再开始转换。");
}

TEST_F(QtBatViewTest, FoldersAndVolumesChosenReachTheTarget) {
  auto* dir1 = Control<QTreeView>("Dir1");
  const QModelIndex program = dir1->currentIndex();
  ASSERT_TRUE(program.isValid());
  dir1->setCurrentIndex(program.parent());
  auto* to_text = Control<QLineEdit>("ToText");
  EXPECT_EQ(to_text->text().toStdString(), dir_.string());
}

}  // namespace
}  // namespace tovenrak::platform::qt
