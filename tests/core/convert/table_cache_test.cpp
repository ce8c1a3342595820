// The table cache is used only while it matches the OpenCC files it was made
// from and is whole; otherwise the tables are compiled again.

#include "core/convert/table_cache.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../scratch_folder.h"
#include "core/convert/table_conversion.h"

namespace tovenrak::core {
namespace {

using testing::ScratchFolder;

class TableCacheTest : public ::testing::Test {
 protected:
  // A configuration of one text dictionary, in the scratch folder.
  void SetUp() override {
    ScratchFolder::Write(dir_ / "c.json",
                         R"({"name": "t", "segmentation": {"type": "mmseg",
  "dict": {"type": "text", "file": "d.txt"}}, "conversion_chain":
  [{"dict": {"type": "text", "file": "d.txt"}}]})");
    Dictionary("a\tb\n");
  }
  void Dictionary(const std::string& lines) {
    ScratchFolder::Write(dir_ / "d.txt", lines);
  }
  // Converts "a" with the loaded tables, and says where they came from.
  std::string Load() {
    Result<LoadedTables> loaded =
        LoadOrCompileTables((dir_ / "c.json").string(), dir_ / "cache");
    if (!loaded) return loaded.error().Message();
    std::u32string out;
    ConvertWithTables(*loaded->tables, U"a", out);
    return std::string(out.begin(), out.end()) +
           (loaded->from_cache ? " cached" : " compiled");
  }

  ScratchFolder dir_;
};

TEST_F(TableCacheTest, AStaleOrDamagedCacheIsCompiledAgain) {
  // What older layouts left is removed once this one's is written.
  const std::filesystem::path old = dir_ / "cache" / "s2t.01.tables";
  std::filesystem::create_directories(old.parent_path());
  ScratchFolder::Write(old, "old");
  ScratchFolder::Write(old.string() + ".checked", "old");
  ScratchFolder::Write(dir_ / "cache" / "notes.txt", "mine");
  EXPECT_EQ(Load(), "b compiled");
  EXPECT_FALSE(std::filesystem::exists(old));
  EXPECT_FALSE(std::filesystem::exists(old.string() + ".checked"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "cache" / "notes.txt"));
  EXPECT_EQ(Load(), "b cached");
  Dictionary("a\tcc\n");  // A new size, whatever the clock says.
  EXPECT_EQ(Load(), "cc compiled");
  EXPECT_EQ(Load(), "cc cached");
  std::filesystem::path cache;
  for (const auto& entry : std::filesystem::directory_iterator(dir_ / "cache"))
    if (entry.path().extension() == ".tables") cache = entry.path();
  const std::string good = ScratchFolder::Read(cache);
  for (const size_t at : {size_t{3}, good.size() / 2, good.size() - 5}) {
    std::string bad = good;
    bad[at] ^= 0x20;
    // The file's times set back as they were: it was still changed.
    const auto written = std::filesystem::last_write_time(cache);
    ScratchFolder::Write(cache, bad);
    std::filesystem::last_write_time(cache, written);
    EXPECT_EQ(Load(), "cc compiled") << "byte " << at;
    EXPECT_EQ(Load(), "cc cached");
  }
  ScratchFolder::Write(cache, good.substr(0, good.size() - 1));
  EXPECT_EQ(Load(), "cc compiled");
  EXPECT_EQ(Load(), "cc cached");
  // A file that others could have changed is not used, nor is one that a
  // link leads to.
  std::filesystem::permissions(cache, std::filesystem::perms::group_write,
                               std::filesystem::perm_options::add);
  EXPECT_EQ(Load(), "cc compiled");
  std::filesystem::rename(cache, dir_ / "elsewhere");
  std::filesystem::create_symlink(dir_ / "elsewhere", cache);
  EXPECT_EQ(Load(), "cc compiled");
  EXPECT_EQ(Load(), "cc cached");
}

}  // namespace
}  // namespace tovenrak::core
