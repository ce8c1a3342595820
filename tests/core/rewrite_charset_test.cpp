#include "core/encoding/rewrite_charset.h"

#include <gtest/gtest.h>

namespace tovenrak::core {
namespace {

struct Case {
  const char* name;
  std::string input;
  std::string_view target;
  std::string expected;
};

TEST(RewriteCharsetTest, RewritesTheFirstMetaDeclaration) {
  const Case cases[] = {
      {"content value, double quotes, to big5",
       R"(<meta http-equiv="Content-Type" content="text/html; charset=gb2312">)",
       kBig5Declaration,
       R"(<meta http-equiv="Content-Type" content="text/html; charset=big5" http-equiv=Content-Type>)"},
      {"the common form keeps its shape",
       R"(<META content="text/html; charset=big5" http-equiv=Content-Type>)",
       kGbDeclaration,
       R"(<META content="text/html; charset=gb2312" http-equiv=Content-Type>)"},
      {"single-quoted content keeps its quote",
       R"(<meta content='text/html; charset=big5'>)", kGbDeclaration,
       R"(<meta content='text/html; charset=gb2312' http-equiv=Content-Type>)"},
      {"unquoted content gets no quote",
       R"(<meta content=text/html;charset=big5>)", kGbDeclaration,
       R"(<meta content=text/html;charset=gb2312 http-equiv=Content-Type>)"},
      {"self-closing slash is kept apart",
       R"(<meta content="text/html; charset=big5"/>)", kGbDeclaration,
       R"(<meta content="text/html; charset=gb2312" http-equiv=Content-Type />)"},
      {"charset attribute keeps its quotes", R"(<meta charset="big5">)",
       kGbDeclaration, R"(<meta charset="gb2312">)"},
      {"unquoted charset attribute, self-closing", R"(<meta charset=big5 />)",
       kGbDeclaration, R"(<meta charset=gb2312 />)"},
      {"unquoted charset attribute before slash", R"(<meta charset=big5/>)",
       kGbDeclaration, R"(<meta charset=gb2312/>)"},
      {"space before the quoted name", R"(<meta charset= "big5">)",
       kGbDeclaration, R"(<meta charset= "gb2312">)"},
      {"any letter case", R"(<Meta CHARSET='BIG5'>)", kGbDeclaration,
       R"(<Meta CHARSET='gb2312'>)"},
      {"upper-case key in content",
       R"(<META CONTENT="text/html; CHARSET=BIG5">)", kGbDeclaration,
       R"(<META CONTENT="text/html; charset=gb2312" http-equiv=Content-Type>)"},
      {"only the first declaration",
       "<meta charset=big5><meta content=\"text/html; charset=big5\">",
       kGbDeclaration,
       "<meta charset=gb2312><meta content=\"text/html; charset=big5\">"},
      {"body text and other tags are left alone",
       "<p>charset=big5 > x</p><script>var s='charset=';</script><meta "
       "charset=big5>",
       kGbDeclaration,
       "<p>charset=big5 > x</p><script>var s='charset=';</script><meta "
       "charset=gb2312>"},
      {"meta without a declaration is skipped",
       "<meta name=x><meta charset=gb2312>", kBig5Declaration,
       "<meta name=x><meta charset=big5>"},
      {"metadata is no meta tag", "<metadata charset=big5><meta charset=big5>",
       kGbDeclaration, "<metadata charset=big5><meta charset=gb2312>"},
      {"declaration across lines",
       "<meta\n http-equiv=\"Content-Type\"\n content=\"text/html; "
       "charset=big5\"\n>",
       kGbDeclaration,
       "<meta\n http-equiv=\"Content-Type\"\n content=\"text/html; "
       "charset=gb2312\" "
       "http-equiv=Content-Type>"},
      {"double-byte text around the tag is untouched",
       "\xA4\xA4<meta charset=big5>\xA4\xE5", kGbDeclaration,
       "\xA4\xA4<meta charset=gb2312>\xA4\xE5"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RewriteCharset(c.input, c.target), c.expected) << c.name;
  }
}

TEST(RewriteCharsetTest, LeavesTextWithoutADeclarationUnchanged) {
  const Case cases[] = {
      {"empty text", "", kGbDeclaration, ""},
      {"plain text", "charset=big5 in a sentence.", kGbDeclaration,
       "charset=big5 in a sentence."},
      {"meta tag never closed", "<meta charset=big5", kGbDeclaration,
       "<meta charset=big5"},
      {"declaration in another tag", "<body charset=big5>", kGbDeclaration,
       "<body charset=big5>"},
      {"key hidden in a double-byte character",
       "<meta \xA4"
       "charset=big5>",
       kGbDeclaration,
       "<meta \xA4"
       "charset=big5>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RewriteCharset(c.input, c.target), c.expected) << c.name;
  }
}

TEST(RewriteCharsetTest, ApplyingTwiceGivesTheSameTextAsOnce) {
  const std::string inputs[] = {
      R"(<meta http-equiv="Content-Type" content="text/html; charset=gb2312">)",
      R"(<meta content=text/html;charset=big5 />)",
      R"(<meta content='text/html; charset=big5'/>)",
      R"(<meta charset="big5">)",
      R"(<meta charset=big5/>)",
      "<head><META content=\"text/html; charset=big5\" "
      "http-equiv=Content-Type></head>",
  };
  for (const std::string& input : inputs) {
    for (std::string_view target : {kGbDeclaration, kBig5Declaration}) {
      const std::string once = RewriteCharset(input, target);
      EXPECT_EQ(RewriteCharset(once, target), once) << input;
      EXPECT_NE(once.find(target.substr(8)), std::string::npos) << input;
    }
  }
}

}  // namespace
}  // namespace tovenrak::core
