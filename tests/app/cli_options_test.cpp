#include "app/cli_options.h"

#include <gtest/gtest.h>

namespace tovenrak::app {
namespace {

using core::Encoding;
using core::ScriptChoice;
using core::Variant;
using Named = std::optional<Encoding>;

TEST(CliOptionsTest, AcceptsLongShortAndAttachedForms) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    Named from, to;
    ScriptChoice script;
    Variant variant;
    std::string output;
    unsigned jobs;
  } cases[] = {
      {"defaults",
       {"a.htm"},
       {},
       {},
       ScriptChoice::kDefault,
       Variant::kTw,
       ".",
       0},
      {"long with space",
       {"--to", "gb", "--output", "out", "--jobs", "3", "a"},
       {},
       Encoding::kGbk,
       ScriptChoice::kDefault,
       Variant::kTw,
       "out",
       3},
      {"long with equals",
       {"--to=big5", "--from=UTF8", "--script=keep", "--variant=hk",
        "--output=o", "--jobs=2", "a"},
       Encoding::kUtf8,
       Encoding::kBig5,
       ScriptChoice::kKeep,
       Variant::kHk,
       "o",
       2},
      {"short",
       {"-t", "auto", "-f", "gb18030", "-s", "Traditional", "-o", "d", "-j",
        "4", "a"},
       Encoding::kGb18030,
       {},
       ScriptChoice::kTraditional,
       Variant::kTw,
       "d",
       4},
      {"short attached and aliases",
       {"-tGB2312", "-fbig5", "-od", "-j1", "--variant", "twp", "a"},
       Encoding::kBig5,
       Encoding::kGbk,
       ScriptChoice::kDefault,
       Variant::kTwp,
       "d",
       1},
  };
  for (const Case& c : cases) {
    auto parsed = ParseCliOptions(c.args);
    ASSERT_TRUE(parsed.has_value())
        << c.name << ": " << parsed.error().Message();
    EXPECT_EQ(parsed->request.from, c.from) << c.name;
    EXPECT_EQ(parsed->request.to, c.to) << c.name;
    EXPECT_EQ(parsed->request.script, c.script) << c.name;
    EXPECT_EQ(parsed->request.variant, c.variant) << c.name;
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
      {{"--to", "utf16", "a"}, "invalid argument 'utf16' for '--to'"},
      {{"--from=latin1", "a"}, "invalid argument 'latin1' for '--from'"},
      {{"--variant", "cn", "a"}, "invalid argument 'cn' for '--variant'"},
      {{"--markup", "xml", "a"}, "invalid argument 'xml' for '--markup'"},
      {{"-s", "both", "a"}, "invalid argument 'both' for '--script'"},
      {{"--to"}, "option '--to' requires an argument"},
      {{"-j", "0", "a"}, "invalid number of jobs '0'"},
      {{"-j", "2x", "a"}, "invalid number of jobs '2x'"},
      {{"--jobs=", "a"}, "invalid number of jobs ''"},
      {{"--frobnicate", "a"}, "unrecognized option '--frobnicate'"},
      {{"-x", "a"}, "invalid option -- 'x'"},
      {{"--overwrite=yes", "a"},
       "option '--overwrite' doesn't allow an argument"},
      {{"-o", "", "a"}, "empty output folder"},
      {{"--ext=,.", "a"}, "empty extension list"},
      {{"-rx", "a"}, "invalid option -- 'x'"},
  };
  for (const Case& c : cases) {
    auto parsed = ParseCliOptions(c.args);
    ASSERT_FALSE(parsed.has_value()) << c.message;
    EXPECT_NE(parsed.error().Message().find(c.message), std::string::npos)
        << parsed.error().Message();
  }
  EXPECT_TRUE(ParseCliOptions({"--help"}).has_value());
  auto from_stdin = ParseCliOptions({"-rv"}, /*stdin_is_terminal=*/false);
  ASSERT_TRUE(from_stdin.has_value()) << from_stdin.error().Message();
  EXPECT_EQ(from_stdin->inputs, std::vector<std::string>{"-"});
  EXPECT_TRUE(from_stdin->recursive);
  EXPECT_TRUE(ParseCliOptions({"--version"}).has_value());
}

}  // namespace
}  // namespace tovenrak::app
