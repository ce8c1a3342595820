#include "batch/file_name_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovenrak::batch {
namespace {

TEST(Str2ArrayTest, SplitsAtEveryOccurrence) {
  struct Case {
    const char* name;
    std::string text;
    std::string separator;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"selection",
       R"(C:\web a.htm b.htm)",
       " ",
       {R"(C:\web)", "a.htm", "b.htm"}},
      {"no separator", R"(C:\web\a.htm)", " ", {R"(C:\web\a.htm)"}},
      {"empty text", "", " ", {""}},
      {"two spaces", "a  b", " ", {"a", "", "b"}},
      {"leading", " a", " ", {"", "a"}},
      {"trailing", "a ", " ", {"a", ""}},
      {"only separator", " ", " ", {"", ""}},
      {"longer separator", "1ab2ab3", "ab", {"1", "2", "3"}},
      {"no overlap", "aaa", "aa", {"", "a"}},
      {"exact case", "1a2", "A", {"1a2"}},
      {"nul",
       std::string("/docs\0a b.htm\0c.htm", 19),
       std::string(1, '\0'),
       {"/docs", "a b.htm", "c.htm"}},
      {"empty separator", "a b", "", {"a b"}},
      {"empty separator, empty text", "", "", {""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Str2Array(c.text, c.separator), c.expected) << c.name;
  }
}

TEST(ExtFileTest, ReturnsTextAfterLastSeparator) {
  struct Case {
    const char* name;
    std::string path;
    char separator;
    std::string expected;
  };
  const Case cases[] = {
      {"full path", R"(C:\web\page.htm)", '\\', "page.htm"},
      {"bare name", "page.htm", '\\', "page.htm"},
      {"folder", R"(C:\web\)", '\\', ""},
      {"empty", "", '\\', ""},
      {"drive relative", "C:page.htm", '\\', "C:page.htm"},
      {"slashes are ordinary", "C:/web/page.htm", '\\', "C:/web/page.htm"},
      {"network path", R"(\\host\share\a.txt)", '\\', "a.txt"},
      {"posix path", "/home/u/a b.htm", '/', "a b.htm"},
      {"posix root file", "/a.htm", '/', "a.htm"},
      {"backslash is ordinary on posix", R"(/home/u/a\b.htm)", '/',
       R"(a\b.htm)"},
      {"beyond 32767 characters", "/" + std::string(40000, 'x') + "/y.htm", '/',
       "y.htm"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtFile(c.path, c.separator), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace tovenrak::batch
