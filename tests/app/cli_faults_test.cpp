// tovenrak-convert on hostile input and failing folders: every bad file gets
// a report line, the exit status says that something failed, the other files
// still convert, no output is lost or half written, and memory stays within a
// small multiple of the file size.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>

#include "../core/scratch_folder.h"
#include "app/cli_run.h"
#include "core/convert/default_converter.h"

namespace tovenrak::app {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

// "頭髮" in GBK and in Big5.
const std::string kGbHair = "\xCD\xB7\xB7\xA2";
const std::string kBig5Hair = "\xC0\x59\xBE\x76";

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The report line of tovenrak-convert about `input`, or "".
std::string LineAbout(const std::string& report, const std::string& input) {
  std::istringstream lines(report);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("tovenrak-convert: " + input + ": ", 0) == 0) return line;
  }
  return "";
}

// One run of the program in a child process.
struct ProgramRun {
  int exit_status = -1;  // -1 when it did not exit by itself.
  std::string err;       // What it wrote to standard error.
  long peak_rss_mib = 0;
};

// Runs tovenrak-convert with `args`, standard input and output on the given
// files, and measures its peak resident memory. It is killed after
// `seconds`.
ProgramRun RunProgram(const std::vector<std::string>& args,
                      const fs::path& err_file,
                      const fs::path& in = "/dev/null",
                      const fs::path& out = "/dev/null",
                      unsigned seconds = 300) {
  std::vector<std::string> argv_strings = {TOVENRAK_CONVERT};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : argv_strings) argv.push_back(s.data());
  argv.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid == 0) {
    const int in_fd = ::open(in.c_str(), O_RDONLY);
    const int out_fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err_fd =
        ::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in_fd < 0 || out_fd < 0 || err_fd < 0) ::_exit(126);
    ::dup2(in_fd, 0);
    ::dup2(out_fd, 1);
    ::dup2(err_fd, 2);
    ::alarm(seconds);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ProgramRun run;
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  if (WIFEXITED(status)) run.exit_status = WEXITSTATUS(status);
  run.peak_rss_mib = usage.ru_maxrss / 1024;
  run.err = ScratchFolder::Read(err_file);
  return run;
}

// Writes `size` bytes of `byte` to `path` without holding them in memory.
void WriteRepeated(const fs::path& path, char byte, size_t size) {
  std::ofstream out(path, std::ios::binary);
  const std::string chunk(1 << 20, byte);
  for (size_t left = size; left > 0;) {
    const size_t n = std::min(left, chunk.size());
    out.write(chunk.data(), static_cast<std::streamsize>(n));
    left -= n;
  }
}

// True when the file at `path` is `size` bytes of `pattern` repeated.
bool HoldsRepeated(const fs::path& path, const std::string& pattern,
                   size_t size) {
  std::error_code ec;
  if (fs::file_size(path, ec) != size || ec) return false;
  std::ifstream in(path, std::ios::binary);
  std::string expected;
  while (expected.size() < (1 << 20)) expected += pattern;
  expected.resize((1 << 20) / pattern.size() * pattern.size());
  std::string chunk(expected.size(), '\0');
  for (size_t left = size; left > 0;) {
    const size_t n = std::min(left, chunk.size());
    in.read(chunk.data(), static_cast<std::streamsize>(n));
    if (!in || chunk.compare(0, n, expected, 0, n) != 0) return false;
    left -= n;
  }
  return true;
}

class CliFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "in");
    fs::create_directories(dir_ / "out");
  }
  std::string Input(const std::string& name, const std::string& bytes) {
    ScratchFolder::Write(dir_ / "in" / name, bytes);
    return (dir_ / "in" / name).string();
  }
  // Runs RunCli in this process, with standard error kept in err_.
  int RunInProcess(const core::Converter& converter,
                   const std::vector<std::string>& args) {
    auto options = ParseCliOptions(args);
    EXPECT_TRUE(options.has_value());
    std::istringstream in;
    std::ostringstream out;
    err_.str("");
    CliStreams streams{in, out, err_, false};
    return RunCli(*options, converter, streams);
  }
  static const core::Converter& Product() {
    static const core::Converter* converter = [] {
      auto made = core::MakeDefaultConverter();
      EXPECT_TRUE(made.has_value()) << made.error().Message();
      return made.has_value() ? made.value().release() : nullptr;
    }();
    return *converter;
  }
  void ReportMemory(const std::string& what, size_t file_mib,
                    const ProgramRun& run) {
    std::cout << "[ memory   ] " << what << ": " << file_mib
              << " MiB file, peak RSS " << run.peak_rss_mib << " MiB\n";
    RecordProperty(what + " peak RSS MiB", std::to_string(run.peak_rss_mib));
  }

  ScratchFolder dir_;
  std::ostringstream err_;
};

TEST_F(CliFaultTest, EachBadInputIsReportedAndTheOthersConvert) {
  std::mt19937 rng(20261206);
  std::string binary(64 * 1024, '\0');
  for (char& b : binary) b = static_cast<char>(rng() % 4 ? rng() : 0);
  const std::string good = Input("good.htm", kGbHair);
  const std::string empty = Input("empty.txt", "");
  const std::string bin = Input("image.png", binary);
  fs::create_directory(dir_ / "in" / "folder.htm");
  ASSERT_EQ(::mkfifo((dir_ / "in" / "pipe.htm").c_str(), 0644), 0);

  struct Case {
    const char* name;
    std::string input;
    std::string report;  // Expected in the file's report line; "" if none.
  } cases[] = {
      {"a good file converts", good, ""},
      {"an empty file converts to an empty file", empty, ""},
      {"a binary file converts, its odd bytes kept", bin, ""},
      {"a missing file", (dir_ / "in" / "missing.htm").string(),
       std::strerror(ENOENT)},
      {"a folder", (dir_ / "in" / "folder.htm").string(),
       std::strerror(EISDIR)},
      {"a named pipe", (dir_ / "in" / "pipe.htm").string(),
       "not a regular file"},
      {"a device", "/dev/zero", "not a regular file"},
  };
  std::vector<std::string> args = {"-o", (dir_ / "out").string()};
  for (const Case& c : cases) args.push_back(c.input);
  const ProgramRun run = RunProgram(args, dir_ / "err.txt", "/dev/null",
                                    "/dev/null", /*seconds=*/60);

  EXPECT_EQ(run.exit_status, 1) << run.err;
  for (const Case& c : cases) {
    const std::string line = LineAbout(run.err, c.input);
    if (c.report.empty()) {
      EXPECT_EQ(line, "") << c.name;
      EXPECT_TRUE(fs::exists(dir_ / "out" / fs::path(c.input).filename()))
          << c.name;
    } else {
      EXPECT_TRUE(Contains(line, c.report)) << c.name << "\n" << run.err;
    }
  }
  EXPECT_TRUE(Contains(run.err, "3 files converted, 4 failed")) << run.err;
  EXPECT_EQ(ScratchFolder::Read(dir_ / "out" / "good.htm"), kBig5Hair);
  EXPECT_EQ(ScratchFolder::Read(dir_ / "out" / "empty.txt"), "");
  EXPECT_EQ(ScratchFolder::Read(bin), binary);
  EXPECT_EQ(ScratchFolder::Names(dir_ / "out"),
            (std::vector<std::string>{"empty.txt", "good.htm", "image.png"}));
}

// Converts with the product's converter; its first call deletes `victim`, as
// another program might while a run is under way.
class DeletingConverter : public core::Converter {
 public:
  DeletingConverter(const core::Converter& inner, fs::path victim)
      : inner_(inner), victim_(std::move(victim)) {}
  core::Status Convert(std::u32string_view text, core::ScriptConversion how,
                       std::u32string& out) const override {
    fs::remove(victim_);
    return inner_.Convert(text, how, out);
  }

 private:
  const core::Converter& inner_;
  const fs::path victim_;
};

TEST_F(CliFaultTest, SourceDeletedDuringTheRunIsReported) {
  const std::string first = Input("a.htm", kGbHair);
  const std::string second = Input("b.htm", kGbHair);
  ScratchFolder::Write(dir_ / "out" / "b.htm", "old b");
  DeletingConverter converter(Product(), second);

  EXPECT_EQ(RunInProcess(converter, {"-j", "1", "-o", (dir_ / "out").string(),
                                     first, second}),
            1);
  EXPECT_TRUE(Contains(err_.str(), "tovenrak-convert: " + second + ": " +
                                       std::strerror(ENOENT) + "\n"))
      << err_.str();
  EXPECT_TRUE(Contains(err_.str(), "1 file converted, 1 failed"));
  EXPECT_EQ(ScratchFolder::Read(dir_ / "out" / "a.htm"), kBig5Hair);
  EXPECT_EQ(ScratchFolder::Read(dir_ / "out" / "b.htm"), "old b");
}

TEST_F(CliFaultTest, FullOutputDeviceFailsOnlyWhatDoesNotFit) {
  const fs::path device = dir_ / "device";
  if (!dir_.MountSmallDevice(device, 64 * 1024))
    GTEST_SKIP() << "cannot mount a small file system here (needs root)";
  ScratchFolder::Write(device / "big.htm", "old big");
  const std::string small = Input("small.htm", kGbHair);
  const std::string big = Input("big.htm", std::string(200 * 1024, 'x'));
  const std::string other = Input("other.htm", kGbHair + kGbHair);

  EXPECT_EQ(RunInProcess(Product(),
                         {"-j", "1", "-o", device.string(), small, big, other}),
            1);
  EXPECT_TRUE(Contains(err_.str(), big + ": ")) << err_.str();
  EXPECT_TRUE(Contains(err_.str(), std::strerror(ENOSPC))) << err_.str();
  EXPECT_TRUE(Contains(err_.str(), "2 files converted, 1 failed"));
  EXPECT_EQ(ScratchFolder::Read(device / "big.htm"), "old big");
  EXPECT_EQ(ScratchFolder::Read(device / "small.htm"), kBig5Hair);
  EXPECT_EQ(ScratchFolder::Read(device / "other.htm"), kBig5Hair + kBig5Hair);
  EXPECT_EQ(ScratchFolder::Names(device),
            (std::vector<std::string>{"big.htm", "other.htm", "small.htm"}));
}

TEST_F(CliFaultTest, ReadOnlyOutputFolderFailsEachFileAndKeepsOldOutputs) {
  ScratchFolder::Write(dir_ / "out" / "a.htm", "old a");
  const std::string a = Input("a.htm", kGbHair);
  const std::string b = Input("b.htm", kGbHair);
  if (!dir_.MakeReadOnly(dir_ / "out"))
    GTEST_SKIP() << "no way to make a folder read-only here";

  EXPECT_EQ(RunInProcess(Product(), {"-o", (dir_ / "out").string(), a, b}), 1);
  EXPECT_TRUE(Contains(err_.str(), a + ": ")) << err_.str();
  EXPECT_TRUE(Contains(err_.str(), b + ": ")) << err_.str();
  EXPECT_TRUE(Contains(err_.str(), "0 files converted, 2 failed"));
  EXPECT_EQ(ScratchFolder::Names(dir_ / "out"),
            std::vector<std::string>{"a.htm"});
  EXPECT_EQ(ScratchFolder::Read(dir_ / "out" / "a.htm"), "old a");
}

TEST_F(CliFaultTest, StandardOutputOnAFullDeviceIsReported) {
  const std::string page = Input("page.htm", kGbHair);
  const ProgramRun run = RunProgram({"-"}, dir_ / "err.txt", page, "/dev/full");
  EXPECT_EQ(run.exit_status, 1) << run.err;
  EXPECT_TRUE(Contains(run.err, "-: cannot write standard output")) << run.err;
  EXPECT_TRUE(Contains(run.err, "0 files converted, 1 failed")) << run.err;
}

TEST_F(CliFaultTest, FileOverTheSizeLimitIsRefusedWithoutReadingIt) {
  // A sparse file: large on paper, no disk space or time to make.
  const fs::path huge = dir_ / "in" / "huge.htm";
  ScratchFolder::Write(huge, "");
  fs::resize_file(huge, core::kMaxDocumentBytes + 1);
  const ProgramRun run = RunProgram(
      {"-o", (dir_ / "out").string(), huge.string()}, dir_ / "err.txt");
  EXPECT_EQ(run.exit_status, 1) << run.err;
  EXPECT_TRUE(Contains(run.err, "huge.htm: file is larger than 1536 MiB"))
      << run.err;
  EXPECT_FALSE(fs::exists(dir_ / "out" / "huge.htm"));
  EXPECT_LT(run.peak_rss_mib, 200);
}

TEST_F(CliFaultTest, OneLineOf100MiBConvertsInBoundedMemory) {
  // GB text with markup and no line break: a declaration, then a long
  // stretch of "<b>头发</b>以后 " repeated.
  const size_t size = size_t{100} << 20;
  const std::string head =
      "<meta content=\"text/html; charset=gb2312\" http-equiv=Content-Type>";
  const std::string piece = "<b>" + kGbHair + "</b>\xD2\xD4\xBA\xF3 ";  // 以后
  const std::string big5_piece = "<b>" + kBig5Hair + "</b>\xA5\x48\xAB\xE1 ";
  {
    std::ofstream out(dir_ / "in" / "line.htm", std::ios::binary);
    out << head;
    for (size_t n = head.size(); n < size; n += piece.size()) out << piece;
  }
  const size_t in_size = fs::file_size(dir_ / "in" / "line.htm");

  const ProgramRun run = RunProgram(
      {"-o", (dir_ / "out").string(), (dir_ / "in" / "line.htm").string()},
      dir_ / "err.txt");
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_TRUE(Contains(run.err, "1 file converted, 0 failed")) << run.err;
  const std::string out = ScratchFolder::Read(dir_ / "out" / "line.htm");
  ASSERT_EQ(out.size(), in_size - 2);  // "gb2312" became "big5".
  EXPECT_EQ(out.rfind("<meta content=\"text/html; charset=big5\" "
                      "http-equiv=Content-Type>" +
                          big5_piece + big5_piece,
                      0),
            0u);
  EXPECT_EQ(out.compare(out.size() - big5_piece.size(), big5_piece.size(),
                        big5_piece),
            0);
  ReportMemory("one line of 100 MiB", in_size >> 20, run);
  // Address sanitizer keeps freed memory in quarantine and adds its shadow,
  // so the bound holds only for the normal build.
  if (!kSanitized) {
    EXPECT_LT(run.peak_rss_mib, 4 * (in_size >> 20));
  }
}

// 1 GiB files take about a minute each to write, convert and check; they run
// when TOVENRAK_HEAVY_TESTS=1.
TEST_F(CliFaultTest, OneGiBOfOneRepeatedByteConvertsInBoundedMemory) {
  const char* heavy = std::getenv("TOVENRAK_HEAVY_TESTS");
  if (heavy == nullptr || std::string(heavy) != "1")
    GTEST_SKIP() << "set TOVENRAK_HEAVY_TESTS=1 to convert 1 GiB files";
  const size_t size = size_t{1} << 30;
  struct Case {
    const char* name;
    char byte;
    std::string output_pattern;
  } cases[] = {
      {"ASCII letters stay", 'a', "a"},
      {"0xFF bytes are invalid and stay", '\xFF', "\xFF"},
      // 0xA4A4 is "い" in GBK; its Big5 code is 0xC6EA.
      {"0xA4 pairs convert", '\xA4', "\xC6\xEA"},
  };
  for (const Case& c : cases) {
    const fs::path input = dir_ / "in" / "one-byte.txt";
    const fs::path output = dir_ / "out" / "one-byte.txt";
    WriteRepeated(input, c.byte, size);
    const ProgramRun run =
        RunProgram({"-o", (dir_ / "out").string(), input.string()},
                   dir_ / "err.txt", "/dev/null", "/dev/null", 900);
    EXPECT_EQ(run.exit_status, 0) << c.name << "\n" << run.err;
    EXPECT_TRUE(HoldsRepeated(output, c.output_pattern, size)) << c.name;
    ReportMemory(std::string("1 GiB: ") + c.name, size >> 20, run);
    if (!kSanitized) {
      EXPECT_LT(run.peak_rss_mib, 4 * (size >> 20)) << c.name;
    }
    fs::remove(input);
    fs::remove(output);
  }
}

}  // namespace
}  // namespace tovenrak::app
