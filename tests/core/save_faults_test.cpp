// Saving and converting when the file system fails: a target folder that is
// missing, read-only or full, a write cut short, a save killed midway, a
// source that is gone or never ends. The old file always stays whole, no
// half-written file is left under the target's name, and the error names the
// file and the reason.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "core/convert/default_converter.h"
#include "core/convert_document.h"
#include "core/io/file_io.h"
#include "scratch_folder.h"

namespace tovenrak::core {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

// "頭髮" in GBK; converting it gives Big5.
const std::string kGbHair = "\xCD\xB7\xB7\xA2";

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// What a child process said through its pipe, and how it ended.
struct ChildResult {
  int status = 0;
  std::string said;
};

// Runs `body` in a child process and returns what it returned as its
// message. The child dies after `seconds`, so a call that blocks cannot hang
// the test.
template <typename Body>
ChildResult RunInChild(Body body, unsigned seconds = 20) {
  int fds[2];
  if (::pipe(fds) != 0) return {-1, "no pipe"};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    ::alarm(seconds);
    const std::string said = body();
    (void)!::write(fds[1], said.data(), said.size());
    ::_exit(0);
  }
  ::close(fds[1]);
  ChildResult result;
  char buffer[512];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
    result.said.append(buffer, static_cast<size_t>(n));
  ::close(fds[0]);
  ::waitpid(pid, &result.status, 0);
  return result;
}

std::string Describe(const Status& status) {
  return status ? "saved" : status.error().Message();
}

class SaveFaultTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto made = MakeDefaultConverter();
    ASSERT_TRUE(made.has_value()) << made.error().Message();
    converter_ = std::move(made.value()).release();
  }
  static void TearDownTestSuite() {
    delete converter_;
    converter_ = nullptr;
  }

  ScratchFolder dir_;
  static Converter* converter_;
};

Converter* SaveFaultTest::converter_ = nullptr;

TEST_F(SaveFaultTest, MissingTargetFolderWritesNothing) {
  ScratchFolder::Write(dir_ / "in.htm", kGbHair);
  auto done = ConvertFile(*converter_, dir_ / "in.htm",
                          dir_ / "missing" / "in.htm", ConversionRequest{});
  ASSERT_FALSE(done.has_value());
  EXPECT_EQ(done.error().code, ErrorCode::kNotFound);
  EXPECT_TRUE(Contains(done.error().Message(), "missing"))
      << done.error().Message();
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
  EXPECT_EQ(ScratchFolder::Read(dir_ / "in.htm"), kGbHair);
}

TEST_F(SaveFaultTest, ReadOnlyTargetFolderKeepsTheOldFile) {
  fs::create_directory(dir_ / "out");
  ScratchFolder::Write(dir_ / "in.htm", kGbHair);
  ScratchFolder::Write(dir_ / "out" / "in.htm", "old output");
  if (!dir_.MakeReadOnly(dir_ / "out"))
    GTEST_SKIP() << "no way to make a folder read-only here";

  auto done = ConvertFile(*converter_, dir_ / "in.htm", dir_ / "out" / "in.htm",
                          ConversionRequest{});
  ASSERT_FALSE(done.has_value());
  EXPECT_EQ(done.error().code, ErrorCode::kNotWritable);
  EXPECT_TRUE(Contains(done.error().Message(), "in.htm"))
      << done.error().Message();
  EXPECT_EQ(ScratchFolder::Read(dir_ / "out" / "in.htm"), "old output");
  EXPECT_EQ(ScratchFolder::Names(dir_ / "out"),
            std::vector<std::string>{"in.htm"});
}

TEST_F(SaveFaultTest, FullDeviceKeepsTheOldFileAndFreesWhatItUsed) {
  const fs::path device = dir_ / "device";
  if (!dir_.MountSmallDevice(device, 64 * 1024))
    GTEST_SKIP() << "cannot mount a small file system here (needs root)";
  ScratchFolder::Write(device / "page.htm", "old page");

  const Status saved =
      SaveDocument(device / "page.htm", std::string(200 * 1024, 'x'));
  ASSERT_FALSE(saved.has_value());
  EXPECT_EQ(saved.error().code, ErrorCode::kNotWritable);
  EXPECT_TRUE(Contains(saved.error().Message(), "page.htm"));
  EXPECT_TRUE(Contains(saved.error().Message(), std::strerror(ENOSPC)))
      << saved.error().Message();
  EXPECT_EQ(ScratchFolder::Read(device / "page.htm"), "old page");
  EXPECT_EQ(ScratchFolder::Names(device), std::vector<std::string>{"page.htm"});

  // The same through the per-file rule, and the space the failed saves took
  // is free again: a small save fits.
  ScratchFolder::Write(dir_ / "big.htm", std::string(200 * 1024, 'y'));
  auto done = ConvertFile(*converter_, dir_ / "big.htm", device / "page.htm",
                          ConversionRequest{});
  ASSERT_FALSE(done.has_value());
  EXPECT_TRUE(Contains(done.error().Message(), std::strerror(ENOSPC)));
  EXPECT_EQ(ScratchFolder::Read(device / "page.htm"), "old page");
  EXPECT_TRUE(SaveDocument(device / "page.htm", "new page").has_value());
  EXPECT_EQ(ScratchFolder::Read(device / "page.htm"), "new page");
}

TEST_F(SaveFaultTest, WriteCutShortKeepsTheOldFile) {
  // A file size limit makes write() stop partway and then fail, as a device
  // error would: the fault lands in the middle of the write loop.
  ScratchFolder::Write(dir_ / "page.htm", "old page");
  const fs::path page = dir_ / "page.htm";
  const ChildResult child = RunInChild([&page] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 * 1024, 64 * 1024};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    return Describe(SaveDocument(page, std::string(1 << 20, 'x')));
  });
  ASSERT_TRUE(WIFEXITED(child.status)) << child.status;
  EXPECT_TRUE(Contains(child.said, "page.htm")) << child.said;
  EXPECT_TRUE(Contains(child.said, std::strerror(EFBIG))) << child.said;
  EXPECT_EQ(ScratchFolder::Read(page), "old page");
  EXPECT_EQ(ScratchFolder::Names(dir_.path()),
            std::vector<std::string>{"page.htm"});
}

TEST_F(SaveFaultTest, SaveKilledMidwayKeepsTheOldFile) {
  const fs::path page = dir_ / "page.htm";
  ScratchFolder::Write(page, "old page");
  const size_t size = size_t{256} << 20;
  const pid_t pid = ::fork();
  if (pid == 0) {
    (void)SaveDocument(page, std::string(size, 'x'));
    ::_exit(0);
  }

  // Kill the child once its temporary file holds part of the new text.
  bool caught_midway = false;
  for (int i = 0; i < 20000 && !caught_midway; ++i) {
    for (const auto& entry : fs::directory_iterator(dir_.path())) {
      std::error_code ec;
      const auto written = fs::file_size(entry.path(), ec);
      if (entry.path() != page && !ec && written > 0 && written < size) {
        caught_midway = true;
        break;
      }
    }
    if (!caught_midway)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ::kill(pid, SIGKILL);
  int status;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(caught_midway) << "the save was never seen midway";

  EXPECT_EQ(ScratchFolder::Read(page), "old page");
  // All that is left of the killed save is its hidden temporary file.
  for (const std::string& name : ScratchFolder::Names(dir_.path())) {
    if (name != "page.htm") {
      EXPECT_EQ(name.rfind(".page.htm.tovenrak-", 0), 0u) << name;
    }
  }
}

TEST_F(SaveFaultTest, SourceGoneLeavesTheOldOutput) {
  ScratchFolder::Write(dir_ / "out.htm", "old output");
  auto done = ConvertFile(*converter_, dir_ / "gone.htm", dir_ / "out.htm",
                          ConversionRequest{});
  ASSERT_FALSE(done.has_value());
  EXPECT_EQ(done.error().code, ErrorCode::kNotFound);
  EXPECT_TRUE(Contains(done.error().Message(), "gone.htm"));
  EXPECT_EQ(ScratchFolder::Read(dir_ / "out.htm"), "old output");
}

TEST_F(SaveFaultTest, SourceThatNeverEndsIsRefusedWithoutWaiting) {
  // Opening a named pipe for reading waits for a writer that never comes.
  ASSERT_EQ(::mkfifo((dir_ / "pipe.htm").c_str(), 0644), 0);
  const fs::path pipe = dir_ / "pipe.htm";
  const ChildResult child = RunInChild(
      [&pipe] {
        auto read = ReadDocument(pipe);
        return read.has_value() ? std::string("read") : read.error().Message();
      },
      5);
  ASSERT_TRUE(WIFEXITED(child.status)) << "reading a named pipe blocked";
  EXPECT_TRUE(Contains(child.said, "pipe.htm: not a regular file"))
      << child.said;
}

}  // namespace
}  // namespace tovenrak::core
