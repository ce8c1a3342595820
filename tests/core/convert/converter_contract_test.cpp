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
  std::unique_ptr<Converter> converter_;
};

TEST_P(ConverterContractTest, ConvertsBig5AndGbBothWaysUnitsInPlace) {
  struct Case {
    std::string big5, gb;
  } cases[] = {
      {Big5("頭髮 皇后 以後 乾淨 幹部 乾隆 理髮 鐘錶 鍾情 麵條 面子"),
       Gbk("头发 皇后 以后 干净 干部 乾隆 理发 钟表 钟情 面条 面子")},
      {"<p class=\"x\">" + Big5("頭髮") + "\r\n" + Big5("以後") + "</p>\t",
       "<p class=\"x\">" + Gbk("头发") + "\r\n" + Gbk("以后") + "</p>\t"},
      {"", ""},
  };
  for (const Case& c : cases) {
    auto gb = converter_->Big5ToGB(c.big5);
    auto big5 = converter_->GBToBig5(c.gb);
    ASSERT_TRUE(gb.has_value() && big5.has_value());
    EXPECT_EQ(gb->text, c.gb);
    EXPECT_EQ(big5->text, c.big5);
  }
}

TEST_P(ConverterContractTest, PassesInvalidUnitsThroughAndCountsReferences) {
  struct Case {
    std::string input, expected;
    bool to_gb;
    size_t invalid, references;
  } cases[] = {
      {Big5("頭") + "\x80\xFF!" + Big5("髮"),
       Gbk("头") + "\x80\xFF!" + Gbk("发"), true, 2, 0},
      {"\x81!\x81\x40\xA4\xA0", "\x81!\x81\x40\xA4\xA0", true, 3, 0},
      {Gbk("头") + "\xB0", Big5("頭") + "\xB0", false, 1, 0},
      // U+2027 has a Big5 code but none in GBK; GBK's user area none in Big5.
      {"a" + Big5("‧") + "b", "a&#8231;b", true, 0, 1},
      {"\xAA\xA1\xAA\xA2", "&#57344;&#57345;", false, 0, 2},
  };
  for (const Case& c : cases) {
    auto out =
        c.to_gb ? converter_->Big5ToGB(c.input) : converter_->GBToBig5(c.input);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->text, c.expected);
    EXPECT_EQ(out->invalid_units, c.invalid) << c.expected;
    EXPECT_EQ(out->references, c.references) << c.expected;
  }
}

TEST_P(ConverterContractTest, RecodesBetweenAnyEncodingsAndScripts) {
  constexpr Encoding kUtf8 = Encoding::kUtf8;
  using S = ScriptConversion;
  constexpr S kTw{Script::kTraditional, Variant::kTw};
  struct Case {
    std::string input;
    Encoding from, to;
    std::optional<S> how;
    std::string expected;
  } cases[] = {
      {"\xEF\xBB\xBF头发", kUtf8, kUtf8, kTw, "\xEF\xBB\xBF頭髮"},
      {"\xEF\xBB\xBF头发", kUtf8, Encoding::kBig5, kTw, Big5("頭髮")},
      {"\xEF\xBB\xBF头发", kUtf8, Encoding::kGb18030, kTw, Gbk("頭髮")},
      {"\x84\x31\x95\x33" + Gbk("头"), Encoding::kGb18030, Encoding::kGb18030,
       kTw, "\x84\x31\x95\x33" + Gbk("頭")},
      {Gbk("头发"), Encoding::kGbk, kUtf8, std::nullopt, "头发"},
      {"头\xFF发", kUtf8, kUtf8, kTw, "頭\xFF發"},
      // Each family gives "里面着U盘" its own way.
      {"里面着U盘", kUtf8, kUtf8, kTw, "裡面著U盤"},
      {"里面着U盘", kUtf8, kUtf8, S{Script::kTraditional, Variant::kTwp},
       "裡面著隨身碟"},
      {"里面着U盘", kUtf8, kUtf8, S{Script::kTraditional, Variant::kHk},
       "裏面着U盤"},
      {"裏面著隨身碟", kUtf8, kUtf8, S{Script::kSimplified, Variant::kStd},
       "里面著随身碟"},
      {"裏面著隨身碟", kUtf8, kUtf8, S{Script::kSimplified, Variant::kTwp},
       "里面着U盘"},
  };
  for (const Case& c : cases) {
    Result<Conversion> out = converter_->Recode(c.input, c.from, c.to, c.how);
    ASSERT_TRUE(out.has_value()) << c.expected;
    EXPECT_EQ(out->text, c.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    AllConverters, ConverterContractTest,
    ::testing::Values(ConverterFactory{"OpenCC", MakeOpenccConverter},
                      ConverterFactory{"Fast", MakeFastConverter}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovenrak::core
