// tovenrak-convert --ambiguities and --phrases: the listing's lines, which
// files are written, and a phrase file that cannot be read.

#include <gtest/gtest.h>

#include <sstream>

#include "../core/scratch_folder.h"
#include "app/cli_run.h"
#include "core/convert/default_converter.h"

namespace tovenrak::app {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

class CliAmbiguitiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto made = core::MakeDefaultConverter();
    ASSERT_TRUE(made.has_value());
    converter_ = std::move(*made);
    ScratchFolder::Write(dir_ / "a\x1b.txt", "第一行\n去干扰\n");
    ScratchFolder::Write(dir_ / "bad.txt", "# mine\n干扰 干擾\n");
  }

  // Runs with `args` and standard input `in`; returns standard output.
  std::string Run(std::vector<std::string> args, const std::string& in = "") {
    std::vector<std::string> all{"--ambiguities", "--to=utf-8",
                                 "--script=traditional"};
    all.insert(all.end(), args.begin(), args.end());
    auto options = ParseCliOptions(all, in.empty());
    EXPECT_TRUE(options.has_value());
    std::istringstream input(in);
    std::ostringstream out;
    CliStreams streams{input, out, err_};
    status_ = RunCli(*options, *converter_, streams);
    return out.str();
  }

  ScratchFolder dir_;
  std::unique_ptr<core::Converter> converter_;
  std::ostringstream err_;
  int status_ = -1;
};

TEST_F(CliAmbiguitiesTest, ListsPointsAndWritesFilesOnlyWithOutput) {
  const std::string file = (dir_ / "a\x1b.txt").string();
  const std::string listed = file.substr(0, file.size() - 5) + "\\x1B.txt";
  EXPECT_EQ(Run({file}), listed + ":2:2: 干 -> 幹 (幹 乾 干)\n");
  EXPECT_EQ(status_, 0);
  EXPECT_FALSE(fs::exists(dir_ / "out"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), {}), 2);

  EXPECT_EQ(Run({"-o", (dir_ / "out").string(), file}),
            listed + ":2:2: 干 -> 幹 (幹 乾 干)\n");
  EXPECT_EQ(ScratchFolder::Read(dir_ / "out" / "a\x1b.txt"),
            "第一行\n去幹擾\n");

  EXPECT_EQ(Run({}, "头发\n头发生"), "-:2:2: 发 -> 髮 (發 髮)\n");
}

TEST_F(CliAmbiguitiesTest, BadPhraseFileConvertsNothing) {
  EXPECT_EQ(Run({"--phrases", (dir_ / "bad.txt").string(), "-o",
                 (dir_ / "out").string(), (dir_ / "a\x1b.txt").string()}),
            "");
  EXPECT_EQ(status_, 1);
  EXPECT_EQ(err_.str(), "tovenrak-convert: " + (dir_ / "bad.txt").string() +
                            ": line 2: no tab between the phrase and its "
                            "replacement\n");
  EXPECT_FALSE(fs::exists(dir_ / "out"));
}

}  // namespace
}  // namespace tovenrak::app
