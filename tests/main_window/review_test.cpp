// The review of doubtful places in the main window: marks where the view
// shows them, walking them, choosing an alternative, remembering it as a
// personal phrase; and finding source places again in a converted text.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "core/encoding/rewrite_charset.h"
#include "core/scratch_folder.h"
#include "fakes/fake_review_view.h"
#include "main_window/point_places.h"
#include "main_world.h"
#include "support/text.h"

namespace tovenrak::testing {
namespace {

using core::Encoding;

// 前头发生 / 犇去干扰: 犇 has no Big5 code, so the view shows a reference
// before 干, and the declaration before 发 gets shorter.
const std::string kGbPage =
    Bytes("<meta charset=gb2312>前头发生\n犇去干扰。", Encoding::kGbk);

class ReviewTest : public ::testing::Test {
 protected:
  ReviewTest() { setenv("XDG_CONFIG_HOME", config.path().c_str(), 1); }
  ~ReviewTest() override { unsetenv("XDG_CONFIG_HOME"); }

  // "LINE:COLUMN+LENGTH TEXT" for each mark, joined by " | ".
  std::string Marks() const {
    std::string shown;
    for (const platform::ReviewMark& m : marks.marks) {
      shown += (shown.empty() ? "" : " | ") + std::to_string(m.line) + ":" +
               std::to_string(m.column) + "+" + std::to_string(m.length) + " " +
               m.text;
    }
    return shown;
  }
  std::string PhraseFile(const char* name = "phrases.txt") const {
    std::ifstream in(config / "tovenrak" / name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void OpenAndConvertToBig5() {
    w.Open("doc.htm", kGbPage);
    w.main.ConvertToBig5();  // The save dialog is cancelled.
  }

  ScratchFolder config;
  MainWorld w;
  fakes::FakeReviewView marks;
  main_window::Review& review = w.main.AttachReview(marks);
};

TEST_F(ReviewTest, MarksStandWhereTheViewShowsEachPoint) {
  struct Case {
    const char* name;
    const char* file;
    std::string bytes;
    bool to_big5;
    std::string marks;
  };
  const Case cases[] = {
      {"GB page to Big5, past a shorter declaration and a reference", "doc.htm",
       kGbPage, true,
       "1:22+1 疑点：发 → 髮（發 髮） | 2:10+1 疑点：干 → 幹（幹 乾 干）"},
      {"Big5 page shown as GB on opening", "doc.htm",
       Bytes("<meta charset=big5>\r\n他乾杯", Encoding::kBig5), false,
       "2:2+1 疑点：乾 → 干（干 乾）"},
      {"text with CR LF and lone CR line ends", "doc.txt",
       Bytes("x\r\n头发生\r去干扰", Encoding::kGbk), true,
       "2:2+1 疑点：发 → 髮（發 髮） | 3:2+1 疑点：干 → 幹（幹 乾 干）"},
  };
  for (const Case& c : cases) {
    MainWorld world;
    fakes::FakeReviewView view;
    world.main.AttachReview(view);
    world.Open(c.file, c.bytes);
    if (c.to_big5) world.main.ConvertToBig5();
    marks.marks = view.marks;
    EXPECT_EQ(Marks(), c.marks) << c.name;
    EXPECT_EQ(view.count, "疑点：" + std::to_string(view.marks.size()))
        << c.name;
  }
}

TEST_F(ReviewTest, OpeningShowsAPageBeforeLookingForItsPlaces) {
  const std::string page =
      Bytes("<meta charset=big5>\r\n他乾杯", Encoding::kBig5);
  w.hold_aside = true;
  w.Open("doc.htm", page);
  EXPECT_EQ(w.preview.calls, "hide, top, load /app/temp.htm, show");
  EXPECT_NE(w.view.text.find("他干杯"), std::string::npos);
  // The search waits for the preview to load, whether or not it could.
  EXPECT_TRUE(w.frame.aside.empty());
  w.main.OnPreviewLoadFinished(false);
  ASSERT_EQ(w.frame.aside.size(), 1u);
  EXPECT_EQ(Marks(), "");
  EXPECT_EQ(marks.count, "");
  w.frame.RunLater();
  EXPECT_EQ(Marks(), "2:2+1 疑点：乾 → 干（干 乾）");
  EXPECT_EQ(marks.count, "疑点：1");
  EXPECT_EQ(w.preview.calls, "hide, top, load /app/temp.htm, show");

  // A search put off is dropped, before it starts or before it ends, when
  // the page is cleared, another conversion begins its own review, or the
  // convert menu shows a conversion without one: each step's marks stay.
  for (const bool started : {false, true}) {
    for (const std::function<void()>& step : std::vector<std::function<void()>>{
             [&] { w.main.Clear(); }, [&] { w.main.OnMenuConvert(2); },
             [&] { w.main.ConvertToBig5(); }}) {
      w.Open("doc.htm", page);
      if (started) w.main.OnPreviewLoadFinished(true);
      step();
      const std::string own = Marks();
      w.main.OnPreviewLoadFinished(true);
      w.frame.RunLater();
      EXPECT_EQ(Marks(), own) << started;
    }
  }
  EXPECT_TRUE(w.Seen().starts_with("文件处于 Big5 码状态")) << w.Seen();
}

// The menu's GB and Big5 are the toolbar's, reviewed as they are.
TEST_F(ReviewTest, TheConvertMenusGbAndBig5AreReviewed) {
  w.Open("doc.htm", kGbPage);
  w.main.OnMenuConvert(1);
  EXPECT_EQ(marks.count, "疑点：2");
}

TEST_F(ReviewTest, PlacesFoundAfterTheWindowWentAreDropped) {
  {
    main_window::Main gone(
        {w.view, w.preview, w.status, w.tool, w.dialog, w.box, w.batch, w.shell,
         w.frame, w.files, w.settings},
        std::make_unique<RecordingConverter>(), kPreview, "/program");
    fakes::FakeReviewView view;
    gone.AttachReview(view);
    w.files.files[kDocs / "doc.htm"] =
        Bytes("<meta charset=big5>\r\n他乾杯", Encoding::kBig5);
    gone.OpenPath(kDocs / "doc.htm");
    gone.OnPreviewLoadFinished(true);
    ASSERT_EQ(w.frame.aside.size(), 1u);
  }
  w.frame.RunLater();  // Touches nothing of the window that went.
  EXPECT_EQ(Marks(), "");
}

TEST_F(ReviewTest, APageWhosePlacesCannotBeFoundIsShownConverted) {
  w.converter->fail_points = true;
  w.Open("doc.htm", Bytes("<meta charset=big5>\r\n他乾杯", Encoding::kBig5));
  EXPECT_NE(w.view.text.find("他干杯"), std::string::npos);
  EXPECT_EQ(w.preview.calls, "hide, top, load /app/temp.htm, show");
  ASSERT_EQ(w.box.shown.size(), 1u);
  EXPECT_EQ(w.box.shown[0].text,
            "无法查找“doc.htm”转换中的疑点。\n原因：candidates gone");
  EXPECT_EQ(Marks(), "");
}

TEST_F(ReviewTest, NextAndPreviousWalkTheMarksAndWrap) {
  w.Open("doc.txt", Bytes("头发生，去干扰，被发明", Encoding::kGbk));
  w.main.ConvertToBig5();
  ASSERT_EQ(marks.marks.size(), 3u);
  std::string walked;
  for (char step : std::string("NNNNPPP")) {
    if (step == 'N') review.OnNextPoint();
    if (step == 'P') review.OnPreviousPoint();
    walked += std::to_string(marks.selected);
  }
  EXPECT_EQ(walked, "0120210");
}

TEST_F(ReviewTest, ChoosingChangesTheStoredTextPreviewAndSave) {
  OpenAndConvertToBig5();
  review.OnPointChosen(0, 0);  // 發 instead of 髮.
  const std::string big5 = Bytes("前頭發生", Encoding::kBig5);
  EXPECT_NE(w.main.cvt_str().find(big5), std::string::npos);
  EXPECT_NE(w.PreviewFile().find("前頭發生"), std::string::npos);
  EXPECT_EQ(marks.selected, 0);
  EXPECT_EQ(marks.marks.at(0).text, "疑点：发 → 發（發 髮）");
  ASSERT_EQ(w.box.asked.size(), 1u);
  EXPECT_TRUE(w.box.asked[0].starts_with("以后也把“头发生”转换为“頭發生”吗？"))
      << w.box.asked[0];
  // 髮 was the word 头发's: the phrase would overrule it in 头发生长 too.
  EXPECT_TRUE(w.box.asked[0].ends_with(
      "注意：“髮”是按词典里的词转换的；记入后，凡是含“头发生”的文字都会转换为"
      "“頭發生”，也包括那个词本来转换对的地方。"))
      << w.box.asked[0];
  EXPECT_EQ(PhraseFile(), "");  // Declined.

  w.dialog.next_answers.push_back("/docs/out.htm");
  review.OnSaveConverted();
  EXPECT_EQ(w.files.files["/docs/out.htm"],
            core::RewriteCharset(w.main.cvt_str(), Encoding::kBig5));

  // Converting the same document again keeps the choice, and so does going
  // to GB, whose side is made from it, and back.
  w.main.ConvertToBig5();
  EXPECT_NE(w.main.cvt_str().find(big5), std::string::npos);
  EXPECT_EQ(marks.marks.at(0).text, "疑点：发 → 發（發 髮）");
  w.main.ConvertToGb();
  EXPECT_NE(w.main.ori_str().find(Bytes("前头发生", Encoding::kGbk)),
            std::string::npos);
  w.main.ConvertToBig5();
  EXPECT_NE(w.main.cvt_str().find(big5), std::string::npos);
  EXPECT_EQ(marks.marks.at(0).text, "疑点：发 → 發（發 髮）");
}

TEST_F(ReviewTest, RememberingSavesThePhraseAndConvertsAgainWithIt) {
  OpenAndConvertToBig5();
  ASSERT_EQ(marks.count, "疑点：2");
  w.box.answer_yes = true;
  review.OnPointChosen(1, 2);  // 去干擾.
  EXPECT_EQ(PhraseFile(), "去干扰\t去干擾\n");
  EXPECT_EQ(w.box.asked.back().find("注意"), std::string::npos);
  // The phrase now decides the place, which is no longer doubtful; the
  // review goes on from the nearest place, not from the top.
  EXPECT_EQ(Marks(), "1:22+1 疑点：发 → 髮（發 髮）");
  EXPECT_EQ(marks.count, "疑点：1");
  EXPECT_EQ(marks.selected, 0);
  EXPECT_NE(w.PreviewFile().find("去干擾"), std::string::npos);
  w.main.Clear();
  EXPECT_EQ(Marks(), "");
  EXPECT_EQ(marks.count, "");

  // A choice going to GB goes into the list for simplified Chinese.
  w.Open("doc.htm", Bytes("<meta charset=big5>\r\n他乾杯", Encoding::kBig5));
  w.frame.RunLater();
  review.OnPointChosen(0, 1);
  EXPECT_TRUE(
      w.box.asked.back().starts_with("以后也让“他乾杯”保持原样、不转换吗？"))
      << w.box.asked.back();
  EXPECT_EQ(PhraseFile("phrases-simplified.txt"), "他乾杯\t他乾杯\n");
  EXPECT_EQ(PhraseFile(), "去干扰\t去干擾\n");
  // A character alone would overrule every word that holds it, in every
  // later conversion: it is not offered.
  const size_t asked = w.box.asked.size();
  w.Open("lone.htm", Bytes("<a>干</a>", Encoding::kGbk));
  w.main.ConvertToBig5();
  ASSERT_EQ(marks.count, "疑点：1");
  review.OnPointChosen(0, 1);
  EXPECT_NE(w.main.cvt_str().find(Bytes("<a>乾</a>", Encoding::kBig5)),
            std::string::npos);
  // Opening asked whether to drop the choice before; the lone one asks
  // nothing.
  EXPECT_EQ(w.box.asked.size(), asked + 1);

  // Its neighbours across inline tags, which the conversion reads through,
  // make the phrase.
  w.Open("tagged.htm", Bytes("<p>晒<b>干</b>了</p>", Encoding::kGbk));
  w.main.ConvertToBig5();
  ASSERT_EQ(Marks(),
            "1:8+1 疑点：干 → 幹（幹 乾 干） | 1:13+1 疑点：了 → 了（了 瞭）");
  review.OnPointChosen(0, 1);
  EXPECT_EQ(PhraseFile(), "去干扰\t去干擾\n晒干了\t曬乾了\n");
  EXPECT_EQ(Marks(), "");
  EXPECT_NE(w.main.cvt_str().find(Bytes("曬<b>乾</b>了", Encoding::kBig5)),
            std::string::npos);
}

// A hand-edited view is not shown anew: a choice is made in it, where the
// place's character still stands, and a place whose text was deleted is
// passed over.
TEST_F(ReviewTest, AChoiceInAHandEditedViewIsMadeInIt) {
  OpenAndConvertToBig5();
  const std::string before = w.main.cvt_str();
  w.view.Edit("typed");
  const size_t shown = w.box.shown.size();
  review.OnPointChosen(0, 0);
  EXPECT_EQ(w.main.cvt_str(), before);
  EXPECT_EQ(w.view.text, "typed");
  EXPECT_EQ(marks.written_now[0], "發");
  EXPECT_EQ(marks.marks[0].text, "疑点：发 → 發（發 髮）");
  EXPECT_EQ(w.box.shown.size(), shown);
  EXPECT_EQ(w.PreviewFile(), "typed");  // The preview follows the view.
  // Remembered, the phrase does not convert the edited text again.
  w.box.answer_yes = true;
  review.OnPointChosen(1, 2);  // 去干擾.
  EXPECT_EQ(PhraseFile(), "去干扰\t去干擾\n");
  EXPECT_EQ(w.box.asked.back().find("马上重新转换"), std::string::npos);
  EXPECT_EQ(w.view.text, "typed");
  // Typed over since, it is not replaced.
  marks.written_now[0] = "x";
  review.OnPointChosen(0, 1);
  EXPECT_EQ(marks.written_now[0], "x");
  EXPECT_EQ(marks.marks[0].text, "疑点：发 → 發（發 髮）");
  ASSERT_EQ(w.box.shown.size(), shown + 1);
  EXPECT_TRUE(
      w.box.shown.back().text.starts_with("这个疑点处的字已经手工改过"));
  marks.gone = {1};
  review.OnTextEdited();
  EXPECT_EQ(marks.count, "疑点：1");
  review.OnNextPoint();
  EXPECT_EQ(marks.selected, 0);
  review.OnPreviousPoint();
  EXPECT_EQ(marks.selected, 0);
}

// Ctrl+X and Ctrl+C are Exit and Clear even in the source text, where they
// are cut and copy elsewhere: what was chosen or typed and not saved goes
// only when the user says so.
TEST_F(ReviewTest, ChoicesAndEditsNotSavedGoOnlyWhenTheUserSaysSo) {
  OpenAndConvertToBig5();
  review.OnPointChosen(0, 0);  // Declines to remember it.
  w.box.asked.clear();
  const std::string chosen = w.view.text;
  w.main.OnMenuExit();
  w.main.Clear();
  w.main.OnMenuConvert(3);  // Converts with no review.
  EXPECT_EQ(w.frame.quit, 0);
  EXPECT_EQ(w.box.asked.size(), 3u);
  EXPECT_EQ(w.view.text, chosen);
  w.box.asked.pop_back();
  // Nor does declining to open another file make its name the one saving
  // starts from.
  const std::string shown = w.dialog.started_from;
  w.Open("other.htm", "<p>other</p>");
  EXPECT_EQ(w.box.asked.size(), 3u);
  EXPECT_EQ(w.dialog.started_from, shown);
  w.box.asked.pop_back();

  w.dialog.next_answers.push_back("/docs/out.htm");
  review.OnSaveConverted();
  w.main.OnMenuExit();
  EXPECT_EQ(w.frame.quit, 1);
  EXPECT_EQ(w.box.asked.size(), 2u);

  w.view.Edit("typed");
  w.box.answer_yes = true;
  w.main.Clear();
  EXPECT_EQ(w.box.asked.size(), 3u);
  EXPECT_EQ(w.view.text, "");
}

// A side converted again from the other side's text, changed since, is
// converted anew: choices made in it and not saved would not come back,
// and go only when the user says so.
TEST_F(ReviewTest, ChoicesAConversionWouldNotBringBackAreAskedFor) {
  w.Open("doc.htm",
         Bytes("<meta charset=gb2312>前头发生，于是", Encoding::kGbk));
  w.main.ConvertToBig5();
  review.OnPointChosen(0, 0);  // 發, not remembered.
  const std::string chosen = w.main.cvt_str();
  w.main.ConvertToGb();
  review.OnPointChosen(0, 1);  // 於 kept.
  w.box.asked.clear();
  w.main.ConvertToBig5();
  ASSERT_EQ(w.box.asked.size(), 1u);
  EXPECT_EQ(w.box.asked[0],
            "Big5 码文本中在疑点所作的选择尚未保存，这次转换不会保留它们。"
            "要转换吗？");
  EXPECT_EQ(w.main.cvt_str(), chosen);
  EXPECT_EQ(w.Buttons(), "Open Clear Batch GB* Big5");
  // Saved, they are in the file.
  w.box.answer_yes = true;
  w.main.ConvertToGb();
  w.main.ConvertToBig5();
  w.dialog.next_answers.push_back("/docs/out.htm");
  review.OnSaveConverted();
  w.main.ConvertToGb();
  review.OnPointChosen(0, 1);
  w.box.asked.clear();
  w.box.answer_yes = false;
  w.main.ConvertToBig5();
  EXPECT_TRUE(w.box.asked.empty()) << w.box.asked.front();
}

TEST_F(ReviewTest, AnUnreadablePersonalListIsReportedAndLeftOut) {
  std::filesystem::create_directories(config / "tovenrak");
  std::ofstream(config / "tovenrak/phrases.txt") << "no tab here\n";
  OpenAndConvertToBig5();
  // Once, on converting: opening a GB page converts nothing.
  int reported = 0;
  for (const auto& shown : w.box.shown)
    reported += shown.text.starts_with("无法读取个人词组");
  EXPECT_EQ(reported, 1);
  EXPECT_EQ(marks.count, "疑点：2");
}

TEST(PlaceIndicesTest, FindsSourcePlacesInTheConversion) {
  struct Case {
    const char* name;
    std::string from;
    std::string to;
    std::vector<size_t> indices;
    std::vector<size_t> places;
  };
  const size_t no = main_window::kNowhere;
  const Case cases[] = {
      {"one for one", "头发，干", "頭髮，幹", {1, 3}, {1, 3}},
      {"reference", "犇发", "&#29319;髮", {0, 1}, {0, 8}},
      {"source reference kept", "&#1;发", "&#1;髮", {4}, {4}},
      {"shorter declaration",
       "charset=gb2312>发",
       "charset=big5>髮",
       {15},
       {13}},
      {"longer phrase", "a U盘 发展 b", "a 隨身碟 發展 b", {2, 5}, {no, 6}},
      {"too far to find again", "a发", std::string(70, 'z') + "髮", {1}, {no}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(main_window::PlaceIndices(U32(c.from), U32(c.to), c.indices),
              c.places)
        << c.name;
  }
}

}  // namespace
}  // namespace tovenrak::testing
