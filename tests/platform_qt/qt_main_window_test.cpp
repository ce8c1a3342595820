// The main window's widgets: the events they report and the keyboard.

#include "platform/qt/qt_main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "platform/qt/qt_about_strip.h"
#include "platform/qt/qt_page_preview.h"
#include "platform/qt/qt_source_view.h"
#include "platform/qt/qt_toolbar.h"
#include "qt_test_support.h"
#include "recording_listener.h"

namespace tovenrak::platform::qt {
namespace {

using testing::RecordingListener;

// The window shown offscreen, with a listener, its source view focused.
struct ShownWindow {
  ShownWindow() {
    window.SetListener(&listener);
    window.ShowCentred();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    window.source_view().setFocus();
    EXPECT_TRUE(
        testing::WaitUntil([&] { return window.source_view().hasFocus(); }));
  }
  QtMainWindow window;
  RecordingListener listener;
};

TEST(QtMainWindowTest, CommandsReachTheListener) {
  QtMainWindow window;
  RecordingListener listener;
  window.SetListener(&listener);
  for (const char* name :
       {"MnuOpen", "mnuClear", "mnuBat", "MnuExit", "mnuTeh", "mnuAbout"})
    window.findChild<QAction*>(name)->trigger();
  for (int position = 1; position <= kToolbarPositions; ++position) {
    if (QAction* action = window.toolbar().ButtonAction(position))
      action->trigger();
  }
  window.about_strip().site_link()->click();
  EXPECT_EQ(listener.events,
            (std::vector<std::string>{
                "open", "clear", "batch", "exit", "web site", "about", "tool 1",
                "tool 2", "tool 4", "tool 6", "tool 7", "site link"}));

  // A disabled button reports nothing.
  listener.events.clear();
  window.toolbar().SetButtonEnabled(kBig5Button, false);
  QTest::mouseClick(window.toolbar().PositionWidget(kBig5Button),
                    Qt::LeftButton);
  EXPECT_TRUE(listener.events.empty());

  // GB and Big5 press each other out, and may both be released.
  QtToolbar& tool = window.toolbar();
  tool.SetButtonPressed(kGbButton, true);
  tool.SetButtonPressed(kBig5Button, true);
  EXPECT_FALSE(tool.ButtonAction(kGbButton)->isChecked());
  tool.SetButtonPressed(kBig5Button, false);
  EXPECT_FALSE(tool.ButtonAction(kBig5Button)->isChecked());
}

TEST(QtMainWindowTest, ShortcutsWinOverTheFocusedEditor) {
  ShownWindow shown;
  QtSourceView& view = shown.window.source_view();
  view.SetText("some text");
  view.selectAll();
  for (Qt::Key key : {Qt::Key_C, Qt::Key_X, Qt::Key_O, Qt::Key_B})
    QTest::keyClick(&view, key, Qt::ControlModifier);
  EXPECT_EQ(shown.listener.events,
            (std::vector<std::string>{"clear", "exit", "open", "batch"}));
  // The editor did not cut the selected text itself.
  EXPECT_EQ(view.toPlainText(), "some text");
}

TEST(QtMainWindowTest, TabWalksSourceViewToolbarAndPreview) {
  ShownWindow shown;
  QtMainWindow& window = shown.window;
  window.preview().show();
  std::vector<QWidget*> expected;
  for (int position :
       {kOpenButton, kClearButton, kBatchButton, kGbButton, kBig5Button})
    expected.push_back(window.toolbar().PositionWidget(position));
  for (QWidget* next : expected) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next)
        << QApplication::focusWidget()->accessibleName().toStdString();
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QWidget* focus = QApplication::focusWidget();
  EXPECT_TRUE(focus == &window.preview() ||
              window.preview().isAncestorOf(focus))
      << (focus ? focus->metaObject()->className() : "none");
  // Back from the first button to the source view; no tab was typed there.
  expected.front()->setFocus();
  QTest::keyClick(expected.front(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), &window.source_view());
  EXPECT_TRUE(window.source_view().toPlainText().isEmpty());
}

}  // namespace
}  // namespace tovenrak::platform::qt
