// The encoding labels pages use.

#include "core/encoding/encoding.h"

#include <gtest/gtest.h>

#include <vector>

namespace tovenrak::core {
namespace {

TEST(EncodingTest, ReadsTheWebsLabelsInAnyCaseAndSpacing) {
  const std::pair<std::optional<Encoding>, std::vector<const char*>> cases[] = {
      {Encoding::kBig5, {"Big5-HKSCS", " x-x-big5\t"}},
      {Encoding::kGbk, {"GB2312", "csiso58gb231280", "windows-936"}},
      {Encoding::kGb18030, {"gb18030"}},
      {Encoding::kUtf8, {"unicode-1-1-utf-8"}},
      {std::nullopt, {"", "big 5", "gb2312x", "utf-16", "gb18030-2022"}},
  };
  for (const auto& [encoding, labels] : cases) {
    for (const char* label : labels)
      EXPECT_EQ(EncodingFromLabel(label), encoding) << label;
  }
}

}  // namespace
}  // namespace tovenrak::core
