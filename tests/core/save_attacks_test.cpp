// Saves by root into folders that `nobody` can write to: what they planted
// there must not turn the save against root or against them.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>
#include <vector>

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
    fs::create_directory(shared_);  // Shared as /tmp is.
    fs::permissions(shared_, static_cast<fs::perms>(01777));
  }
  template <typename Plant>
  void AsNobody(Plant plant) {
    const auto child = InChild(plant, /*as_nobody=*/true);
    ASSERT_EQ(child.said + " " + std::to_string(child.status), " 0");
  }

  ScratchFolder dir_;
  const fs::path shared_ = dir_ / "shared";
};

TEST_F(SaveAttackTest, PlantedLinkIsReplacedNotFollowed) {
  const fs::path page = shared_ / "page.htm", secret = dir_ / "secret.conf";
  ScratchFolder::Write(secret, "secret");
  AsNobody([&] {
    return ::symlink(secret.c_str(), page.c_str()) == 0 ? "" : "no link";
  });
  ASSERT_TRUE(SaveDocument(page, "page"));
  EXPECT_EQ(ScratchFolder::Read(secret), "secret");
  EXPECT_FALSE(fs::is_symlink(page));
}

TEST_F(SaveAttackTest, ReplacedFileKeepsOwnerAndGroupButNoSpecialBits) {
  const fs::path file = shared_ / "setuid";
  AsNobody([&] {
    ScratchFolder::Write(file, "theirs");
    return ::chmod(file.c_str(), 06755) == 0 ? "" : "no chmod";
  });
  ASSERT_TRUE(SaveDocument(file, "root's"));
  struct stat st;
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0755u);
  EXPECT_EQ(st.st_uid, kNobody);
  EXPECT_EQ(st.st_gid, kNobody);
}

// A preview's copy of a user's document is theirs alone, whoever made the
// file it replaces and however open it was.
TEST_F(SaveAttackTest, ScratchCopyIsTheSaversAloneWhateverItReplaces) {
  const fs::path file = shared_ / "temp.htm";
  AsNobody([&] {
    ScratchFolder::Write(file, "theirs");
    return ::chmod(file.c_str(), 0666) == 0 ? "" : "no chmod";
  });
  ASSERT_TRUE(SavePrivateScratch(file, "root's"));
  struct stat st;
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(ScratchFolder::Read(file), "root's");
}

TEST_F(SaveAttackTest, UserCannotReplaceAFileTheyCannotKeepTheOwnerOf) {
  // Renaming over it would make root's file theirs.
  fs::permissions(shared_, fs::perms::all);  // Without the sticky bit.
  const fs::path file = shared_ / "root.conf";
  ScratchFolder::Write(file, "root's");
  fs::permissions(file, static_cast<fs::perms>(0666));
  const auto child = InChild(
      [&] {
        const Status saved = SaveDocument(file, "theirs");
        return saved ? "saved" : saved.error().Message();
      },
      /*as_nobody=*/true);
  EXPECT_TRUE(child.said.starts_with(file.string() + ": cannot keep its owner"))
      << child.said;
  EXPECT_EQ(ScratchFolder::Read(file), "root's");
  EXPECT_EQ(ScratchFolder::Names(shared_),
            std::vector<std::string>{"root.conf"});
}

TEST_F(SaveAttackTest, ParallelSavesKeepTheUmask) {
  const mode_t old_mask = ::umask(077);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < 100; ++i)
        (void)SaveDocument(
            shared_ / (std::to_string(t) + "-" + std::to_string(i)), "x");
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(::umask(old_mask), 077u);
  for (const auto& entry : fs::directory_iterator(shared_)) {
    EXPECT_EQ(entry.status().permissions(),
              fs::perms::owner_read | fs::perms::owner_write)
        << entry.path();
  }
}

}  // namespace
}  // namespace tovenrak::core
