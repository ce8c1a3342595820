// Open and Clear: the document state a chosen file leaves behind.

#include <gtest/gtest.h>

#include "main_world.h"
#include "support/text.h"

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
    std::string seen;       // MainWorld::Seen()
    std::string detection;  // The detection panel.
    std::string ori_str;    // GB side
    std::string cvt_str;    // Big5 side
    std::string preview;    // kPreview's bytes
  };
  const std::string big5 = Page("big5", kBig5Body);
  const std::string gb = Page("gbk", kGbBody);
  const std::string mention = Page("gbk", "big5 " + kGbBody);
  const std::string utf8 = Page("utf-8", kGbBodyUtf8);
  // Long enough that its bytes plainly are GB and not Big5.
  const char* sentence = "这是一个简体中文网页，声明的却是繁体的编码。";
  const std::string liar = Page("big5", Bytes(sentence, core::Encoding::kGbk));
  const Case cases[] = {
      {"gb page", gb, GbSeen(Page("gbk", kGbBodyUtf8)),
       "编码：GB（依据网页声明）", gb, Page("gbk", kBig5Body), "(none)"},
      // The stored GB text keeps the declaration the file had; the shown
      // text and the preview declare GB, so that the preview is readable.
      {"big5 page", big5, Big5Seen(Page("gb2312", kGbBodyUtf8)),
       "编码：Big5（依据网页声明）", Page("big5", kGbBody), big5,
       Page("gb2312", kGbBody)},
      {"big5 text that names nothing", kBig5Body, Big5Seen(kGbBodyUtf8),
       "编码：Big5（依据字频统计）", kGbBody, kBig5Body, kGbBody},
      // A byte that is no GB code shows as U+FFFD and stays in both sides.
      {"gb text with a stray byte", kGbBody + "\x80x",
       GbSeen(kGbBodyUtf8 + std::string("\uFFFDx")), "编码：GB（依据字频统计）",
       kGbBody + "\x80x", kBig5Body + "\x80x", "(none)"},
      {"gb page that mentions big5", mention,
       GbSeen(Page("gbk", std::string("big5 ") + kGbBodyUtf8)),
       "编码：GB（依据网页声明）", mention, Page("gbk", "big5 " + kBig5Body),
       "(none)"},
      // Shown as it is, no side pressed; both sides are ready for GB and
      // Big5.
      {"utf-8 page", utf8,
       "文件处于 UTF-8 码状态 | Open Clear Batch GB Big5 | " + utf8,
       "编码：UTF-8（依据网页声明）", Page("utf-8", kGbBody),
       Page("utf-8", kBig5Body), "(none)"},
      {"gb page declared big5", liar, GbSeen(Page("big5", sentence)),
       "编码：GB（网页声明为 Big5，与内容不符）", liar,
       Page("big5", Bytes("這是一個簡體中文網頁，聲明的卻是繁體的編碼。",
                          core::Encoding::kBig5)),
       "(none)"},
  };
  for (const Case& c : cases) {
    MainWorld w;
    w.Open("doc.htm", c.bytes);
    EXPECT_EQ(w.Seen(), c.seen) << c.name;
    EXPECT_EQ(w.status.panels[platform::StatusBar::kDetectionPanel],
              c.detection)
        << c.name;
    EXPECT_EQ(w.main.ori_str(), c.ori_str) << c.name;
    EXPECT_EQ(w.main.cvt_str(), c.cvt_str) << c.name;
    EXPECT_EQ(w.PreviewFile(), c.preview) << c.name;
    EXPECT_EQ(w.PreviewCalls(),
              std::string("hide, load /docs/doc.htm, show") +
                  (c.preview != "(none)" ? ", load /app/temp.htm" : ""))
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
