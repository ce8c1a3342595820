#include "core/encoding/document_text.h"

#include <gtest/gtest.h>

namespace tovenrak::core {
namespace {

TEST(DocumentTextTest, FindNeverMatchesInsideACharacter) {
  constexpr auto npos = std::string_view::npos;
  struct Case {
    const char* name;
    std::string text;
    Encoding encoding;
    std::string needle;
    size_t from;
    bool ignore_case;
    size_t found;
  } cases[] = {
      // 0xA4 0x62 is one Big5 character whose trail byte is "b".
      {"big5 trail byte",
       "\xA4"
       "big5 and BIG5",
       Encoding::kBig5, "big5", 0, true, 10},
      {"match after the character",
       "\xA4"
       "big5",
       Encoding::kBig5, "ig5", 0, false, 2},
      {"letter case",
       "\xA4"
       "big5 and BIG5",
       Encoding::kGbk, "big5", 0, false, npos},
      {"from a later boundary",
       "\xA4"
       "big5 and BIG5",
       Encoding::kBig5, "big5", 11, true, npos},
      // In UTF-8 a stray continuation byte stands alone: what follows it is
      // text, where in GB the two would be one character.
      {"utf-8 stray byte",
       "\xAD"
       "big5",
       Encoding::kUtf8, "big5", 0, false, 1},
      {"same bytes as gb",
       "\xAD"
       "big5",
       Encoding::kGbk, "big5", 0, false, npos},
      {"utf-8 after a character",
       "\xE4\xB8\xAD"
       "charset=",
       Encoding::kUtf8, "charset=", 0, false, 3},
      // A GB18030 four-byte sequence holds two digits.
      {"gb18030 four bytes",
       "\x81\x30\x81\x35"
       "5",
       Encoding::kGb18030, "5", 0, false, 4},
      {"gbk reads the digits",
       "\x81\x30\x81\x35"
       "5",
       Encoding::kGbk, "5", 0, false, 3},
      {"empty text", "", Encoding::kUtf8, "x", 0, false, npos},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindAscii(c.text, c.encoding, c.needle, c.from, c.ignore_case),
              c.found)
        << c.name;
  }
}

}  // namespace
}  // namespace tovenrak::core
