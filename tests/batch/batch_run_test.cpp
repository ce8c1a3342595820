#include "batch/batch_run.h"

#include <gtest/gtest.h>

#include <string>

namespace tovenrak::batch {
namespace {

TEST(ProPercentTest, RoundsHalvesToEven) {
  struct Case {
    size_t done;
    size_t total;
    int expected;
  };
  const Case cases[] = {
      {1, 3, 33},  {2, 3, 67},  {3, 3, 100}, {1, 8, 12},    {3, 8, 38},
      {5, 8, 62},  {7, 8, 88},  {1, 40, 2},  {3, 40, 8},    {1, 200, 0},
      {3, 200, 2}, {1, 1, 100}, {1, 7, 14},  {1, 70000, 0}, {69999, 70000, 100},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProPercent(c.done, c.total), c.expected)
        << c.done << " of " << c.total;
  }
}

TEST(DescribeOutcomeTest, ListsTenFailuresThenCountsTheRest) {
  BatchOutcome outcome;
  outcome.converted = 3;
  for (int i = 0; i < 12; ++i) {
    outcome.failed.push_back(
        {"/src/f" + std::to_string(i) + ".htm", "无法读取"});
  }
  const ClosingMessage message = DescribeOutcome(outcome, "/out/");
  EXPECT_EQ(message.icon, platform::MessageIcon::kWarning);
  EXPECT_EQ(message.text.rfind("共 15 个文件，已转换 3 个到 /out/ 文件夹下；"
                               "以下 12 个文件未能转换：\n",
                               0),
            0u)
      << message.text;
  EXPECT_NE(message.text.find("/src/f9.htm\n    无法读取"), std::string::npos)
      << message.text;
  EXPECT_EQ(message.text.find("/src/f10.htm"), std::string::npos)
      << message.text;
  EXPECT_NE(message.text.find("……另有 2 个文件未能转换。"), std::string::npos)
      << message.text;
}

}  // namespace
}  // namespace tovenrak::batch
