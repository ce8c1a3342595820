// Reading and saving against the real file system and its faults: the old
// file stays whole, no temporary is left, and the error names the file.

#include "core/io/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cerrno>
#include <cstring>
#include <fstream>

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

TEST_F(FileIoTest, ReadAndSaveRefuseWhatIsNoDocument) {
  fs::create_directory(dir_ / "folder");
  ASSERT_EQ(::mkfifo((dir_ / "pipe").c_str(), 0644), 0);
  struct Case {
    const char* name;
    fs::path path;
    ErrorCode read, save;
  } cases[] = {
      {"missing folder", dir_ / "no" / "page.htm", ErrorCode::kNotFound,
       ErrorCode::kNotFound},
      {"a folder", dir_ / "folder", ErrorCode::kUnreadable,
       ErrorCode::kNotWritable},
      // Opening a pipe for reading would wait for a writer forever.
      {"a pipe", dir_ / "pipe", ErrorCode::kUnreadable,
       ErrorCode::kNotWritable},
      {"a name too long", dir_ / std::string(256, 'n'), ErrorCode::kUnreadable,
       ErrorCode::kNotWritable},
  };
  for (const Case& c : cases) {
    const auto read = ReadDocument(c.path);
    ASSERT_FALSE(read.has_value()) << c.name;
    EXPECT_EQ(read.error().code, c.read) << c.name;
    EXPECT_EQ(read.error().path, c.path.string()) << c.name;
    const Status saved = SaveDocument(c.path, "x");
    ASSERT_FALSE(saved.has_value()) << c.name;
    EXPECT_EQ(saved.error().code, c.save) << c.name;
    EXPECT_EQ(saved.error().path, c.path.string()) << c.name;
  }
  EXPECT_TRUE(fs::is_fifo(dir_ / "pipe"));
  EXPECT_EQ(ScratchFolder::Names(dir_.path()),
            (std::vector<std::string>{"folder", "pipe"}));
  ScratchFolder::Write(dir_ / "big.txt", std::string(100, 'x'));
  EXPECT_EQ(ReadDocument(dir_ / "big.txt", 99).error().code,
            ErrorCode::kTooLarge);
  EXPECT_TRUE(ReadDocument(dir_ / "big.txt", 100).has_value());
}

TEST_F(FileIoTest, ReadWithoutMemoryForTheFileIsTooLarge) {
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

TEST_F(FileIoTest, SaveOnAFullDeviceKeepsTheOldFileAndLeavesNothing) {
  const fs::path full = dir_ / "full", page = full / "page.htm";
  if (!dir_.MountSmallDevice(full, 64 * 1024))
    GTEST_SKIP() << "cannot mount a small file system here (needs root)";
  ScratchFolder::Write(page, "old page");
  const Status saved = SaveDocument(page, std::string(200 * 1024, 'x'));
  ASSERT_FALSE(saved.has_value());
  EXPECT_EQ(saved.error().Message(),
            page.string() + ": " + std::strerror(ENOSPC));
  EXPECT_EQ(ScratchFolder::Read(page), "old page");
  EXPECT_EQ(ScratchFolder::Names(full), std::vector<std::string>{"page.htm"});
  // The space the failed save took is free again.
  EXPECT_TRUE(SaveDocument(page, std::string(40 * 1024, 'y')));
}

TEST_F(FileIoTest, SaveKilledMidwayLeavesTheOldFileAndNoTemporary) {
  const fs::path page = dir_ / "page.htm";
  ScratchFolder::Write(page, "old page");
  const auto child = InChild([&page] {
    // Writing past 1 MiB kills the process, with no handler to clean up.
    const rlimit size{1 << 20, 1 << 20}, no_core{0, 0};
    ::setrlimit(RLIMIT_FSIZE, &size);
    ::setrlimit(RLIMIT_CORE, &no_core);
    return SaveDocument(page, std::string(size_t{8} << 20, 'x'))
               ? std::string("saved")
               : std::string("failed");
  });
  EXPECT_TRUE(WIFSIGNALED(child.status) && WTERMSIG(child.status) == SIGXFSZ)
      << child.said;
  EXPECT_EQ(ScratchFolder::Read(page), "old page");
  EXPECT_EQ(ScratchFolder::Names(dir_.path()),
            std::vector<std::string>{"page.htm"});
}

TEST_F(FileIoTest, NamedTemporaryIsRemovedWhenTheProcessIsStopped) {
  // What file systems without unnamed files get.
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
