#include "core/encoding/rewrite_charset.h"

#include <gtest/gtest.h>

namespace tovenrak::core {
namespace {

struct Case {
  const char* name;
  std::string input;
  Encoding target;
  std::string expected;
};

TEST(RewriteCharsetTest, RewritesTheFirstMetaDeclaration) {
  const Case cases[] = {
      {"content value, double quotes, to big5",
       R"(<meta http-equiv="Content-Type" content="text/html; charset=gb2312">)",
       Encoding::kBig5,
       R"(<meta http-equiv="Content-Type" content="text/html; charset=big5" http-equiv=Content-Type>)"},
      {"the common form keeps its shape",
       R"(<META content="text/html; charset=big5" http-equiv=Content-Type>)",
       Encoding::kGbk,
       R"(<META content="text/html; charset=gb2312" http-equiv=Content-Type>)"},
      {"single-quoted content keeps its quote",
       R"(<meta content='text/html; charset=big5'>)", Encoding::kGbk,
       R"(<meta content='text/html; charset=gb2312' http-equiv=Content-Type>)"},
      {"unquoted content gets no quote",
       R"(<meta content=text/html;charset=big5>)", Encoding::kGbk,
       R"(<meta content=text/html;charset=gb2312 http-equiv=Content-Type>)"},
      {"self-closing slash is kept apart",
       R"(<meta content="text/html; charset=big5"/>)", Encoding::kGbk,
       R"(<meta content="text/html; charset=gb2312" http-equiv=Content-Type />)"},
      {"charset attribute keeps its quotes", R"(<meta charset="big5">)",
       Encoding::kGbk, R"(<meta charset="gb2312">)"},
      {"unquoted charset attribute, self-closing", R"(<meta charset=big5 />)",
       Encoding::kGbk, R"(<meta charset=gb2312 />)"},
      {"unquoted charset attribute before slash", R"(<meta charset=big5/>)",
       Encoding::kGbk, R"(<meta charset=gb2312/>)"},
      {"space before the quoted name", R"(<meta charset= "big5">)",
       Encoding::kGbk, R"(<meta charset= "gb2312">)"},
      {"any letter case", R"(<Meta CHARSET='BIG5'>)", Encoding::kGbk,
       R"(<Meta CHARSET='gb2312'>)"},
      {"upper-case key in content",
       R"(<META CONTENT="text/html; CHARSET=BIG5">)", Encoding::kGbk,
       R"(<META CONTENT="text/html; charset=gb2312" http-equiv=Content-Type>)"},
      {"only the first declaration",
       "<meta charset=big5><meta content=\"text/html; charset=big5\">",
       Encoding::kGbk,
       "<meta charset=gb2312><meta content=\"text/html; charset=big5\">"},
      {"body text and other tags are left alone",
       "<p>charset=big5 > x</p><script>var s='charset=';</script><meta "
       "charset=big5>",
       Encoding::kGbk,
       "<p>charset=big5 > x</p><script>var s='charset=';</script><meta "
       "charset=gb2312>"},
      {"meta without a declaration is skipped",
       "<meta name=x><meta charset=gb2312>", Encoding::kBig5,
       "<meta name=x><meta charset=big5>"},
      {"metadata is no meta tag", "<metadata charset=big5><meta charset=big5>",
       Encoding::kGbk, "<metadata charset=big5><meta charset=gb2312>"},
      {"declaration across lines",
       "<meta\n http-equiv=\"Content-Type\"\n content=\"text/html; "
       "charset=big5\"\n>",
       Encoding::kGbk,
       "<meta\n http-equiv=\"Content-Type\"\n content=\"text/html; "
       "charset=gb2312\" "
       "http-equiv=Content-Type>"},
      {"double-byte text around the tag is untouched",
       "\xA4\xA4<meta charset=big5>\xA4\xE5", Encoding::kGbk,
       "\xA4\xA4<meta charset=gb2312>\xA4\xE5"},
      {"to utf-8", "<meta charset=\"gb2312\">", Encoding::kUtf8,
       "<meta charset=\"utf-8\">"},
      {"to gb18030", "<meta content=\"text/html; charset=utf-8\">",
       Encoding::kGb18030,
       "<meta content=\"text/html; charset=gb18030\" http-equiv=Content-Type>"},
      {"a quoted value's > does not end the tag",
       R"(<meta title="a>b" charset=big5>)", Encoding::kGbk,
       R"(<meta title="a>b" charset=gb2312>)"},
      // In GB these would be one character, 0xAD 0x63, hiding the key.
      {"utf-8 character before the key",
       "<meta \xE4\xB8\xAD"
       "charset=big5>",
       Encoding::kUtf8,
       "<meta \xE4\xB8\xAD"
       "charset=utf-8>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RewriteCharset(c.input, c.target), c.expected) << c.name;
  }
}

TEST(RewriteCharsetTest, LeavesTextWithoutADeclarationUnchanged) {
  const Case cases[] = {
      {"empty text", "", Encoding::kGbk, ""},
      {"plain text", "charset=big5 in a sentence.", Encoding::kGbk,
       "charset=big5 in a sentence."},
      {"meta tag never closed", "<meta charset=big5", Encoding::kGbk,
       "<meta charset=big5"},
      {"declaration in another tag", "<body charset=big5>", Encoding::kGbk,
       "<body charset=big5>"},
      {"meta in a comment", "<!-- <meta charset=big5> -->", Encoding::kGbk,
       "<!-- <meta charset=big5> -->"},
      {"meta in a script string", "<script>s='<meta charset=big5>'</script>",
       Encoding::kGbk, "<script>s='<meta charset=big5>'</script>"},
      {"a description's content",
       "<meta name=description content=\"text/html; charset=big5\">",
       Encoding::kGbk,
       "<meta name=description content=\"text/html; charset=big5\">"},
      {"key hidden in a double-byte character",
       "<meta \xA4"
       "charset=big5>",
       Encoding::kGbk,
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
      "<?xml version='1.0' encoding='big5'?><meta charset=big5>",
  };
  for (const std::string& input : inputs) {
    for (Encoding target : kAllEncodings) {
      const std::string once = RewriteCharset(input, target);
      EXPECT_EQ(RewriteCharset(once, target), once) << input;
      EXPECT_NE(once.find(DeclaredName(target)), std::string::npos) << input;
    }
  }
}

}  // namespace
}  // namespace tovenrak::core

namespace tovenrak::core {
namespace {

TEST(RewriteCharsetTest, RewritesOnlyTheEncodingOfAnXmlDeclarationAtTheTop) {
  const Case cases[] = {
      {"double quotes", R"(<?xml version="1.0" encoding="big5"?><rss/>)",
       Encoding::kGbk, R"(<?xml version="1.0" encoding="gb2312"?><rss/>)"},
      {"single quotes and spaces",
       "<?xml version='1.0'\n  encoding = 'GB2312' standalone='yes'?>",
       Encoding::kUtf8,
       "<?xml version='1.0'\n  encoding = 'utf-8' standalone='yes'?>"},
      {"after a byte-order mark",
       "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"gbk\"?>", Encoding::kUtf8,
       "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>"},
      {"and the meta tag after it",
       "<?xml version=\"1.0\" encoding=\"big5\"?>\n<html><meta "
       "charset=big5>",
       Encoding::kGb18030,
       "<?xml version=\"1.0\" encoding=\"gb18030\"?>\n<html><meta "
       "charset=gb18030>"},
      {"no encoding attribute is added", R"(<?xml version="1.0"?><a/>)",
       Encoding::kBig5, R"(<?xml version="1.0"?><a/>)"},
      {"not at the top", R"( <?xml version="1.0" encoding="big5"?>)",
       Encoding::kGbk, R"( <?xml version="1.0" encoding="big5"?>)"},
      {"another processing instruction",
       R"(<?xml-stylesheet encoding="big5"?>)", Encoding::kGbk,
       R"(<?xml-stylesheet encoding="big5"?>)"},
      {"encoding outside the declaration",
       R"(<?xml version="1.0"?><x encoding="big5"/>)", Encoding::kGbk,
       R"(<?xml version="1.0"?><x encoding="big5"/>)"},
      {"a longer attribute name", R"(<?xml version="1.0" xencoding="big5"?>)",
       Encoding::kGbk, R"(<?xml version="1.0" xencoding="big5"?>)"},
      {"unquoted value", "<?xml version=\"1.0\" encoding=big5?>",
       Encoding::kGbk, "<?xml version=\"1.0\" encoding=big5?>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RewriteCharset(c.input, c.target), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace tovenrak::core
