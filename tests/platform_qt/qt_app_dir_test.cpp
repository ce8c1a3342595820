#include "platform/qt/qt_app_dir.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace tovenrak::platform::qt {
namespace {

namespace fs = std::filesystem;

TEST(QtAppDirTest, ProgramFolderWhenWritableElseCreatedFallback) {
  std::string pattern =
      (fs::temp_directory_path() / "tovenrak-appdir-XXXXXX").string();
  const fs::path root = ::mkdtemp(pattern.data());
  const QString program = QString::fromStdString((root / "bin").string());
  const QString fallback =
      QString::fromStdString((root / "data" / "tovenrak").string());
  fs::create_directory(root / "bin");

  EXPECT_EQ(ChooseAppDir(program, fallback), root / "bin");
  EXPECT_FALSE(fs::exists(root / "data"));
  // The probe leaves nothing behind.
  EXPECT_TRUE(fs::is_empty(root / "bin"));

  // A folder that cannot take a file (here: one that is a file).
  const QString not_a_folder =
      QString::fromStdString((root / "bin" / "x").string());
  std::ofstream(root / "bin" / "x") << "x";
  EXPECT_EQ(ChooseAppDir(not_a_folder, fallback), root / "data" / "tovenrak");
  EXPECT_TRUE(fs::is_directory(root / "data" / "tovenrak"));
  fs::remove_all(root);
}

}  // namespace
}  // namespace tovenrak::platform::qt
