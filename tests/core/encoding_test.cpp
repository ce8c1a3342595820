#include "core/encoding/encoding.h"

#include <gtest/gtest.h>

namespace tovenrak::core {
namespace {

TEST(EncodingTest, ReadsTheWebsLabelsInAnyCaseAndSpacing) {
  struct Case {
    const char* label;
    std::optional<Encoding> encoding;
  } cases[] = {
      {"big5", Encoding::kBig5},
      {"Big5-HKSCS", Encoding::kBig5},
      {"cn-big5", Encoding::kBig5},
      {"csbig5", Encoding::kBig5},
      {" x-x-big5\t", Encoding::kBig5},
      {"GB2312", Encoding::kGbk},
      {"gbk", Encoding::kGbk},
      {"x-gbk", Encoding::kGbk},
      {"chinese", Encoding::kGbk},
      {"csgb2312", Encoding::kGbk},
      {"iso-ir-58", Encoding::kGbk},
      {"gb_2312-80", Encoding::kGbk},
      {"csiso58gb231280", Encoding::kGbk},
      {"CP936", Encoding::kGbk},
      {"ms936", Encoding::kGbk},
      {"windows-936", Encoding::kGbk},
      {"gb18030", Encoding::kGb18030},
      {"UTF-8", Encoding::kUtf8},
      {"utf8", Encoding::kUtf8},
      {"unicode-1-1-utf-8", Encoding::kUtf8},
      {"", std::nullopt},
      {"big 5", std::nullopt},
      {"gb2312x", std::nullopt},
      {"utf-16", std::nullopt},
      {"iso-8859-1", std::nullopt},
      {"gb18030-2022", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EncodingFromLabel(c.label), c.encoding) << c.label;
}

}  // namespace
}  // namespace tovenrak::core
