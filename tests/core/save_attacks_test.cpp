// Saves by root into folders that `nobody` can write to: what they planted
// there must not turn the save against root or against them.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "core/io/file_io.h"
#include "in_child.h"
#include "scratch_folder.h"

namespace tovenrak::core {
namespace {

namespace fs = std::filesystem;
using testing::InChild;
using testing::kNobody;
using testing::ScratchFolder;

class SaveAttackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    // A shared folder, as /tmp is, and a file only root may read.
    fs::create_directory(shared_);
    fs::permissions(shared_, static_cast<fs::perms>(01777));
    fs::create_directory(dir_ / "root-only");
    fs::permissions(dir_ / "root-only", fs::perms::owner_all);
    ScratchFolder::Write(secret_, "secret");
  }
  // Runs `plant` as nobody; it returns "" when all went well.
  template <typename Plant>
  void AsNobody(Plant plant) {
    const auto child = InChild(plant, /*as_nobody=*/true);
    ASSERT_EQ(child.status, 0);
    ASSERT_EQ(child.said, "");
  }

  ScratchFolder dir_;
  const fs::path shared_ = dir_ / "shared";
  const fs::path secret_ = dir_ / "root-only" / "secret.conf";
};

TEST_F(SaveAttackTest, PlantedLinkIsReplacedNotFollowed) {
  const fs::path page = shared_ / "page.htm";
  AsNobody([&] {
    return ::symlink(secret_.c_str(), page.c_str()) == 0 ? "" : "no link";
  });
  ASSERT_TRUE(SaveDocument(page, "page"));
  EXPECT_EQ(ScratchFolder::Read(secret_), "secret");
  EXPECT_FALSE(fs::is_symlink(page));
  EXPECT_EQ(ScratchFolder::Read(page), "page");
  struct stat st;
  ASSERT_EQ(::stat(page.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 0u);
}

TEST_F(SaveAttackTest, ReplacedFileKeepsOwnerAndGroupButNoSpecialBits) {
  struct Case {
    const char* name;
    mode_t planted;
    mode_t kept;
  } cases[] = {
      {"private file", 0640, 0640},
      {"setuid", 04755, 0755},
      {"setgid and sticky", 03644, 0644},
  };
  for (const Case& c : cases) {
    const fs::path file = shared_ / c.name;
    AsNobody([&] {
      ScratchFolder::Write(file, "theirs");
      return ::chmod(file.c_str(), c.planted) == 0 ? "" : "no chmod";
    });
    ASSERT_TRUE(SaveDocument(file, "root's")) << c.name;
    struct stat st;
    ASSERT_EQ(::stat(file.c_str(), &st), 0) << c.name;
    EXPECT_EQ(st.st_mode & 07777, c.kept) << c.name;
    EXPECT_EQ(st.st_uid, kNobody) << c.name;
    EXPECT_EQ(st.st_gid, kNobody) << c.name;
    EXPECT_EQ(ScratchFolder::Read(file), "root's") << c.name;
  }
}

TEST_F(SaveAttackTest, UserCannotReplaceAFileTheyCannotKeepTheOwnerOf) {
  // Renaming over it would make root's file theirs.
  const fs::path file = dir_ / "open" / "root.conf";
  fs::create_directory(file.parent_path());
  fs::permissions(file.parent_path(), fs::perms::all);
  ScratchFolder::Write(file, "root's");
  fs::permissions(file, static_cast<fs::perms>(0666));
  const auto child = InChild(
      [&] {
        const Status saved = SaveDocument(file, "theirs");
        return saved ? std::string("saved") : saved.error().Message();
      },
      /*as_nobody=*/true);
  EXPECT_NE(child.said.find(file.string() + ": cannot keep its owner"),
            std::string::npos)
      << child.said;
  EXPECT_EQ(ScratchFolder::Read(file), "root's");
  struct stat st;
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(ScratchFolder::Names(file.parent_path()),
            std::vector<std::string>{"root.conf"});
}

TEST_F(SaveAttackTest, ParallelSavesKeepTheUmask) {
  // Reading the umask by setting it to 0 and back raced between threads.
  const fs::path folder = dir_ / "fast";
  if (!dir_.MountSmallDevice(folder, 64 << 20)) GTEST_SKIP() << "no tmpfs";
  const mode_t old_mask = ::umask(077);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&folder, t] {
      for (int i = 0; i < 250; ++i)
        (void)SaveDocument(
            folder / (std::to_string(t) + "-" + std::to_string(i)), "x");
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(::umask(old_mask), 077u);
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    ++files;
    EXPECT_EQ(entry.status().permissions(),
              fs::perms::owner_read | fs::perms::owner_write)
        << entry.path();
  }
  EXPECT_EQ(files, 1000u);
}

}  // namespace
}  // namespace tovenrak::core
