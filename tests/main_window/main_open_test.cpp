// Open and Clear: the document state a chosen file leaves behind.

#include <gtest/gtest.h>

#include <functional>

#include "main_world.h"

namespace tovenrak::testing {
namespace {

TEST(MainOpenTest, StartsWithAllButtonsEnabledNonePressedAndPreviewHidden) {
  MainWorld w;
  w.Make();
  for (int position = 1; position <= 8; ++position)
    EXPECT_TRUE(w.tool.enabled[position]) << position;
  EXPECT_FALSE(w.tool.pressed[6]);
  EXPECT_FALSE(w.tool.pressed[7]);
  EXPECT_FALSE(w.preview.visible);
  EXPECT_EQ(w.status.panels[2], "");
  EXPECT_EQ(w.frame.site_address, "zemlorin.example");
  EXPECT_EQ(w.frame.site_tooltip, "我们的E-mail为：tovenrak@zemlorin.example");
}

TEST(MainOpenTest, OpenSetsTheDocumentStateOfItsKind) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* panel;
    bool gb_pressed;
    std::string ori_str;    // GB side
    std::string cvt_str;    // Big5 side
    std::string view_text;  // UTF-8
    bool previewed;         // "temp.htm" written and shown
    std::string preview;    // what "temp.htm" holds
  };
  const std::string big5_page = Page("charset=big5", kBig5Body);
  const std::string gb_page = Page("charset=gb2312", kGbBody);
  const std::string body_mention = "<p>BiG5 " + kBig5Body + "</p>";
  const Case cases[] = {
      {"gb page", gb_page, "文件处于 GB 码状态", true, gb_page,
       Page("charset=gb2312", kBig5Body), Page("charset=gb2312", kGbBodyUtf8),
       false, ""},
      // The stored GB text keeps the declaration the file had; the shown
      // text and the preview declare GB, so that the preview is readable.
      {"big5 page", big5_page, "文件处于 Big5 码状态", false,
       Page("charset=big5", kGbBody), big5_page,
       Rewritten("charset=gb2312", kGbBodyUtf8), true,
       Rewritten("charset=gb2312", kGbBody)},
      {"mention in the body in any case", body_mention, "文件处于 Big5 码状态",
       false, "<p>BiG5 " + kGbBody + "</p>", body_mention,
       std::string("<p>BiG5 ") + kGbBodyUtf8 + "</p>", true,
       "<p>BiG5 " + kGbBody + "</p>"},
      {"big and 5 apart", "big 5 " + kGbBody, "文件处于 GB 码状态", true,
       "big 5 " + kGbBody, "big 5 " + kBig5Body,
       std::string("big 5 ") + kGbBodyUtf8, false, ""},
      {"empty file", "", "文件处于 GB 码状态", true, "", "", "", false, ""},
  };
  for (const Case& c : cases) {
    MainWorld w;
    w.Make();
    w.Open("doc.htm", c.bytes);
    const std::string chosen = (w.docs / "doc.htm").string();

    EXPECT_EQ(w.status.panels[2], c.panel) << c.name;
    EXPECT_TRUE(w.tool.enabled[2] && w.tool.enabled[6] && w.tool.enabled[7])
        << c.name;
    EXPECT_EQ(w.tool.pressed[6], c.gb_pressed) << c.name;
    EXPECT_EQ(w.tool.pressed[7], !c.gb_pressed) << c.name;
    EXPECT_EQ(w.main->ori_str(), c.ori_str) << c.name;
    EXPECT_EQ(w.main->cvt_str(), c.cvt_str) << c.name;
    EXPECT_EQ(w.view.text, c.view_text) << c.name;
    std::vector<std::string> calls = {"hide", "load " + chosen, "show"};
    if (c.previewed) calls.push_back("load " + w.Preview().string());
    EXPECT_EQ(w.preview.calls, calls) << c.name;
    EXPECT_EQ(std::filesystem::exists(w.Preview()), c.previewed) << c.name;
    if (c.previewed) {
      EXPECT_EQ(ReadFile(w.Preview()), c.preview) << c.name;
    }
    EXPECT_TRUE(w.box.shown.empty()) << c.name;
    ASSERT_EQ(w.dialog.asked.size(), 1u) << c.name;
    EXPECT_EQ(w.dialog.asked[0].kind, "open") << c.name;
    EXPECT_EQ(w.dialog.asked[0].title, "打开文件") << c.name;
    EXPECT_EQ(w.dialog.asked[0].filter,
              "Html文件[*.htm;*.html]|*.htm;*.html|文本文件[*.txt]|*.txt|")
        << c.name;
  }
}

TEST(MainOpenTest, CancelledFirstOpenChangesNothing) {
  MainWorld w;
  w.Make();
  w.main->OpenHtmlFile();
  EXPECT_EQ(w.preview.calls, std::vector<std::string>{"hide"});
  EXPECT_FALSE(w.tool.pressed[6] || w.tool.pressed[7]);
  EXPECT_EQ(w.status.panels[2], "");
  EXPECT_EQ(w.view.text, "");
  EXPECT_TRUE(w.box.shown.empty());
  EXPECT_TRUE(w.converter->calls.empty());
}

TEST(MainOpenTest, FileThatCannotBeOpenedGetsMessageAndKeepsDocument) {
  struct Case {
    const char* name;
    std::function<std::filesystem::path(MainWorld&)> make_file;
    const char* says;
  };
  const Case cases[] = {
      {"missing", [](MainWorld& w) { return w.docs / "missing.htm"; },
       "No such file or directory"},
      {"folder",
       [](MainWorld& w) {
         std::filesystem::create_directory(w.docs / "folder.htm");
         return w.docs / "folder.htm";
       },
       "Is a directory"},
      {"binary",
       [](MainWorld& w) {
         return w.WriteDoc("logo.htm", Hex("89504e470d0a1a0a0000000d"));
       },
       "二进制"},
      {"too large",
       [](MainWorld& w) {
         return w.WriteDoc("huge.htm", std::string((16u << 20) + 1, 'a'));
       },
       "16 MiB"},
  };
  for (const Case& c : cases) {
    MainWorld w;
    w.Make();
    const std::string gb_page = Page("charset=gb2312", kGbBody);
    w.Open("first.htm", gb_page);
    const std::string view_before = w.view.text;
    const std::filesystem::path bad = c.make_file(w);
    w.dialog.next_answers.push_back(bad.string());
    w.preview.calls.clear();

    w.main->OpenHtmlFile();

    ASSERT_EQ(w.box.shown.size(), 1u) << c.name;
    EXPECT_EQ(w.box.shown[0].title, "Zemlorin Tovenrak v.1") << c.name;
    EXPECT_EQ(w.box.shown[0].icon, platform::MessageIcon::kCritical) << c.name;
    EXPECT_NE(w.box.shown[0].text.find(bad.string()), std::string::npos)
        << c.name << ": " << w.box.shown[0].text;
    EXPECT_NE(w.box.shown[0].text.find(c.says), std::string::npos)
        << c.name << ": " << w.box.shown[0].text;
    // The preview was already sent to the chosen file; the rest stays.
    EXPECT_EQ(w.preview.calls,
              (std::vector<std::string>{"load " + bad.string(), "show"}))
        << c.name;
    EXPECT_EQ(w.main->ori_str(), gb_page) << c.name;
    EXPECT_EQ(w.view.text, view_before) << c.name;
    EXPECT_EQ(w.status.panels[2], "文件处于 GB 码状态") << c.name;
    EXPECT_TRUE(w.tool.pressed[6]) << c.name;
  }
}

TEST(MainOpenTest, FailedConversionGetsMessageAndKeepsDocument) {
  MainWorld w;
  w.Make();
  const std::string gb_page = Page("charset=gb2312", kGbBody);
  w.Open("first.htm", gb_page);
  w.converter->fail = true;
  w.Open("second.htm", Page("charset=big5", kBig5Body));

  ASSERT_EQ(w.box.shown.size(), 1u);
  EXPECT_NE(w.box.shown[0].text.find("second.htm"), std::string::npos);
  EXPECT_NE(w.box.shown[0].text.find("dictionary gone"), std::string::npos);
  EXPECT_EQ(w.main->ori_str(), gb_page);
  EXPECT_EQ(w.status.panels[2], "文件处于 GB 码状态");
  EXPECT_TRUE(w.tool.pressed[6]);
  EXPECT_FALSE(w.tool.pressed[7]);
  EXPECT_FALSE(std::filesystem::exists(w.Preview()));
}

TEST(MainOpenTest, UnwritablePreviewGetsMessageAndKeepsBig5State) {
  MainWorld w;
  w.app_dir = w.root / "no-such-folder";
  w.Make();
  const std::string big5_page = Page("charset=big5", kBig5Body);
  w.Open("doc.htm", big5_page);

  ASSERT_EQ(w.box.shown.size(), 1u);
  EXPECT_NE(w.box.shown[0].text.find(w.Preview().string()), std::string::npos)
      << w.box.shown[0].text;
  EXPECT_EQ(w.status.panels[2], "文件处于 Big5 码状态");
  EXPECT_EQ(w.main->cvt_str(), big5_page);
  EXPECT_EQ(w.view.text, Rewritten("charset=gb2312", kGbBodyUtf8));
  // The browser stays on the chosen file.
  EXPECT_EQ(w.preview.calls.back(), "show");
}

TEST(MainOpenTest, ClearEmptiesViewAndReleasesButtonsButKeepsStoredTexts) {
  MainWorld w;
  w.Make();
  const std::string big5_page = Page("charset=big5", kBig5Body);
  w.Open("doc.htm", big5_page);
  const std::string preview_bytes = ReadFile(w.Preview());

  w.main->Clear();

  EXPECT_EQ(w.view.text, "");
  EXPECT_FALSE(w.preview.visible);
  EXPECT_FALSE(w.tool.enabled[2]);
  EXPECT_FALSE(w.tool.enabled[7]);
  EXPECT_TRUE(w.tool.enabled[6]);
  EXPECT_FALSE(w.tool.pressed[6] || w.tool.pressed[7]);
  EXPECT_EQ(w.status.panels[2], "文件处于 Big5 码状态");
  EXPECT_EQ(w.main->cvt_str(), big5_page);
  EXPECT_EQ(w.main->ori_str(), Page("charset=big5", kGbBody));
  EXPECT_EQ(ReadFile(w.Preview()), preview_bytes);
}

TEST(MainOpenTest, OpenAfterClearEnablesClearAndBig5Again) {
  MainWorld w;
  w.Make();
  w.Open("a.htm", Page("charset=gb2312", kGbBody));
  w.main->Clear();
  w.Open("b.htm", Page("charset=gb2312", kGbBody));
  EXPECT_TRUE(w.tool.enabled[2] && w.tool.enabled[7]);
  EXPECT_TRUE(w.tool.pressed[6]);
  EXPECT_FALSE(w.tool.pressed[7]);
}

}  // namespace
}  // namespace tovenrak::testing
