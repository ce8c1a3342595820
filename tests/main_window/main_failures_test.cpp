// What each failure tells the user, and what it leaves of the document.

#include <gtest/gtest.h>

#include "main_world.h"

namespace tovenrak::testing {
namespace {

TEST(MainFailuresTest, EachFailureGetsOneMessageAndLeavesWhatItSays) {
  const std::string bad = "/docs/bad.htm", out = "/docs/out.htm";
  const std::string gb = Page("gbk", kGbBody), big5 = Page("big5", kBig5Body);
  const std::string gb_seen = GbSeen(Page("gbk", kGbBodyUtf8));
  const std::string big5_seen = Big5Seen(Page("big5", kBig5BodyUtf8));
  const std::string shown_bad = "load /docs/bad.htm, show";
  const std::string none = "(none)";
  struct Case {
    const char* name;
    bool open;              // Open bad.htm, else Big5 saving to out.htm
    std::string bad_bytes;  // none: no such file
    std::string failing;    // a path whose reading or saving fails
    bool cannot_convert;
    std::string says;
    std::string seen;   // afterwards
    std::string calls;  // the preview's, by the command
    std::string saved;  // in out.htm
  };
  const Case cases[] = {
      {"unreadable", true, none, bad, false,
       "无法读取文件“/docs/bad.htm”。\n原因：Permission denied", gb_seen,
       shown_bad, none},
      {"binary", true, std::string("\x89PNG\r\n\x1a\n", 9), "", false,
       "文件“/docs/bad.htm”含有二进制数据，不是网页或文本文件，没有打开。",
       gb_seen, shown_bad, none},
      {"utf-16", true, "\xff\xfe\x3d\x5d", "", false,
       "文件“/docs/bad.htm”是 UTF-16 编码的，无法打开。", gb_seen, shown_bad,
       none},
      {"too large", true, std::string(platform::kMaxPreviewBytes + 1, 'a'), "",
       false,
       "无法读取文件“/docs/bad.htm”。\n原因：文件大于 16 MiB，太大，"
       "无法在窗口中打开。",
       gb_seen, shown_bad, none},
      {"open cannot convert", true, big5, "", true,
       "无法转换文件“/docs/bad.htm”。\n原因：dictionary gone", gb_seen,
       shown_bad, none},
      // The Big5 page is open, shown as GB, but the browser stays on it.
      {"open cannot write the preview", true, big5, kPreview, false,
       "无法写入预览文件“/app/temp.htm”。\n原因：Permission denied",
       Big5Seen(Page("gb2312", kGbBodyUtf8)), shown_bad, none},
      // The toolbar's group has already pressed Big5 when the click arrives.
      {"command cannot convert", false, none, "", true,
       "无法转换为 Big5 码。\n原因：dictionary gone", gb_seen, "", none},
      // An old preview file is not shown as if it were the new one.
      {"command cannot write the preview", false, none, kPreview, false,
       "无法写入预览文件“/app/temp.htm”。\n原因：Permission denied", big5_seen,
       "", big5},
      // The conversion itself stands.
      {"command cannot save", false, none, out, false,
       "无法保存文件“/docs/out.htm”，该文件没有改动。\n原因：Permission "
       "denied",
       big5_seen, "load /app/temp.htm", none},
  };
  for (const Case& c : cases) {
    MainWorld w;
    w.Open("doc.htm", gb);
    w.preview.calls.clear();
    if (c.bad_bytes != none) w.files.files[bad] = c.bad_bytes;
    if (!c.failing.empty())
      w.files.failing[c.failing] = {
          c.open ? core::ErrorCode::kUnreadable : core::ErrorCode::kNotWritable,
          "Permission denied"};
    w.converter->fail = c.cannot_convert;
    w.dialog.next_answers.push_back(c.open ? bad : out);
    if (c.open) {
      w.main.OpenHtmlFile();
    } else {
      w.tool.pressed[platform::kGbButton] = false;
      w.tool.pressed[platform::kBig5Button] = true;
      w.main.OnToolButton(platform::kBig5Button);
    }
    ASSERT_EQ(w.box.shown.size(), 1u) << c.name;
    EXPECT_EQ(w.box.shown[0].text, c.says) << c.name;
    EXPECT_EQ(w.box.shown[0].icon, platform::MessageIcon::kCritical) << c.name;
    EXPECT_EQ(w.box.shown[0].title, main_window::kTitle) << c.name;
    EXPECT_EQ(w.Seen(), c.seen) << c.name;
    EXPECT_EQ(w.PreviewCalls(), c.calls) << c.name;
    EXPECT_EQ(w.files.files.count(out) ? w.files.files[out] : none, c.saved)
        << c.name;
    // A failed read or conversion leaves the stored texts as they were.
    if (c.bad_bytes != big5 || c.cannot_convert) {
      EXPECT_EQ(w.main.ori_str(), gb) << c.name;
      EXPECT_EQ(w.main.cvt_str(), Page("gbk", kBig5Body)) << c.name;
    }
  }
}

}  // namespace
}  // namespace tovenrak::testing
