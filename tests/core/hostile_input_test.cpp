// Pages built to make the charset rewrite slow: however many tag-like pieces
// a page holds, it is rewritten in one pass over the text.

#include <gtest/gtest.h>

#include <string>

#include "core/encoding/rewrite_charset.h"

namespace tovenrak::core {
namespace {

TEST(HostileInputTest, ManyTagsThatAreNoMetaTagAreScannedOnce) {
  // Each tag is looked at once: a search for ">" or "charset=" that went to
  // the far end of the text for each of them would take hours on such a
  // page of a few megabytes.
  struct Case {
    const char* name;
    const char* filler;
  } cases[] = {
      {"longer tag names", "<metadata >"},
      {"upper case", "<METAX>"},
      {"punctuation after the name", "<meta->"},
      {"meta tags declaring nothing", "<meta x='charset='>"},
  };
  for (const Case& c : cases) {
    std::string page;
    for (int i = 0; i < 1'000'000; ++i) page += c.filler;
    const size_t filler_size = page.size();
    page += "<meta charset=big5><p>text</p>";

    const std::string rewritten = RewriteCharset(page, Encoding::kGbk);
    ASSERT_EQ(rewritten.size(), page.size() + 2) << c.name;
    EXPECT_EQ(rewritten.compare(0, filler_size, page, 0, filler_size), 0)
        << c.name;
    EXPECT_EQ(rewritten.substr(filler_size), "<meta charset=gb2312><p>text</p>")
        << c.name;
  }
}

}  // namespace
}  // namespace tovenrak::core
