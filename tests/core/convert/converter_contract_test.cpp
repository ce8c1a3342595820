// The converter contract, checked for every converter the product has.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

#include "core/convert/fast_converter.h"
#include "support/opencc_converter.h"
#include "support/text.h"

namespace tovenrak::core {
namespace {

using testing::Bytes;

struct ConverterFactory {
  const char* name;
  std::function<std::unique_ptr<Converter>()> make;
};

std::string Big5(std::string_view utf8) { return Bytes(utf8, Encoding::kBig5); }
std::string Gbk(std::string_view utf8) { return Bytes(utf8, Encoding::kGbk); }

class ConverterContractTest
    : public ::testing::TestWithParam<ConverterFactory> {
 protected:
  void SetUp() override { converter_ = GetParam().make(); }
  Conversion ToGb(std::string_view text) {
    auto result = converter_->Big5ToGB(text);
    EXPECT_TRUE(result.has_value());
    return result.has_value() ? *result : Conversion{};
  }
  Conversion ToBig5(std::string_view text) {
    auto result = converter_->GBToBig5(text);
    EXPECT_TRUE(result.has_value());
    return result.has_value() ? *result : Conversion{};
  }
  std::unique_ptr<Converter> converter_;
};

TEST_P(ConverterContractTest, ConvertsPhrasesBothWays) {
  struct Case {
    const char* traditional;
    const char* simplified;
  } cases[] = {
      {"頭髮", "头发"}, {"皇后", "皇后"}, {"以後", "以后"}, {"乾淨", "干净"},
      {"幹部", "干部"}, {"乾隆", "乾隆"}, {"理髮", "理发"}, {"鐘錶", "钟表"},
      {"鍾情", "钟情"}, {"麵條", "面条"}, {"面子", "面子"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToGb(Big5(c.traditional)).text, Gbk(c.simplified))
        << c.traditional;
    EXPECT_EQ(ToBig5(Gbk(c.simplified)).text, Big5(c.traditional))
        << c.simplified;
  }
}

TEST_P(ConverterContractTest, KeepsSingleByteUnitsInPlace) {
  const std::string big5 =
      "<p class=\"x\">" + Big5("頭髮") + "\r\n" + Big5("以後") + "</p>\t";
  const std::string gb =
      "<p class=\"x\">" + Gbk("头发") + "\r\n" + Gbk("以后") + "</p>\t";
  EXPECT_EQ(ToGb(big5).text, gb);
  EXPECT_EQ(ToBig5(gb).text, big5);
  EXPECT_EQ(ToGb("").text, "");
  EXPECT_EQ(ToBig5("plain ascii only").text, "plain ascii only");
}

TEST_P(ConverterContractTest, PassesInvalidUnitsThroughAndCountsThem) {
  struct Case {
    const char* name;
    std::string invalid;
    size_t count;
  } cases[] = {
      {"0x80", "\x80", 1},
      {"0xFF", "\xFF", 1},
      {"lead byte before ascii", "\x81", 1},
      {"unmapped big5 pair", "\x81\x40", 1},
      {"pair with a trail big5 lacks", "\xA4\xA0", 1},
  };
  for (const Case& c : cases) {
    const std::string input = Big5("頭") + c.invalid + "!" + Big5("髮");
    const Conversion out = ToGb(input);
    EXPECT_EQ(out.text, Gbk("头") + c.invalid + "!" + Gbk("发")) << c.name;
    EXPECT_EQ(out.invalid_units, c.count) << c.name;
    EXPECT_EQ(out.references, 0u) << c.name;
  }
  const Conversion lone_lead_at_end = ToBig5(Gbk("头") + "\xB0");
  EXPECT_EQ(lone_lead_at_end.text, Big5("頭") + "\xB0");
  EXPECT_EQ(lone_lead_at_end.invalid_units, 1u);
}

TEST_P(ConverterContractTest, WritesCharactersWithoutTargetCodeAsReferences) {
  // U+2027 has a Big5 code but none in GBK; GBK's user area has none in Big5.
  Conversion to_gb = ToGb("a" + Big5("‧") + "b");
  EXPECT_EQ(to_gb.text, "a&#8231;b");
  EXPECT_EQ(to_gb.references, 1u);
  Conversion to_big5 = ToBig5("\xAA\xA1\xAA\xA2");
  EXPECT_EQ(to_big5.text, "&#57344;&#57345;");
  EXPECT_EQ(to_big5.references, 2u);
  EXPECT_EQ(to_big5.invalid_units, 0u);
}

TEST_P(ConverterContractTest, RecodesBetweenAnyEncodingsAndScripts) {
  struct Case {
    const char* name;
    std::string input;
    Encoding from, to;
    std::optional<ScriptConversion> how;
    std::string expected;
  } cases[] = {
      {"UTF-8 keeps its byte-order mark", "\xEF\xBB\xBF头发", Encoding::kUtf8,
       Encoding::kUtf8, ScriptConversion{Script::kTraditional, Variant::kTw},
       "\xEF\xBB\xBF頭髮"},
      {"no other target gets one", "\xEF\xBB\xBF头发", Encoding::kUtf8,
       Encoding::kBig5, ScriptConversion{Script::kTraditional, Variant::kTw},
       Big5("頭髮")},
      {"encodings only", Gbk("头发"), Encoding::kGbk, Encoding::kUtf8,
       std::nullopt, "头发"},
      // Each family gives "里面着U盘" its own way.
      {"Taiwan", "里面着U盘", Encoding::kUtf8, Encoding::kUtf8,
       ScriptConversion{Script::kTraditional, Variant::kTw}, "裡面著U盤"},
      {"Taiwan idioms", "里面着U盘", Encoding::kUtf8, Encoding::kUtf8,
       ScriptConversion{Script::kTraditional, Variant::kTwp}, "裡面著隨身碟"},
      {"Hong Kong", "里面着U盘", Encoding::kUtf8, Encoding::kUtf8,
       ScriptConversion{Script::kTraditional, Variant::kHk}, "裏面着U盤"},
      {"OpenCC standard back", "裏面著隨身碟", Encoding::kUtf8, Encoding::kUtf8,
       ScriptConversion{Script::kSimplified, Variant::kStd}, "里面著随身碟"},
      {"Taiwan idioms back", "裏面著隨身碟", Encoding::kUtf8, Encoding::kUtf8,
       ScriptConversion{Script::kSimplified, Variant::kTwp}, "里面着U盘"},
      {"malformed UTF-8 passes through", "头\xFF发", Encoding::kUtf8,
       Encoding::kUtf8, ScriptConversion{Script::kTraditional, Variant::kTw},
       "頭\xFF發"},
  };
  for (const Case& c : cases) {
    Result<Conversion> out = converter_->Recode(c.input, c.from, c.to, c.how);
    ASSERT_TRUE(out.has_value()) << c.name;
    EXPECT_EQ(out->text, c.expected) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    AllConverters, ConverterContractTest,
    ::testing::Values(ConverterFactory{"OpenCC", MakeOpenccConverter},
                      ConverterFactory{"Fast", MakeFastConverter}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovenrak::core
