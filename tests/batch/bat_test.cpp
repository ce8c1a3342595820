// The batch window's logic: the lists, Remove, the volumes, the run, the
// review list it writes beside its outputs and the personal phrases it applies.

#include "batch/bat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/convert/default_converter.h"
#include "core/scratch_folder.h"
#include "fakes/fake_bat_view.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_main_frame.h"
#include "platform/conversion_choices.h"
#include "platform/os_reason_text.h"
#include "support/text.h"

namespace tovenrak::batch {
namespace {

namespace fs = std::filesystem;

std::string Joined(const std::vector<std::string>& entries) {
  std::string joined;
  for (const std::string& entry : entries)
    joined += (joined.empty() ? "" : "|") + entry;
  return joined;
}

class BatTest : public ::testing::Test {
 protected:
  std::unique_ptr<Bat> MakeBat(std::vector<fs::path> volumes = {"/", "/home",
                                                                "/media/cd"}) {
    auto bat = std::make_unique<Bat>(view_, dialog_, messages_, settings_,
                                     *converter_, "/home/u/tovenrak", volumes);
    bat->Load();
    return bat;
  }
  // Adds each answer, separated by ",", in turn; "|" stands for the NUL
  // between the folder and the names of a multiple selection.
  void Add(Bat& bat, std::string answers) {
    std::replace(answers.begin(), answers.end(), '|', '\0');
    size_t start = 0;
    do {
      const size_t end = answers.find(',', start);
      dialog_.next_answers.push_back(answers.substr(start, end - start));
      bat.OnNAdd();
      start = end + 1;  // 0 after the last answer
    } while (start != 0);
  }

  // Writes each file (name, GBK text) in the scratch folder, lists it and
  // runs into the folder's "out", made anew.
  void Go(Bat& bat, std::vector<std::pair<std::string, std::string>> files) {
    for (const auto& [name, text] : files) {
      testing::ScratchFolder::Write(dir_ / name,
                                    testing::Bytes(text, core::Encoding::kGbk));
      Add(bat, (dir_ / name).string());
    }
    fs::remove_all(dir_ / "out");
    fs::create_directory(dir_ / "out");
    view_.to_text = (dir_ / "out").string();
    bat.OnNGo();
  }

  testing::ScratchFolder dir_;
  fakes::FakeBatView view_;
  fakes::FakeFileDialog dialog_;
  fakes::FakeMessageBox messages_;
  fakes::FakeSettings settings_;
  std::unique_ptr<core::Converter> converter_ =
      std::move(core::MakeDefaultConverter().value());
};

// The lists are joined by "|".
TEST_F(BatTest, AddFillsParallelListsInChosenOrder) {
  const struct {
    const char* answers;
    const char* be_fore;
    const char* be_hind;
  } cases[] = {
      {"/my docs/a b.htm", "/my docs/a b.htm", "a b.htm"},
      {"/my docs|z.htm|a b.htm", "/my docs/z.htm|/my docs/a b.htm",
       "z.htm|a b.htm"},
      {"/|a.htm", "/a.htm", "a.htm"},
      {"/docs|sub/a.htm", "/docs/sub/a.htm", "a.htm"},
      {"/docs|a.htm||", "/docs/a.htm", "a.htm"},
      {"", "", ""},
      {"/d/a.htm,/x|b.htm,/d/a.htm", "/d/a.htm|/x/b.htm|/d/a.htm",
       "a.htm|b.htm|a.htm"},
  };
  for (const auto& c : cases) {
    fakes::FakeBatView view;
    Bat bat(view, dialog_, messages_, settings_, *converter_, "/p", {"/"});
    Add(bat, c.answers);
    EXPECT_EQ(Joined(view.be_fore), c.be_fore) << c.answers;
    EXPECT_EQ(bat.be_fore(), view.be_fore) << c.answers;
    EXPECT_EQ(Joined(bat.be_hind()), c.be_hind) << c.answers;
  }
}

TEST_F(BatTest, RemoveIsEnabledByClickingAListedEntryAndRemovesTheSelected) {
  auto bat = MakeBat();
  bat->OnBeForeClicked();
  EXPECT_FALSE(view_.n_del_enabled) << "click on an empty list";
  Add(*bat, "/d|1.htm|2.htm|3.htm");
  bat->OnNDel();
  EXPECT_EQ(bat->be_hind().size(), 3u) << "nothing selected";
  view_.be_fore_selection = 1;
  bat->OnNDel();
  EXPECT_EQ(Joined(view_.be_fore), "/d/1.htm|/d/3.htm");
  EXPECT_EQ(Joined(bat->be_hind()), "1.htm|3.htm");
}

TEST_F(BatTest, LoadThenVolumesAndFoldersChosenBecomeTheTarget) {
  auto bat = MakeBat();
  EXPECT_EQ(view_.listener, bat.get());
  EXPECT_EQ(view_.to_text, "/home/u/tovenrak");
  EXPECT_EQ(view_.drive1, 1);
  EXPECT_FALSE(view_.n_del_enabled);
  EXPECT_FALSE(view_.pro_visible);
  EXPECT_EQ(view_.target_choice, 0) << "the automatic target";
  view_.unreadable.insert("/");
  view_.drive1 = 0;
  bat->OnDrive1Changed();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text,
            "读取驱动器/时出错。\n\r"
            "请检查该驱动器内有无磁盘或磁盘格式是否正确。");
  EXPECT_EQ(view_.drive1, 1) << "shows the volume of the kept folder again";

  view_.drive1 = 2;
  bat->OnDrive1Changed();
  EXPECT_EQ(view_.to_text, "/media/cd");
  view_.drive1 = 0;
  bat->OnDrive1Changed();
  EXPECT_EQ(view_.drive1, 2) << "falls back to the last readable volume";
  view_.dir1 = "/home/u/pages";
  bat->OnDir1Changed();
  EXPECT_EQ(view_.to_text, "/home/u/pages");
  EXPECT_EQ(view_.drive1, 1);
  bat.reset();
  EXPECT_EQ(view_.listener, nullptr) << "a destroyed Bat stops listening";

  // A folder on no listed volume still becomes the folder and the target.
  bat = MakeBat({"/media/cd"});
  EXPECT_EQ(view_.dir1, "/home/u/tovenrak");
  EXPECT_EQ(view_.dir1_volume, "/");
  EXPECT_EQ(view_.drive1, -1);
}

// The listed files do not exist, so the runs write nothing anywhere. With
// none listed, or no folder to write into (none typed, one named from no
// known place, one not there), the window says so and stays until Quit.
TEST_F(BatTest, RunIntoTheTargetWithItsSeparatorThenOneMessageAndClose) {
  const std::string folder = dir_.path().string();
  const struct {
    bool listed;
    std::string typed, target, says;
  } cases[] = {
      {false, folder, folder, "请您选定要转换的文件"},
      {true, folder, folder + "/", "共 3 个文件"},
      {true, "", "", "请您填写转换至的文件夹"},
      {true, "out", "out", "转换至的文件夹“out”不是完整的路径"},
      {true, "/nowhere", "/nowhere", "转换至的文件夹“/nowhere”不存在"}};
  for (const auto& c : cases) {
    fakes::FakeBatView view;
    fakes::FakeMessageBox messages;
    Bat bat(view, dialog_, messages, settings_, *converter_, "/p", {"/"});
    bat.Load();
    if (c.listed) Add(bat, "/missing|1.htm|2.htm|3.htm");
    view.to_text = c.typed;
    bat.OnNGo();
    EXPECT_EQ(view.to_text, c.target) << c.typed;
    const bool ran = c.target.ends_with("/");
    EXPECT_EQ(view.pro_values,
              (ran ? std::vector<int>{33, 67, 100} : std::vector<int>{}));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.starts_with(c.says))
        << messages.shown[0].text;
    EXPECT_EQ(view.closed, ran) << c.typed;
    bat.OnNQuit();
    EXPECT_TRUE(view.closed);
  }
}

// Into the files' own folder, each output would replace its source: only
// when the user says so. So would an output a file already in the target
// folder, an earlier output edited since.
TEST_F(BatTest, ReplacingTheListedFilesThemselvesIsAskedFirst) {
  const std::string gb = testing::Bytes("头发", core::Encoding::kGbk);
  testing::ScratchFolder::Write(dir_ / "a.txt", gb);
  for (const bool yes : {false, true}) {
    auto bat = MakeBat();
    Add(*bat, (dir_ / "a.txt").string());
    view_.to_text = dir_.path().string();
    messages_.answer_yes = yes;
    view_.closed = false;
    bat->OnNGo();
    ASSERT_EQ(messages_.asked.size(), yes ? 2u : 1u);
    EXPECT_TRUE(messages_.asked.back().starts_with(
        "有 1 个文件会被自己的转换结果替换（如“" + (dir_ / "a.txt").string()))
        << messages_.asked.back();
    EXPECT_EQ(testing::ScratchFolder::Read(dir_ / "a.txt"),
              yes ? testing::Bytes("頭髮", core::Encoding::kBig5) : gb);
    EXPECT_EQ(view_.closed, yes);
  }
  testing::ScratchFolder::Write(dir_ / "b.txt", gb);
  fs::create_directory(dir_ / "out");
  // A folder where an output goes is replaced by nothing, and a link to the
  // listed file is no file replaced by its own conversion.
  testing::ScratchFolder::Write(dir_ / "c.txt", gb);
  testing::ScratchFolder::Write(dir_ / "d.txt", gb);
  fs::create_directory(dir_ / "out/c.txt");
  for (const bool yes : {false, true}) {
    testing::ScratchFolder::Write(dir_ / "out/b.txt", "edited");
    fs::remove(dir_ / "out/d.txt");
    fs::create_symlink(dir_ / "d.txt", dir_ / "out/d.txt");
    auto bat = MakeBat();
    for (const char* name : {"b.txt", "c.txt", "d.txt"})
      Add(*bat, (dir_ / name).string());
    view_.to_text = (dir_ / "out").string();
    messages_.answer_yes = yes;
    messages_.asked.clear();
    bat->OnNGo();
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0],
              "转换至的文件夹中已有 2 个文件会被转换结果替换（如“" +
                  (dir_ / "out/b.txt").string() + "”）。\n确定要替换它们吗？");
    EXPECT_EQ(testing::ScratchFolder::Read(dir_ / "out/b.txt"),
              yes ? testing::Bytes("頭髮", core::Encoding::kBig5) : "edited");
    EXPECT_EQ(fs::is_symlink(dir_ / "out/d.txt"), !yes);
    EXPECT_EQ(testing::ScratchFolder::Read(dir_ / "d.txt"), gb);
  }
}

// A dropped folder lists its documents by their paths below it, so that the
// run writes the same tree: two index.htm do not clash.
TEST_F(BatTest, DroppedFolderIsListedAndRunAsATree) {
  const std::string gb = testing::Bytes("头发", core::Encoding::kGbk);
  fs::create_directories(dir_ / "site/sub");
  for (const char* name : {"site/index.htm", "site/sub/index.htm", "a.txt"})
    testing::ScratchFolder::Write(dir_ / name, gb);
  auto bat = MakeBat();
  // Chosen in a dialog, as dropped.
  dialog_.next_answers = {(dir_ / "site").string()};
  bat->OnNAddFolder();
  bat->OnBeForeDropped({dir_ / "a.txt", dir_ / "site"});
  EXPECT_EQ(Joined(bat->be_hind()),
            "index.htm|sub/index.htm|a.txt|index.htm|sub/index.htm");
  EXPECT_EQ(view_.be_fore, bat->be_fore());
  EXPECT_EQ(bat->be_fore()[1], (dir_ / "site/sub/index.htm").string());
  // Each entry keeps its own folder, also once others are removed: a.txt
  // is read where it was named, the others below the folder dropped.
  for (const int removed : {4, 3, 0}) {
    view_.be_fore_selection = removed;
    bat->OnNDel();
  }

  Go(*bat, {});
  const std::string big5 = testing::Bytes("頭髮", core::Encoding::kBig5);
  for (const char* name : {"out/sub/index.htm", "out/a.txt"})
    EXPECT_EQ(testing::ScratchFolder::Read(dir_ / name), big5) << name;
  EXPECT_FALSE(fs::exists(dir_ / "out/index.htm"));
  EXPECT_EQ(messages_.shown.back().icon, platform::MessageIcon::kInformation);

  // A folder listed while the target lies in it does not list the
  // documents there, nor does one whose target is chosen after it was
  // listed: an earlier output is not converted back into a folder below.
  // One an output would replace is asked about: 否 keeps it, 是 replaces it.
  for (const bool chosen_after : {false, true}) {
    for (const bool yes : {false, true}) {
      testing::ScratchFolder::Write(dir_ / "site/sub/index.htm", gb);
      auto bat = MakeBat();
      view_.to_text = (dir_ / (chosen_after ? "out" : "site/sub")).string();
      bat->OnBeForeDropped({dir_ / "site"});
      view_.to_text = (dir_ / "site/sub").string();
      messages_.answer_yes = yes;
      messages_.asked.clear();
      bat->OnNGo();
      ASSERT_EQ(messages_.asked.size(), 1u);
      EXPECT_TRUE(messages_.asked[0].starts_with("转换至的文件夹中已有 1 个"));
      EXPECT_EQ(testing::ScratchFolder::Read(dir_ / "site/sub/index.htm"),
                yes ? big5 : gb);
      EXPECT_FALSE(fs::exists(dir_ / "site/sub/sub"));
    }
  }
  // Such a file is told of, and the run no longer says all were converted;
  // not one an output replaced, as the user agreed.
  testing::ScratchFolder::Write(dir_ / "site/sub/x.htm", gb);
  auto told = MakeBat();
  told->OnBeForeDropped({dir_ / "site"});
  view_.to_text = (dir_ / "site/sub").string();
  told->OnNGo();
  const std::string said = messages_.shown.back().text;
  EXPECT_TRUE(said.starts_with("已转换 1 个文件到 ")) << said;
  EXPECT_NE(said.find("以下 1 个文件在转换至的文件夹中，没有转换"),
            std::string::npos)
      << said;
  EXPECT_NE(said.find((dir_ / "site/sub/x.htm").string()), std::string::npos);
  messages_.answer_yes = false;
}

// Auto is today's direction; the chosen variant reaches every target.
TEST_F(BatTest, TargetChoiceAndRememberedVariantDecideTheRun) {
  using core::Encoding;
  const struct {
    int choice;
    const char* variant;
    std::string after;
  } cases[] = {
      {0, "", testing::Bytes("軟件頭髮", Encoding::kBig5)},
      {0, "twp", testing::Bytes("軟體頭髮", Encoding::kBig5)},
      {1, "twp", testing::Bytes("软件头发", Encoding::kGbk)},
      {4, "", "軟件頭髮"},
      {3, "", "软件头发"},
  };
  for (const auto& c : cases) {
    settings_.values[platform::kVariantKey] = c.variant;
    auto bat = MakeBat();
    view_.target_choice = c.choice;
    Go(*bat, {{"a.txt", "软件头发"}});
    EXPECT_EQ(testing::ScratchFolder::Read(dir_ / "out/a.txt"), c.after)
        << c.choice << " " << c.variant;
  }
}

TEST_F(BatTest, ReviewListOnlyWhenAskedAndNeverOverAnOutput) {
  const std::string list = (dir_ / "out" / kReviewListName).string();
  auto bat = MakeBat();
  Go(*bat, {{"a.txt", "去干扰"}});
  EXPECT_FALSE(fs::exists(list));

  bat = MakeBat();
  bat->OnReviewListToggled(true);
  Go(*bat, {{"a.txt", "去干扰\n前头发生"}, {"b.txt", "中文"}, {"c.txt", "后"}});
  EXPECT_EQ(testing::ScratchFolder::Read(list),
            "a.txt:1:2: 干 -> 幹 (幹 乾 干)\n"
            "a.txt:2:3: 发 -> 髮 (發 髮)\n"
            "c.txt:1:1: 后 -> 後 (後 后)\n");

  bat = MakeBat();
  bat->OnReviewListToggled(true);
  Go(*bat, {{kReviewListName, "去干扰"}});
  EXPECT_EQ(testing::ScratchFolder::Read(list),
            testing::Bytes("去幹擾", core::Encoding::kBig5));
  // Said after the files, none of which failed.
  EXPECT_TRUE(messages_.shown.back().text.starts_with("所选定文件已转换到"));
  EXPECT_TRUE(messages_.shown.back().text.ends_with("疑点清单 " + list +
                                                    " 未写出：与转换结果同名"))
      << messages_.shown.back().text;
}

TEST_F(BatTest, PersonalPhrasesApplyWhenUsedAndABadListStopsTheRun) {
  setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
  fs::create_directory(dir_ / "tovenrak");
  testing::ScratchFolder::Write(dir_ / "tovenrak/phrases.txt",
                                "去干扰\t去干擾\n");
  for (bool used : {false, true}) {
    auto bat = MakeBat();
    bat->UsePersonalPhrases(used);
    bat->OnReviewListToggled(true);
    Go(*bat, {{"a.txt", "去干扰"}});
    EXPECT_EQ(testing::ScratchFolder::Read(dir_ / "out/a.txt"),
              testing::Bytes(used ? "去干擾" : "去幹擾", core::Encoding::kBig5))
        << used;
    EXPECT_EQ(testing::ScratchFolder::Read(dir_ / "out" / kReviewListName),
              used ? "" : "a.txt:1:2: 干 -> 幹 (幹 乾 干)\n")
        << used;
  }
  // Each list applies only its way: a choice made going to traditional
  // would put traditional characters into simplified text.
  testing::ScratchFolder::Write(dir_ / "tovenrak/phrases.txt", "干\t乾\n");
  testing::ScratchFolder::Write(dir_ / "tovenrak/phrases-simplified.txt",
                                "事務\t事情\n");
  testing::ScratchFolder::Write(
      dir_ / "b.txt", testing::Bytes("他干涉了若干事務，這些事務都由他處理。",
                                     core::Encoding::kBig5));
  auto both = MakeBat();
  both->UsePersonalPhrases(true);
  Add(*both, (dir_ / "b.txt").string());
  Go(*both, {{"a.txt", "若干"}});
  EXPECT_EQ(testing::ScratchFolder::Read(dir_ / "out/b.txt"),
            testing::Bytes("他干涉了若干事情，这些事情都由他处理。",
                           core::Encoding::kGbk));
  EXPECT_EQ(testing::ScratchFolder::Read(dir_ / "out/a.txt"),
            testing::Bytes("若乾", core::Encoding::kBig5));

  testing::ScratchFolder::Write(dir_ / "tovenrak/phrases.txt", "no tab\n");
  fs::remove(dir_ / "out/a.txt");
  auto bat = MakeBat();
  bat->UsePersonalPhrases(true);
  Go(*bat, {{"a.txt", "去干扰"}});
  EXPECT_FALSE(fs::exists(dir_ / "out/a.txt"));
  EXPECT_TRUE(messages_.shown.back().text.starts_with("无法读取个人词组"));
  EXPECT_TRUE(messages_.shown.back().text.ends_with(
      "phrases.txt: 第 1 行：词组与替换之间没有制表符"))
      << messages_.shown.back().text;
  unsetenv("XDG_CONFIG_HOME");
}

TEST(OsReasonTextTest, CommonReasonsInChineseOthersAsTheSystemSaysThem) {
  EXPECT_EQ(platform::OsReasonText(std::strerror(ENOSPC)), "磁盘已满");
  EXPECT_EQ(platform::OsReasonText(std::strerror(EHOSTDOWN)),
            std::strerror(EHOSTDOWN));
}

}  // namespace
}  // namespace tovenrak::batch
