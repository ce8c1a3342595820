// The GB and Big5 commands: conversion, declaration, preview and save.

#include <gtest/gtest.h>

#include "main_world.h"

namespace tovenrak::testing {
namespace {

const std::filesystem::path kTarget = kDocs / "out.htm";

TEST(MainConvertTest, EachCommandConvertsTheOtherSideAfterEitherOpen) {
  struct Case {
    const char* name;
    std::string opened;
    int button;
    std::string call;    // the converter's: a page's text, not its tags
    std::string stored;  // the converted side's text
  };
  const std::string gb = Page("gbk", kGbBody);
  const std::string big5 = Page("big5", kBig5Body);
  const int kGb = platform::kGbButton, kBig5 = platform::kBig5Button;
  // The stored text keeps the declaration the document was opened with.
  const Case cases[] = {
      {"big5 after gb open", gb, kBig5, "GBToBig5 " + kGbBody,
       Page("gbk", kBig5Body)},
      // Converts the Big5 conversion made at Open, never an earlier
      // document's text.
      {"gb after gb open", gb, kGb, "Big5ToGB " + kBig5Body, gb},
      // Converts the Big5 text as read, not the GB text already shown.
      {"gb after big5 open", big5, kGb, "Big5ToGB " + kBig5Body,
       Page("big5", kGbBody)},
      {"big5 after big5 open", big5, kBig5, "GBToBig5 " + kGbBody, big5},
  };
  for (const Case& c : cases) {
    MainWorld w;
    w.Open("doc.htm", c.opened);
    w.dialog.next_answers.push_back(kTarget.string());
    w.converter->calls.clear();
    w.preview.calls.clear();

    w.main.OnToolButton(c.button);

    const bool to_gb = c.button == kGb;
    EXPECT_EQ(w.converter->calls, std::vector<std::string>{c.call}) << c.name;
    EXPECT_EQ(to_gb ? w.main.ori_str() : w.main.cvt_str(), c.stored) << c.name;
    // The view, the preview and the saved file declare the new encoding.
    EXPECT_EQ(w.Seen(), to_gb ? GbSeen(Page("gb2312", kGbBodyUtf8))
                              : Big5Seen(Page("big5", kBig5BodyUtf8)))
        << c.name;
    const std::string saved =
        to_gb ? Page("gb2312", kGbBody) : Page("big5", kBig5Body);
    EXPECT_EQ(w.PreviewFile(), saved) << c.name;
    EXPECT_EQ(w.files.files[kTarget], saved) << c.name;
    EXPECT_EQ(w.preview.calls,
              std::vector<std::string>{"load " + kPreview.string()})
        << c.name;
    EXPECT_EQ(w.dialog.asked.back().title,
              to_gb ? "保存文件为 GB 码" : "保存文件为 Big5 码")
        << c.name;
    EXPECT_TRUE(w.box.shown.empty()) << c.name;
  }
}

TEST(MainConvertTest, CharactersLostOrPassedThroughAreReported) {
  struct Case {
    const char* name;
    std::string opened;
    const char* says;
  };
  const Case cases[] = {
      // 丂 has a GBK code but none in Big5.
      {"no big5 code", kGbBody + "\x81\x40", "有 1 个字符在 Big5 码中没有"},
      {"invalid gb byte", kGbBody + "\x80x", "有 1 处字节不是有效的 GB 码"},
  };
  for (const Case& c : cases) {
    MainWorld w;
    w.Open("doc.txt", c.opened);
    w.main.ConvertToBig5();
    ASSERT_EQ(w.box.shown.size(), 1u) << c.name;
    EXPECT_EQ(w.box.shown[0].icon, platform::MessageIcon::kExclamation)
        << c.name;
    EXPECT_NE(w.box.shown[0].text.find(c.says), std::string::npos)
        << c.name << ": " << w.box.shown[0].text;
    // The save was cancelled: only the preview file was written.
    EXPECT_EQ(w.files.files.size(), 2u) << c.name;
  }
}

TEST(MainConvertTest, TypedTextIsNotConvertedButSavedInTheEncodingShown) {
  MainWorld w;
  w.Open("doc.txt", kGbBody);
  w.view.Edit("typed");
  // During the save dialog the user edits the converted text.
  w.dialog.while_asked = [&] { w.view.Edit("頭髮 丂 \uFFFD"); };
  w.dialog.next_answers.push_back(kTarget.string());

  w.main.ConvertToBig5();

  EXPECT_EQ(w.converter->calls.back(), "GBToBig5 " + kGbBody);
  EXPECT_EQ(w.files.files[kTarget], kBig5Body + " &#19970; &#65533;");
}

}  // namespace
}  // namespace tovenrak::testing
