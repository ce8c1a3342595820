// Which encoding a document is in, and why: the labels pages use, each rule
// against the next, the declarations against the bytes, and a corpus of real
// pages and texts.

#include "core/encoding/detection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <vector>

#include "support/test_data.h"
#include "support/text.h"

namespace tovenrak::core {
namespace {

using enum Encoding;
constexpr DetectionReason kMark = DetectionReason::kByteOrderMark,
                          kDeclared = DetectionReason::kDeclaration,
                          kValidUtf8 = DetectionReason::kUtf8,
                          kStatistics = DetectionReason::kStatistics,
                          kAscii = DetectionReason::kAsciiOnly;
constexpr std::nullopt_t kNone = std::nullopt;
using testing::Bytes;

const std::string kSimplified =
    "我们今天去学校上课，老师说明天考试。这是一个中文网页，头发以后要干净。";
const std::string kTraditional =
    "我們今天去學校上課，老師說明天考試。這是一個中文網頁，頭髮以後要乾淨。";

std::string Repeated(const std::string& text, size_t size) {
  std::string out;
  while (out.size() < size) out += text;
  return out;
}

TEST(DetectionTest, EachRuleWinsOverTheNextAndDeclarationsOverTheBytes) {
  using Case = std::tuple<std::string, Encoding, DetectionReason,
                          std::optional<Encoding>>;
  const Case cases[] = {
      // A mark overrules a declaration, which is said to be contradicted;
      // GB's under GB18030's is GB18030's.
      {"\xEF\xBB\xBF<meta charset=gb2312>", kUtf8, kMark, kGbk},
      {"\x84\x31\x95\x33<meta charset=gbk>", kGb18030, kMark, kGb18030},
      {"\x84\x31\x95\x33<p>", kGb18030, kMark, kNone},
      // D2 BB is both GB's 一 and UTF-8's U+04BB.
      {"<meta charset=gb2312>\xD2\xBB", kGbk, kDeclared, kGbk},
      // A file cut short in its last character, before its line's end or
      // not; a character cut short, and a surrogate pair written as two
      // (CESU-8), in a few lines.
      {kSimplified + "\xE5\xA4", kUtf8, kValidUtf8, kNone},
      {"今天天气很好\xE6\x88\r\n", kUtf8, kValidUtf8, kNone},
      // ...but not GB whose characters read as letters (谢谢 is лл) and
      // whose last begins a sequence (喔 is E0 B8).
      {Bytes("谢谢喔", kGbk), kGbk, kStatistics, kNone},
      {"\xF0\x9F\x98\n" + kSimplified.substr(0, 30), kUtf8, kValidUtf8, kNone},
      {kSimplified.substr(0, 30) + "\xED\xA0\xBD\xED\xB8\x80\n", kUtf8,
       kValidUtf8, kNone},
      // GB whose characters all read as UTF-8 letters (学 is D1 A7, ѧ) is
      // no UTF-8: they belong to no one alphabet. German is.
      {"<meta charset=gb2312><h1>" + Bytes("学院通知", kGbk) + "</h1>" +
           Bytes("学院通知", kGbk),
       kGbk, kDeclared, kGbk},
      {Bytes("<a>学院</a> | <a>通知</a> | <a>图片</a> | <a>学院</a>", kGbk),
       kGbk, kStatistics, kNone},
      // Two words are enough when each character is a common one; IPA's
      // letters make rare ones, or stand in words.
      {Bytes("<td>知识</td><td>学院</td>", kGbk), kGbk, kStatistics, kNone},
      // Characters apart among digits and tags, whose UTF-8 reading gives
      // letters hardly ever written alone (元 is D4 AA, Ԫ): a price list.
      // A letter of Latin-1 alone may be a word, Greek's a sign.
      {"<meta charset=gb2312>" + Repeated(Bytes("<td>10元</td>", kGbk), 96),
       kGbk, kDeclared, kGbk},
      {Repeated(Bytes("<li>1元 ", kGbk), 64), kGbk, kStatistics, kNone},
      {"<p>/ˈθɪŋk/ ɛθ", kUtf8, kValidUtf8, kNone},
      {"thin /θɪn/", kUtf8, kValidUtf8, kNone},  // θɪ are common GB codes.
      {"<meta charset=gb2312><p>Grüße aus Köln, schöne Äpfel über Öl, Größe",
       kUtf8, kValidUtf8, kGbk},
      // Three CJK characters in UTF-8, nothing malformed: GB makes none.
      {"<meta charset=gb2312>页面已移动", kUtf8, kValidUtf8, kGbk},
      // A word is of one alphabet, however many a page names.
      {"<p>Fran\xC3\xA7"
       "ais \xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8"
       "\xD0\xB9 \xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA"
       "\xCE\xAC",
       kUtf8, kValidUtf8, kNone},
      // So do Russian words in GB, undeclared: A7 is the row of Big5's 我.
      {Bytes("俄语 Русский язык 你好 Привет", kGbk), kGbk, kStatistics, kNone},
      // ...and pinyin with tones, whose letters are in GB's row A8.
      {Bytes("你好 nǐ hǎo\n谢谢 xiè xie\n再见 zài jiàn", kGbk), kGbk,
       kStatistics, kNone},
      // ...and Japanese quoted in GB, undeclared: its kana are Big5's
      // commonest hanzi. Big5's own use of those codes stays Big5.
      {Bytes("平假名：あ（a）い（i）う（u）え（e）お（o）。请练习", kGbk), kGbk,
       kStatistics, kNone},
      {Bytes("使用中文的文件", kBig5), kBig5, kStatistics, kNone},
      // Big5's own kana (ETEN's) are GB's common hanzi, the other way round.
      {Bytes("日文課：ひらがな あいうえお，カタカナ アイウエオ。請跟著唸。",
             kBig5),
       kBig5, kStatistics, kNone},
      // GB's Greek, like its kana, reads as common Big5 characters.
      {"<meta charset=gb2312>" + Bytes("αβγδεζηθικλμ希腊字母", kGbk), kGbk,
       kDeclared, kGbk},
      // So do its box drawing (├── reads 念岸岸), bopomofo and Greek apart,
      // undeclared: a README's tree, a drawn table, a lesson, a formula.
      {Bytes("目录：\n├── src/ 源代码\n├── docs/ 文档\n└── 说明文件", kGbk),
       kGbk, kStatistics, kNone},
      {Bytes("╔══╦══╗\n║姓名║年龄║\n╠══╬══╣\n║张三║２５║\n╚══╩══╝", kGbk), kGbk,
       kStatistics, kNone},
      // Lines drawn as repeats (岸岸 in Big5) say GB without any hanzi; so
      // does a tree drawn with single lines, as Windows' `tree` draws one.
      {Bytes("├── src/\n├── docs/\n└── README.md", kGbk), kGbk, kStatistics,
       kNone},
      {Bytes("├─src\n│  ├─main.c\n│  └─util.c\n└─README", kGbk), kGbk,
       kStatistics, kNone},
      // No tree's line begins with ┘, which Big5 reads 彼.
      {Bytes("彼岸 Vol.1\n彼岸 Vol.2\n彼岸 Vol.3", kBig5), kBig5, kStatistics,
       kNone},
      {Bytes("声母：ㄅㄆㄇㄈㄉㄊㄋㄌ", kGbk), kGbk, kStatistics, kNone},
      // GB's full-width comma is Big5's bopomofo ㄛ, which counts for Big5
      // only in a zhuyin spelling; GB's Greek stands beside an operator in
      // a formula, where Big5's hanzi hardly do.
      {Bytes("角α=30°，角β=60°。", kGbk), kGbk, kStatistics, kNone},
      {Bytes("注音：ㄅㄆㄇㄈ，ㄓㄨˋ ㄧㄣ。", kBig5), kBig5, kStatistics, kNone},
      {Bytes("设 α＋β＝π，则 sin α ＝ sin(π－β)。", kGbk), kGbk, kStatistics,
       kNone},
      // Big5 that reads as nothing but letters and bopomofo in GB stays
      // Big5: a Cyrillic word is no hanzi.
      {Bytes("快把我找來", kBig5), kBig5, kStatistics, kNone},
      // Lines of Big5 among more Chinese in UTF-8 are kept as bytes, rather
      // than the UTF-8 read as GB.
      {kSimplified + "\n" + Bytes(kTraditional, kBig5) + "\n" + kSimplified +
           "\n" + kSimplified,
       kUtf8, kValidUtf8, kNone},
      // ...but not two lines of UTF-8 among four of GB.
      {Bytes(kSimplified + "\n" + kSimplified + "\n" + kSimplified + "\n" +
                 kSimplified,
             kGbk) +
           "\n" + kSimplified + "\n" + kSimplified,
       kGbk, kStatistics, kNone},
      // A footer in UTF-8 does not turn a Big5 page over to GB.
      {"<meta charset=big5>" + Bytes(kTraditional, kBig5) + "<p>" +
           "版權所有 — 信義路中心",
       kBig5, kDeclared, kBig5},
      {Bytes("歡迎光臨本站", kBig5) + " — “版權”", kBig5, kStatistics, kNone},
      {Bytes("歡迎光臨本站", kBig5) + " 信義路中心網站", kBig5, kStatistics,
       kNone},
      // ...nor a language menu: words of Cyrillic, Greek or Hangul.
      {Bytes("歡迎光臨本站", kBig5) + "<a>Русский</a>", kBig5, kStatistics,
       kNone},
      {Bytes("歡迎光臨本站", kBig5) + "<a>한국어</a>", kBig5, kStatistics,
       kNone},
      // GB's common characters read as three letters of one alphabet (位图图
      // is λͼͼ) count as GB.
      {"<meta charset=big5><p>" + Bytes("位图图形编辑器 (绘图)", kGbk), kGbk,
       kStatistics, kBig5},
      // ...while GBK's traditional characters that read as UTF-8 stay GB.
      {Bytes("官方網頁為：", kGbk), kGbk, kStatistics, kNone},
      {Bytes("定義目錄條目", kGbk), kGbk, kStatistics, kNone},
      // Three of its four characters read as UTF-8, after one that does not.
      {Bytes("电源失效", kGbk), kGbk, kStatistics, kNone},
      {"<p>Big5</p>", kBig5, kAscii, kNone},
      {"<p>plain</p>", kGbk, kAscii, kNone},
      // UTF-8 with a stray byte, which leaves Big5 and GB nothing to read.
      {"头发\xFF", kUtf8, kValidUtf8, kNone},
      {"<?xml version='1.0' encoding='BIG5'?>" + Bytes(kTraditional, kBig5),
       kBig5, kDeclared, kBig5},
      {"<meta http-equiv=Content-Type content='text/html; charset=x-gbk'>" +
           Bytes(kSimplified, kGbk),
       kGbk, kDeclared, kGbk},
      {"<meta charset=utf-8>\xFF" + kSimplified, kUtf8, kDeclared, kUtf8},
      // Stray bytes first: the text after them still counts.
      {"<meta charset=utf-8>\xFF\xFF\xFF\xFF" + kSimplified, kUtf8, kDeclared,
       kUtf8},
      {"<meta charset=gbk>" + Bytes(kSimplified + "€𠀀", kGb18030), kGb18030,
       kDeclared, kGbk},
      // Too few characters to overrule the declaration: kana in Big5 read
      // as common GB characters.
      {"<meta charset=big5>" + Bytes("函式ヌノミホベホネフヘラ", kBig5), kBig5,
       kDeclared, kBig5},
      {"<meta charset=gb2312>" + Bytes("函数ヌノミホベホネフヘラ", kGbk), kGbk,
       kDeclared, kGbk},
      // ...unless the declared GB makes characters of its user-defined areas
      // of them (首頁 in Big5 is AD BA AD B6), or Big5 reads no kana.
      {"<meta charset=gb2312>" + Bytes("歡迎光臨本站首頁", kBig5), kBig5,
       kStatistics, kGbk},
      {"<meta charset=gb2312><p>" + Bytes("關於我們", kBig5), kBig5,
       kStatistics, kGbk},
      {"<meta charset=big5>" + Bytes("欢迎光临，我们的学校网站", kGbk), kGbk,
       kStatistics, kBig5},
      // Only a real tag declares: not one in a comment or a script.
      {"<!-- <meta charset=big5> --><script>'<meta charset=utf-8>'</script>"
       "<meta charset=gb2312>" +
           Bytes(kSimplified, kGbk),
       kGbk, kDeclared, kGbk},
      {"<meta charset=utf-8>" + Bytes(kSimplified, kGbk), kGbk, kStatistics,
       kUtf8},
      // Detection reads a window of the text; it must not end inside a
      // character nor before the first one.
      {"<meta charset=gb2312>" + Repeated(kSimplified, 1 << 20), kUtf8,
       kValidUtf8, kGbk},
      {Repeated("<p>ascii</p>", 1 << 20) + Bytes(kTraditional, kBig5), kBig5,
       kStatistics, kNone},
  };
  for (const auto& [bytes, encoding, reason, declared] : cases) {
    SCOPED_TRACE(bytes.substr(0, 40));
    const Detection d = DetectEncoding(bytes);
    EXPECT_EQ(d.encoding, encoding);
    EXPECT_EQ(ReasonName(d.reason), ReasonName(reason));
    EXPECT_EQ(d.declared, declared);
    // The rule decides only on ASCII here; statistics a character apart
    // are a guess (below).
    if (reason != kStatistics) {
      EXPECT_FALSE(d.guessed);
    }
  }
  // A character apart is a guess, said as one: à is 角 in Big5, and its
  // reading there (角 la carte 萸粕) counts one common character more.
  for (const auto& [text, guessed] :
       {std::pair{"à la carte 点菜", true}, std::pair{"我的头发", false}}) {
    const Detection d = DetectEncoding(Bytes(text, kGbk));
    EXPECT_EQ(d.guessed, guessed) << text;
    if (guessed) {
      EXPECT_EQ(d.also_reads_as, std::vector<Encoding>{kGbk}) << text;
    }
  }
  // Characters that read as well in both are a guess, even where the rule
  // finds "big5".
  EXPECT_EQ(DetectEncoding(Bytes("<title>簡體</title>", kBig5)).also_reads_as,
            std::vector<Encoding>{kBig5});
  EXPECT_FALSE(DetectEncoding("<p>big5 \x80 5</p>").guessed);
  EXPECT_EQ(DetectEncoding(Bytes("<p>big5: 簡體</p>", kBig5)).encoding, kBig5);
  EXPECT_TRUE(DetectEncoding(Bytes("<p>big5: 簡體</p>", kBig5)).guessed);
}

// A few UTF-8 letters of two bytes that stand apart, each a common
// character in GB or Big5 too, are as likely Chinese: a guess, read as
// UTF-8 when nothing else tells.
TEST(DetectionTest, AFewLettersApartReadAsWellAsChinese) {
  const std::vector<Encoding> kGb = {kGbk}, kBoth = {kGbk, kBig5};
  const std::pair<std::string, std::vector<Encoding>> cases[] = {
      // GB's 一 is UTF-8's U+04BB; 学校 reads ѧУ, 系统 ϵͳ.
      {"\xD2\xBB", kGb},
      {Bytes("<a>学校</a>", kGbk), kGb},
      {Bytes("系统", kGbk), kGb},
      // Letters of Latin, IPA, Cyrillic's alphabet and Hebrew stand alone,
      // as do Mongolian's Ө and a struck-through price's marks.
      {"<td>500 \xD0\xB3</td><td>/\xC9\xA1/</td>", kGb},
      {"<td>\xD3\xA8</td> was $1\xCC\xB6"
       "0\xCC\xB6 ",
       kGb},
      {"O gato \xC3\xA9 preto. Isto \xC3\xA9 bom.", kBoth},
      {"\xCE\xB1 + \xCE\xB2 = \xCE\xB3", kGb},
  };
  for (const auto& [bytes, also] : cases) {
    SCOPED_TRACE(bytes);
    const Detection d = DetectEncoding(bytes);
    EXPECT_EQ(d.encoding, kUtf8);
    EXPECT_EQ(d.reason, kValidUtf8);
    EXPECT_TRUE(d.guessed);
    EXPECT_EQ(d.also_reads_as, also);
  }
  // Dozens of letters are UTF-8, and so is a letter in a word, or one that
  // is no common character.
  for (const std::string& bytes :
       {Repeated("<td>500 \xD0\xB3</td>", 600), std::string("caf\xC3\xA9"),
        std::string("\xD0\xB4\xD0\xB0 \xD1\x8F")}) {
    SCOPED_TRACE(bytes);
    EXPECT_EQ(DetectEncoding(bytes).encoding, kUtf8);
    EXPECT_FALSE(DetectEncoding(bytes).guessed);
  }
}

// A few kana, which read as the commonest hanzi of the other encoding, with
// too little else to tell: the reading is a guess, said as one.
TEST(DetectionTest, AFewKanaMakeAGuess) {
  for (const auto& [bytes, read, also] :
       {std::tuple{Bytes("动画《ナルト》", kGbk), kBig5, kGbk},
        std::tuple{Bytes("1. ナルト\n2. ワンピース", kGbk), kBig5, kGbk},
        std::tuple{Bytes("動畫：ドラえもん、ナルト、ワンピース", kBig5), kGbk,
                   kBig5}}) {
    SCOPED_TRACE(bytes);
    const Detection d = DetectEncoding(bytes);
    EXPECT_EQ(d.encoding, read);
    EXPECT_TRUE(d.guessed);
    EXPECT_EQ(d.also_reads_as, std::vector<Encoding>{also});
  }
}

// A page that declares another encoding is noted, unless its bytes read
// plainly as one of ours (a server's header made browsers read it so).
TEST(DetectionTest, APageInAnotherEncodingIsNotedUnlessItReadsAsOurs) {
  const std::pair<std::string, std::string> cases[] = {
      {"<meta charset=ISO-8859-1><p>Caf\xE9 na\xEFve r\xE9sum\xE9",
       "iso-8859-1"},
      {"<?xml version='1.0' encoding='koi8-r'?><p>\xF0\xD2\xC9", "koi8-r"},
      {"<meta charset=windows-1252>" + Bytes(kSimplified, kGbk), ""},
      {"<meta charset=windows-1252>" + kTraditional, ""},
      // One stray byte does not make Chinese text Latin-1.
      {"<meta charset=iso-8859-1>" + Bytes(kTraditional, kBig5) + "\xA9", ""},
      // "°C" and "µm" are common Big5 codes; in Latin-1 they are signs.
      {"<meta charset=iso-8859-1>-20\xB0"
       "C to 70\xB0"
       "C, 5\xB5m\xB5m\xB5m "
       "\xC4r\xC5s\xC6"
       "a\xB0"
       "C",
       "iso-8859-1"},
      {"<?xml version='1.0' encoding='utf-8'?><meta charset=euc-kr>"
       "\xC7\xD1\xB1\xB9\xBE\xEE",
       "euc-kr"},
      {"<meta charset=latin1><p>ascii only", ""},
      {"<meta charset=latin1><p>caf\xE9", "latin1"},  // Cut short, at the end.
      // Two letters that read as well as Chinese are not plainly UTF-8.
      {"<meta charset=latin1><p>\xD1\xA7\xD0\xA3", "latin1"},
      {"<meta charset=utf-16>" + kSimplified, ""},  // Browsers read UTF-8.
      {"<meta charset=x-unknown>\xE9t\xE9", ""},
      // Korean is common GB to its bytes; HZ is ASCII to them.
      {"<meta charset=euc-kr>\xC7\xD1\xB1\xB9\xBE\xEE", "euc-kr"},
      {"<meta charset=hz-gb-2312><p>~{<:Ky~}", "hz-gb-2312"},
      {"<meta charset=shift_jis><meta charset=gb2312>\x93\xFA", "shift_jis"},
      {"<?xml version='1.0' encoding='gb2312'?><meta charset=sjis>\x93\xFA",
       ""},
  };
  for (const auto& [bytes, label] : cases)
    EXPECT_EQ(DetectEncoding(bytes).other_declared, label) << bytes;
}

// Converted as Big5 or GB, "résumé" would become r + a hanzi + um + a
// stray byte; Chinese text keeps its common characters, whatever signs and
// UTF-8 are pasted among them.
TEST(DetectionTest, AnUndeclaredTextOfWesternOrCyrillicLettersIsNoted) {
  const std::pair<std::string, bool> cases[] = {
      {"<p>Caf\xE9 na\xEFve, d\xE9j\xE0 vu \xE0 la carte", true},
      {"Les d\xE9tails r\xE9gl\xE9s", true},  // Accents inside words only.
      {"Stra\xDF"
       "e \xFC"
       "ber Gr\xF6\xDF"
       "e, f\xFCr \xC4rzte",
       true},
      {"\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0! \xCA\xE0\xEA "
       "\xE4\xE5\xEB\xE0?",  // Windows-1251.
       true},
      {"\xF0\xD2\xC9\xD7\xC5\xD4, \xCD\xC9\xD2! \xEB\xC1\xCB \xC4\xC5\xCC\xC1 "
       "\xD5 "
       "\xD7\xD3\xC5\xC8 \xD7\xC1\xD3?",
       true},                   // KOI8-R, whose letters make common GB codes.
      {"r\xE9sum\xE9", false},  // Too few to tell.
      {Bytes("版權所有", kBig5) + " \xA9 2005, 25\xB0"
                                  "C",
       false},
      {Bytes(kTraditional, kGbk), false},
      // Signs are no letters, nor is a trail byte after another code.
      {Bytes("首頁 ", kBig5) + "\xB7 " + Bytes("最新消息 ", kBig5) + "\xB7 " +
           Bytes("產品 ", kBig5) + "\xB7 " + Bytes("聯絡我們 ", kBig5) +
           "\xB7 25\xB0 \x80",
       false},
      {Bytes("預設值 進階設定 錯誤碼", kGbk), false},
      {Bytes(kSimplified, kGbk) + " Caf\xE9 r\xE9sum\xE9 d\xE9j\xE0 \xA9 2005",
       false},
      {Bytes("浏览", kGbk) + "\xE2\x80\x94 \xC2\xA9 \xE7\x89\x88", false},
      // Declared, the page is read as it says.
      {"<meta charset=big5><p>Caf\xE9 na\xEFve, d\xE9j\xE0 vu \xE0 la", false},
  };
  for (const auto& [bytes, noted] : cases)
    EXPECT_EQ(DetectEncoding(bytes).single_byte_letters, noted) << bytes;
}

// Japanese and Korean read as Chinese in Big5 or GB, and converting them
// would garble them for good: an undeclared text of them is noted. Big5
// and GB text is not, however many of its characters are EUC's kana or
// hangul, nor text that declares itself.
TEST(DetectionTest, AnUndeclaredTextOfJapaneseOrKoreanIsNoted) {
  const std::string shift_jis =
      "\x93\xFA\x96{\x8C\xEA\x82\xCC\x83"
      "e\x83L\x83X\x83g\x82\xC5\x82\xB7\x81"
      "B\x82\xB1\x82\xEA\x82\xCD\x83"
      "e\x83X\x83g\x82\xC5\x82\xB7\x81"
      "B";
  const std::string euc_jp =
      "\xA4\xB3\xA4\xEC\xA4\xCF\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xCA\xB8\xBE"
      "\xCF\xA4\xC7\xA4\xB9\xA1\xA3\xA4\xD2\xA4\xE9\xA4\xAC\xA4\xCA\xA4\xC8"
      "\xA5\xAB\xA5\xBF\xA5\xAB\xA5\xCA\xA4\xAC\xA4\xA2\xA4\xEA\xA4\xDE\xA4"
      "\xB9\xA1\xA3";
  const std::string euc_kr =
      "\xC7\xD1\xB1\xB9\xBE\xEE \xC5\xD8\xBD\xBA\xC6\xAE\xC0\xD4\xB4\xCF\xB4"
      "\xD9. \xBC\xAD\xBF\xEF\xC6\xAF\xBA\xB0\xBD\xC3 \xB0\xAD\xB3\xB2\xB1"
      "\xB8, \xB0\xA8\xBB\xE7\xC7\xD5\xB4\xCF\xB4\xD9.";
  std::string titles;
  for (int i = 0; i < 10; ++i) titles += Bytes("物件分類 ", kBig5);
  const std::pair<std::string, bool> cases[] = {
      {shift_jis, true},
      {euc_jp, true},
      {euc_kr, true},
      {titles, false},
      {Bytes("北京 北京 啊 阿 埃 挨 哎 北京 北京 北京 北京 北京", kGbk), false},
      // Names whose codes all lie in EUC-KR's hangul rows, a space after
      // each: no Korean ending among them.
      {Bytes("林栋 胡玲红 康梅德 何斌国 江蕾 姜莉敏 邓芳 刘斌 毛国 曹莉斌 "
             "雷玲 姜建东 郝兰 邓峰斌 贾聪 马成林 顾辉凯 蔡峰杰",
             kGbk),
       false},
      {Bytes(kTraditional, kBig5) + Bytes(kTraditional, kBig5), false},
      {"<meta charset=gbk>" + euc_jp, false},
  };
  for (const auto& [bytes, noted] : cases)
    EXPECT_EQ(DetectEncoding(bytes).japanese_or_korean, noted) << bytes;
}

// A file pasted together from two encodings is read as one; the lines in
// the other are pointed out, and nothing in a file of one.
TEST(DetectionTest, LinesInAnotherEncodingAreFound) {
  const std::string gb_line =
      Bytes("这个问题我们以后再讨论吧。请把文件发给我，谢谢！\n", kGbk);
  const std::string big5_line =
      Bytes("這個問題我們以後再討論吧。請把檔案發給我，謝謝！\n", kBig5);
  const std::string utf8_line = "版权所有 © 2024 北京头发科技有限公司\n";
  const struct {
    std::string bytes;
    Encoding read_as;
    size_t count, first;
    Encoding other;
  } cases[] = {
      {big5_line + gb_line + big5_line + gb_line, kBig5, 2, 2, kGbk},
      {gb_line + gb_line + big5_line, kGbk, 1, 3, kBig5},
      {gb_line + "\r\n" + utf8_line, kGbk, 1, 3, kUtf8},
      {gb_line + gb_line, kGbk, 0, 0, kGbk},
      {big5_line + "<p>ascii</p>\n" + big5_line, kBig5, 0, 0, kGbk},
      // A few characters are too few to tell.
      {gb_line + Bytes("我們\n", kBig5), kGbk, 0, 0, kGbk},
      // A line of kana is the text's own, in either.
      {gb_line + Bytes("あ行：あ い う え お\n", kGbk), kGbk, 0, 0, kGbk},
      {big5_line + Bytes("あ行：あ い う え お\n", kBig5), kBig5, 0, 0, kGbk},
      // Nor is a line of its signs: a drawn table, a rule, numbers.
      {gb_line + Bytes("┌──┬──┐ ──────── ⑴⑵⑶\n", kGbk), kGbk, 0, 0, kGbk},
      {big5_line + Bytes("①②③④⑤⑥⑦⑧\n", kBig5), kBig5, 0, 0, kGbk},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 20));
    const auto found = FindOtherEncodingLines(c.bytes, c.read_as);
    ASSERT_EQ(found.has_value(), c.count > 0);
    if (!found) continue;
    EXPECT_EQ(found->count, c.count);
    EXPECT_EQ(found->first, c.first);
    EXPECT_EQ(found->other, c.other);
  }
  // Read as UTF-8, a line in GB or Big5 is named; one of UTF-8 with a
  // character cut is no such line.
  const std::string utf8_text =
      "这是一个用 UTF-8 写的文本，里面都是简体中文。\n";
  for (const auto& [line, other] :
       {std::pair{gb_line, kGbk}, std::pair{big5_line, kBig5}}) {
    const auto found =
        FindOtherEncodingLines(utf8_text + line + utf8_text, kUtf8);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->first, 2u);
    EXPECT_EQ(found->other, other);
  }
  EXPECT_FALSE(FindOtherEncodingLines(
      utf8_text + utf8_line.substr(0, utf8_line.size() - 4) + "\n", kUtf8));

  // A declaration vouches for no line pasted into the page; what the user
  // named, or a byte-order mark, for every line.
  const std::string page = "<p>ascii\n\n" + gb_line + "x" + utf8_line +
                           big5_line + "<p>" + utf8_line;
  const auto declared = FindMixedLines(page, kGbk, kDeclared);
  ASSERT_TRUE(declared.has_value());
  EXPECT_EQ(declared->count, 3u);
  EXPECT_EQ(declared->first, 4u);
  EXPECT_EQ(declared->other, kUtf8);
  EXPECT_FALSE(FindMixedLines(page, kGbk, DetectionReason::kNamed));
  EXPECT_FALSE(FindMixedLines(page, kGbk, kMark));
}

TEST(DetectionTest, ReadsTheWebsLabelsInAnyCaseAndSpacing) {
  const std::pair<std::optional<Encoding>, std::vector<const char*>> cases[] = {
      {kBig5, {"Big5-HKSCS", " x-x-big5\t"}},
      {kGbk, {"GB2312", "csiso58gb231280", "windows-936"}},
      {kGb18030, {"gb18030"}},
      {kUtf8, {"unicode-1-1-utf-8"}},
      {kNone, {"", "big 5", "gb2312x", "utf-16", "gb18030-2022"}},
  };
  for (const auto& [encoding, labels] : cases) {
    for (const char* label : labels)
      EXPECT_EQ(EncodingFromLabel(label), encoding) << label;
  }
}

TEST(DetectionTest, RefusesUtf16ByItsByteOrderMark) {
  EXPECT_TRUE(HasUtf16ByteOrderMark("\xFF\xFE<\0"));
  EXPECT_TRUE(HasUtf16ByteOrderMark("\xFE\xFF\0<"));
  EXPECT_FALSE(HasUtf16ByteOrderMark("\xFF"));
}

// Real pages and texts, named for their encoding and how they declare it.
TEST(DetectionTest, DetectsEachFileOfTheSampleCorpus) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::path(TOVENRAK_TEST_DATA) / "detection")) {
    const std::string name = entry.path().filename().string();
    const Detection d =
        DetectEncoding(testing::ReadTestFile("detection/" + name));
    EXPECT_EQ(d.encoding, EncodingFromLabel(name.substr(0, name.find('-'))))
        << name << " (" << ReasonName(d.reason) << ")";
    EXPECT_FALSE(d.single_byte_letters) << name;
    ++files;
  }
  EXPECT_GE(files, 10);
}

}  // namespace
}  // namespace tovenrak::core
