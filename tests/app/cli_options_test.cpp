// Parsing the converter's command line: each form of each option, and
// each misuse with its message.

#include "app/cli_options.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tovenrak::app {
namespace {

using core::Encoding, core::ScriptChoice, core::Variant;
using Named = std::optional<Encoding>;

TEST(CliOptionsTest, AcceptsLongShortAndAttachedForms) {
  using enum Encoding;
  using enum ScriptChoice;
  using enum Variant;
  constexpr std::nullopt_t kAuto = std::nullopt;
  struct Case {
    std::string args;
    Named from, to;
    ScriptChoice script;
    Variant variant;
    std::string output;
    unsigned jobs;
  } cases[] = {
      {"a.htm", kAuto, kAuto, kDefault, kTw, ".", 0},
      {"--to=big5 --from=UTF8 --script=keep --variant=hk --output=o --jobs=2 a",
       kUtf8, kBig5, kKeep, kHk, "o", 2},
      {"-t auto -f gb18030 -s Traditional -o d -j 4 a", kGb18030, kAuto,
       kTraditional, kTw, "d", 4},
      {"-tGB2312 -fbig5 -od -j1 --variant twp a", kBig5, kGbk, kDefault, kTwp,
       "d", 1},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args;
    std::istringstream words(c.args);
    for (std::string word; words >> word;) args.push_back(word);
    auto parsed = ParseCliOptions(args);
    ASSERT_TRUE(parsed.has_value()) << c.args;
    EXPECT_EQ(parsed->request.from, c.from) << c.args;
    EXPECT_EQ(parsed->request.to, c.to) << c.args;
    EXPECT_EQ(parsed->request.script, c.script) << c.args;
    EXPECT_EQ(parsed->request.variant, c.variant) << c.args;
    EXPECT_EQ(parsed->output_dir, c.output) << c.args;
    EXPECT_EQ(parsed->jobs, c.jobs) << c.args;
  }
}

TEST(CliOptionsTest, RejectsBadUsageAndKeepsInputsInOrder) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{}, "missing file operand"},
      {{"--to", "utf16", "a"}, "invalid argument 'utf16' for '--to'"},
      {{"-s", "both", "a"}, "invalid argument 'both' for '--script'"},
      {{"--to"}, "option '--to' requires an argument"},
      {{"-j", "0", "a"}, "invalid number of jobs '0'"},
      {{"--frobnicate", "a"}, "unrecognized option '--frobnicate'"},
      {{"-x", "a"}, "invalid option -- 'x'"},
      {{"--overwrite=yes", "a"},
       "option '--overwrite' doesn't allow an argument"},
      {{"-o", "", "a"}, "empty output folder"},
      {{"-o", "-", "a"}, "'-o -' names no folder"},
      {{"--ext=,.", "a"}, "empty extension list"},
      {{"--ext=htm txt", "a"}, "invalid extension 'htm txt'"},
      {{"--ext=*", "a"}, "invalid extension '*'"},
      {{"--ext=htm,*.?sp", "a"}, "invalid extension '?sp'"},
  };
  for (const Case& c : cases) {
    auto parsed = ParseCliOptions(c.args);
    ASSERT_FALSE(parsed.has_value()) << c.message;
    EXPECT_NE(parsed.error().Message().find(c.message), std::string::npos)
        << parsed.error().Message();
  }
  auto parsed =
      ParseCliOptions({"b.htm", "-", "--overwrite", "--", "-odd.htm", "a.htm"});
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->inputs,
            (std::vector<std::string>{"b.htm", "-", "-odd.htm", "a.htm"}));
  EXPECT_TRUE(parsed->overwrite);
  auto from_stdin = ParseCliOptions({"-rv"}, /*stdin_is_terminal=*/false);
  ASSERT_TRUE(from_stdin.has_value()) << from_stdin.error().Message();
  EXPECT_EQ(from_stdin->inputs, std::vector<std::string>{"-"});
  EXPECT_TRUE(from_stdin->recursive);
  auto spaced = ParseCliOptions({"--ext=htm, .TXT ,*.Asp;*.php", "a"});
  ASSERT_TRUE(spaced.has_value());
  EXPECT_EQ(spaced->extensions,
            (std::vector<std::string>{"htm", "txt", "asp", "php"}));
}

}  // namespace
}  // namespace tovenrak::app
