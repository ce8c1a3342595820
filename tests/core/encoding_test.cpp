// The encoding labels pages use.

#include "core/encoding/encoding.h"

#include <gtest/gtest.h>

namespace tovenrak::core {
namespace {

TEST(EncodingTest, ReadsTheWebsLabelsInAnyCaseAndSpacing) {
  struct Case {
    const char* label;
    std::optional<Encoding> encoding;
  } cases[] = {
      {"Big5-HKSCS", Encoding::kBig5},
      {" x-x-big5\t", Encoding::kBig5},
      {"GB2312", Encoding::kGbk},
      {"csiso58gb231280", Encoding::kGbk},
      {"windows-936", Encoding::kGbk},
      {"gb18030", Encoding::kGb18030},
      {"unicode-1-1-utf-8", Encoding::kUtf8},
      {"", std::nullopt},
      {"big 5", std::nullopt},
      {"gb2312x", std::nullopt},
      {"utf-16", std::nullopt},
      {"gb18030-2022", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EncodingFromLabel(c.label), c.encoding) << c.label;
}

}  // namespace
}  // namespace tovenrak::core
