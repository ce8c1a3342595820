#include "main_window/view_text.h"

#include <gtest/gtest.h>

#include "main_world.h"

namespace tovenrak::main_window {
namespace {

using core::Encoding;
using testing::Hex;

TEST(ViewTextTest, DecodesEachUnitInTheShownEncoding) {
  struct Case {
    const char* name;
    std::string bytes;
    Encoding encoding;
    std::string text;
  };
  const Case cases[] = {
      {"gbk", testing::kGbBody, Encoding::kGbk, testing::kGbBodyUtf8},
      {"big5", testing::kBig5Body, Encoding::kBig5, testing::kBig5BodyUtf8},
      {"lone 0x80 and 0xff", "a" + Hex("80ff") + "b", Encoding::kGbk,
       "a\uFFFD\uFFFDb"},
      {"lead byte at the end", "a" + Hex("a4"), Encoding::kBig5, "a\uFFFD"},
      {"unmapped big5 code", Hex("a3e2") + "x", Encoding::kBig5, "\uFFFDx"},
      {"utf-8 with a stray byte", Hex("e4b8adff"), Encoding::kUtf8, "中\uFFFD"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecodeForView(c.bytes, c.encoding), c.text) << c.name;
}

TEST(ViewTextTest, EncodesTextInTheShownEncodingWithReferences) {
  struct Case {
    const char* name;
    std::string text;
    Encoding encoding;
    std::string bytes;
    size_t references;
  };
  const Case cases[] = {
      {"ascii", "<a>\r\n", Encoding::kBig5, "<a>\r\n", 0},
      {"big5", testing::kBig5BodyUtf8, Encoding::kBig5, testing::kBig5Body, 0},
      {"gbk", testing::kGbBodyUtf8, Encoding::kGbk, testing::kGbBody, 0},
      {"no big5 code", "丂", Encoding::kBig5, "&#19970;", 1},
      {"replacement character", "\uFFFD", Encoding::kGbk, "&#65533;", 1},
  };
  for (const Case& c : cases) {
    size_t references = 0;
    EXPECT_EQ(EncodeFromView(c.text, c.encoding, references), c.bytes)
        << c.name;
    EXPECT_EQ(references, c.references) << c.name;
  }
}

}  // namespace
}  // namespace tovenrak::main_window
