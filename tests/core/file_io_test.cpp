// Reading and saving against the real file system and its faults: missing,
// read-only and full folders, things that are not files, memory running out
// and saves killed midway. The old file always stays whole, no temporary is
// left, and the error names the file concerned.

#include "core/io/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "core/io/replacement_file.h"
#include "in_child.h"
#include "scratch_folder.h"

namespace tovenrak::core {
namespace {

namespace fs = std::filesystem;
using testing::InChild;
using testing::ScratchFolder;

class FileIoTest : public ::testing::Test {
 protected:
  ScratchFolder dir_;
};

TEST_F(FileIoTest, SaveThenReadGivesTheSameBytes) {
  // The longest valid name: the temporary's name used to be 17 bytes longer.
  const fs::path file = dir_ / std::string(255, 'n');
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  for (const std::string& text : {bytes, std::string()}) {
    ASSERT_TRUE(SaveDocument(file, text)) << text.size();
    EXPECT_EQ(ScratchFolder::Read(file), text);
  }
}

TEST_F(FileIoTest, ReadRefusesWhatIsNoDocument) {
  ASSERT_EQ(::mkfifo((dir_ / "pipe").c_str(), 0644), 0);
  ScratchFolder::Write(dir_ / "big.txt", std::string(100, 'x'));
  struct Case {
    const char* name;
    fs::path path;
    uint64_t max_bytes;
    ErrorCode code;
  } cases[] = {
      {"missing", dir_ / "missing.htm", kMaxDocumentBytes,
       ErrorCode::kNotFound},
      {"a folder", dir_.path(), kMaxDocumentBytes, ErrorCode::kUnreadable},
      // Opening a pipe for reading would wait for a writer forever.
      {"a pipe", dir_ / "pipe", kMaxDocumentBytes, ErrorCode::kUnreadable},
      {"over the limit", dir_ / "big.txt", 99, ErrorCode::kTooLarge},
  };
  for (const Case& c : cases) {
    auto read = ReadDocument(c.path, c.max_bytes);
    ASSERT_FALSE(read.has_value()) << c.name;
    EXPECT_EQ(read.error().code, c.code) << c.name;
    EXPECT_EQ(read.error().path, c.path.string()) << c.name;
  }
  EXPECT_TRUE(ReadDocument(dir_ / "big.txt", 100).has_value());
}

TEST_F(FileIoTest, ReadWithoutMemoryForTheFileIsTooLarge) {
  // Used to end the process with an uncaught std::bad_alloc.
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer ends the process when memory runs out";
#endif
  const fs::path page = dir_ / "page.htm";
  ScratchFolder::Write(page, "");
  fs::resize_file(page, 512 << 20);
  const auto child = InChild([&page] {
    // Room for 64 MiB more than the process holds now.
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("VmSize:", 0) == 0) {
        const rlim_t room = (std::stoul(line.substr(7)) << 10) + (64 << 20);
        const rlimit limit{room, room};
        ::setrlimit(RLIMIT_AS, &limit);
      }
    }
    auto read = ReadDocument(page);
    return read ? std::string("read")
                : std::to_string(static_cast<int>(read.error().code)) + " " +
                      read.error().Message();
  });
  EXPECT_EQ(child.said, std::to_string(static_cast<int>(ErrorCode::kTooLarge)) +
                            " " + page.string() +
                            ": not enough memory to read it");
}

TEST_F(FileIoTest, SaveRefusesTargetsThatAreNoFile) {
  fs::create_directory(dir_ / "folder");
  ASSERT_EQ(::mkfifo((dir_ / "pipe").c_str(), 0644), 0);
  struct Case {
    const char* name;
    fs::path path;
    ErrorCode code;
  } cases[] = {
      {"missing folder", dir_ / "no" / "page.htm", ErrorCode::kNotFound},
      {"a folder", dir_ / "folder", ErrorCode::kNotWritable},
      {"a pipe", dir_ / "pipe", ErrorCode::kNotWritable},
      {"a name too long", dir_ / std::string(256, 'n'),
       ErrorCode::kNotWritable},
  };
  for (const Case& c : cases) {
    const Status saved = SaveDocument(c.path, "x");
    ASSERT_FALSE(saved.has_value()) << c.name;
    EXPECT_EQ(saved.error().code, c.code) << c.name;
    EXPECT_EQ(saved.error().path, c.path.string()) << c.name;
  }
  EXPECT_TRUE(fs::is_directory(dir_ / "folder"));
  EXPECT_TRUE(fs::is_fifo(dir_ / "pipe"));
  EXPECT_EQ(ScratchFolder::Names(dir_.path()),
            (std::vector<std::string>{"folder", "pipe"}));
}

TEST_F(FileIoTest, FailedSavesKeepTheOldFileAndLeaveNothing) {
  const fs::path full = dir_ / "full", read_only = dir_ / "read-only";
  if (!dir_.MountSmallDevice(full, 64 * 1024))
    GTEST_SKIP() << "cannot mount a small file system here (needs root)";
  fs::create_directory(read_only);
  for (const fs::path& folder : {full, read_only})
    ScratchFolder::Write(folder / "page.htm", "old page");
  ASSERT_TRUE(dir_.MakeReadOnly(read_only));
  struct Case {
    const char* name;
    fs::path folder;
    int err;
  } cases[] = {
      {"full device", full, ENOSPC},
      {"read-only folder", read_only, EROFS},
  };
  for (const Case& c : cases) {
    const Status saved =
        SaveDocument(c.folder / "page.htm", std::string(200 * 1024, 'x'));
    ASSERT_FALSE(saved.has_value()) << c.name;
    EXPECT_EQ(saved.error().Message(),
              (c.folder / "page.htm").string() + ": " + std::strerror(c.err))
        << c.name;
    EXPECT_EQ(ScratchFolder::Read(c.folder / "page.htm"), "old page");
    EXPECT_EQ(ScratchFolder::Names(c.folder),
              std::vector<std::string>{"page.htm"});
  }
  // The space the failed save took is free again.
  EXPECT_TRUE(SaveDocument(full / "page.htm", std::string(40 * 1024, 'y')));
}

// True once the process `pid` holds open a file in `folder` with some but
// not all of `size` bytes written; named or not, /proc shows it.
bool SavingMidway(pid_t pid, const fs::path& folder, size_t size) {
  std::error_code ec;
  const fs::path fds = "/proc/" + std::to_string(pid) + "/fd";
  for (const auto& fd : fs::directory_iterator(fds, ec)) {
    const fs::path target = fs::read_symlink(fd.path(), ec);
    struct stat st;
    if (!ec && target.parent_path() == folder &&
        ::stat(fd.path().c_str(), &st) == 0 && st.st_size > 0 &&
        static_cast<size_t>(st.st_size) < size) {
      return true;
    }
  }
  return false;
}

TEST_F(FileIoTest, KilledSaveLeavesTheOldFileAndNoTemporary) {
  const fs::path page = dir_ / "page.htm";
  const size_t size = size_t{64} << 20;
  for (int signal_number : {SIGTERM, SIGINT, SIGKILL}) {
    ScratchFolder::Write(page, "old page");
    const pid_t pid = ::fork();
    if (pid == 0) {
      (void)SaveDocument(page, std::string(size, 'x'));
      ::_exit(0);
    }
    bool midway = false;
    for (int i = 0; i < 20000 && !midway; ++i) {
      midway = SavingMidway(pid, dir_.path(), size);
      if (!midway) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ::kill(pid, signal_number);
    int status;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(midway) << "the save was never seen midway";
    EXPECT_EQ(ScratchFolder::Read(page), "old page") << signal_number;
    EXPECT_EQ(ScratchFolder::Names(dir_.path()),
              std::vector<std::string>{"page.htm"})
        << signal_number;
  }
}

TEST_F(FileIoTest, NamedTemporaryIsRemovedWhenTheProcessIsStopped) {
  // File systems without unnamed files get a named temporary; here it is
  // made so on purpose.
  const int dir_fd = ::open(dir_.path().c_str(), O_PATH | O_DIRECTORY);
  ASSERT_GE(dir_fd, 0);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    const auto child = InChild([dir_fd, signal_number] {
      auto file =
          ReplacementFile::Create(dir_fd, ReplacementFile::Kind::kNamed);
      if (!file || !(*file)->Write("partial")) return std::string("failed");
      ::raise(signal_number);
      return std::string("survived");
    });
    EXPECT_TRUE(WIFSIGNALED(child.status) &&
                WTERMSIG(child.status) == signal_number)
        << signal_number << " " << child.said;
    EXPECT_EQ(ScratchFolder::Names(dir_.path()), std::vector<std::string>{})
        << signal_number;
  }
  auto file = ReplacementFile::Create(dir_fd, ReplacementFile::Kind::kNamed);
  ASSERT_TRUE(file.has_value());
  ASSERT_TRUE((*file)->Write("named"));
  ASSERT_TRUE((*file)->Publish("page.htm", false));
  EXPECT_EQ(ScratchFolder::Read(dir_ / "page.htm"), "named");
  EXPECT_EQ(ScratchFolder::Names(dir_.path()),
            std::vector<std::string>{"page.htm"});
  ::close(dir_fd);
}

}  // namespace
}  // namespace tovenrak::core
