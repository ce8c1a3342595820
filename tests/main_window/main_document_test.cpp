// Open and Clear: the document state a chosen file leaves behind, and what
// each failure tells the user and leaves of the document.

#include <gtest/gtest.h>

#include "fakes/fake_review_view.h"
#include "main_window/preview_page.h"
#include "main_world.h"
#include "support/text.h"

namespace tovenrak::testing {
namespace {

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
      // A byte that is no GB code shows as U+FFFD and stays in both sides.
      // Nothing declares what it is, and the browser would guess (Latin-1,
      // for a stray byte): the preview file says.
      {"gb text with a stray byte", kGbBody + "\xFFx",
       GbSeen(kGbBodyUtf8 + std::string("\uFFFDx")),
       "编码：GB（依据字频统计，也可读作 Big5，请核对）",  // A few characters.
       kGbBody + "\xFFx", kBig5Body + "\xFFx", kGbBody + "\xFFx"},
      // Shown as it is, no side pressed; both sides ready for GB and Big5.
      {"utf-8 page", utf8,
       "文件处于 UTF-8 码状态 | Open Clear Batch GB Big5 | " + utf8,
       "编码：UTF-8（依据网页声明）", Page("utf-8", kGbBody),
       Page("utf-8", kBig5Body), "(none)"},
      // The preview file tells the browser what the page is.
      {"gb page declared big5", liar, GbSeen(Page("big5", sentence)),
       "编码：GB（网页声明为 Big5，与内容不符）", liar,
       Page("big5", Bytes("這是一個簡體中文網頁，聲明的卻是繁體的編碼。",
                          core::Encoding::kBig5)),
       liar},
  };
  for (const Case& c : cases) {
    MainWorld w;
    fakes::FakeReviewView marks;  // As in the program.
    w.main.AttachReview(marks);
    w.Open("doc.htm", c.bytes);
    EXPECT_EQ(w.Seen(), c.seen) << c.name;
    EXPECT_EQ(w.status.panels[platform::StatusBar::kDetectionPanel],
              c.detection)
        << c.name;
    EXPECT_EQ(w.main.ori_str(), c.ori_str) << c.name;
    EXPECT_EQ(w.main.cvt_str(), c.cvt_str) << c.name;
    // Shown as GB, the preview reads it in UTF-8, as a browser reads GB.
    EXPECT_EQ(w.PreviewFile(), c.preview == "(none)"
                                   ? c.preview
                                   : AsUtf8(c.preview, core::Encoding::kGbk))
        << c.name;
    // Its pictures, styles and frames are found where the document is.
    EXPECT_EQ(w.preview.folder, "/docs") << c.name;
    EXPECT_EQ(w.files.files[kPreview].starts_with(
                  "<meta charset=\"utf-8\"><base href=\"file:///docs/\">"),
              c.preview != "(none)")
        << c.name;
    // One load: the file itself, or the preview file of what is shown.
    EXPECT_EQ(w.preview.calls, c.preview != "(none)"
                                   ? "hide, top, load /app/temp.htm, show"
                                   : "hide, top, load /docs/doc.htm, show")
        << c.name;
    EXPECT_TRUE(w.box.shown.empty()) << c.name;
  }
  // A guess says what else the bytes read as: 学校 in GB is ѧУ in UTF-8.
  MainWorld w;
  w.Open("menu.htm", Bytes("<a>学校</a>", core::Encoding::kGbk));
  EXPECT_EQ(w.status.panels[platform::StatusBar::kDetectionPanel],
            "编码：UTF-8（依据 UTF-8 编码规则，也可读作 GB，请核对）");
}

// What the preview file adds to a page: the encoding it is in and the
// folder its addresses lead to, first but for a doctype; plain text shown
// as such.
TEST(PreviewPageTest, EncodingAndFolderComeFirstButForADoctype) {
  const std::string head = "<meta charset=\"big5\"><base href=\"file:///d/\">";
  struct Case {
    std::string page, expected;
    bool as_text = false;
  } cases[] = {
      // The page's own tag may lie, or come after a style sheet.
      {"<link href=a.css><meta charset=gb2312><p>x",
       head + "<link href=a.css><meta charset=gb2312><p>x"},
      {"<!DOCTYPE html><p>x", "<!DOCTYPE html>" + head + "<p>x"},
      {"<?xml version='1.0'?>\n<!-- <!doctype a> --><!DOCTYPE html><p>",
       "<?xml version='1.0'?>\n<!-- <!doctype a> --><!DOCTYPE html>" + head +
           "<p>"},
      {"<!-- was <!DOCTYPE html> --><p>",
       head + "<!-- was <!DOCTYPE html> --><p>"},
      {"<p><BASE href=/x/>", "<meta charset=\"big5\"><p><BASE href=/x/>"},
      // A page's own base that leads from its file, or nowhere.
      {"<!-- <base href=x> --><base target=_blank><base href='../a/'>",
       "<meta charset=\"big5\"><base href=\"file:///d/../a/\"><!-- <base "
       "href=x> --><base target=_blank><base href='../a/'>"},
      {"<!DOCTYPE a>\n<p>",
       "<meta charset=\"big5\"><plaintext><!DOCTYPE a>\n<p>", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(main_window::PreviewPage(c.page, core::Encoding::kBig5, "/d",
                                       c.as_text),
              c.expected)
        << c.page.substr(0, 40);
  EXPECT_EQ(main_window::PreviewPage("\xEF\xBB\xBFx", core::Encoding::kUtf8, {},
                                     false),
            "\xEF\xBB\xBF<meta charset=\"utf-8\">x");
  EXPECT_EQ(main_window::FolderAddress("/tmp/我的 站"),
            "file:///tmp/%E6%88%91%E7%9A%84%20%E7%AB%99/");
}

// Named on the command line from the current folder: the preview needs the
// file's full address.
// The preview's engine reads some Big5 codes (啓, kana) as private-use
// characters: it reads the page shown in UTF-8, and the script the page
// loads in the page's own encoding, as a browser would.
TEST(MainOpenTest, ThePreviewReadsThePageInUtf8AndItsFilesAsThePageWould) {
  MainWorld w;
  // Undeclared, it is previewed through the preview file as it is.
  w.Open("doc.htm",
         Bytes("<script src=a.js></script>启か这是一个简体中文网页。",
               core::Encoding::kGbk));
  EXPECT_TRUE(w.PreviewFile().starts_with(
      "<script charset=gb2312 src=a.js></script>启か"))
      << w.PreviewFile();
  w.main.OnMenuVariant(2);  // Hong Kong's 啓.
  w.main.ConvertToBig5();
  EXPECT_NE(w.main.cvt_str().find(Bytes("啓か", core::Encoding::kBig5)),
            std::string::npos);
  EXPECT_NE(w.PreviewFile().find("</script>啓か"), std::string::npos)
      << w.PreviewFile();
  // A style sheet its <style> imports is read in the page's encoding, which
  // only the page as it is keeps.
  const std::string imports =
      Bytes("<style>@IMPORT url(a.css);</style>头发", core::Encoding::kGbk);
  w.Open("imports.htm", Page("gbk", imports));
  w.main.ConvertToGb();
  EXPECT_EQ(w.PreviewFile(), Page("gb2312", imports));
}

TEST(MainOpenTest, AFileNamedFromTheCurrentFolderIsPreviewedByItsFullPath) {
  MainWorld w;
  const std::filesystem::path full =
      std::filesystem::current_path() / "named.htm";
  w.files.files[full] = Page("gbk", kGbBody);
  w.main.OpenPath("named.htm");
  EXPECT_NE(w.preview.calls.find("load " + full.string()), std::string::npos)
      << w.preview.calls;
}

TEST(MainOpenTest, ANameThatWouldReadAsAnotherIsShownEscaped) {
  MainWorld w;
  w.main.OpenPath("/docs/evil\u202Egpj.htm");  // Reads evilmth.jpg.
  ASSERT_EQ(w.box.shown.size(), 1u);
  EXPECT_NE(w.box.shown[0].text.find("“/docs/evil\\xE2\\x80\\xAEgpj.htm”"),
            std::string::npos)
      << w.box.shown[0].text;
}

TEST(MainOpenTest, AFileThatMixesEncodingsIsSaidToWhenOpened) {
  MainWorld w;
  const std::string gb = Bytes("这个问题我们以后再讨论吧。请把文件发给我。\n",
                               core::Encoding::kGbk);
  w.Open("notes.txt", gb + gb + "版权所有 © 2024 北京头发科技有限公司\n");
  ASSERT_EQ(w.box.shown.size(), 1u);
  EXPECT_EQ(w.box.shown[0].text,
            "文件“/docs/notes.txt”混用了编码：有 1 行（第一行是第 3 行）像是 "
            "UTF-8 码，但全文按 GB 码读取，这些行显示和转换出来都是别的字。");
  // A declaration does not vouch for UTF-8 included into the page.
  w.Open("page.htm",
         Page("gbk", gb + gb) + "版权所有 © 2024 北京头发科技有限公司");
  ASSERT_EQ(w.box.shown.size(), 2u);
  EXPECT_NE(w.box.shown[1].text.find("像是 UTF-8 码"), std::string::npos);
  // The name is marked as one, for the Traditional interface to keep.
  EXPECT_NE(w.box.raw.find("“\u2068/docs/page.htm\u2069”"), std::string::npos);
}

TEST(MainOpenTest, CancelKeepsTheStartClearReleasesButtonsUntilTheNextOpen) {
  MainWorld w;
  w.main.OpenHtmlFile();
  EXPECT_EQ(w.Seen(), " | Open Clear Batch GB Big5 | ");
  EXPECT_EQ(w.preview.calls, "hide");
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

TEST(MainFailuresTest, EachFailureGetsOneMessageAndLeavesWhatItSays) {
  const std::string bad = "/docs/bad.htm", out = "/docs/out.htm";
  const std::string gb = Page("gbk", kGbBody), big5 = Page("big5", kBig5Body);
  const std::string gb_seen = GbSeen(Page("gbk", kGbBodyUtf8));
  const std::string big5_seen = Big5Seen(Page("big5", kBig5BodyUtf8));
  // A file that does not open leaves the preview on the page shown.
  const std::string kept = "";
  const std::string none = "(none)";
  struct Case {
    const char* name;
    bool open;              // Open bad.htm, else Big5 saving to out.htm
    std::string bad_bytes;  // none: no such file
    std::string failing;    // a path whose saving fails
    bool cannot_convert;
    std::string says;
    std::string seen;                       // afterwards
    std::string calls;                      // the preview's, by the command
    std::string why = "Permission denied";  // the failing save's
  };
  const Case cases[] = {
      {"binary", true, std::string("\x89PNG\r\n\x1a\n", 9), "", false,
       "文件“/docs/bad.htm”含有二进制数据，不是网页或文本文件，没有打开。",
       gb_seen, kept},
      {"UTF-16", true, std::string("\xFF\xFE<\0p\0>\0", 8), "", false,
       "文件“/docs/bad.htm”是 UTF-16 "
       "编码的，窗口不打开这样的文件。批量转换（或 "
       "tovenrak-convert）可以把它转换为 UTF-8、GB 或 Big5。",
       gb_seen, kept},
      {"not Chinese", true, "<meta charset=latin1><p>Caf\xE9 cr\xE8me", "",
       false,
       "文件“/docs/bad.htm”声明的编码 latin1 不是 Big5、GB 或 "
       "UTF-8，没有打开。",
       gb_seen, kept},
      {"Western letters", true, "<p>Caf\xE9 na\xEFve, d\xE9j\xE0 vu \xE0 la",
       "", false,
       "文件“/docs/bad.htm”的内容像西文或俄文的单字节编码，不像中文，"
       "也没有声明编码，没有打开。",
       gb_seen, kept},
      {"Japanese", true,
       "\x93\xFA\x96{\x8C\xEA\x82\xCC\x83"
       "e\x83L\x83X\x83g\x82\xC5\x82\xB7\x81"
       "B\x82\xB1\x82\xEA\x82\xCD\x83"
       "e\x83X\x83g\x82\xC5\x82\xB7\x81"
       "B",
       "", false,
       "文件“/docs/bad.htm”的内容像日文或韩文（假名或谚文），不像中文，"
       "没有打开。",
       gb_seen, kept},
      {"too large", true, std::string(platform::kMaxPreviewBytes + 1, 'a'), "",
       false,
       "无法读取文件“/docs/bad.htm”。\n原因：文件大于 16 MiB，太大，"
       "无法在窗口中打开。",
       gb_seen, kept},
      // The Big5 page is open, shown as GB, but the browser stays on it.
      {"open cannot write the preview", true, big5, kPreview, false,
       "无法写入预览文件“/app/temp.htm”。\n原因：权限不够",
       Big5Seen(Page("gb2312", kGbBodyUtf8)), "top, load /docs/bad.htm, show"},
      // The toolbar's group has already pressed Big5 when the click arrives.
      {"command cannot convert", false, none, "", true,
       "无法转换为 Big5 码。\n原因：dictionary gone", gb_seen, ""},
      // The conversion itself stands.
      {"command cannot save", false, none, out, false,
       "无法保存文件“/docs/out.htm”，该文件没有改动。\n原因：不是普通文件",
       big5_seen, "load /app/temp.htm", "not a regular file"},
  };
  for (const Case& c : cases) {
    MainWorld w;
    fakes::FakeReviewView marks;  // As in the program.
    w.main.AttachReview(marks);
    w.Open("doc.htm", gb);
    w.preview.calls.clear();
    if (c.bad_bytes != none) w.files.files[bad] = c.bad_bytes;
    if (!c.failing.empty())
      w.files.failing[c.failing] = {core::ErrorCode::kNotWritable, c.why};
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
    EXPECT_EQ(w.Seen(), c.seen) << c.name;
    EXPECT_EQ(w.preview.calls, c.calls) << c.name;
    // Saving starts from the name of the document shown, not of the file
    // that did not open.
    if (c.open && c.calls == kept) {
      EXPECT_EQ(w.dialog.started_from, "/docs/doc.htm") << c.name;
    }
    EXPECT_EQ(w.files.files.count(out), 0u) << c.name;
    // A failed read or conversion leaves the stored texts as they were (the
    // Big5 side of the GB page is made when asked for).
    w.converter->fail = false;
    if (c.bad_bytes != big5 || c.cannot_convert) {
      EXPECT_EQ(w.main.ori_str(), gb) << c.name;
      EXPECT_EQ(w.main.cvt_str(), Page("gbk", kBig5Body)) << c.name;
    }
  }
}

}  // namespace
}  // namespace tovenrak::testing
