// The GB and Big5 commands: conversion, declaration, preview and save.

#include <gtest/gtest.h>

#include <functional>

#include "main_world.h"

namespace tovenrak::testing {
namespace {

constexpr const char* kSaveFilter = "Html文件[*.htm;*.html]|*.htm;*.html|";

TEST(MainConvertTest, EachCommandConvertsTheOtherSideAfterEitherOpen) {
  struct Case {
    const char* name;
    std::string opened;
    int button;
    const char* member;  // the converter member called
    std::string argument;
    std::string shown;  // the view's text, UTF-8
    std::string saved;
    const char* panel;
    const char* save_title;
  };
  const std::string gb_page = Page("charset=gb2312", kGbBody);
  const std::string big5_page = Page("charset=big5", kBig5Body);
  const Case cases[] = {
      {"big5 after gb open", gb_page, 7, "GBToBig5", gb_page,
       Rewritten("charset=big5", kBig5BodyUtf8),
       Rewritten("charset=big5", kBig5Body), "文件处于 Big5 码状态",
       "保存文件为 Big5 码"},
      // Converts the Big5 conversion made at Open, never an earlier
      // document's text.
      {"gb after gb open", gb_page, 6, "Big5ToGB",
       Page("charset=gb2312", kBig5Body),
       Rewritten("charset=gb2312", kGbBodyUtf8),
       Rewritten("charset=gb2312", kGbBody), "文件处于 GB 码状态",
       "保存文件为 GB 码"},
      // Converts the Big5 text as read, not the GB text already shown.
      {"gb after big5 open", big5_page, 6, "Big5ToGB", big5_page,
       Rewritten("charset=gb2312", kGbBodyUtf8),
       Rewritten("charset=gb2312", kGbBody), "文件处于 GB 码状态",
       "保存文件为 GB 码"},
      {"big5 after big5 open", big5_page, 7, "GBToBig5",
       Page("charset=big5", kGbBody), Rewritten("charset=big5", kBig5BodyUtf8),
       Rewritten("charset=big5", kBig5Body), "文件处于 Big5 码状态",
       "保存文件为 Big5 码"},
  };
  for (const Case& c : cases) {
    MainWorld w;
    w.Make();
    w.Open("doc.htm", c.opened);
    const std::filesystem::path target = w.docs / "out.htm";
    w.dialog.next_answers.push_back(target.string());
    w.converter->calls.clear();
    w.preview.calls.clear();

    w.main->OnToolButton(c.button);

    ASSERT_EQ(w.converter->calls.size(), 1u) << c.name;
    EXPECT_EQ(w.converter->calls[0].member, c.member) << c.name;
    EXPECT_EQ(w.converter->calls[0].argument, c.argument) << c.name;
    EXPECT_EQ(w.view.text, c.shown) << c.name;
    EXPECT_EQ(ReadFile(w.Preview()), c.saved) << c.name;
    EXPECT_EQ(ReadFile(target), c.saved) << c.name;
    EXPECT_EQ(w.preview.calls,
              std::vector<std::string>{"load " + w.Preview().string()})
        << c.name;
    EXPECT_EQ(w.status.panels[2], c.panel) << c.name;
    EXPECT_EQ(w.tool.pressed[6], c.button == 6) << c.name;
    EXPECT_EQ(w.tool.pressed[7], c.button == 7) << c.name;
    ASSERT_EQ(w.dialog.asked.size(), 2u) << c.name;
    EXPECT_EQ(w.dialog.asked[1].kind, "save") << c.name;
    EXPECT_EQ(w.dialog.asked[1].title, c.save_title) << c.name;
    EXPECT_EQ(w.dialog.asked[1].filter, kSaveFilter) << c.name;
    EXPECT_TRUE(w.box.shown.empty()) << c.name;
  }
}

TEST(MainConvertTest, StoredTextsKeepTheDeclarationTheDocumentWasOpenedWith) {
  MainWorld w;
  w.Make();
  const std::string opened = Page("charset=gbk", kGbBody);
  w.Open("doc.htm", opened);

  w.main->ConvertToBig5();
  EXPECT_EQ(w.main->cvt_str(), Page("charset=gbk", kBig5Body));
  EXPECT_EQ(w.view.text, Rewritten("charset=big5", kBig5BodyUtf8));

  w.main->ConvertToGb();
  EXPECT_EQ(w.main->ori_str(), opened);
  EXPECT_EQ(w.view.text, Rewritten("charset=gb2312", kGbBodyUtf8));
}

TEST(MainConvertTest, GbTwiceGivesTheSameTextAndAsksToSaveEachTime) {
  MainWorld w;
  w.Make();
  w.Open("doc.htm", Page("charset=big5", kBig5Body));
  w.main->ConvertToGb();
  const std::string first = w.view.text;
  w.main->ConvertToGb();
  EXPECT_EQ(w.view.text, first);
  EXPECT_EQ(w.view.text, Rewritten("charset=gb2312", kGbBodyUtf8));
  EXPECT_EQ(w.dialog.asked.size(), 3u);
  EXPECT_TRUE(w.tool.pressed[6]);
}

TEST(MainConvertTest, CancelledSaveKeepsConversionAndWritesOnlyThePreview) {
  MainWorld w;
  w.Make();
  w.Open("doc.htm", Page("charset=gb2312", kGbBody));
  w.main->ConvertToBig5();

  EXPECT_EQ(w.view.text, Rewritten("charset=big5", kBig5BodyUtf8));
  EXPECT_EQ(ReadFile(w.Preview()), Rewritten("charset=big5", kBig5Body));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(w.docs),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_TRUE(w.box.shown.empty());
}

TEST(MainConvertTest, DocumentWithoutDeclarationGetsNone) {
  MainWorld w;
  w.Make();
  w.Open("notes.txt", kGbBody + "\n");
  const std::filesystem::path target = w.docs / "notes-big5";
  w.dialog.next_answers.push_back(target.string());
  w.main->ConvertToBig5();
  EXPECT_EQ(ReadFile(target), kBig5Body + "\n");
}

TEST(MainConvertTest, SaveThatFailsNamesTheFileAndTheReason) {
  struct Case {
    const char* name;
    std::function<std::filesystem::path(MainWorld&)> target;
    const char* says;
  };
  const Case cases[] = {
      {"missing folder",
       [](MainWorld& w) { return w.docs / "gone" / "out.htm"; },
       "No such file or directory"},
      {"folder in the way",
       [](MainWorld& w) {
         std::filesystem::create_directory(w.docs / "out.htm");
         return w.docs / "out.htm";
       },
       "Is a directory"},
  };
  for (const Case& c : cases) {
    MainWorld w;
    w.Make();
    w.Open("doc.htm", Page("charset=gb2312", kGbBody));
    const std::filesystem::path target = c.target(w);
    w.dialog.next_answers.push_back(target.string());

    w.main->ConvertToBig5();

    ASSERT_EQ(w.box.shown.size(), 1u) << c.name;
    EXPECT_EQ(w.box.shown[0].title, "Zemlorin Tovenrak v.1") << c.name;
    EXPECT_NE(w.box.shown[0].text.find(target.string()), std::string::npos)
        << c.name << ": " << w.box.shown[0].text;
    EXPECT_NE(w.box.shown[0].text.find(c.says), std::string::npos)
        << c.name << ": " << w.box.shown[0].text;
    // The conversion itself stands.
    EXPECT_EQ(w.status.panels[2], "文件处于 Big5 码状态") << c.name;
    EXPECT_EQ(ReadFile(w.Preview()), Rewritten("charset=big5", kBig5Body))
        << c.name;
  }
}

TEST(MainConvertTest, UnwritablePreviewGetsMessageAndStillOffersSave) {
  MainWorld w;
  w.app_dir = w.root / "read-only-program-folder";
  w.Make();
  w.Open("doc.txt", kGbBody);
  const std::filesystem::path target = w.docs / "out.htm";
  w.dialog.next_answers.push_back(target.string());
  w.preview.calls.clear();

  w.main->ConvertToBig5();

  ASSERT_EQ(w.box.shown.size(), 1u);
  EXPECT_NE(w.box.shown[0].text.find(w.Preview().string()), std::string::npos);
  // An old preview file is not shown as if it were the new one.
  EXPECT_TRUE(w.preview.calls.empty());
  EXPECT_EQ(ReadFile(target), kBig5Body);
}

TEST(MainConvertTest, FailedConversionGetsMessageAndChangesNothing) {
  MainWorld w;
  w.Make();
  const std::string gb_page = Page("charset=gb2312", kGbBody);
  w.Open("doc.htm", gb_page);
  const std::string cvt_before = w.main->cvt_str();
  const std::string view_before = w.view.text;
  w.converter->fail = true;
  // The toolbar's group has already pressed Big5 when the click arrives.
  w.tool.pressed[6] = false;
  w.tool.pressed[7] = true;

  w.main->OnToolButton(7);

  ASSERT_EQ(w.box.shown.size(), 1u);
  EXPECT_NE(w.box.shown[0].text.find("dictionary gone"), std::string::npos);
  EXPECT_EQ(w.status.panels[2], "文件处于 GB 码状态");
  EXPECT_TRUE(w.tool.pressed[6]);
  EXPECT_FALSE(w.tool.pressed[7]);
  EXPECT_EQ(w.main->cvt_str(), cvt_before);
  EXPECT_EQ(w.main->ori_str(), gb_page);
  EXPECT_EQ(w.view.text, view_before);
  EXPECT_FALSE(std::filesystem::exists(w.Preview()));
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
    w.Make();
    w.Open("doc.txt", c.opened);
    w.main->ConvertToBig5();
    ASSERT_EQ(w.box.shown.size(), 1u) << c.name;
    EXPECT_EQ(w.box.shown[0].icon, platform::MessageIcon::kExclamation)
        << c.name;
    EXPECT_NE(w.box.shown[0].text.find(c.says), std::string::npos)
        << c.name << ": " << w.box.shown[0].text;
  }
}

TEST(MainConvertTest, TypedChangesAreNotCarriedIntoTheConversion) {
  MainWorld w;
  w.Make();
  w.Open("doc.txt", kGbBody);
  w.view.Edit("typed");
  w.main->ConvertToBig5();
  EXPECT_EQ(w.converter->calls.back().argument, kGbBody);
  EXPECT_EQ(w.view.text, kBig5BodyUtf8);
}

// A save dialog during which the user changes the source view.
struct EditingDialog : fakes::FakeFileDialog {
  std::string AskSavePath(const std::string& title,
                          const std::string& filter) override {
    view->Edit(edit);
    return FakeFileDialog::AskSavePath(title, filter);
  }
  fakes::FakeSourceView* view = nullptr;
  std::string edit;
};

TEST(MainConvertTest, EditedViewIsSavedInTheEncodingItShows) {
  MainWorld w;
  EditingDialog dialog;
  dialog.view = &w.view;
  dialog.edit = std::string("頭髮 丂 ") + "\xEF\xBF\xBD";
  w.dialog_override = &dialog;
  w.Make();
  dialog.next_answers.push_back(w.WriteDoc("doc.txt", kGbBody).string());
  w.main->OpenHtmlFile();
  const std::filesystem::path target = w.docs / "out.txt";
  dialog.next_answers.push_back(target.string());

  w.main->ConvertToBig5();

  EXPECT_EQ(ReadFile(target), Hex("c059be76") + " &#19970; &#65533;");
}

}  // namespace
}  // namespace tovenrak::testing
