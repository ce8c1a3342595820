#include "batch/batch_run.h"

#include <gtest/gtest.h>

#include <string>

#include "core/convert/default_converter.h"
#include "core/scratch_folder.h"
#include "support/text.h"

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

TEST(RunBatchTest, EachFileGoesTheWayItsBytesSayAndMislabelsAreReported) {
  using core::Encoding;
  using testing::Bytes;
  testing::ScratchFolder dir;
  struct Case {
    const char* name;
    std::string input;
    std::string expected;
  } cases[] = {
      // Never names its encoding: the old rule took it for GB.
      {"notes.txt", Bytes("頭髮很長，以後再說。", Encoding::kBig5),
       Bytes("头发很长，以后再说。", Encoding::kGbk)},
      // Declares Big5 but is GB: converted from GB, its declaration too.
      {"page.htm",
       "<meta charset=big5>" + Bytes("头发很长，以后再说。", Encoding::kGbk),
       "<meta charset=big5>" + Bytes("頭髮很長，以後再說。", Encoding::kBig5)},
      // UTF-8 stays UTF-8 in the other script.
      {"utf8.htm", "<meta charset=\"utf-8\">头发很长，以后再说。",
       "<meta charset=\"utf-8\">頭髮很長，以後再說。"},
      // A comment that never ends: converted as text, its link too.
      {"broken.htm", "<a href=头发.htm>头发</a><!--",
       "<a href=頭髮.htm>頭髮</a><!--"},
  };
  std::vector<std::string> be_fore, be_hind;
  std::filesystem::create_directories(dir / "out");
  for (const Case& c : cases) {
    testing::ScratchFolder::Write(dir / c.name, c.input);
    be_fore.push_back((dir / c.name).string());
    be_hind.push_back(c.name);
  }
  auto er = core::MakeDefaultConverter();
  ASSERT_TRUE(er.has_value());
  const BatchOutcome outcome = RunBatch(
      **er, be_fore, be_hind, (dir / "out").string() + "/", [](int16_t) {});
  EXPECT_EQ(outcome.converted, 4u);
  for (const Case& c : cases) {
    EXPECT_EQ(testing::ScratchFolder::Read(dir / "out" / c.name), c.expected)
        << c.name;
  }
  ASSERT_EQ(outcome.mislabeled.size(), 1u);
  EXPECT_EQ(outcome.mislabeled[0].path, be_fore[1]);
  ASSERT_EQ(outcome.as_text.size(), 1u);
  EXPECT_EQ(DescribeOutcome(outcome, "/out/").text,
            "所选定文件已转换到 /out/ 文件夹下。\n\n以下 1 个文件的实际编码"
            "与其声明不符，已按实际编码转换：\n\n" +
                be_fore[1] + "\n    声明为 Big5，实际为 GB" +
                "\n\n以下 1 个网页无法按网页结构读取，已按纯文本整体转换："
                "\n\n" +
                be_fore[3] + "\n    " + outcome.as_text[0].reason);
}

}  // namespace
}  // namespace tovenrak::batch
