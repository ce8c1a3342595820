#include "core/io/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tovenrak::core {
namespace {

namespace fs = std::filesystem;

class FileIoTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tovenrak-file-io-" + std::to_string(::getpid()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    if (immutable_) Run("chattr -i " + dir_.string());
    fs::permissions(dir_, fs::perms::owner_all, ec);
    fs::remove_all(dir_, ec);
  }
  void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  std::string Read(const fs::path& path) {
    auto bytes = ReadDocument(path);
    return bytes.has_value() ? *bytes : "<unreadable>";
  }
  static bool Run(const std::string& command) {
    return std::system((command + " 2>/dev/null").c_str()) == 0;
  }
  // Makes the folder refuse new files, also to root where the file system
  // supports the immutable flag. Returns false if that cannot be had here.
  bool MakeFolderReadOnly() {
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(dir_.c_str(), W_OK) != 0) return true;
    immutable_ = Run("chattr +i " + dir_.string());
    return immutable_;
  }
  fs::path dir_;
  bool immutable_ = false;
};

TEST_F(FileIoTest, SaveThenReadGivesTheSameBytes) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  ASSERT_TRUE(SaveDocument(dir_ / "all.bin", bytes).has_value());
  EXPECT_EQ(Read(dir_ / "all.bin"), bytes);
  ASSERT_TRUE(SaveDocument(dir_ / "all.bin", "").has_value());
  EXPECT_EQ(Read(dir_ / "all.bin"), "");
}

TEST_F(FileIoTest, ReadReportsMissingFoldersAndOversizedFiles) {
  EXPECT_EQ(ReadDocument(dir_ / "missing.htm").error().code,
            ErrorCode::kNotFound);
  EXPECT_NE(
      ReadDocument(dir_ / "missing.htm").error().Message().find("missing.htm"),
      std::string::npos);
  EXPECT_EQ(ReadDocument(dir_).error().code, ErrorCode::kUnreadable);
  Write(dir_ / "big.txt", std::string(100, 'x'));
  EXPECT_EQ(ReadDocument(dir_ / "big.txt", 99).error().code,
            ErrorCode::kTooLarge);
  EXPECT_TRUE(ReadDocument(dir_ / "big.txt", 100).has_value());
}

TEST_F(FileIoTest, FailedSaveLeavesTheOldFileAndNoTemporary) {
  Write(dir_ / "page.htm", "old");
  if (!MakeFolderReadOnly())
    GTEST_SKIP() << "no way to make a folder read-only here";
  const Status saved = SaveDocument(dir_ / "page.htm", "new");
  ASSERT_FALSE(saved.has_value());
  EXPECT_EQ(saved.error().code, ErrorCode::kNotWritable);
  EXPECT_NE(saved.error().Message().find("page.htm"), std::string::npos);
  EXPECT_EQ(Read(dir_ / "page.htm"), "old");
  EXPECT_EQ(
      std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(FileIoTest, SaveIntoMissingFolderOrOverFolderFails) {
  EXPECT_EQ(SaveDocument(dir_ / "no" / "page.htm", "x").error().code,
            ErrorCode::kNotFound);
  fs::create_directory(dir_ / "sub");
  EXPECT_EQ(SaveDocument(dir_ / "sub", "x").error().code,
            ErrorCode::kNotWritable);
  EXPECT_TRUE(fs::is_directory(dir_ / "sub"));
  EXPECT_EQ(
      std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(FileIoTest, SaveNeverReplacesADevice) {
  // Renaming over the link's target would replace /dev/null with a file.
  fs::create_symlink("/dev/null", dir_ / "null");
  EXPECT_EQ(SaveDocument(dir_ / "null", "bytes").error().code,
            ErrorCode::kNotWritable);
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST_F(FileIoTest, SaveKeepsPermissionsAndWritesThroughLinks) {
  Write(dir_ / "page.htm", "old");
  fs::permissions(dir_ / "page.htm", fs::perms::owner_read |
                                         fs::perms::owner_write |
                                         fs::perms::group_read);
  fs::create_symlink(dir_ / "page.htm", dir_ / "link.htm");
  ASSERT_TRUE(SaveDocument(dir_ / "link.htm", "new").has_value());
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.htm"));
  EXPECT_EQ(Read(dir_ / "page.htm"), "new");
  EXPECT_EQ(
      fs::status(dir_ / "page.htm").permissions() & fs::perms::all,
      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

}  // namespace
}  // namespace tovenrak::core
