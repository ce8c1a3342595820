// Names and messages reach the terminal with no control character left.

#include "core/io/escape_for_terminal.h"

#include <gtest/gtest.h>

namespace tovenrak::core {
namespace {

TEST(EscapeForTerminalTest, WritesControlCharactersAsHex) {
  // The text; as a terminal of a GBK or Big5 locale gets it; as a UTF-8
  // one does.
  const std::string cases[][3] = {
      {std::string("a\0b\x7F", 4), "a\\x00b\\x7F", "a\\x00b\\x7F"},
      {"x\xC2\x9B[31m", "x\\xC2\\x9B[31m",
       "x\\xC2\\x9B[31m"},  // The one-character CSI.
      {"a\\x1B", "a\\\\x1B", "a\\\\x1B"},
      // UTF-8, GBK and Big5 names, and a lead byte at the end.
      {"頭\xCD\xB7\xC0\x59\xC2\xA0", "頭\xCD\xB7\xC0\x59\xC2\xA0",
       "頭\xCD\xB7\\xC0\x59\xC2\xA0"},
      // 产品 in GBK.
      {"\xB2\xFA\xC6\xB7.htm", "\xB2\xFA\xC6\xB7.htm",
       "\\xB2\\xFA\xC6\xB7.htm"},  // 品 reads as the UTF-8 of Ʒ.
      {"a\xC2", "a\xC2", "a\\xC2"},
      // A C1 byte alone, and a name shown backwards: "gnp.exe".
      {"x\x9B[31m\xA4\x9B", "x\\x9B[31m\xA4\x9B", "x\\x9B[31m\\xA4\\x9B"},
      {"a\xE2\x80\xAEgnp.exe", "a\\xE2\\x80\\xAEgnp.exe",
       "a\\xE2\\x80\\xAEgnp.exe"},
      {"c\x9B\x9B"
       "2J\xE2\x80\x8Bx",
       "c\\x9B\\x9B"
       "2J\\xE2\\x80\\x8Bx",
       "c\\x9B\\x9B"
       "2J\\xE2\\x80\\x8Bx"},
  };
  for (const auto& [text, double_byte, utf8] : cases) {
    EXPECT_EQ(EscapeForTerminal(text, OtherBytes::kDoubleByte), double_byte);
    EXPECT_EQ(EscapeForTerminal(text), utf8);
  }
}

}  // namespace
}  // namespace tovenrak::core
