// Rewriting the charset declaration of a page to name its new encoding.

#include "core/encoding/rewrite_charset.h"

#include <gtest/gtest.h>

namespace tovenrak::core {
namespace {

struct Case {
  std::string input, expected;
  Encoding target = Encoding::kGbk;
};

TEST(RewriteCharsetTest, RewritesEveryMetaDeclaration) {
  const Case cases[] = {
      // Only the name changes: the rest of the tag stays as written.
      {R"(<meta http-equiv="Content-Type" content="text/html; charset=gb2312" />)",
       R"(<meta http-equiv="Content-Type" content="text/html; charset=big5" />)",
       Encoding::kBig5},
      {R"(<META content="text/html; charset=big5" http-equiv="Content-Type" id=m lang=zh>)",
       R"(<META content="text/html; charset=gb2312" http-equiv="Content-Type" id=m lang=zh>)"},
      {R"(<meta name="x" http-equiv=" content-type" content="text/html; charset=big5">)",
       R"(<meta name="x" http-equiv=" content-type" content="text/html; charset=gb2312">)"},
      // A content value without an http-equiv is given one.
      {R"(<meta content="text/html; charset=big5"lang=zh>)",
       R"(<meta content="text/html; charset=gb2312" http-equiv="Content-Type" lang=zh>)"},
      {R"(<meta content='text/html; charset=big5'>)",
       R"(<meta content='text/html; charset=gb2312' http-equiv='Content-Type'>)"},
      {R"(<meta content=text/html;charset=big5>)",
       R"(<meta content=text/html;charset=gb2312 http-equiv=Content-Type>)"},
      {R"(<meta content="text/html; charset=big5"/>)",
       R"(<meta content="text/html; charset=gb2312" http-equiv="Content-Type" />)"},
      {R"(<meta charset="big5">)", R"(<meta charset="gb2312">)"},
      {"<meta charset=\" big5\t\">", "<meta charset=\" gb2312\t\">"},
      {R"(<meta charset=big5 />)", R"(<meta charset=gb2312 />)"},
      {R"(<Meta CHARSET='BIG5'>)", R"(<Meta CHARSET='gb2312'>)"},
      {R"(<META CONTENT="text/html; CHARSET=BIG5; x=1">)",
       R"(<META CONTENT="text/html; CHARSET=gb2312; x=1" http-equiv="Content-Type">)"},
      // Every declaring tag, as templates repeat them; not one in a comment.
      {"<META http-equiv=content-type content=text/html;charset=BIG5>"
       "<!-- <meta charset=big5> --><meta charset=big5>"
       "<meta content=\"text/html; charset=big5\">",
       "<META http-equiv=content-type content=text/html;charset=gb2312>"
       "<!-- <meta charset=big5> --><meta charset=gb2312>"
       "<meta content=\"text/html; charset=gb2312\" "
       "http-equiv=\"Content-Type\">"},
      // A tag that declares twice, as attribute and as content, is
      // rewritten twice; a property's content declares nothing.
      {"<meta http-equiv=content-type content='text/html; charset=big5' "
       "charset=big5><meta property=x content='text/html; charset=big5'>",
       "<meta http-equiv=content-type content='text/html; charset=gb2312' "
       "charset=gb2312><meta property=x content='text/html; charset=big5'>"},
      // A later "charset" begun by a character's trail byte is none.
      {"<meta charset=gb2312><meta content=\"text/html; \xA4"
       "charset=x; charset=gb2312\" http-equiv=content-type>",
       "<meta charset=big5><meta content=\"text/html; \xA4"
       "charset=x; charset=big5\" http-equiv=content-type>",
       Encoding::kBig5},
      // A name a template fills in is none: browsers read the next tag.
      {"<meta http-equiv=content-type content=\"text/html; charset={CS}\">"
       "<meta charset=\"<?=$cs?>\"><meta charset=big5>",
       "<meta http-equiv=content-type content=\"text/html; charset={CS}\">"
       "<meta charset=\"<?=$cs?>\"><meta charset=gb2312>"},
      {"<p>charset=big5 > x</p><script>var s='charset=';</script><meta "
       "charset=big5>",
       "<p>charset=big5 > x</p><script>var s='charset=';</script><meta "
       "charset=gb2312>"},
      {"<meta name=x><meta charset=gb2312>", "<meta name=x><meta charset=big5>",
       Encoding::kBig5},
      {"<metadata charset=big5><meta charset=big5>",
       "<metadata charset=big5><meta charset=gb2312>"},
      {"<meta\n http-equiv=\"Content-Type\"\n content=\"text/html; "
       "charset=big5\"\n>",
       "<meta\n http-equiv=\"Content-Type\"\n content=\"text/html; "
       "charset=gb2312\"\n>"},
      {"\xA4\xA4<meta charset=big5>\xA4\xE5",
       "\xA4\xA4<meta charset=gb2312>\xA4\xE5"},
      {"<meta content=\"text/html; charset=utf-8\">",
       "<meta content=\"text/html; charset=gb18030\" "
       "http-equiv=\"Content-Type\">",
       Encoding::kGb18030},
      {R"(<meta title="a>b" charset=big5>)",
       R"(<meta title="a>b" charset=gb2312>)"},
      // HTML allows white space around the "=", in both forms.
      {R"(<meta charset = "big5">)", R"(<meta charset = "gb2312">)"},
      {"<meta content=\"text/html; charset =\tbig5\">",
       "<meta content=\"text/html; charset =\tgb2312\" "
       "http-equiv=\"Content-Type\">"},
      // Four Big5 codes are two characters each, a letter and a mark.
      {"<title>\x88\x62\x88\xA5</title><meta charset=gb2312><p>",
       "<title>\x88\x62\x88\xA5</title><meta charset=big5><p>",
       Encoding::kBig5},
      // Only an attribute named charset is one: not data-charset, nor 中charset
      // (in GB 0xAD 0x63 would even be one character, hiding the key).
      {"<meta data-charset=big5><meta \xE4\xB8\xAD"
       "charset=big5><meta charset=big5>",
       "<meta data-charset=big5><meta \xE4\xB8\xAD"
       "charset=big5><meta charset=utf-8>",
       Encoding::kUtf8},
      // Read from the bytes, GB's 癱 (B0 63) ends in a 'c': no key begins
      // there.
      {"<meta content=\"\xB0"
       "charset=big5\"><meta charset=big5>",
       "<meta content=\"\xB0"
       "charset=big5\"><meta charset=gb2312>"},
      {"<meta content='text/html; charset=&quot;big5&quot;'>",
       "<meta content='text/html; charset=&quot;gb2312&quot;' "
       "http-equiv='Content-Type'>"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RewriteCharset(c.input, c.target), c.expected) << c.input;
}

TEST(RewriteCharsetTest, AFarDeclarationIsFoundAsInAShortPage) {
  // Far into a page, behind a comment or a long value.
  for (const size_t distance : {3000, 100000}) {
    const std::string far(distance, 'x');
    const Case cases[] = {
        {"<!-- <meta charset=big5>" + far + " --><meta charset=big5>",
         "<!-- <meta charset=big5>" + far + " --><meta charset=gb2312>"},
        {"<p>charset=big5</p>" + far + "<meta charset=big5>",
         "<p>charset=big5</p>" + far + "<meta charset=gb2312>"},
        {"<meta charset=big5 title='" + far + "'>",
         "<meta charset=gb2312 title='" + far + "'>"},
        {"<meta content='charset=big5' title='" + far + "'>",
         "<meta content='charset=gb2312' http-equiv='Content-Type' title='" +
             far + "'>"},
    };
    for (const Case& c : cases)
      EXPECT_EQ(RewriteCharset(c.input, c.target), c.expected)
          << distance << ": " << c.input.substr(0, 30);
  }
}

TEST(RewriteCharsetTest, LeavesTextWithoutADeclarationUnchanged) {
  const std::string inputs[] = {
      "charset=big5 in a sentence.",
      "<meta charset=big5",
      "<body charset=big5>",
      "<!-- <meta charset=big5> -->",
      "<meta name=description content=\"text/html; charset=big5\">",
      "<meta http-equiv=refresh content=\"0; url=a.htm?charset=gb2312\">",
      "<meta content=\"text/html; charset big5\">",
      "<meta \xA4"
      "charset=big5>",  // The key inside a double-byte character.
      R"( <?xml version="1.0" encoding="big5"?>)",
      R"(<?xml version="1.0" xencoding="big5"?>)",
      "<?xml version=\"1.0\" encoding=big5?>",
  };
  for (const std::string& input : inputs)
    EXPECT_EQ(RewriteCharset(input, Encoding::kBig5), input);
}

TEST(RewriteCharsetTest, RewritesOnlyTheEncodingOfAnXmlDeclarationAtTheTop) {
  const Case cases[] = {
      // XML parsers other than browsers' read gb2312 as GB 2312 alone.
      {"<?xml version='1.0'\n encoding = 'BIG5'?><p><meta charset=big5>",
       "<?xml version='1.0'\n encoding = 'gbk'?><p><meta charset=gb2312>"},
      {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"gbk\"?>",
       "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>",
       Encoding::kUtf8},
      {"<?xml version=\"1.0\" encoding=\"big5\"?>\n<html><meta "
       "charset=big5>",
       "<?xml version=\"1.0\" encoding=\"gb18030\"?>\n<html><meta "
       "charset=gb18030>",
       Encoding::kGb18030},
      // One that names no encoding declares UTF-8.
      {"<?xml version='1.0' standalone='yes'?><a/>",
       "<?xml version='1.0' encoding='big5' standalone='yes'?><a/>",
       Encoding::kBig5},
      {R"(<?xml version="1.0"?><x encoding="utf-8"/>)",
       R"(<?xml version="1.0" encoding="gbk"?><x encoding="utf-8"/>)"},
      {"<?xml version=\"1.0\"?>", "<?xml version=\"1.0\"?>", Encoding::kUtf8},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RewriteCharset(c.input, c.target), c.expected) << c.input;
}

TEST(RewriteCharsetTest, RewritesWhatServerCodeDeclares) {
  const Case cases[] = {
      {R"(<%@ page contentType="text/html; charset=GBK" pageEncoding="gbk"%>)",
       R"(<%@ page contentType="text/html; charset=Big5" pageEncoding="big5"%>)",
       Encoding::kBig5},
      {R"(<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%><%Response.Charset = "gb2312")"
       "\n Session.CodePage=936 : x.codepage=9360%>",
       R"(<%@LANGUAGE="VBSCRIPT" CODEPAGE="65001"%><%Response.Charset = "utf-8")"
       "\n Session.CodePage=65001 : x.codepage=9360%>",
       Encoding::kUtf8},
      // Only the page's content type: not a variable, a database's, a
      // request's, iconv's.
      {"<?php header(\"Content-Type: text/html;charset=gb2312\"); $charset = "
       "'gbk'; $db->charset='gbk'; iconv('gbk', 'utf-8', $s);\n"
       "new PDO(\"mysql:host=h;charset=gbk\"); $x->setRequestHeader(\"Content-"
       "Type\", \"text/xml; charset=gbk\");\n",
       "<?php header(\"Content-Type: text/html;charset=big5\"); $charset = "
       "'gbk'; $db->charset='gbk'; iconv('gbk', 'utf-8', $s);\n"
       "new PDO(\"mysql:host=h;charset=gbk\"); $x->setRequestHeader(\"Content-"
       "Type\", \"text/xml; charset=gbk\");\n",
       Encoding::kBig5},
      {"<% Response.Charset(\"gb2312\") : Response.Charset \"gbk\" %>",
       "<% Response.Charset(\"big5\") : Response.Charset \"big5\" %>",
       Encoding::kBig5},
      {"<?php $c = \"<?php ?>\"; header('Content-Type: text/html; "
       "charset=gbk'); ?>",
       "<?php $c = \"<?php ?>\"; header('Content-Type: text/html; "
       "charset=big5'); ?>",
       Encoding::kBig5},
      {"<%\nResponse.CodePage=936:Response.Charset=\"GBK\"\n%><% "
       "response.setCharacterEncoding(\"GBK\"); "
       "request.setCharacterEncoding(\"GBK\"); %><?php header "
       "('Content-Type: text/html; charset=gb2312'); "
       "ini_set('default_charset', "
       "\"gbk\"); ?><?php $x = '?>'; header('Content-Type: text/html; "
       "charset=gbk');\n",
       "<%\nResponse.CodePage=950:Response.Charset=\"Big5\"\n%><% "
       "response.setCharacterEncoding(\"Big5\"); "
       "request.setCharacterEncoding(\"GBK\"); %><?php header "
       "('Content-Type: text/html; charset=big5'); ini_set('default_charset', "
       "\"big5\"); ?><?php $x = '?>'; header('Content-Type: text/html; "
       "charset=big5');\n",
       Encoding::kBig5},
      // Edits that move the text after them further than they are long.
      {"<% Response.Charset=\"gbk\" : Response.Charset \"gbk\" : "
       "Session.CodePage=936 %>",
       "<% Response.Charset=\"gb18030\" : Response.Charset \"gb18030\" : "
       "Session.CodePage=54936 %>",
       Encoding::kGb18030},
      {"<% Response.Charset=\"gb_2312-80\" : Response.Charset \"gb_2312-80\" "
       "%>",
       "<% Response.Charset=\"big5\" : Response.Charset \"big5\" %>",
       Encoding::kBig5},
      // The XML declaration a feed's code writes out, and one that comes
      // first after code that sends nothing.
      {"<?php header(\"Content-Type: text/xml; charset=gb2312\");\n"
       "echo '<?xml version=\"1.0\" encoding=\"gb2312\"?>'; echo \"<?xml "
       "version=\\\"1.0\\\" encoding=\\\"GBK\\\"?>\";\nif ($x) "
       "header('Content-Type: text/xml; charset=gb2312'); ?>",
       "<?php header(\"Content-Type: text/xml; charset=big5\");\n"
       "echo '<?xml version=\"1.0\" encoding=\"big5\"?>'; echo \"<?xml "
       "version=\\\"1.0\\\" encoding=\\\"Big5\\\"?>\";\nif ($x) "
       "header('Content-Type: text/xml; charset=big5'); ?>",
       Encoding::kBig5},
      {"<% Response.Write \"<?xml version=\"\"1.0\"\" "
       "encoding=\"\"gb2312\"\"?>\" %>",
       "<% Response.Write \"<?xml version=\"\"1.0\"\" "
       "encoding=\"\"big5\"\"?>\" %>",
       Encoding::kBig5},
      {"<%@ page contentType=\"text/xml; charset=GBK\" %>\r\n<?xml "
       "version=\"1.0\" encoding=\"GBK\"?><a><?xml version=\"1.0\" "
       "encoding=\"GBK\"?></a>",
       "<%@ page contentType=\"text/xml; charset=Big5\" %>\r\n<?xml "
       "version=\"1.0\" encoding=\"Big5\"?><a><?xml version=\"1.0\" "
       "encoding=\"GBK\"?></a>",
       Encoding::kBig5},
      // So do the <meta> tags it writes.
      {"<?php echo '<meta http-equiv=\"Content-Type\" content=\"text/html; "
       "charset=gb2312\">'; echo \"<META charset=\\\"GBK\\\">\"; echo "
       "'<meta charset=gbk><meta name=a content=\"charset\">'; ?><% "
       "Response.Write \"<meta charset=\"\" gb2312 \"\">\" %>",
       "<?php echo '<meta http-equiv=\"Content-Type\" content=\"text/html; "
       "charset=big5\">'; echo \"<META charset=\\\"Big5\\\">\"; echo "
       "'<meta charset=big5><meta name=a content=\"charset\">'; ?><% "
       "Response.Write \"<meta charset=\"\" big5 \"\">\" %>",
       Encoding::kBig5},
      {"<script>s = '<?xml version=\"1.0\" encoding=\"gbk\"?>';</script>",
       "<script>s = '<?xml version=\"1.0\" encoding=\"gbk\"?>';</script>",
       Encoding::kBig5},
      // Outside server code, and inside a double-byte character: nothing.
      {"<p>; charset=gbk<% x = \"\xA4"
       "Response.Charset=gbk\" %>",
       "<p>; charset=gbk<% x = \"\xA4"
       "Response.Charset=gbk\" %>",
       Encoding::kBig5},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RewriteCharset(c.input, c.target), c.expected) << c.input;
}

}  // namespace
}  // namespace tovenrak::core
