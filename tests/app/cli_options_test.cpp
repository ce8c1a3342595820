#include "app/cli_options.h"

#include <gtest/gtest.h>

namespace tovenrak::app {
namespace {

TEST(CliOptionsTest, AcceptsLongShortAndAttachedForms) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    core::Target target;
    std::string output;
    unsigned jobs;
  } cases[] = {
      {"defaults", {"a.htm"}, core::Target::kAuto, ".", 0},
      {"long with space",
       {"--to", "gb", "--output", "out", "--jobs", "3", "a"},
       core::Target::kGb,
       "out",
       3},
      {"long with equals",
       {"--to=big5", "--output=o", "--jobs=2", "a"},
       core::Target::kBig5,
       "o",
       2},
      {"short",
       {"-t", "auto", "-o", "d", "-j", "4", "a"},
       core::Target::kAuto,
       "d",
       4},
      {"short attached",
       {"-tgb", "-od", "-j1", "a"},
       core::Target::kGb,
       "d",
       1},
  };
  for (const Case& c : cases) {
    auto parsed = ParseCliOptions(c.args);
    ASSERT_TRUE(parsed.has_value()) << c.name << ": " << parsed.error().Message();
    EXPECT_EQ(parsed->target, c.target) << c.name;
    EXPECT_EQ(parsed->output_dir, c.output) << c.name;
    EXPECT_EQ(parsed->jobs, c.jobs) << c.name;
  }
}

TEST(CliOptionsTest, KeepsInputsInOrderIncludingStdinAndDashedNames) {
  auto parsed =
      ParseCliOptions({"b.htm", "-", "--overwrite", "--", "-odd.htm", "a.htm"});
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->inputs,
            (std::vector<std::string>{"b.htm", "-", "-odd.htm", "a.htm"}));
  EXPECT_TRUE(parsed->overwrite);
}

TEST(CliOptionsTest, RejectsBadUsageWithAMessage) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{}, "missing file operand"},
      {{"--to", "utf8", "a"}, "invalid argument 'utf8' for '--to'"},
      {{"--to"}, "option '--to' requires an argument"},
      {{"-j", "0", "a"}, "invalid number of jobs '0'"},
      {{"-j", "2x", "a"}, "invalid number of jobs '2x'"},
      {{"--jobs=", "a"}, "invalid number of jobs ''"},
      {{"--frobnicate", "a"}, "unrecognized option '--frobnicate'"},
      {{"-x", "a"}, "invalid option -- 'x'"},
      {{"--overwrite=yes", "a"},
       "option '--overwrite' doesn't allow an argument"},
      {{"-o", "", "a"}, "empty output folder"},
  };
  for (const Case& c : cases) {
    auto parsed = ParseCliOptions(c.args);
    ASSERT_FALSE(parsed.has_value()) << c.message;
    EXPECT_NE(parsed.error().Message().find(c.message), std::string::npos)
        << parsed.error().Message();
  }
  EXPECT_TRUE(ParseCliOptions({"--help"}).has_value());
  EXPECT_TRUE(ParseCliOptions({"--version"}).has_value());
}

}  // namespace
}  // namespace tovenrak::app
