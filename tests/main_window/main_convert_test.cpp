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
    std::string call;    // the converter's
    std::string stored;  // the converted side's text
  };
  const std::string gb = Page("gbk", kGbBody);
  const std::string big5 = Page("big5", kBig5Body);
  const int kGb = platform::kGbButton, kBig5 = platform::kBig5Button;
  // The stored text keeps the declaration the document was opened with.
  const Case cases[] = {
      {"big5 after gb open", gb, kBig5, "GBToBig5 " + gb,
       Page("gbk", kBig5Body)},
      // Converts the Big5 conversion made at Open, never an earlier
      // document's text.
      {"gb after gb open", gb, kGb, "Big5ToGB " + Page("gbk", kBig5Body), gb},
      // Converts the Big5 text as read, not the GB text already shown.
      {"gb after big5 open", big5, kGb, "Big5ToGB " + big5,
       Page("big5", kGbBody)},
      {"big5 after big5 open", big5, kBig5, "GBToBig5 " + Page("big5", kGbBody),
       big5},
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
    EXPECT_EQ(w.view.text,
              to_gb ? Page("gb2312", kGbBodyUtf8) : Page("big5", kBig5BodyUtf8))
        << c.name;
    const std::string saved =
        to_gb ? Page("gb2312", kGbBody) : Page("big5", kBig5Body);
    EXPECT_EQ(w.PreviewFile(), saved) << c.name;
    EXPECT_EQ(w.files.files[kTarget], saved) << c.name;
    EXPECT_EQ(w.preview.calls,
              std::vector<std::string>{"load " + kPreview.string()})
        << c.name;
    EXPECT_EQ(w.Panel(), to_gb ? "文件处于 GB 码状态" : "文件处于 Big5 码状态")
        << c.name;
    EXPECT_EQ(w.Buttons(),
              to_gb ? "Open Clear Batch GB* Big5" : "Open Clear Batch GB Big5*")
        << c.name;
    EXPECT_EQ(w.dialog.asked.back().title,
              to_gb ? "保存文件为 GB 码" : "保存文件为 Big5 码")
        << c.name;
    EXPECT_TRUE(w.box.shown.empty()) << c.name;
  }
}

TEST(MainConvertTest, CancelledSaveKeepsConversionAndWritesOnlyThePreview) {
  MainWorld w;
  w.Open("doc.txt", kGbBody);
  w.main.ConvertToBig5();
  EXPECT_EQ(w.view.text, kBig5BodyUtf8);
  EXPECT_EQ(w.PreviewFile(), kBig5Body);
  EXPECT_EQ(w.files.files.size(), 2u);
  EXPECT_TRUE(w.box.shown.empty());
}

TEST(MainConvertTest, SaveThatFailsNamesTheFileAndTheReason) {
  MainWorld w;
  w.Open("doc.txt", kGbBody);
  w.files.failing[kTarget] = {core::ErrorCode::kNotWritable,
                              "Permission denied", kTarget.string()};
  w.dialog.next_answers.push_back(kTarget.string());

  w.main.ConvertToBig5();

  ASSERT_EQ(w.box.shown.size(), 1u);
  EXPECT_EQ(w.box.shown[0].text,
            "无法保存文件“/docs/out.htm”，该文件没有改动。\n"
            "原因：Permission denied");
  EXPECT_EQ(w.box.shown[0].icon, platform::MessageIcon::kCritical);
  // The conversion itself stands.
  EXPECT_EQ(w.Panel(), "文件处于 Big5 码状态");
  EXPECT_EQ(w.PreviewFile(), kBig5Body);
}

TEST(MainConvertTest, UnwritablePreviewGetsMessageAndStillOffersSave) {
  MainWorld w;
  w.Open("doc.txt", kGbBody);
  w.files.failing[kPreview] = {core::ErrorCode::kNotWritable,
                               "Read-only file system", kPreview.string()};
  w.dialog.next_answers.push_back(kTarget.string());
  w.preview.calls.clear();

  w.main.ConvertToBig5();

  ASSERT_EQ(w.box.shown.size(), 1u);
  EXPECT_NE(w.box.shown[0].text.find(kPreview.string()), std::string::npos);
  // An old preview file is not shown as if it were the new one.
  EXPECT_TRUE(w.preview.calls.empty());
  EXPECT_EQ(w.files.files[kTarget], kBig5Body);
}

TEST(MainConvertTest, FailedConversionGetsMessageAndChangesNothing) {
  MainWorld w;
  const std::string gb_page = Page("gbk", kGbBody);
  w.Open("doc.htm", gb_page);
  const std::string cvt_before = w.main.cvt_str();
  const std::string view_before = w.view.text;
  w.converter->fail = true;
  // The toolbar's group has already pressed Big5 when the click arrives.
  w.tool.pressed[platform::kGbButton] = false;
  w.tool.pressed[platform::kBig5Button] = true;

  w.main.OnToolButton(platform::kBig5Button);

  ASSERT_EQ(w.box.shown.size(), 1u);
  EXPECT_NE(w.box.shown[0].text.find("dictionary gone"), std::string::npos);
  EXPECT_EQ(w.Panel(), "文件处于 GB 码状态");
  EXPECT_EQ(w.Buttons(), "Open Clear Batch GB* Big5");
  EXPECT_EQ(w.main.cvt_str(), cvt_before);
  EXPECT_EQ(w.main.ori_str(), gb_page);
  EXPECT_EQ(w.view.text, view_before);
  EXPECT_EQ(w.PreviewFile(), "(none)");
  EXPECT_EQ(w.dialog.asked.size(), 1u);
}

TEST(MainConvertTest, CharactersLostOrPassedThroughAreReported) {
  struct Case {
    const char* name;
    std::string opened;
    const char* says;
  };
  const Case cases[] = {
      // 丂 has a GBK code but none in Big5.
      {"no big5 code", kGbBody + Hex("8140"), "有 1 个字符在 Big5 码中没有"},
      {"invalid gb byte", kGbBody + Hex("80") + "x",
       "有 1 处字节不是有效的 GB 码"},
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
  }
}

TEST(MainConvertTest, TypedChangesAreNotCarriedIntoTheConversion) {
  MainWorld w;
  w.Open("doc.txt", kGbBody);
  w.view.Edit("typed");
  w.main.ConvertToBig5();
  EXPECT_EQ(w.converter->calls.back(), "GBToBig5 " + kGbBody);
  EXPECT_EQ(w.view.text, kBig5BodyUtf8);
}

// A save dialog during which the user changes the source view.
struct EditingDialog : fakes::FakeFileDialog {
  std::string AskSavePath(const std::string& title,
                          const std::string& filter) override {
    view->Edit(std::string("頭髮 丂 ") + "\xEF\xBF\xBD");
    return FakeFileDialog::AskSavePath(title, filter);
  }
  fakes::FakeSourceView* view = nullptr;
};

TEST(MainConvertTest, EditedViewIsSavedInTheEncodingItShows) {
  EditingDialog dialog;
  MainWorld w(&dialog);
  dialog.view = &w.view;
  w.files.files[kDocs / "doc.txt"] = kGbBody;
  dialog.next_answers = {(kDocs / "doc.txt").string(), kTarget.string()};
  w.main.OpenHtmlFile();

  w.main.ConvertToBig5();

  EXPECT_EQ(w.files.files[kTarget], Hex("c059be76") + " &#19970; &#65533;");
}

}  // namespace
}  // namespace tovenrak::testing
