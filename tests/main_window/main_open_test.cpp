// Open and Clear: the document state a chosen file leaves behind.

#include <gtest/gtest.h>

#include "main_world.h"

namespace tovenrak::testing {
namespace {

TEST(MainOpenTest, StartsEmptyWithEveryButtonEnabledAndCancelKeepsIt) {
  MainWorld w;
  w.main.OpenHtmlFile();
  EXPECT_EQ(w.frame.title, main_window::kTitle);
  EXPECT_EQ(w.frame.site_address, main_window::kSiteAddress);
  EXPECT_EQ(w.Seen(), " | Open Clear Batch GB Big5 | ");
  EXPECT_EQ(w.PreviewCalls(), "hide");
  EXPECT_TRUE(w.box.shown.empty());
  EXPECT_TRUE(w.converter->calls.empty());
}

TEST(MainOpenTest, OpenSetsTheDocumentStateOfItsKind) {
  struct Case {
    const char* name;
    std::string bytes;
    bool big5;
    std::string ori_str;    // GB side
    std::string cvt_str;    // Big5 side
    std::string view_text;  // UTF-8
    std::string preview;    // kPreview's bytes
  };
  const std::string big5 = Page("big5", kBig5Body);
  const std::string gb = Page("gbk", kGbBody);
  const std::string mention = "BiG5 " + kBig5Body;
  const std::string apart = "big 5 " + kGbBody;
  const Case cases[] = {
      {"gb page", gb, false, gb, Page("gbk", kBig5Body),
       Page("gbk", kGbBodyUtf8), "(none)"},
      // The stored GB text keeps the declaration the file had; the shown
      // text and the preview declare GB, so that the preview is readable.
      {"big5 page", big5, true, Page("big5", kGbBody), big5,
       Page("gb2312", kGbBodyUtf8), Page("gb2312", kGbBody)},
      {"mention in any case", mention, true, "BiG5 " + kGbBody, mention,
       std::string("BiG5 ") + kGbBodyUtf8, "BiG5 " + kGbBody},
      {"big and 5 apart", apart, false, apart, "big 5 " + kBig5Body,
       std::string("big 5 ") + kGbBodyUtf8, "(none)"},
      {"empty file", "", false, "", "", "", "(none)"},
  };
  for (const Case& c : cases) {
    MainWorld w;
    w.Open("doc.htm", c.bytes);
    EXPECT_EQ(w.Seen(), c.big5 ? Big5Seen(c.view_text) : GbSeen(c.view_text))
        << c.name;
    EXPECT_EQ(w.main.ori_str(), c.ori_str) << c.name;
    EXPECT_EQ(w.main.cvt_str(), c.cvt_str) << c.name;
    EXPECT_EQ(w.PreviewFile(), c.preview) << c.name;
    EXPECT_EQ(w.PreviewCalls(), std::string("hide, load /docs/doc.htm, show") +
                                    (c.big5 ? ", load /app/temp.htm" : ""))
        << c.name;
    EXPECT_TRUE(w.box.shown.empty()) << c.name;
    EXPECT_EQ(w.dialog.asked.at(0).filter, platform::kDocumentFilter);
  }
}

TEST(MainOpenTest, ClearEmptiesViewAndReleasesButtonsUntilTheNextOpen) {
  MainWorld w;
  const std::string big5_page = Page("big5", kBig5Body);
  w.Open("doc.htm", big5_page);
  const std::string preview_bytes = w.PreviewFile();

  w.main.Clear();

  EXPECT_FALSE(w.preview.visible);
  // The state, the stored texts and the preview file stay.
  EXPECT_EQ(w.Seen(), "文件处于 Big5 码状态 | Open -Clear Batch GB -Big5 | ");
  EXPECT_EQ(w.main.cvt_str(), big5_page);
  EXPECT_EQ(w.main.ori_str(), Page("big5", kGbBody));
  EXPECT_EQ(w.PreviewFile(), preview_bytes);

  w.Open("b.htm", kGbBody);
  EXPECT_EQ(w.Buttons(), "Open Clear Batch GB* Big5");
}

}  // namespace
}  // namespace tovenrak::testing
