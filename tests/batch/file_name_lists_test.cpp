// Splitting the Add dialog's answer and taking a path's last name.

#include "batch/file_name_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovenrak::batch {
namespace {

TEST(Str2ArrayTest, SplitsAtEveryOccurrence) {
  const std::string nul(1, '\0');
  const struct {
    std::string text, separator;
    std::vector<std::string> expected;
  } cases[] = {
      {"/web a.htm b.htm", " ", {"/web", "a.htm", "b.htm"}},
      {"/d" + nul + "a b.htm" + nul + "c.htm", nul, {"/d", "a b.htm", "c.htm"}},
      {"", " ", {""}},
      {"a  b", " ", {"a", "", "b"}},
      {"1ab2ab3", "ab", {"1", "2", "3"}},
      {"a b", "", {"a b"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Str2Array(c.text, c.separator), c.expected) << c.text;
}

TEST(ExtFileTest, ReturnsTextAfterLastSeparator) {
  const struct {
    std::string path;
    char separator;
    std::string expected;
  } cases[] = {
      {R"(C:\web\page.htm)", '\\', "page.htm"},
      {R"(C:\web\)", '\\', ""},
      {R"(/home/u/a\b.htm)", '/', R"(a\b.htm)"},
      {"/" + std::string(40000, 'x') + "/y.htm", '/', "y.htm"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ExtFile(c.path, c.separator), c.expected) << c.path;
}

}  // namespace
}  // namespace tovenrak::batch
