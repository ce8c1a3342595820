// Reading and saving against the real file system and its faults: the old
// file stays whole, no temporary is left, and the error names the file.

#include "core/io/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <latch>
#include <string>
#include <thread>

#include "core/io/deferred_sync.h"
#include "core/io/make_folders.h"
#include "core/io/replacement_file.h"
#include "core/io/reserve_large.h"
#include "in_child.h"
#include "scratch_folder.h"

namespace tovenrak::core {
namespace {

namespace fs = std::filesystem;
using testing::InChild;
using testing::ScratchFolder;
using Names = std::vector<std::string>;

struct FileIoTest : ::testing::Test {
  ScratchFolder dir_;
};

TEST_F(FileIoTest, ReadAndSaveRefuseWhatIsNoDocumentButTakeAnyBytes) {
  ASSERT_EQ(::mkfifo((dir_ / "pipe").c_str(), 0644), 0);
  using enum ErrorCode;
  const struct {
    fs::path path;
    ErrorCode read, save;
  } cases[] = {
      {dir_ / "no" / "page.htm", kNotFound, kNotFound},
      {dir_ / "pipe", kUnreadable, kNotWritable},  // Not waiting for a writer.
      {dir_ / std::string(256, 'n'), kUnreadable, kNotWritable},
  };
  for (const auto& c : cases) {
    const auto read = ReadDocument(c.path);
    const Status saved = SaveDocument(c.path, "x");
    ASSERT_FALSE(read || saved) << c.path;
    EXPECT_EQ(read.error().code, c.read) << c.path;
    EXPECT_EQ(saved.error().code, c.save) << c.path;
    EXPECT_EQ(saved.error().path, c.path.string());
  }
  EXPECT_EQ(ScratchFolder::Names(dir_.path()), Names{"pipe"});
  ScratchFolder::Write(dir_ / "big.txt", std::string(100, 'x'));
  EXPECT_EQ(ReadDocument(dir_ / "big.txt", 99).error().code, kTooLarge);
  EXPECT_TRUE(ReadDocument(dir_ / "big.txt", 100).has_value());
  // The temporary's name used to be 17 bytes longer than the file's.
  const fs::path longest = dir_ / std::string(255, 'n');
  ASSERT_TRUE(SaveDocument(longest, std::string("\0\xFF\r\n", 4)));
  EXPECT_EQ(ScratchFolder::Read(longest), std::string("\0\xFF\r\n", 4));
}

// A copy of a private file stays private, as cp keeps it; a file replaced
// keeps its own mode.
TEST_F(FileIoTest, NewCopyGetsNoPermissionItsSourceLacks) {
  const fs::path source = dir_ / "private.txt", copy = dir_ / "copy.txt";
  ScratchFolder::Write(source, "x");
  fs::permissions(source, fs::perms::owner_read | fs::perms::owner_write);
  uint32_t permissions = 0;
  ASSERT_TRUE(ReadDocument(source, kMaxDocumentBytes, &permissions));
  EXPECT_EQ(permissions, 0600u);
  const mode_t mask = ::umask(022);
  ASSERT_TRUE(SaveDocument(copy, "y", Durability::kNow, permissions));
  EXPECT_EQ(fs::status(copy).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  fs::permissions(copy, static_cast<fs::perms>(0664));
  ASSERT_TRUE(SaveDocument(copy, "z", Durability::kNow, permissions));
  EXPECT_EQ(fs::status(copy).permissions(), static_cast<fs::perms>(0664));
  ASSERT_TRUE(SaveDocument(dir_ / "open.txt", "w"));
  EXPECT_EQ(fs::status(dir_ / "open.txt").permissions(),
            static_cast<fs::perms>(0644));
  ::umask(mask);
}

TEST_F(FileIoTest, SaveIntoAnOpenFolderLandsThereWhereverItsPathLeads) {
  // A run keeps a tree's folder open for its files: a link put in its place
  // meanwhile must not take the next file elsewhere.
  const fs::path out = dir_ / "out", elsewhere = dir_ / "elsewhere";
  fs::create_directories(elsewhere / "sub");
  fs::create_directories(out);
  Result<OpenFolder> sub = MakeSubfolders(out, "a/sub");
  ASSERT_TRUE(sub.has_value());
  fs::rename(out / "a", out / "moved");
  fs::create_directory_symlink(elsewhere, out / "a");
  ASSERT_TRUE(SaveDocument(*sub, out / "a/sub/page.htm", "page"));
  EXPECT_EQ(ScratchFolder::Read(out / "moved/sub/page.htm"), "page");
  EXPECT_EQ(ScratchFolder::Names(elsewhere / "sub"), Names{});
  // Made again, the path now meets a link, which is refused.
  EXPECT_EQ(MakeSubfolders(out, "a/sub").error().reason, "not a folder");
}

TEST_F(FileIoTest, FoldersMadeForCopiesAreNoMoreOpenThanTheirSources) {
  const fs::path source = dir_ / "source", out = dir_ / "out";
  fs::create_directories(source / "private" / "deep");
  fs::create_directories(source / "shut");
  fs::create_directories(out / "there");
  fs::permissions(source / "private", fs::perms::owner_all);
  fs::permissions(source / "shut", static_cast<fs::perms>(0555));
  const mode_t mask = ::umask(022);
  const OpenFolder like = OpenExistingFolder(source).value();
  const OpenFolder base = OpenExistingFolder(out).value();
  for (const char* relative : {"private/deep", "shut", "there", "none/x"})
    ASSERT_TRUE(MakeSubfolders(base, out, relative, &like)) << relative;
  ASSERT_TRUE(MakeFolders(dir_ / "made" / "here", 0750));
  ::umask(mask);
  const struct {
    fs::path folder;
    unsigned mode;
  } cases[] = {
      {out / "private", 0700},        {out / "private" / "deep", 0755},
      {out / "shut", 0755},   // Its owner writes the copies into it.
      {out / "there", 0755},  // Made before: kept as it is.
      {out / "none" / "x", 0755},     {dir_ / "made", 0750},
      {dir_ / "made" / "here", 0750},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fs::status(c.folder).permissions(),
              static_cast<fs::perms>(c.mode))
        << c.folder;
  }
}

// Files saved in folders on two file systems are made durable by one sync
// of each.
TEST_F(FileIoTest, DeferredSyncNotesEachFileSystemOnce) {
  struct stat here, shm;
  if (::stat(dir_.path().c_str(), &here) != 0 ||
      ::stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev)
    GTEST_SKIP() << "needs /dev/shm on a file system of its own";
  fs::create_directories(dir_ / "a" / "b");
  DeferredSync deferred;
  const OpenFolder top = OpenExistingFolder(dir_.path()).value();
  const OpenFolder below = OpenExistingFolder(dir_ / "a" / "b").value();
  const OpenFolder other = OpenExistingFolder("/dev/shm").value();
  EXPECT_EQ(deferred.Add(top.fd(), dir_.path()).value(), 0u);
  EXPECT_EQ(deferred.Add(other.fd(), "/dev/shm").value(), 1u);
  EXPECT_EQ(deferred.Add(below.fd(), dir_ / "a" / "b").value(), 0u);
  EXPECT_EQ(deferred.Add(dir_ / "a").value(), 0u);
  const std::vector<Status> synced = deferred.SyncAll();
  ASSERT_EQ(synced.size(), 2u);
  EXPECT_TRUE(synced[0] && synced[1]);
}

// Two runs saving the same new file at once: the name is free when one
// looks and taken when it links its file there, and that save replaces the
// other's as it would have replaced a file found there.
TEST_F(FileIoTest, SavesOfOneNewNameAtOnceBothSucceed) {
  int failed = 0;
  for (int i = 0; i < 100; ++i) {
    const fs::path path = dir_ / ("page" + std::to_string(i) + ".htm");
    std::latch start(2);
    bool saved[2] = {};
    auto save = [&](int t) {
      start.arrive_and_wait();
      saved[t] = SaveDocument(path, std::string(1, 'a' + t)).has_value();
    };
    std::thread other(save, 1);
    save(0);
    other.join();
    failed += !saved[0] + !saved[1];
  }
  EXPECT_EQ(failed, 0);
}

// The flags /proc/self/smaps gives the mapping that holds `address`.
std::string VmFlagsOf(const void* address) {
  std::ifstream smaps("/proc/self/smaps");
  const auto at = reinterpret_cast<uintptr_t>(address);
  bool inside = false;
  for (std::string line; std::getline(smaps, line);) {
    uintptr_t begin = 0, end = 0;
    if (std::sscanf(line.c_str(), "%lx-%lx ", &begin, &end) == 2) {
      inside = begin <= at && at < end;
    } else if (inside && line.starts_with("VmFlags:")) {
      return line + " ";
    }
  }
  return "";
}

TEST_F(FileIoTest, LargeDocumentIsReadIntoHugePagesAndGivenBackBehind) {
  std::string bytes(size_t{9} << 20, 'a');
  for (size_t i = 0; i < bytes.size(); i += 4093)
    bytes[i] = static_cast<char>(i | 1);
  ScratchFolder::Write(dir_ / "large.htm", bytes);
  Result<std::string> read = ReadDocument(dir_ / "large.htm");
  ASSERT_TRUE(read.has_value());
  EXPECT_TRUE(*read == bytes);
  const bool huge = VmFlagsOf(read->data() + (size_t{4} << 20)).find(" hg ") !=
                    std::string::npos;

  // Given back in whole huge pages up to 5 MiB, and nothing after them.
  const size_t end = size_t{5} << 20;
  const size_t given = GiveBack(*read, 0, end);
  EXPECT_GT(given, size_t{2} << 20);
  EXPECT_LE(given, end);
  EXPECT_EQ((*read)[given - 1], '\0');
  EXPECT_TRUE(read->substr(given) == bytes.substr(given));
  EXPECT_EQ(GiveBack(*read, given, given + 1), given);

  if (!fs::exists("/sys/kernel/mm/transparent_hugepage/enabled"))
    GTEST_SKIP() << "this kernel has no huge pages to ask for";
  EXPECT_TRUE(huge);
}

TEST_F(FileIoTest, SaveOnAFullDeviceKeepsTheOldFileAndLeavesNothing) {
  const fs::path full = dir_ / "full", page = full / "page.htm";
  if (!dir_.MountSmallDevice(full, 64 * 1024)) GTEST_SKIP() << "needs root";
  ScratchFolder::Write(page, "old page");
  const Status saved = SaveDocument(page, std::string(200 * 1024, 'x'));
  ASSERT_FALSE(saved.has_value());
  EXPECT_EQ(saved.error().Message(),
            page.string() + ": " + std::strerror(ENOSPC));
  EXPECT_EQ(ScratchFolder::Read(page), "old page");
  EXPECT_EQ(ScratchFolder::Names(full), Names{"page.htm"});
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
  EXPECT_EQ(ScratchFolder::Names(dir_.path()), Names{"page.htm"});
}

TEST_F(FileIoTest, NamedTemporaryIsRemovedWhenTheProcessIsStopped) {
  const int dir_fd = ::open(dir_.path().c_str(), O_PATH | O_DIRECTORY);
  ASSERT_GE(dir_fd, 0);
  const auto kNamed = ReplacementFile::Kind::kNamed;
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    const auto child = InChild([=] {
      auto file = ReplacementFile::Create(dir_fd, kNamed);
      if (!file || !(*file)->Write("partial")) return "failed";
      ::raise(signal_number);
      return "survived";
    });
    EXPECT_TRUE(WIFSIGNALED(child.status) &&
                WTERMSIG(child.status) == signal_number)
        << signal_number << " " << child.said;
    EXPECT_EQ(ScratchFolder::Names(dir_.path()), Names{}) << signal_number;
  }
  // Nor one that another thread was making as the signal came: each round
  // stops two threads that replace a file over and over.
  for (int round = 0; round < 40; ++round) {
    InChild([=] {
      for (const auto kind : {kNamed, ReplacementFile::Kind::kUnnamed}) {
        std::thread([=] {
          for (;;) {
            auto file = ReplacementFile::Create(dir_fd, kind);
            if (file) (void)(*file)->Publish("page.htm", /*replace=*/true);
          }
        }).detach();
      }
      std::this_thread::sleep_for(std::chrono::microseconds(500 + round * 50));
      ::kill(::getpid(), SIGTERM);
      std::this_thread::sleep_for(std::chrono::seconds(5));
      return "survived";
    });
    for (const std::string& name : ScratchFolder::Names(dir_.path()))
      ASSERT_EQ(name, "page.htm") << round;
  }
  ::close(dir_fd);
}

}  // namespace
}  // namespace tovenrak::core
