// The review list a batch run writes beside its outputs when its check box is
// on, and the personal phrases a run applies.

#include <gtest/gtest.h>

#include "batch/bat.h"
#include "core/convert/default_converter.h"
#include "core/scratch_folder.h"
#include "fakes/fake_bat_view.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_main_frame.h"
#include "support/text.h"

namespace tovenrak::batch {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

class BatchReviewTest : public ::testing::Test {
 protected:
  // Runs Bat over `files` (name, GBK text) into the scratch folder's "out".
  void Run(bool review,
           std::vector<std::pair<std::string, std::string>> files) {
    auto converter = core::MakeDefaultConverter();
    ASSERT_TRUE(converter.has_value());
    Bat bat(view_, dialog_, messages_, settings_, **converter, dir_.path(),
            {"/"});
    bat.Load();
    bat.UsePersonalPhrases(personal_);
    bat.OnReviewListToggled(review);
    for (const auto& [name, text] : files) {
      ScratchFolder::Write(dir_ / name,
                           testing::Bytes(text, core::Encoding::kGbk));
      dialog_.next_answers.push_back((dir_ / name).string());
      bat.OnNAdd();
    }
    fs::create_directory(dir_ / "out");
    view_.to_text = (dir_ / "out").string();
    bat.OnNGo();
  }

  bool personal_ = false;
  ScratchFolder dir_;
  fakes::FakeBatView view_;
  fakes::FakeFileDialog dialog_;
  fakes::FakeMessageBox messages_;
  fakes::FakeSettings settings_;
};

TEST_F(BatchReviewTest, ListsEachConvertedFilesPointsBelowTheTarget) {
  Run(true,
      {{"a.txt", "去干扰\n前头发生"}, {"b.txt", "中文"}, {"c.txt", "后"}});
  EXPECT_EQ(ScratchFolder::Read(dir_ / "out" / kReviewListName),
            "a.txt:1:2: 干 -> 幹 (幹 乾 干)\n"
            "a.txt:2:3: 发 -> 髮 (發 髮)\n"
            "c.txt:1:1: 后 -> 後 (後 后)\n");
  EXPECT_TRUE(fs::exists(dir_ / "out" / "b.txt"));
}

TEST_F(BatchReviewTest, WritesNoListUnlessAskedNorOverADocumentsOutput) {
  Run(false, {{"a.txt", "去干扰"}});
  EXPECT_TRUE(fs::exists(dir_ / "out" / "a.txt"));
  EXPECT_FALSE(fs::exists(dir_ / "out" / kReviewListName));

  Run(true, {{kReviewListName, "去干扰"}});
  EXPECT_EQ(ScratchFolder::Read(dir_ / "out" / kReviewListName),
            testing::Bytes("去幹擾", core::Encoding::kBig5));
}

TEST_F(BatchReviewTest, PersonalPhrasesApplyWhenUsedAndABadListStopsTheRun) {
  setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
  fs::create_directory(dir_ / "tovenrak");
  ScratchFolder::Write(dir_ / "tovenrak/phrases.txt", "去干扰\t去干擾\n");
  for (bool used : {false, true}) {
    personal_ = used;
    Run(true, {{"a.txt", "去干扰"}});
    EXPECT_EQ(ScratchFolder::Read(dir_ / "out/a.txt"),
              testing::Bytes(used ? "去干擾" : "去幹擾", core::Encoding::kBig5))
        << used;
    EXPECT_EQ(ScratchFolder::Read(dir_ / "out" / kReviewListName),
              used ? "" : "a.txt:1:2: 干 -> 幹 (幹 乾 干)\n")
        << used;
  }
  ScratchFolder::Write(dir_ / "tovenrak/phrases.txt", "no tab\n");
  fs::remove(dir_ / "out/a.txt");
  Run(true, {{"a.txt", "去干扰"}});
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_FALSE(fs::exists(dir_ / "out/a.txt"));
  EXPECT_TRUE(messages_.shown.back().text.starts_with("无法读取个人词组"));
}

}  // namespace
}  // namespace tovenrak::batch
