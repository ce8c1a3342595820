// The review's Qt controls: underlines that carry their text to the tooltip
// and to screen readers, the choice menu, the commands and the count panel.

#include "platform/qt/qt_review_view.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>

#include "platform/qt/qt_main_window.h"
#include "platform/qt/qt_source_view.h"
#include "platform/review_listener.h"
#include "qt_test_support.h"

namespace tovenrak::platform::qt {
namespace {

struct RecordingReviewListener : platform::ReviewListener {
  void OnNextPoint() override { events.push_back("next"); }
  void OnPreviousPoint() override { events.push_back("previous"); }
  void OnPointChosen(int mark, int alternative) override {
    events.push_back("choose " + std::to_string(mark) + " " +
                     std::to_string(alternative));
  }
  void OnSaveConverted() override { events.push_back("save"); }
  std::vector<std::string> events;
};

TEST(QtReviewViewTest, MarksAreUnderlinedReadAndOfferTheirAlternatives) {
  QtMainWindow window;
  QtReviewView review(window);
  RecordingReviewListener listener;
  review.SetListener(&listener);
  QtSourceView& view = window.source_view();
  // A CR LF and a character beyond the BMP before the marks.
  view.SetText("<p>\r\n\U00020000頭髮生，去幹擾</p>");
  review.ShowMarks(
      {{2, 3, 1, "疑点：发 → 髮（發 髮）", {"發", "髮"}},
       {2, 7, 1, "疑点：干 → 幹（幹 乾 干）", {"幹", "乾", "干"}}});
  review.ShowCount("疑点：2");

  const QList<QTextEdit::ExtraSelection> marks = view.extraSelections();
  ASSERT_EQ(marks.size(), 2);
  EXPECT_EQ(marks[0].cursor.selectedText(), "髮");
  EXPECT_EQ(marks[1].cursor.selectedText(), "幹");
  EXPECT_EQ(marks[1].format.underlineStyle(), QTextCharFormat::WaveUnderline);

  review.SelectMark(1);
  EXPECT_EQ(view.textCursor().selectedText(), "幹");
  EXPECT_EQ(view.accessibleDescription(), "疑点：干 → 幹（幹 乾 干）");
  EXPECT_EQ(review.MarkTextAt(marks[0].cursor.selectionStart()),
            "疑点：发 → 髮（發 髮）");
  EXPECT_EQ(review.count_panel().text(), "疑点：2");
  EXPECT_FALSE(review.count_panel().accessibleName().isEmpty());

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
