#include "core/io/escape_for_terminal.h"

#include <gtest/gtest.h>

namespace tovenrak::core {
namespace {

TEST(EscapeForTerminalTest, WritesControlCharactersAsHex) {
  struct Case {
    const char* name;
    std::string text;
    std::string expected;
  } cases[] = {
      {"plain", "page.htm", "page.htm"},
      {"a fake summary over the screen", "\x1B[2J\rok\n",
       "\\x1B[2J\\x0Dok\\x0A"},
      {"NUL and DEL", std::string("a\0b\x7F", 4), "a\\x00b\\x7F"},
      {"UTF-8 CSI",
       "x\xC2\x9B"
       "31m",
       "x\\xC2\\x9B31m"},
      {"backslash", "a\\x1B", "a\\\\x1B"},
      {"UTF-8, GBK and Big5 names", "頭\xCD\xB7\xC0\x59\xC2\xA0",
       "頭\xCD\xB7\xC0\x59\xC2\xA0"},
      {"C2 at the end", "a\xC2", "a\xC2"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EscapeForTerminal(c.text), c.expected) << c.name;
}

}  // namespace
}  // namespace tovenrak::core
