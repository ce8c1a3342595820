// The main window's widgets: the events they report, the shortcuts, the
// interface language, what screen readers hear, and the review's controls.

#include "platform/qt/qt_main_window.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <atomic>
#include <vector>

#include "platform/qt/qt_about_strip.h"
#include "platform/qt/qt_bat_view.h"
#include "platform/qt/qt_interface_language.h"
#include "platform/qt/qt_page_preview.h"
#include "platform/qt/qt_review_view.h"
#include "platform/qt/qt_source_view.h"
#include "platform/qt/qt_status_bar.h"
#include "platform/qt/qt_toolbar.h"
#include "platform/qt/qt_window_texts.h"
#include "platform/review_listener.h"
#include "platform/shown_name.h"
#include "qt_test_support.h"

namespace tovenrak::platform::qt {
namespace {

// Shortcuts win over the focused editor, which keeps its selected text.
TEST(QtMainWindowTest, CommandsAndShortcutsReachTheListener) {
  QtMainWindow window;
  testing::RecordingListener listener;
  window.SetListener(&listener);
  for (const char* name : {"MnuOpen", "mnuClear", "mnuBat", "MnuExit", "mnuTeh",
                           "mnuAbout", "mnuToUtf8T", "mnuToGb18030", "mnuHk"})
    window.findChild<QAction*>(name)->trigger();
  for (int position = 1; position <= kToolbarPositions; ++position) {
    if (QAction* action = window.toolbar().ButtonAction(position))
      action->trigger();
  }
  window.about_strip().site_link()->click();
  window.ShowCentred();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.activateWindow();
  QtSourceView& view = window.source_view();
  view.setFocus();
  ASSERT_TRUE(testing::WaitUntil([&] { return view.hasFocus(); }));
  view.SetText("some text");
  view.selectAll();
  for (Qt::Key key : {Qt::Key_C, Qt::Key_X, Qt::Key_O, Qt::Key_B})
    QTest::keyClick(&view, key, Qt::ControlModifier);
  // A press that no shortcut takes, as when the window was left inactive
  // after a dialog, runs its menu item all the same, once, and cuts nothing.
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(testing::WaitUntil(
      [&] { return QApplication::activeWindow() == &other; }));
  for (Qt::Key key : {Qt::Key_X, Qt::Key_C})
    QTest::keyClick(&view, key, Qt::ControlModifier);
  EXPECT_EQ(
      listener.events,
      (std::vector<std::string>{
          "open",      "clear",     "batch",     "exit",   "web site", "about",
          "convert 3", "convert 4", "variant 2", "tool 1", "tool 2",   "tool 4",
          "tool 6",    "tool 7",    "site link", "clear",  "exit",     "open",
          "batch",     "exit",      "clear"}));
  EXPECT_EQ(view.toPlainText(), "some text");
}

// Stands in for the page's render widget, which appears only once a page is
// drawn (offscreen that may never happen) and takes every key for the page.
class KeyTakingWidget : public QWidget {
 public:
  using QWidget::QWidget;
  bool event(QEvent* event) override {
    if (event->type() == QEvent::KeyPress) return true;
    return QWidget::event(event);
  }
};

// The page takes Tab for its links and keeps the focus: Tab and Shift+Tab
// leave it, for the source text and the toolbar.
TEST(QtMainWindowTest, TabLeavesThePreview) {
  QtMainWindow window;
  window.ShowCentred();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.activateWindow();
  QtPagePreview* preview = &window.preview();
  preview->show();
  KeyTakingWidget render(preview);
  render.setFocusPolicy(Qt::StrongFocus);
  render.show();
  for (const auto& [modifiers, lands] :
       {std::pair{Qt::NoModifier, static_cast<QWidget*>(&window.source_view())},
        std::pair{Qt::ShiftModifier, window.toolbar().PositionWidget(7)}}) {
    render.setFocus();
    ASSERT_TRUE(testing::WaitUntil([&] { return render.hasFocus(); }));
    QTest::keyClick(&render, modifiers ? Qt::Key_Backtab : Qt::Key_Tab,
                    modifiers);
    EXPECT_EQ(QApplication::focusWidget(), lands) << modifiers;
  }
}

// Every named widget and every one that takes focus, in both windows.
// Work runs on another thread, then what follows it on the window's, in
// order; a window that goes first waits for the work and drops the rest.
TEST(QtMainWindowTest, WorkRunsAsideAndEndsBetweenTheWindowsEvents) {
  const QThread* window_thread = QThread::currentThread();
  std::atomic<const QThread*> worked_on = nullptr;
  std::vector<int> ended;
  std::atomic<bool> worked = false;
  {
    QtMainWindow window;
    for (int i = 0; i < 3; ++i) {
      window.RunAside([&] { worked_on = QThread::currentThread(); },
                      [&, i] {
                        EXPECT_EQ(QThread::currentThread(), window_thread);
                        ended.push_back(i);
                      });
    }
    EXPECT_TRUE(ended.empty());
    EXPECT_TRUE(testing::WaitUntil([&] { return ended.size() == 3; }));
    EXPECT_EQ(ended, (std::vector<int>{0, 1, 2}));
    EXPECT_NE(worked_on.load(), window_thread);

    window.RunAside(
        [&] {
          QThread::msleep(100);
          worked = true;
        },
        [&] { ended.push_back(3); });
  }
  EXPECT_TRUE(worked);
  QCoreApplication::processEvents();
  EXPECT_EQ(ended.size(), 3u);
}

TEST(QtMainWindowTest, EveryControlHasAnAccessibleName) {
  QtMainWindow window;
  window.SetSiteLink("zemlorin.example", "tip");
  QtBatView batch;
  for (QWidget* top :
       {static_cast<QWidget*>(&window), static_cast<QWidget*>(&batch)}) {
    for (QWidget* control : top->findChildren<QWidget*>()) {
      const QString name = control->objectName();
      if (name.startsWith("qt_") ||
          (name.isEmpty() && control->focusPolicy() == Qt::NoFocus))
        continue;
      EXPECT_FALSE(control->accessibleName().isEmpty())
          << control->metaObject()->className() << " " << name.toStdString();
    }
  }
}

// The about strip's texts show whole in whatever font stands in for theirs.
TEST(QtMainWindowTest, AboutStripTextsAreNotCut) {
  QtMainWindow window;
  window.SetSiteLink("zemlorin.example", "tip");
  for (const char* name : {"Version", "Label2"}) {
    const auto* label = window.findChild<QLabel*>(name);
    ASSERT_NE(label, nullptr) << name;
    EXPECT_GE(label->width(), label->sizeHint().width()) << name;
  }
}

TEST(QtMainWindowTest, TaiwanHongKongAndMacaoGetTheTraditionalTexts) {
  const struct {
    const char* locale;
    bool traditional;
    const char* open;
  } cases[] = {{"zh_TW", true, "開啟(&O)"},
               {"zh_MO", true, "開啟(&O)"},
               {"zh_CN", false, "打开(&O)"}};
  for (const auto& c : cases) {
    EXPECT_EQ(InstallInterfaceLanguage(*qApp, QLocale(c.locale)), c.traditional)
        << c.locale;
    QtMainWindow window;
    EXPECT_EQ(window.findChild<QAction*>("MnuOpen")->text(), c.open)
        << c.locale;
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
      QCoreApplication::removeTranslator(translator);
      delete translator;
    }
  }
}

// A screen reader hears a panel's text, not only what the panel is.
TEST(QtMainWindowTest, PanelTextsAreHeardAndPressedButtonsChecked) {
  QtMainWindow window;
  window.status().SetPanelText(2, "文件处于 Big5 码状态");
  QAccessibleInterface* panel = QAccessible::queryAccessibleInterface(
      window.status().findChildren<QLabel*>().at(1));
  EXPECT_EQ(panel->text(QAccessible::Name), "文件处于 Big5 码状态");
  // A long link address hovered in the page, or a long detection note, does
  // not widen the window; the note is cut short but heard whole.
  const int least = window.status().minimumSizeHint().width();
  window.status().SetPanelText(1, "file:///" + std::string(400, 'a'));
  const std::string note = "编码：GB（也可读作 Big5、UTF-8，请核对）";
  window.status().SetPanelText(3, note + note + note);
  QApplication::processEvents();  // The layout takes the new text.
  EXPECT_EQ(window.status().minimumSizeHint().width(), least);
  EXPECT_EQ(window.status().PanelText(3).toStdString(), note + note + note);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(
                window.status().findChildren<QLabel*>().at(2))
                ->text(QAccessible::Name)
                .toStdString(),
            note + note + note);
  testing::RecordingListener listener;
  window.SetListener(&listener);
  window.toolbar().SetButtonPressed(kBig5Button, true);
  EXPECT_TRUE(window.toolbar().ButtonAction(kBig5Button)->isChecked());
  // A screen reader's Toggle, as its Press, is a press of the button: it
  // converts, not only shows the button pressed.
  QAccessibleInterface* gb = QAccessible::queryAccessibleInterface(
      window.toolbar().PositionWidget(kGbButton));
  ASSERT_NE(gb->actionInterface(), nullptr);
  gb->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  QApplication::processEvents();
  QAccessible::queryAccessibleInterface(
      window.toolbar().PositionWidget(kBig5Button))
      ->actionInterface()
      ->doAction(QAccessibleActionInterface::pressAction());
  QApplication::processEvents();
  EXPECT_EQ(listener.events,
            (std::vector<std::string>{"tool " + std::to_string(kGbButton),
                                      "tool " + std::to_string(kBig5Button)}));
}

// Closing the window is Exit, which may ask; once Exit quits, the close
// that Qt sends each window on quitting asks nothing more.
TEST(QtMainWindowTest, ClosingAsksOnceThroughExit) {
  QtMainWindow window;
  testing::RecordingListener listener;
  window.SetListener(&listener);
  window.show();
  EXPECT_FALSE(window.close());
  window.Quit();
  EXPECT_TRUE(window.close());
  EXPECT_EQ(listener.events, std::vector<std::string>{"exit"});
}

// The review's controls: underlines that carry their text to the tooltip and
// to screen readers, the choice menu, the commands and the count panel.
struct RecordingReviewListener : platform::ReviewListener {
  void OnNextPoint() override { events.push_back("next"); }
  void OnPreviousPoint() override { events.push_back("previous"); }
  void OnPointChosen(int mark, int alternative) override {
    events.push_back("choose " + std::to_string(mark) + " " +
                     std::to_string(alternative));
  }
  void OnSaveConverted() override { events.push_back("save"); }
  void OnTextEdited() override { events.push_back("edited"); }
  std::vector<std::string> events;
};

// The source view gives back the characters it was given: a no-break space
// or a line separator is no plain space or line feed in the saved file.
TEST(QtSourceViewTest, GivesBackTheCharactersItWasGiven) {
  QtMainWindow window;
  QtSourceView& view = window.source_view();
  const std::string text = "a\u00A0b\u2028c\n\nd\uFFFD";
  view.SetText(text);
  EXPECT_EQ(view.Text(), text);
}

// A document opened is shown from its start, wherever the one before was
// scrolled to.
TEST(QtSourceViewTest, ShowsTheStartWhenToldTo) {
  QtMainWindow window;
  window.show();
  QtSourceView& view = window.source_view();
  std::string text;
  for (int i = 0; i < 500; ++i) text += "第" + std::to_string(i) + "行\n";
  view.SetText(text);
  QApplication::processEvents();
  view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
  ASSERT_GT(view.verticalScrollBar()->value(), 0);
  view.ShowStart();
  QApplication::processEvents();
  EXPECT_EQ(view.verticalScrollBar()->value(), 0);
  EXPECT_EQ(view.textCursor().position(), 0);
}

// The paste keys paste the clipboard's text, and nothing from an empty one.
TEST(QtSourceViewTest, PasteKeysPasteTheClipboardsText) {
  QtMainWindow window;
  QtSourceView& view = window.source_view();
  view.SetText("头发");
  view.moveCursor(QTextCursor::End);
  QGuiApplication::clipboard()->clear();
  QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(view.Text(), "头发");
  QGuiApplication::clipboard()->setText("干净");
  QTest::keyClick(&view, Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(view.Text(), "头发干净");
}

// In an edited text a choice replaces the mark's text where it now is, and
// a mark whose text was deleted is not selected.
TEST(QtReviewViewTest, MarksFollowEditsAndTakeChoices) {
  QtMainWindow window;
  QtReviewView review(window);
  QtSourceView& view = window.source_view();
  view.SetText("<p>頭髮生，去幹擾</p>");
  review.ShowMarks({{1, 5, 1, "发", {"發", "髮"}}, {1, 9, 1, "干", {"幹"}}});
  QTextCursor typing(view.document());
  typing.insertText("typed ");
  EXPECT_FALSE(review.ReplaceMark(0, "發", "髮", "no"));
  EXPECT_TRUE(review.ReplaceMark(0, "髮", "發", "发 → 發"));
  EXPECT_EQ(view.Text(), "typed <p>頭發生，去幹擾</p>");
  ASSERT_TRUE(review.SelectMark(0));
  EXPECT_EQ(view.textCursor().selectedText(), "發");
  EXPECT_EQ(view.accessibleDescription(), "发 → 發");
  typing.setPosition(14);
  typing.setPosition(16, QTextCursor::KeepAnchor);
  EXPECT_EQ(review.MarksStanding(), 2u);
  typing.removeSelectedText();  // 幹擾
  EXPECT_EQ(review.MarksStanding(), 1u);
  EXPECT_FALSE(review.SelectMark(1));
  EXPECT_FALSE(review.ReplaceMark(1, "幹", "乾", "gone"));
  // A new text drops the marks: cursors, which the document would move at
  // each change of a large text to come, one by one.
  view.SetText("頭髮");
  EXPECT_TRUE(view.extraSelections().isEmpty());
  EXPECT_EQ(review.MarkTextAt(0), "");
}

TEST(QtReviewViewTest, MarksAreUnderlinedReadAndOfferTheirAlternatives) {
  QtMainWindow window;
  QtReviewView review(window);
  RecordingReviewListener listener;
  review.SetListener(&listener);
  QtSourceView& view = window.source_view();
  // A CR LF and a character beyond the BMP before the marks.
  view.SetText("<p>\r\n\U00020000頭髮生，去幹擾</p>");
  ASSERT_FALSE(listener.events.empty());  // The text changed.
  EXPECT_EQ(listener.events.back(), "edited");
  listener.events.clear();
  // In a Traditional interface the label is converted, the characters not.
  SetWindowTextScript([](std::string_view text) {
    std::string out(text);
    for (const auto& [from, to] : {std::pair{"点", "點"}, {"干", "幹"}})
      for (size_t at; (at = out.find(from)) != std::string::npos;)
        out.replace(at, 3, to);
    return out;
  });
  const std::string hair = "发 → 髮（發 髮）", dry = "干 → 幹（幹 乾 干）";
  review.ShowMarks(
      {{2, 3, 1, "疑点：" + platform::ShownName(hair), {"發", "髮"}},
       {2, 7, 1, "疑点：" + platform::ShownName(dry), {"幹", "乾", "干"}}});
  review.ShowCount("疑点：2");
  SetWindowTextScript(nullptr);

  const QList<QTextEdit::ExtraSelection> marks = view.extraSelections();
  ASSERT_EQ(marks.size(), 2);
  EXPECT_EQ(marks[0].cursor.selectedText(), "髮");
  EXPECT_EQ(marks[1].cursor.selectedText(), "幹");
  EXPECT_EQ(marks[1].format.underlineStyle(), QTextCharFormat::WaveUnderline);

  review.SelectMark(1);
  EXPECT_EQ(view.textCursor().selectedText(), "幹");
  EXPECT_EQ(view.accessibleDescription().toStdString(), "疑點：" + dry);
  EXPECT_EQ(review.MarkTextAt(marks[0].cursor.selectionStart()).toStdString(),
            "疑點：" + hair);
  EXPECT_EQ(review.count_panel().text(), "疑點：2");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(&review.count_panel())
                ->text(QAccessible::Name),
            "疑點：2");

  // Shift+F10 opens the place's menu, as the menu key does.
  window.ShowCentred();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QStringList offered;
  QTimer::singleShot(0, [&] {
    QWidget* popup = nullptr;
    testing::WaitUntil(
        [&] { return (popup = QApplication::activePopupWidget()); });
    if (!popup) return;
    for (QAction* action : popup->actions()) offered.append(action->text());
    popup->close();
  });
  QTest::keyClick(&view, Qt::Key_F10, Qt::ShiftModifier);
  ASSERT_GE(offered.size(), 3);
  EXPECT_EQ(offered.mid(0, 3),
            (QStringList{"改为“幹”（去幹擾）", "改为“乾”（去乾擾）",
                         "改为“干”（去干擾）"}));

  std::unique_ptr<QMenu> menu(review.CreateChoiceMenu(1, &view));
  ASSERT_EQ(menu->actions().size(), 3);
  EXPECT_TRUE(menu->actions()[0]->isChecked());
  menu->actions()[1]->trigger();
  for (const char* name : {"mnuNextPoint", "mnuPreviousPoint", "mnuSave"})
    window.findChild<QAction*>(name)->trigger();
  EXPECT_EQ(listener.events, (std::vector<std::string>{"choose 1 1", "next",
                                                       "previous", "save"}));

  review.ShowMarks({});
  EXPECT_TRUE(view.extraSelections().isEmpty());
  EXPECT_EQ(view.accessibleDescription(), "");
}

}  // namespace
}  // namespace tovenrak::platform::qt
