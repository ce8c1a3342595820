// The main window's widgets: menus, shortcuts, toolbar positions, accessible
// names, twips geometry and the events they report.

#include "platform/qt/qt_main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "platform/qt/qt_about_strip.h"
#include "platform/qt/qt_page_preview.h"
#include "platform/qt/qt_source_view.h"
#include "platform/qt/qt_status_bar.h"
#include "platform/qt/qt_toolbar.h"
#include "qt_test_support.h"
#include "recording_listener.h"

namespace tovenrak::platform::qt {
namespace {

using testing::RecordingListener;

QAction* MenuItem(QtMainWindow& window, const char* name) {
  return window.findChild<QAction*>(name);
}

TEST(QtMainWindowTest, MenusCarryTheirCaptionsAndShortcuts) {
  QtMainWindow window;
  EXPECT_EQ(window.windowTitle(), "Zemlorin Tovenrak v.1");
  EXPECT_FALSE(window.windowIcon().isNull());
  struct Case {
    const char* name;
    const char* caption;
    const char* shortcut;
  };
  const Case cases[] = {
      {"MnuOpen", "打开(&O)", "Ctrl+O"},
      {"mnuClear", "清除(&C)", "Ctrl+C"},
      {"mnuBat", "批量转换(&T)...", "Ctrl+B"},
      {"MnuExit", "退出(&X)", "Ctrl+X"},
      {"mnuTeh", "技术站点(&T)...", ""},
      {"mnuAbout", "关于 Tovenrak (&A)...", ""},
  };
  for (const Case& c : cases) {
    QAction* item = MenuItem(window, c.name);
    ASSERT_NE(item, nullptr) << c.name;
    EXPECT_EQ(item->text(), QString::fromUtf8(c.caption)) << c.name;
    EXPECT_EQ(item->shortcut(), QKeySequence(c.shortcut)) << c.name;
  }
  const QList<QAction*> menus = window.menuBar()->actions();
  ASSERT_EQ(menus.size(), 2);
  EXPECT_EQ(menus[0]->text(), "文件(&F)");
  EXPECT_EQ(menus[1]->text(), "帮助(&H)");
  QStringList file_items;
  for (QAction* item : menus[0]->menu()->actions())
    file_items << (item->isSeparator() ? "-" : item->objectName());
  EXPECT_EQ(file_items, QStringList({"MnuOpen", "mnuClear", "-", "mnuBat", "-",
                                     "MnuExit"}));
}

TEST(QtMainWindowTest, ToolbarHasEightPositionsWithThreeGaps) {
  QtMainWindow window;
  QtToolbar& tool = window.toolbar();
  struct Case {
    int position;
    const char* caption;  // nullptr for a gap
    const char* tooltip;
    bool toggle;
  };
  const Case cases[] = {
      {1, "打开", "打开一个文件进行内码转换", false},
      {2, "清除", "清除当前文本", false},
      {3, nullptr, nullptr, false},
      {4, "批量", "批量转换文件内码", false},
      {5, nullptr, nullptr, false},
      {6, "GB", "将当前文件转换为 GB 码", true},
      {7, "Big5", "将当前文件转换为 Big5 码", true},
      {8, nullptr, nullptr, false},
  };
  for (const Case& c : cases) {
    ASSERT_NE(tool.PositionWidget(c.position), nullptr) << c.position;
    QAction* action = tool.ButtonAction(c.position);
    if (!c.caption) {
      EXPECT_EQ(action, nullptr) << c.position;
      continue;
    }
    ASSERT_NE(action, nullptr) << c.position;
    EXPECT_EQ(action->text(), QString::fromUtf8(c.caption)) << c.position;
    EXPECT_EQ(action->toolTip(), QString::fromUtf8(c.tooltip)) << c.position;
    EXPECT_EQ(action->isCheckable(), c.toggle) << c.position;
    EXPECT_EQ(action->icon().actualSize(QSize(16, 16)), QSize(16, 16))
        << c.position;
  }
  // GB and Big5 press each other out, and may both be released.
  tool.SetButtonPressed(6, true);
  tool.SetButtonPressed(7, true);
  EXPECT_FALSE(tool.ButtonAction(6)->isChecked());
  tool.SetButtonPressed(7, false);
  EXPECT_FALSE(tool.ButtonAction(6)->isChecked() ||
               tool.ButtonAction(7)->isChecked());
}

TEST(QtMainWindowTest, EveryControlHasAnAccessibleName) {
  QtMainWindow window;
  window.SetSiteLink("zemlorin.example", "tip");
  QList<QWidget*> controls = {&window.source_view(), &window.preview(),
                              &window.toolbar(),     &window.status(),
                              &window.client(),      window.menuBar()};
  for (const char* name : {"LHtmler", "LOriText", "Line1", "Line2", "Image1",
                           "Version", "Label2", "Visit", "Zemlorin"}) {
    QWidget* control = window.findChild<QWidget*>(name);
    ASSERT_NE(control, nullptr) << name;
    controls << control;
  }
  for (int position = 1; position <= 8; ++position)
    controls << window.toolbar().PositionWidget(position);
  for (QLabel* panel : window.status().findChildren<QLabel*>())
    controls << panel;
  for (QWidget* control : controls) {
    EXPECT_FALSE(control->accessibleName().isEmpty())
        << control->metaObject()->className() << " "
        << control->objectName().toStdString();
  }
}

TEST(QtMainWindowTest, CommandsReachTheListener) {
  QtMainWindow window;
  RecordingListener listener;
  window.SetListener(&listener);
  for (const char* name :
       {"MnuOpen", "mnuClear", "mnuBat", "MnuExit", "mnuTeh", "mnuAbout"})
    MenuItem(window, name)->trigger();
  for (int position = 1; position <= 8; ++position) {
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
  window.toolbar().SetButtonEnabled(7, false);
  QTest::mouseClick(window.toolbar().PositionWidget(7), Qt::LeftButton);
  EXPECT_TRUE(listener.events.empty());
}

TEST(QtMainWindowTest, ShortcutsWinOverTheFocusedEditor) {
  QtMainWindow window;
  RecordingListener listener;
  window.SetListener(&listener);
  window.ShowCentred();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.activateWindow();
  QtSourceView& view = window.source_view();
  view.SetText("some text");
  view.selectAll();
  view.setFocus();
  ASSERT_TRUE(testing::WaitUntil([&] { return view.hasFocus(); }));

  QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
  QTest::keyClick(&view, Qt::Key_X, Qt::ControlModifier);
  QTest::keyClick(&view, Qt::Key_O, Qt::ControlModifier);
  QTest::keyClick(&view, Qt::Key_B, Qt::ControlModifier);

  EXPECT_EQ(listener.events,
            (std::vector<std::string>{"clear", "exit", "open", "batch"}));
  // The editor did not cut the selected text itself.
  EXPECT_EQ(view.toPlainText(), "some text");
}

TEST(QtMainWindowTest, TabWalksSourceViewToolbarAndPreview) {
  QtMainWindow window;
  window.ShowCentred();
  window.preview().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.activateWindow();
  window.source_view().setFocus();
  ASSERT_TRUE(
      testing::WaitUntil([&] { return window.source_view().hasFocus(); }));
  std::vector<QWidget*> expected;
  for (int position : {1, 2, 4, 6, 7})
    expected.push_back(window.toolbar().PositionWidget(position));
  for (QWidget* next : expected) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next)
        << QApplication::focusWidget()->metaObject()->className() << " "
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

TEST(QtMainWindowTest, PanesArePlacedInTwipsOfTheScreen) {
  QtMainWindow window;
  const double per_pixel_x = 1440.0 / window.client().logicalDpiX();
  const double per_pixel_y = 1440.0 / window.client().logicalDpiY();
  PaneRects rects;
  rects.source = {4800, 960, 2400, 3000};
  rects.source_label = {4800, 705, 1935, 255};
  rects.preview = {120, 960, 4200, 3000};
  rects.preview_label = {120, 705, 1215, 255};
  window.PlacePanes(rects);
  auto pixels = [&](const TwipsRect& r) {
    return QRect(qRound(r.left / per_pixel_x), qRound(r.top / per_pixel_y),
                 qRound(r.width / per_pixel_x), qRound(r.height / per_pixel_y));
  };
  EXPECT_EQ(window.source_view().geometry(), pixels(rects.source));
  EXPECT_EQ(window.preview().geometry(), pixels(rects.preview));
  EXPECT_EQ(window.findChild<QLabel*>("LOriText")->geometry(),
            pixels(rects.source_label));
  EXPECT_EQ(window.findChild<QLabel*>("LHtmler")->geometry(),
            pixels(rects.preview_label));
  // The about strip keeps its fixed places: the separator at 6720 twips,
  // moved down as far as the layout asks.
  EXPECT_EQ(window.findChild<QWidget*>("Line1")->y(),
            qRound(6720 / per_pixel_y));
  rects.about_strip_shift = 1500;
  window.PlacePanes(rects);
  EXPECT_EQ(window.findChild<QWidget*>("Line1")->y(),
            qRound(8220 / per_pixel_y));
  EXPECT_EQ(window.findChild<QWidget*>("Visit")->y(),
            qRound(8700 / per_pixel_y));
}

TEST(QtMainWindowTest, StartingSizeAndResizesAreReportedInTwips) {
  QtMainWindow window;
  RecordingListener listener;
  window.SetListener(&listener);
  window.ShowCentred();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ASSERT_GT(listener.resized, 0);
  const double per_pixel = 1440.0 / window.logicalDpiX();
  // The client area, status bar included, starts 7170 x 4545 twips.
  EXPECT_NEAR(listener.client_width, 7170, per_pixel);
  EXPECT_NEAR(window.client().height() + window.status().height(),
              4545 / per_pixel, 1);
  EXPECT_GE(listener.outer_width, listener.client_width);
  EXPECT_NEAR(listener.outer_height,
              window.frameGeometry().height() * 1440.0 / window.logicalDpiY(),
              0.01);

  window.resize(window.width() + 100, window.height() + 50);
  ASSERT_TRUE(testing::WaitUntil(
      [&] { return listener.client_width > 7170 + 99 * per_pixel; }));
  EXPECT_NEAR(listener.client_width, 7170 + 100 * per_pixel, per_pixel);
  // The toolbar stays docked along the top at full width.
  EXPECT_EQ(window.toolbar().geometry().topLeft(), QPoint(0, 0));
  EXPECT_EQ(window.toolbar().width(), window.client().width());
}

TEST(QtMainWindowTest, SiteLinkShowsAddressTooltipAndPointer) {
  QtMainWindow window;
  window.SetSiteLink("zemlorin.example",
                     "我们的E-mail为：tovenrak@zemlorin.example");
  QPushButton* visit = window.about_strip().site_link();
  EXPECT_EQ(visit->text(), "zemlorin.example");
  EXPECT_EQ(visit->toolTip(), "我们的E-mail为：tovenrak@zemlorin.example");
  EXPECT_EQ(visit->cursor().shape(), Qt::BitmapCursor);
  EXPECT_FALSE(visit->cursor().pixmap().isNull());
}

TEST(QtMainWindowTest, AboutStripLiesUnderThePanesWithVersionOverItsPicture) {
  QtMainWindow window;
  const QObjectList stack = window.client().children();  // bottom first
  auto level = [&](const char* name) {
    return stack.indexOf(window.findChild<QWidget*>(name));
  };
  EXPECT_LT(level("Image1"), level("Version"));
  for (const char* strip :
       {"Line1", "Image1", "Version", "Visit", "Zemlorin"}) {
    for (const char* pane : {"Htmler", "OriText"})
      EXPECT_LT(level(strip), level(pane)) << strip << " " << pane;
  }
}

TEST(QtMainWindowTest, MaximizeMaximisesAndStaysMaximised) {
  QtMainWindow window;
  window.ShowCentred();
  window.Maximize();
  ASSERT_TRUE(testing::WaitUntil([&] { return window.isMaximized(); }));
  window.Maximize();
  EXPECT_TRUE(window.isMaximized());
}

}  // namespace
}  // namespace tovenrak::platform::qt
