// Toolbar positions, menu commands, the site link, the browser's status and
// the GB and Big5 commands: conversion, declaration, preview and save.

#include <gtest/gtest.h>

#include <functional>

#include "main_world.h"
#include "support/text.h"

namespace tovenrak::testing {
namespace {

TEST(MainCommandsTest, EachButtonMenuItemAndLinkRunsItsCommand) {
  using L = platform::MainWindowListener;
  const std::string browse = "browse zemlorin.example in /program";
  std::vector<std::pair<std::function<void(L&)>, std::string>> cases = {
      {&L::OnMenuOpen, "open"},       {&L::OnMenuClear, "clear"},
      {&L::OnMenuBatch, "batch"},     {&L::OnMenuExit, "quit"},
      {&L::OnMenuAbout, "maximize"},  {&L::OnMenuWebSite, browse},
      {&L::OnSiteLinkClicked, browse}};
  // Right after opening, either converts the document as opened.
  const char* tools[] = {"open",          "clear",         "", "batch", "",
                         "Big5ToGB save", "GBToBig5 save", ""};
  for (int position = 1; position <= 8; ++position) {
    cases.push_back(
        {[position](L& l) { l.OnToolButton(position); }, tools[position - 1]});
  }
  for (const auto& [event, expected] : cases) {
    MainWorld w;
    w.Open("doc.htm", kGbBody);
    w.dialog.asked.clear();
    w.converter->calls.clear();

    event(w.main);

    std::string done;
    auto add = [&](const std::string& what) {
      done += (done.empty() ? "" : " ") + what;
    };
    for (const std::string& call : w.converter->calls)
      add(call.substr(0, call.find(' ')));
    for (const auto& asked : w.dialog.asked) add(asked);
    if (w.view.text.empty()) add("clear");
    if (w.batch.shown) add("batch");
    if (w.frame.quit) add("quit");
    if (w.frame.maximized) add("maximize");
    for (const std::string& opened : w.shell.opened) add("browse " + opened);
    EXPECT_EQ(done, expected);
  }
}

TEST(MainCommandsTest, BrowserPanelFollowsLoadingAndHoveredLinks) {
  MainWorld w;
  auto panel = [&] {
    return w.status.panels[platform::StatusBar::kBrowserPanel];
  };
  w.main.OnPreviewLoadStarted();
  EXPECT_EQ(panel(), "正在打开页面……");
  w.main.OnPreviewLinkHovered("file:///docs/next.htm");
  EXPECT_EQ(panel(), "file:///docs/next.htm");
  w.main.OnPreviewLinkHovered("");
  EXPECT_EQ(panel(), "正在打开页面……");
  w.main.OnPreviewLoadFinished(true);
  w.main.OnPreviewLinkHovered("http://example.com/");
  w.main.OnPreviewLinkHovered("");
  EXPECT_EQ(panel(), "完成");
  w.main.OnPreviewLoadFinished(false);
  EXPECT_EQ(panel(), "页面无法显示");
}

const std::filesystem::path kTarget = kDocs / "out.htm";

TEST(MainConvertTest, EachCommandConvertsTheOtherSideAfterEitherOpen) {
  struct Case {
    const char* name;
    std::string opened;
    int button;
    std::vector<std::string> calls;  // the converter's: a page's text only
    std::string stored;              // the converted side's text
  };
  const std::string gb = Page("gbk", kGbBody);
  const std::string big5 = Page("big5", kBig5Body);
  const int kGb = platform::kGbButton, kBig5 = platform::kBig5Button;
  // The stored text keeps the declaration the document was opened with.
  // Right after opening, each converts the document as opened, never an
  // earlier document's text nor the other side made from it. (The recorder
  // writes the text in the encoding it converts from.)
  const Case cases[] = {
      {"big5 after gb open",
       gb,
       kBig5,
       {"GBToBig5 " + kGbBody},
       Page("gbk", kBig5Body)},
      {"gb after gb open",
       gb,
       kGb,
       {"Big5ToGB " + Bytes(kGbBodyUtf8, core::Encoding::kBig5)},
       gb},
      {"gb after big5 open",
       big5,
       kGb,
       {"Big5ToGB " + kBig5Body},
       Page("big5", kGbBody)},
      {"big5 after big5 open",
       big5,
       kBig5,
       {"GBToBig5 " + Bytes(kBig5BodyUtf8, core::Encoding::kGbk)},
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
    EXPECT_EQ(w.converter->calls, c.calls) << c.name;
    EXPECT_EQ(to_gb ? w.main.ori_str() : w.main.cvt_str(), c.stored) << c.name;
    // The view, the preview and the saved file declare the new encoding.
    EXPECT_EQ(w.Seen(), to_gb ? GbSeen(Page("gb2312", kGbBodyUtf8))
                              : Big5Seen(Page("big5", kBig5BodyUtf8)))
        << c.name;
    const std::string saved =
        to_gb ? Page("gb2312", kGbBody) : Page("big5", kBig5Body);
    // The preview reads it in UTF-8, as a browser reads the file.
    EXPECT_EQ(w.PreviewFile(),
              to_gb ? Page("gb2312", kGbBodyUtf8) : Page("big5", kBig5BodyUtf8))
        << c.name;
    EXPECT_EQ(w.files.files[kTarget], saved) << c.name;
    EXPECT_EQ(w.preview.calls, "load /app/temp.htm") << c.name;
    EXPECT_TRUE(w.box.shown.empty()) << c.name;
  }
}

// XML parsers read a document that declares nothing as UTF-8.
TEST(MainConvertTest, FeedConvertedByTheToolbarGetsTheDeclarationItLacks) {
  const std::string feed = "<rss><title>" + kGbBody + "</title></rss>";
  for (const char* name : {"feed.rss", "page.htm"}) {
    MainWorld w;
    w.Open(name, feed);
    w.dialog.next_answers.push_back(kTarget.string());
    w.main.ConvertToBig5();
    const std::string body = "<rss><title>" + kBig5Body + "</title></rss>";
    EXPECT_EQ(w.files.files[kTarget],
              std::string(name) == "feed.rss"
                  ? "<?xml version=\"1.0\" encoding=\"big5\"?>\n" + body
                  : body)
        << name;
  }
}

// 丂 has a GBK code but none in Big5: GB keeps it in a GB document, which
// it converts as opened, pressed once or twice, and again after Big5 made
// the Big5 side from it or from the document: that side holds nothing GB
// lacks.
TEST(MainConvertTest, GbKeepsWhatBig5Lacks) {
  MainWorld w;
  w.Open("doc.txt", kGbBody + "\x81\x40");
  w.dialog.next_answers = {kTarget.string(), kTarget.string(), "",
                           kTarget.string()};
  for (int press = 0; press < 2; ++press) {
    w.files.files.erase(kTarget);
    w.main.ConvertToGb();
    EXPECT_EQ(w.files.files[kTarget], kGbBody + "\x81\x40") << press;
  }
  EXPECT_TRUE(w.box.shown.empty());
  w.main.ConvertToBig5();
  w.main.ConvertToGb();
  EXPECT_EQ(w.files.files[kTarget], kGbBody + "\x81\x40");

  w.Open("doc.txt", kGbBody + "\x81\x40");
  w.dialog.next_answers = {"", kTarget.string()};
  w.main.ConvertToBig5();
  w.main.ConvertToGb();
  EXPECT_EQ(w.files.files[kTarget], kGbBody + "\x81\x40");
}

// 丂 has a GBK code but none in Big5.
TEST(MainConvertTest, CharactersLostAreReportedAndTheSaveIsCancelled) {
  MainWorld w;
  w.Open("doc.txt", kGbBody + "\x81\x40");
  w.main.ConvertToBig5();
  ASSERT_EQ(w.box.shown.size(), 1u);
  EXPECT_EQ(w.box.shown[0].icon, platform::MessageIcon::kExclamation);
  // A text file shows a reference as it is written.
  EXPECT_NE(w.box.shown[0].text.find(
                "有 1 个字符在 Big5 码中没有对应的字，已写成 &#N; "
                "形式的字符引用。文本文件中它们显示为 &#N; 字样"),
            std::string::npos)
      << w.box.shown[0].text;
  // Only the preview file was written.
  EXPECT_EQ(w.files.files.size(), 2u);
  w.Open("doc.htm", kGbBody + "\x81\x40");
  w.main.ConvertToBig5();
  EXPECT_TRUE(w.box.shown.back().text.ends_with("网页仍能显示。"))
      << w.box.shown.back().text;
  // A byte kept as it was reads otherwise in the new encoding.
  w.Open("doc.htm", kGbBody + "\xFF");
  w.main.ConvertToBig5();
  EXPECT_TRUE(w.box.shown.back().text.ends_with(
      "有 1 处字节不是有效的 GB 码，已原样保留，在 Big5 "
      "码中可能被读成别的字。"))
      << w.box.shown.back().text;
}

TEST(MainConvertTest, TypedTextIsNotConvertedButSavedInTheEncodingShown) {
  MainWorld w;
  w.Open("doc.txt", kGbBody);
  w.view.Edit("typed");
  // What was typed goes only when the user says so.
  const size_t calls = w.converter->calls.size();
  w.main.ConvertToBig5();
  EXPECT_EQ(w.view.text, "typed");
  EXPECT_EQ(w.converter->calls.size(), calls);
  EXPECT_EQ(w.box.asked.size(), 1u);
  w.box.answer_yes = true;
  // During the save dialog the user edits the converted text.
  w.dialog.while_asked = [&] { w.view.Edit("頭髮 丂 \uFFFD"); };
  w.dialog.next_answers.push_back(kTarget.string());

  w.main.ConvertToBig5();

  EXPECT_EQ(w.converter->calls.back(), "GBToBig5 " + kGbBody);
  // What Big5 lacks is named before it is saved as references.
  EXPECT_EQ(w.box.asked.back(),
            "显示的文本中有 2 个字符（“丂”、“\uFFFD”）在 Big5 "
            "码中没有对应的字，保存时会写成 &#N; "
            "形式的字符引用，文本文件中它们显示为 &#N; 字样。要保存吗？");
  EXPECT_EQ(w.files.files[kTarget], kBig5Body + " &#19970; &#65533;");
}

TEST(MainConvertTest, AnEditedTextKeepsItsLineEndsAndIsSavedOrAskedFor) {
  MainWorld w;
  const std::string crlf = Bytes("头发\r\n以后\r\n", core::Encoding::kGbk);
  w.Open("doc.txt", crlf);
  w.view.Edit("头发\n以后\nEND");
  w.dialog.next_answers.push_back(kTarget.string());
  w.main.SaveShown();
  EXPECT_EQ(w.files.files[kTarget], crlf + "END");
  // What was saved is previewed (from a UTF-8 copy).
  EXPECT_EQ(w.PreviewFile(), "头发\r\n以后\r\nEND");
  // Saved, it is still no part of a conversion of the document: asked.
  w.main.ConvertToBig5();
  ASSERT_EQ(w.box.asked.size(), 1u);
  EXPECT_EQ(
      w.box.asked[0],
      "显示的文本有手工的改动，已经保存。转换是从打开的文件转换的，不含这些"
      "改动。要转换吗？");
  EXPECT_EQ(w.view.text, "头发\n以后\nEND");
  // Nor are they when more were typed since: both are said to go.
  w.view.Edit("头发\n以后\nEND MORE");
  w.main.ConvertToBig5();
  ASSERT_EQ(w.box.asked.size(), 2u);
  EXPECT_NE(w.box.asked[1].find("一部分已经保存"), std::string::npos);
  EXPECT_EQ(w.view.text, "头发\n以后\nEND MORE");
  // The same edit typed into the text opened again has not been saved.
  w.box.answer_yes = true;
  w.Open("doc.txt", crlf);
  w.view.Edit("头发\n以后\nEND");
  const size_t asked = w.box.asked.size();
  w.main.ConvertToBig5();
  EXPECT_EQ(w.box.asked.size(), asked + 1);
  // Old Mac OS files end their lines in a carriage return alone, which the
  // view shows as a line's end too.
  const std::string cr = Bytes("头发\r以后\r", core::Encoding::kGbk);
  w.Open("mac.txt", cr);
  w.view.Edit("头发\n以后\nEND");
  w.dialog.next_answers.push_back(kTarget.string());
  w.main.SaveShown();
  EXPECT_EQ(w.files.files[kTarget], cr + "END");
}

// Bytes not valid in the encoding shown, which the view shows as U+FFFD (a
// GB line pasted into a UTF-8 file, a character cut off), and line ends,
// which it shows as line feeds, are saved as they were wherever the edits
// left them, and asked about as nothing; a U+FFFD typed is a character.
TEST(MainConvertTest, AnEditKeepsTheBytesTheEncodingCannotRead) {
  const std::string pasted = Bytes("以后", core::Encoding::kGbk);
  const std::string utf8 = "\xEF\xBB\xBF头发\n" + pasted + "\n头\xFF";
  // Four bytes in a row that are no UTF-8, shown as four U+FFFD.
  const std::string run = "\xEF\xBB\xBF头\n\xD5\xE2\xCA\xC7GB\xD0\n头\xFF";
  const std::string fffd = "\xEF\xBF\xBD";
  const struct {
    std::string name, bytes;
    std::function<std::string(std::string)> edit;
    std::string saved;
  } cases[] = {
      {"doc.txt", utf8, [](std::string t) { return t + "END"; }, utf8 + "END"},
      // The pasted line taken out: the byte after it is still that byte.
      {"doc.txt", utf8,
       [](std::string t) {
         const size_t line = t.find('\n') + 1;
         return t.erase(line, t.find('\n', line) + 1 - line);
       },
       "\xEF\xBB\xBF头发\n头\xFF"},
      {"gb.txt", kGbBody + "\xCD", [](std::string t) { return "Z" + t; },
       "Z" + kGbBody + "\xCD"},
      // Two edits: a letter typed first, the last of the four taken out.
      {"run.txt", run,
       [&](std::string t) { return "Z" + t.erase(t.find("GB") - 3, 3); },
       "\xEF\xBB\xBFZ头\n\xD5\xE2\xCAGB\xD0\n头\xFF"},
      {"run.txt", run, [&](std::string t) { return fffd + t; },
       "\xEF\xBB\xBF" + fffd + run.substr(3)},
      // Each line keeps its own end, which the view shows as a line feed;
      // one typed ends as most do.
      {"ends.txt",
       "a\r\nb\nc\xE2\x80\xA9"
       "d\r\ne",
       [](std::string) { return std::string("a\nb\nc\nd\nX\ne"); },
       "a\r\nb\nc\xE2\x80\xA9"
       "d\r\nX\r\ne"},
  };
  for (const auto& c : cases) {
    MainWorld w;
    w.Open(c.name, c.bytes);
    w.view.Edit(c.edit(w.view.text));
    w.dialog.next_answers.push_back(kTarget.string());
    w.main.SaveShown();
    EXPECT_EQ(w.files.files[kTarget], c.saved) << w.view.text;
    EXPECT_TRUE(w.box.asked.empty()) << w.box.asked.front();
  }
}

// Saving a conversion over the file it was opened from asks first, in so
// many words: the original may not convert back.
TEST(MainConvertTest, ReplacingTheOpenedFileWithItsConversionIsAsked) {
  MainWorld w;
  const std::string big5 = Page("big5", kBig5Body);
  w.Open("doc.htm", big5);  // Shown as GB.
  for (const bool yes : {false, true}) {
    w.box.answer_yes = yes;
    w.dialog.next_answers.push_back((kDocs / "doc.htm").string());
    w.main.SaveShown();
    ASSERT_EQ(w.box.asked.size(), yes ? 2u : 1u);
    EXPECT_EQ(w.box.asked.back(),
              "文件“/docs/doc.htm”是打开的 Big5 原文件。保存会用显示的 GB "
              "码文本替换它，原来的内容就没有了。要替换吗？");
    EXPECT_EQ(w.files.files[kDocs / "doc.htm"] == big5, !yes);
  }
  // Nothing is asked of another name, nor of the opened text saved back.
  w.dialog.next_answers.push_back(kTarget.string());
  w.main.SaveShown();
  w.Open("gb.htm", Page("gbk", kGbBody));
  w.dialog.next_answers.push_back((kDocs / "gb.htm").string());
  w.main.SaveShown();
  EXPECT_EQ(w.box.asked.size(), 2u);

  // What another program wrote there since is not replaced unasked; what
  // this window saved there is no such change.
  const std::string changed = Page("gbk", kGbBody) + "<p>added</p>";
  w.files.files[kDocs / "gb.htm"] = changed;
  w.box.answer_yes = false;
  w.dialog.next_answers.push_back((kDocs / "gb.htm").string());
  w.main.SaveShown();
  ASSERT_EQ(w.box.asked.size(), 3u);
  EXPECT_EQ(w.box.asked.back(),
            "文件“/docs/gb.htm”在打开后已被改动，和打开时的内容不同。保存会用"
            "显示的文本替换它，那些改动就没有了。要替换吗？");
  EXPECT_EQ(w.files.files[kDocs / "gb.htm"], changed);
  w.box.answer_yes = true;
  for (int save = 0; save < 2; ++save) {
    w.dialog.next_answers.push_back((kDocs / "gb.htm").string());
    w.main.SaveShown();
  }
  EXPECT_EQ(w.box.asked.size(), 4u);
  EXPECT_EQ(w.files.files[kDocs / "gb.htm"], Page("gbk", kGbBody));
}

// The menu converts the document as it was opened, by the one document
// path, in the variant chosen through the menu.
TEST(MainConvertTest, EachMenuTargetAndVariantGivesItsEncodingAndScript) {
  using core::Encoding;
  const std::string text = "软件头发着里面";
  const struct {
    int variant, target;
    std::string state, saved;
  } cases[] = {
      {0, 0, "GB", Page("gb2312", Bytes(text, Encoding::kGbk))},
      {0, 1, "Big5", Page("big5", Bytes("軟件頭髮著裡面", Encoding::kBig5))},
      {0, 2, "UTF-8", Page("utf-8", text)},
      {0, 3, "UTF-8", Page("utf-8", "軟件頭髮著裡面")},
      {1, 3, "UTF-8", Page("utf-8", "軟體頭髮著裡面")},
      {2, 3, "UTF-8", Page("utf-8", "軟件頭髮着裏面")},
      {3, 3, "UTF-8", Page("utf-8", "軟件頭髮着裏面")},
      {0, 4, "GB18030", Page("gb18030", Bytes(text, Encoding::kGb18030))},
  };
  for (const auto& c : cases) {
    const std::string name =
        std::to_string(c.variant) + " " + std::to_string(c.target);
    MainWorld w;
    w.main.OnMenuVariant(c.variant);
    w.Open("doc.htm", Page("gbk", Bytes(text, Encoding::kGbk)));
    // A toolbar conversion in between does not change what the menu reads.
    w.main.ConvertToBig5();
    w.dialog.next_answers.push_back(kTarget.string());

    w.main.OnMenuConvert(c.target);

    EXPECT_EQ(w.files.files[kTarget], c.saved) << name;
    const Encoding saved_in = c.state == "GB"        ? Encoding::kGbk
                              : c.state == "Big5"    ? Encoding::kBig5
                              : c.state == "GB18030" ? Encoding::kGb18030
                                                     : Encoding::kUtf8;
    EXPECT_EQ(w.PreviewFile(), AsUtf8(c.saved, saved_in)) << name;
    EXPECT_EQ(w.status.panels[platform::StatusBar::kEncodingPanel],
              "文件处于 " + c.state + " 码状态")
        << name;
    EXPECT_EQ(w.dialog.asked.back(), "save") << name;
  }
}

TEST(MainConvertTest, VariantIsRememberedForTheNextRun) {
  MainWorld w;
  EXPECT_EQ(w.frame.checked_variant, 0);
  w.main.OnMenuVariant(2);
  EXPECT_EQ(w.frame.checked_variant, 2);
  main_window::Main next({w.view, w.preview, w.status, w.tool, w.dialog, w.box,
                          w.batch, w.shell, w.frame, w.files, w.settings},
                         std::make_unique<RecordingConverter>(), kPreview, "/");
  EXPECT_EQ(w.frame.checked_variant, 2);
  w.settings.values.begin()->second = "unknown";
  main_window::Main after_garbage(
      {w.view, w.preview, w.status, w.tool, w.dialog, w.box, w.batch, w.shell,
       w.frame, w.files, w.settings},
      std::make_unique<RecordingConverter>(), kPreview, "/");
  EXPECT_EQ(w.frame.checked_variant, 0);
}

TEST(MainOpenTest, DroppedFileOpensFromTheTop) {
  MainWorld w;
  w.files.files["/docs/a.htm"] = Page("gbk", kGbBody);
  w.main.OnFilesDropped({"/docs/a.htm", "/docs/b.htm"});
  EXPECT_EQ(w.Seen(), GbSeen(Page("gbk", kGbBodyUtf8)));
  EXPECT_EQ(w.preview.calls, "hide, top, load /docs/a.htm, show");
}

}  // namespace
}  // namespace tovenrak::testing
