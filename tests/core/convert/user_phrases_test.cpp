// User phrases: read from their lists, applied before the dictionaries, and
// kept per user.

#include "core/convert/user_phrases.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "core/convert/fast_converter.h"
#include "core/convert/phrased_converter.h"
#include "core/convert_document.h"
#include "core/scratch_folder.h"
#include "support/opencc_converter.h"
#include "support/test_data.h"
#include "support/text.h"

namespace tovenrak::core {
namespace {

using testing::U32;
using testing::Utf8;

TEST(UserPhrasesTest, WinOverDictionaryPhrasesAndProtectWords) {
  const struct {
    const char* name;
    const char* list;
    const char* text;
    Script to;
    const char* expected;
  } cases[] = {
      {"over 干扰's neighbour 去干", "干扰\t干擾\n", "去干扰",
       Script::kTraditional, "去干擾"},
      {"over 头发 at the same start", "# fixes\n\n头\t頭 头\n", "头发生",
       Script::kTraditional, "頭發生"},
      {"longest user phrase", "发\t髮\r\n发生\t發生\n", "头发生发",
       Script::kTraditional, "頭發生髮"},
      {"protects in s2t", "发明\t发明\n", "被发明", Script::kTraditional,
       "被发明"},
      {"protects in t2s", "乾杯\t乾杯\n", "乾杯吧", Script::kSimplified,
       "乾杯吧"},
      {"to simplified", "著名\t着名\n", "顯著名聲", Script::kSimplified,
       "显着名声"},
      {"all of a TO whose FROM holds a space", "Google 地图\tGoogle 地图\n",
       "Google 地图", Script::kTraditional, "Google 地图"},
  };
  const auto engine = MakeFastConverter();
  for (const auto& c : cases) {
    PhraseList list;
    ASSERT_TRUE(ReadPhrases(c.list, list)) << c.name;
    const UserPhrases phrases(list);
    std::u32string out;
    ASSERT_TRUE(PhrasedConverter(*engine, phrases)
                    .Convert(U32(c.text), {c.to, Variant::kStd}, out))
        << c.name;
    EXPECT_EQ(Utf8(out), c.expected) << c.name;
  }
}

// A phrase is text: in a page, what markup reads in it is written as its
// reference, so that it ends no value and makes no tag; and the names of
// references in the page are no text it matches.
TEST(UserPhrasesTest, APhraseStaysTextInAPage) {
  PhraseList list;
  ASSERT_TRUE(ReadPhrases("研发\tR&D\n麦当劳\tMcDonald's\ncopy\tX\n", list));
  const ConversionRequest request{
      .to = Encoding::kUtf8,
      .script = ScriptChoice::kTraditional,
      .phrases_to_traditional = std::make_shared<const UserPhrases>(list)};
  const auto converter = MakeFastConverter();
  for (const auto& [name, text, expected] :
       {std::tuple{"a.htm", "<p title='麦当劳'>研发<b>麦当劳</b>",
                   "<p title='McDonald&#39;s'>R&amp;D<b>McDonald&#39;s</b>"},
        std::tuple{"b.htm", "<p alt='&copy;研发'>&copy; 研发&amp;copy;",
                   "<p alt='&copy;R&amp;D'>&copy; R&amp;D&amp;X;"},
        std::tuple{"a.txt", "研发", "R&D"}}) {
    Result<DocumentConversion> out =
        ConvertDocument(*converter, text, request, name);
    ASSERT_TRUE(out.has_value()) << name;
    EXPECT_EQ(out->text, expected) << name;
  }
}

TEST(UserPhrasesTest, PhrasesThatNeverMatchLeaveOpenccOutputAsItIs) {
  const std::string sample =
      testing::ReadTestFile("detection/gbk-text-zh_CN.iso_4217.txt");
  ConversionRequest request;
  request.from = Encoding::kGbk;
  request.to = Encoding::kUtf8;
  request.script = ScriptChoice::kTraditional;
  const Result<DocumentConversion> reference =
      ConvertDocument(*MakeOpenccConverter(), sample, request);
  request.phrases_to_traditional =
      std::make_shared<UserPhrases>(PhraseList{{U"不在文中", U"X"}});
  const Result<DocumentConversion> phrased =
      ConvertDocument(*MakeFastConverter(), sample, request);
  ASSERT_TRUE(reference && phrased);
  EXPECT_EQ(phrased->text, reference->text);
}

TEST(UserPhrasesTest, LineOfMegabytesConvertsAsAWhole) {
  // Converted in pieces, a line is cut after a break unless a phrase holds
  // one. 啊Ａ is B0 A1 A3 C1 in GBK, which holds the bytes of 。 (A1 A3):
  // no break there, and no cut before 头.
  std::u32string text;
  while (text.size() < (size_t{3} << 19)) text += U"啊Ａ头发，以后。";
  std::string bytes;
  EncodeCounts counts;
  Encode(text, Encoding::kGbk, bytes, counts);
  const auto engine = MakeFastConverter();
  constexpr ScriptConversion kToTw{Script::kTraditional, Variant::kTw};
  for (const char32_t* held : {U"Ａ头", U"发，以"}) {
    const UserPhrases phrases(PhraseList{{held, U"X"}});
    const PhrasedConverter converter(*engine, phrases);
    std::u32string whole;
    ASSERT_TRUE(converter.Convert(text, kToTw, whole));
    std::string expected;
    Encode(whole, Encoding::kBig5, expected, counts);
    const Result<Conversion> recoded =
        converter.Recode(bytes, Encoding::kGbk, Encoding::kBig5, kToTw);
    ASSERT_TRUE(recoded);
    EXPECT_TRUE(recoded->text == expected) << Utf8(held);
  }
}

// A list may hold a line of any length, far too long to build its key's
// nodes by recursing once for each code point.
TEST(UserPhrasesTest, KeyOfAMillionCharactersIsBuiltAndMatched) {
  const std::u32string key(1'000'000, U'头');
  const UserPhrases phrases(PhraseList{{key, U"X"}});
  std::u32string out;
  ASSERT_TRUE(
      PhrasedConverter(*MakeFastConverter(), phrases)
          .Convert(key + U"头", {Script::kTraditional, Variant::kStd}, out));
  EXPECT_EQ(Utf8(out), "X頭");
}

TEST(UserPhrasesTest, BadLineIsNamedAndNothingIsRead) {
  const struct {
    const char* text;
    const char* reason;
  } cases[] = {
      {"干扰\t干擾\n干净乾淨\n",
       "line 2: no tab between the phrase and its replacement"},
      {"# note\n\t乾\n", "line 2: nothing before the tab"},
      {"发\t\n", "line 1: no replacement after the tab"},
      {"头发\t頭\t髮\n",
       "line 1: a second tab (outputs are separated by spaces)"},
  };
  for (const auto& c : cases) {
    PhraseList list{{U"甲", U"乙"}};
    const Status read = ReadPhrases(c.text, list);
    ASSERT_FALSE(read) << c.text;
    EXPECT_EQ(read.error().reason, c.reason);
    EXPECT_EQ(list.size(), 1u) << c.text;
  }
}

TEST(UserPhrasesTest, PersonalListsKeepWhatIsAddedEachForItsDirection) {
  testing::ScratchFolder folder;
  ::setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
  using enum Script;
  EXPECT_TRUE(LoadPersonalPhrases(kTraditional)->empty());
  ASSERT_TRUE(AddPersonalPhrase(U"干扰", U"干擾", kTraditional));
  ASSERT_TRUE(AddPersonalPhrase(U"发明", U"發明", kTraditional));
  ASSERT_TRUE(AddPersonalPhrase(U"乾杯", U"乾杯", kSimplified));
  EXPECT_FALSE(AddPersonalPhrase(U"发\t明", U"發明", kTraditional));
  Result<PhraseList> traditional = LoadPersonalPhrases(kTraditional);
  Result<PhraseList> simplified = LoadPersonalPhrases(kSimplified);
  ::unsetenv("XDG_CONFIG_HOME");
  ASSERT_TRUE(traditional && simplified);
  EXPECT_EQ(*traditional, (PhraseList{{U"发明", U"發明"}, {U"干扰", U"干擾"}}));
  EXPECT_EQ(*simplified, (PhraseList{{U"乾杯", U"乾杯"}}));

  // A list applies only its way: 干 -> 乾, chosen going to traditional,
  // would put 乾 into simplified text.
  ConversionRequest request{
      .to = Encoding::kUtf8,
      .script = ScriptChoice::kSimplified,
      .phrases_to_traditional =
          std::make_shared<const UserPhrases>(PhraseList{{U"干", U"乾"}}),
      .phrases_to_simplified =
          std::make_shared<const UserPhrases>(PhraseList{{U"事務", U"事情"}})};
  const auto converter = MakeFastConverter();
  EXPECT_EQ(ConvertDocument(*converter, "他干涉了若干事務", request)->text,
            "他干涉了若干事情");
  request.script = ScriptChoice::kTraditional;
  EXPECT_EQ(ConvertDocument(*converter, "他干涉了若干事务", request)->text,
            "他乾涉了若乾事務");
}

}  // namespace
}  // namespace tovenrak::core
