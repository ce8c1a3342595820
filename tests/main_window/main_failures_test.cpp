// What each failure tells the user, and what it leaves of the document.

#include <gtest/gtest.h>

#include <functional>

#include "main_world.h"

namespace tovenrak::testing {
namespace {

TEST(MainFailuresTest, EachFailureGetsOneMessageAndLeavesWhatItSays) {
  const std::filesystem::path bad = kDocs / "bad.htm", out = kDocs / "out.htm";
  const core::Error denied{core::ErrorCode::kNotWritable, "Permission denied"};
  const std::string gb = Page("gbk", kGbBody), big5 = Page("big5", kBig5Body);
  const std::string gb_seen = GbSeen(Page("gbk", kGbBodyUtf8));
  const std::function<void(MainWorld&)> open = [&](MainWorld& w) {
    w.dialog.next_answers.push_back(bad.string());
    w.main.OpenHtmlFile();
  };
  const std::function<void(MainWorld&)> to_big5 = [&](MainWorld& w) {
    w.dialog.next_answers.push_back(out.string());
    w.main.OnToolButton(platform::kBig5Button);
  };
  struct Case {
    const char* name;
    std::function<void(MainWorld&)> spoil, command;
    std::string says;
    std::string seen;   // afterwards
    std::string calls;  // the preview's, by the command
    std::string saved;  // in `out`
    bool kept;          // the stored texts are the opened document's
  };
  const std::string shown_bad = "load /docs/bad.htm, show";
  const Case cases[] = {
      {"unreadable",
       [&](MainWorld& w) {
         w.files.failing[bad] = {core::ErrorCode::kUnreadable,
                                 "Is a directory"};
       },
       open, "无法读取文件“/docs/bad.htm”。\n原因：Is a directory", gb_seen,
       shown_bad, "(none)", true},
      {"binary",
       [&](MainWorld& w) { w.files.files[bad] = Hex("89504e470d0a1a0a00"); },
       open,
       "文件“/docs/bad.htm”含有二进制数据，不是网页或文本文件，没有打开。",
       gb_seen, shown_bad, "(none)", true},
      {"too large",
       [&](MainWorld& w) {
         w.files.files[bad] = std::string(platform::kMaxPreviewBytes + 1, 'a');
       },
       open,
       "无法读取文件“/docs/bad.htm”。\n原因：文件大于 16 MiB，太大，"
       "无法在窗口中打开。",
       gb_seen, shown_bad, "(none)", true},
      {"open cannot convert",
       [&](MainWorld& w) {
         w.files.files[bad] = big5;
         w.converter->fail = true;
       },
       open, "无法转换文件“/docs/bad.htm”。\n原因：dictionary gone", gb_seen,
       shown_bad, "(none)", true},
      // The Big5 page is open, shown as GB, but the browser stays on it.
      {"open cannot write the preview",
       [&](MainWorld& w) {
         w.files.files[bad] = big5;
         w.files.failing[kPreview] = denied;
       },
       open, "无法写入预览文件“/app/temp.htm”。\n原因：Permission denied",
       Big5Seen(Page("gb2312", kGbBodyUtf8)), shown_bad, "(none)", false},
      // The toolbar's group has already pressed Big5 when the click arrives.
      {"command cannot convert",
       [&](MainWorld& w) {
         w.converter->fail = true;
         w.tool.pressed[platform::kGbButton] = false;
         w.tool.pressed[platform::kBig5Button] = true;
       },
       to_big5, "无法转换为 Big5 码。\n原因：dictionary gone", gb_seen, "",
       "(none)", true},
      // An old preview file is not shown as if it were the new one.
      {"command cannot write the preview",
       [&](MainWorld& w) { w.files.failing[kPreview] = denied; }, to_big5,
       "无法写入预览文件“/app/temp.htm”。\n原因：Permission denied",
       Big5Seen(Page("big5", kBig5BodyUtf8)), "", big5, true},
      // The conversion itself stands.
      {"command cannot save",
       [&](MainWorld& w) { w.files.failing[out] = denied; }, to_big5,
       "无法保存文件“/docs/out.htm”，该文件没有改动。\n原因：Permission denied",
       Big5Seen(Page("big5", kBig5BodyUtf8)), "load /app/temp.htm", "(none)",
       true},
  };
  for (const Case& c : cases) {
    MainWorld w;
    w.Open("doc.htm", gb);
    w.preview.calls.clear();
    c.spoil(w);
    c.command(w);
    ASSERT_EQ(w.box.shown.size(), 1u) << c.name;
    EXPECT_EQ(w.box.shown[0].text, c.says) << c.name;
    EXPECT_EQ(w.box.shown[0].icon, platform::MessageIcon::kCritical) << c.name;
    EXPECT_EQ(w.box.shown[0].title, main_window::kTitle) << c.name;
    EXPECT_EQ(w.Seen(), c.seen) << c.name;
    EXPECT_EQ(w.PreviewCalls(), c.calls) << c.name;
    auto saved = w.files.files.find(out);
    EXPECT_EQ(saved == w.files.files.end() ? "(none)" : saved->second, c.saved)
        << c.name;
    if (c.kept) {
      EXPECT_EQ(w.main.ori_str(), gb) << c.name;
      EXPECT_EQ(w.main.cvt_str(), Page("gbk", kBig5Body)) << c.name;
    }
  }
}

}  // namespace
}  // namespace tovenrak::testing
