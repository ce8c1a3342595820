#include "app/cli_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/convert/default_converter.h"
#include "core/io/file_io.h"

namespace tovenrak::app {
namespace {

namespace fs = std::filesystem;

// "頭髮" in Big5 and "头发" in GBK.
const std::string kBig5Hair = "\xC0\x59\xBE\x76";
const std::string kGbHair = "\xCD\xB7\xB7\xA2";

class CliRunTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tovenrak-cli-" + std::to_string(::getpid()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "in");
    fs::create_directories(dir_ / "out");
    auto made = core::MakeDefaultConverter();
    ASSERT_TRUE(made.has_value()) << made.error().Message();
    converter_ = std::move(made.value());
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_ / "in" / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  static std::string Read(const fs::path& path) {
    auto bytes = core::ReadDocument(path);
    return bytes.has_value() ? *bytes : "<missing>";
  }
  int Run(std::vector<std::string> args, const std::string& input = "") {
    auto options = ParseCliOptions(args);
    EXPECT_TRUE(options.has_value());
    std::istringstream in(input);
    out_.str("");
    err_.str("");
    CliStreams streams{in, out_, err_, false};
    return RunCli(*options, *converter_, streams);
  }

  fs::path dir_;
  std::unique_ptr<core::Converter> converter_;
  std::ostringstream out_, err_;
};

TEST_F(CliRunTest, ConvertsEachFileTheWayItsTextSays) {
  const std::string big5 = Write("a.htm", "<meta charset=big5>" + kBig5Hair);
  const std::string gb = Write("b.htm", "<meta charset=\"gb2312\">" + kGbHair);
  const std::string plain = Write("c.txt", kGbHair + "\n");
  EXPECT_EQ(Run({"-o", (dir_ / "out").string(), big5, gb, plain}), 0)
      << err_.str();
  EXPECT_EQ(Read(dir_ / "out" / "a.htm"), "<meta charset=gb2312>" + kGbHair);
  EXPECT_EQ(Read(dir_ / "out" / "b.htm"),
            "<meta charset=\"big5\">" + kBig5Hair);
  EXPECT_EQ(Read(dir_ / "out" / "c.txt"), kBig5Hair + "\n");
  EXPECT_NE(err_.str().find("3 files converted, 0 failed"), std::string::npos)
      << err_.str();
}

TEST_F(CliRunTest, ForcedDirectionIgnoresDetection) {
  const std::string file = Write("a.htm", kBig5Hair);
  EXPECT_EQ(Run({"--to", "gb", "-o", (dir_ / "out").string(), file}), 0);
  EXPECT_EQ(Read(dir_ / "out" / "a.htm"), kGbHair);
}

TEST_F(CliRunTest, NeverWritesOverAnInputUnlessAsked) {
  const std::string file = Write("a.htm", kGbHair);
  EXPECT_EQ(Run({"-o", (dir_ / "in").string(), file}), 1);
  EXPECT_EQ(Read(file), kGbHair);
  EXPECT_NE(err_.str().find("would write over input file"), std::string::npos)
      << err_.str();

  // The default output folder is the current one: converting a file there.
  const fs::path cwd = fs::current_path();
  fs::current_path(dir_ / "in");
  EXPECT_EQ(Run({"a.htm"}), 1);
  fs::current_path(cwd);
  EXPECT_EQ(Read(file), kGbHair);

  EXPECT_EQ(Run({"--overwrite", "-o", (dir_ / "in").string(), file}), 0);
  EXPECT_EQ(Read(file), kBig5Hair);
}

TEST_F(CliRunTest, TwoInputsWithOneNameDoNotOverwriteEachOther) {
  const std::string first = Write("x/page.htm", kGbHair);
  const std::string second = Write("y/page.htm", "plain");
  EXPECT_EQ(Run({"-o", (dir_ / "out").string(), first, second}), 1);
  EXPECT_EQ(Read(dir_ / "out" / "page.htm"), kBig5Hair);
  EXPECT_NE(err_.str().find(second + ": has the same name as '" + first + "'"),
            std::string::npos)
      << err_.str();
}

TEST_F(CliRunTest, ReportsFailedFilesAndConvertsTheRest) {
  const std::string good = Write("good.htm", kGbHair);
  const std::string missing = (dir_ / "in" / "missing.htm").string();
  fs::create_directories(dir_ / "out" /
                         "folder.htm");  // A folder where a file would go.
  const std::string blocked = Write("folder.htm", "x");
  EXPECT_EQ(
      Run({"-j", "2", "-o", (dir_ / "out").string(), missing, good, blocked}),
      1);
  EXPECT_EQ(Read(dir_ / "out" / "good.htm"), kBig5Hair);
  EXPECT_TRUE(fs::is_directory(dir_ / "out" / "folder.htm"));
  const std::string report = err_.str();
  EXPECT_NE(report.find(missing + ": "), std::string::npos) << report;
  EXPECT_EQ(report.find(missing + ": " + missing), std::string::npos) << report;
  EXPECT_NE(report.find(blocked + ": "), std::string::npos) << report;
  EXPECT_NE(report.find("1 file converted, 2 failed"), std::string::npos)
      << report;
}

TEST_F(CliRunTest, MissingOutputFolderIsReportedOnce) {
  const std::string file = Write("a.htm", kGbHair);
  EXPECT_EQ(Run({"-o", (dir_ / "nowhere").string(), file}), 1);
  EXPECT_NE(err_.str().find("does not exist"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "nowhere"));
}

TEST_F(CliRunTest, ConvertsStandardInputToStandardOutput) {
  EXPECT_EQ(Run({"-"}, "<p>" + kBig5Hair + "</p> big5 \xFF"), 0);
  EXPECT_EQ(out_.str(), "<p>" + kGbHair + "</p> big5 \xFF");
  EXPECT_NE(err_.str().find("1 invalid byte sequences passed through"),
            std::string::npos)
      << err_.str();
}

TEST_F(CliRunTest, ManyFilesInParallelAllArrive) {
  std::vector<std::string> args = {"-j", "4", "-o", (dir_ / "out").string()};
  for (int i = 0; i < 60; ++i)
    args.push_back(Write(std::to_string(i) + ".htm", kGbHair));
  EXPECT_EQ(Run(args), 0);
  for (int i = 0; i < 60; ++i) {
    EXPECT_EQ(Read(dir_ / "out" / (std::to_string(i) + ".htm")), kBig5Hair)
        << i;
  }
}

// The program itself: exit statuses, help, and a pipe through standard input.
TEST(CliProgramTest, ExitStatusesHelpAndPipe) {
  const std::string program = TOVENRAK_CONVERT;
  auto status = [](const std::string& command) {
    return WEXITSTATUS(std::system((command + " >/dev/null 2>&1").c_str()));
  };
  EXPECT_EQ(status(program + " --help"), 0);
  EXPECT_EQ(status(program + " --bogus x"), 2);
  EXPECT_EQ(status(program), 2);
  EXPECT_EQ(status(program + " -o /tmp /nonexistent/tovenrak.htm"), 1);

  FILE* pipe = ::popen(
      ("printf 'big5 \\300\\131' | " + program + " - 2>/dev/null").c_str(),
      "r");
  ASSERT_NE(pipe, nullptr);
  char buffer[64] = {};
  const size_t n = std::fread(buffer, 1, sizeof buffer, pipe);
  EXPECT_EQ(WEXITSTATUS(::pclose(pipe)), 0);
  EXPECT_EQ(std::string(buffer, n), "big5 \xCD\xB7");

  FILE* help = ::popen((program + " --help").c_str(), "r");
  ASSERT_NE(help, nullptr);
  char text[256] = {};
  std::fread(text, 1, sizeof text - 1, help);
  ::pclose(help);
  EXPECT_EQ(
      std::string(text).rfind("Usage: tovenrak-convert [OPTION]... FILE...", 0),
      0u);
}

}  // namespace
}  // namespace tovenrak::app
