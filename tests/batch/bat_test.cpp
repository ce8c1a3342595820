#include "batch/bat.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_bat_view.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/fake_message_box.h"

namespace tovenrak::batch {
namespace {

namespace fs = std::filesystem;
using platform::MessageIcon;
using Strings = std::vector<std::string>;

// Gives back the text it is given.
struct CopyingConverter : core::Converter {
  core::Result<core::Conversion> Big5ToGB(std::string_view t) const override {
    return core::Conversion{std::string(t)};
  }
  core::Result<core::Conversion> GBToBig5(std::string_view t) const override {
    return core::Conversion{std::string(t)};
  }
};

std::string Join(const Strings& pieces, char separator) {
  std::string joined;
  for (size_t i = 0; i < pieces.size(); ++i)
    joined += (i == 0 ? "" : std::string(1, separator)) + pieces[i];
  return joined;
}

// A multiple selection as the Add dialog returns it.
std::string Selection(const Strings& pieces) { return Join(pieces, '\0'); }

class BatTest : public testing::Test {
 protected:
  std::unique_ptr<Bat> MakeBat(fs::path program_folder = "/home/u/tovenrak",
                               std::vector<fs::path> volumes = {"/", "/home",
                                                                "/media/cd"}) {
    auto bat = std::make_unique<Bat>(view_, dialog_, messages_, converter_,
                                     program_folder, volumes);
    bat->Load();
    return bat;
  }
  // Adds each answer of the dialog in turn.
  void Add(Bat& bat, const Strings& answers) {
    for (const std::string& answer : answers) {
      dialog_.next_answers.push_back(answer);
      bat.OnNAdd();
    }
  }

  fakes::FakeBatView view_;
  fakes::FakeFileDialog dialog_;
  fakes::FakeMessageBox messages_;
  CopyingConverter converter_;
};

TEST_F(BatTest, LoadShowsProgramFolderAsTargetWithEmptyLists) {
  struct Case {
    std::vector<fs::path> volumes;
    int drive1;
    const char* volume;
  };
  // A folder on no listed volume still becomes the folder and the target.
  for (const Case& c : {Case{{"/", "/home", "/media/cd"}, 1, "/home"},
                        Case{{"/media/cd"}, -1, "/"}}) {
    auto bat = MakeBat("/home/u/tovenrak", c.volumes);
    EXPECT_EQ(view_.to_text, "/home/u/tovenrak");
    EXPECT_EQ(view_.dir1, "/home/u/tovenrak");
    EXPECT_EQ(view_.dir1_volume, c.volume);
    EXPECT_EQ(view_.drive1, c.drive1);
    EXPECT_EQ(view_.drive1_volumes.size(), c.volumes.size());
    EXPECT_TRUE(view_.be_fore.empty());
    EXPECT_FALSE(view_.n_del_enabled);
    EXPECT_FALSE(view_.pro_visible);
    EXPECT_EQ(view_.listener, bat.get());
    bat.reset();
    EXPECT_EQ(view_.listener, nullptr) << "a destroyed Bat stops listening";
  }
}

TEST_F(BatTest, AddFillsParallelListsInChosenOrder) {
  struct Case {
    const char* name;
    Strings answers;
    const char* be_fore;  // entries joined by "|"
    const char* be_hind;
  };
  const Case cases[] = {
      {"one file", {"/my docs/a b.htm"}, "/my docs/a b.htm", "a b.htm"},
      {"dialog order kept",
       {Selection({"/my docs", "z.htm", "a b.htm"})},
       "/my docs/z.htm|/my docs/a b.htm",
       "z.htm|a b.htm"},
      {"root folder", {Selection({"/", "a.htm"})}, "/a.htm", "a.htm"},
      {"folder with final separator",
       {Selection({"/docs/", "a.htm"})},
       "/docs/a.htm",
       "a.htm"},
      {"name below the folder",
       {Selection({"/docs", "sub/a.htm"})},
       "/docs/sub/a.htm",
       "a.htm"},
      {"empty names skipped",
       {std::string("/docs\0a.htm\0\0", 13)},
       "/docs/a.htm",
       "a.htm"},
      {"cancelled", {""}, "", ""},
      {"same file again after others",
       {"/d/a.htm", Selection({"/x", "b.htm"}), "/d/a.htm"},
       "/d/a.htm|/x/b.htm|/d/a.htm",
       "a.htm|b.htm|a.htm"},
  };
  for (const Case& c : cases) {
    fakes::FakeBatView view;
    Bat bat(view, dialog_, messages_, converter_, "/p", {"/"});
    Add(bat, c.answers);
    EXPECT_EQ(Join(view.be_fore, '|'), c.be_fore) << c.name;
    EXPECT_EQ(bat.be_fore(), view.be_fore) << c.name;
    EXPECT_EQ(Join(bat.be_hind(), '|'), c.be_hind) << c.name;
    EXPECT_EQ(dialog_.asked.back().kind, "open-many") << c.name;
  }
}

TEST_F(BatTest, RemoveIsEnabledByClickingAListedEntryAndRemovesTheSelected) {
  auto bat = MakeBat();
  bat->OnBeForeClicked();
  EXPECT_FALSE(view_.n_del_enabled) << "click on an empty list";
  Add(*bat, {Selection({"/d", "1.htm", "2.htm", "3.htm"})});
  EXPECT_FALSE(view_.n_del_enabled) << "after add";
  bat->OnBeForeClicked();
  EXPECT_TRUE(view_.n_del_enabled) << "click on the list";
  bat->OnNDel();
  EXPECT_EQ(bat->be_hind().size(), 3u) << "nothing selected";
  EXPECT_FALSE(view_.n_del_enabled) << "after remove";

  view_.be_fore_selection = 1;
  bat->OnNDel();
  EXPECT_EQ(view_.be_fore, (Strings{"/d/1.htm", "/d/3.htm"}));
  EXPECT_EQ(bat->be_fore(), view_.be_fore);
  EXPECT_EQ(bat->be_hind(), (Strings{"1.htm", "3.htm"}));
}

TEST_F(BatTest, ToolTipShowsFullPathOfEntryUnderPointer) {
  auto bat = MakeBat();
  bat->OnBeForeMouseMove(false, 5, 3);
  EXPECT_EQ(view_.be_fore_tooltip, "") << "empty list";
  Add(*bat, {Selection({"/d", "a.htm", "b.htm"})});
  struct Step {
    const char* name;
    bool held;
    int y;
    std::string tooltip;
  };
  const Step steps[] = {
      {"over second entry", false, 20, "/d/b.htm"},
      {"over first entry", false, 15, "/d/a.htm"},
      {"button held over second", true, 20, "/d/a.htm"},
      {"below last entry", false, 40, ""},
  };
  for (const Step& s : steps) {
    bat->OnBeForeMouseMove(s.held, 7, s.y);
    EXPECT_EQ(view_.be_fore_tooltip, s.tooltip) << s.name;
  }
}

TEST_F(BatTest, VolumesAndFoldersChosenBecomeTheTarget) {
  auto bat = MakeBat("/home/u/tovenrak");
  view_.unreadable.insert("/");
  view_.drive1 = 0;
  bat->OnDrive1Changed();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text,
            "读取驱动器/时出错。\n\r"
            "请检查该驱动器内有无磁盘或磁盘格式是否正确。");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kCritical);
  EXPECT_EQ(messages_.shown[0].title, kBatTitle);
  EXPECT_EQ(view_.dir1, "/home/u/tovenrak");
  EXPECT_EQ(view_.to_text, "/home/u/tovenrak");
  EXPECT_EQ(view_.drive1, 1) << "shows the volume of the kept folder again";

  view_.drive1 = 2;
  bat->OnDrive1Changed();
  EXPECT_EQ(view_.dir1, "/media/cd");
  EXPECT_EQ(view_.dir1_volume, "/media/cd");
  EXPECT_EQ(view_.to_text, "/media/cd");
  view_.drive1 = 0;
  bat->OnDrive1Changed();
  EXPECT_EQ(view_.drive1, 2) << "falls back to the last readable volume";

  view_.dir1 = "/home/u/pages";
  bat->OnDir1Changed();
  EXPECT_EQ(view_.to_text, "/home/u/pages");
  EXPECT_EQ(view_.drive1, 1);
  EXPECT_EQ(messages_.shown.size(), 2u);
}

TEST_F(BatTest, EmptyListGivesMessageAndKeepsWindowOpen) {
  auto bat = MakeBat();
  view_.to_text = "/nowhere";
  bat->OnNGo();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "请您选定要转换的文件，再开始转换。");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kExclamation);
  EXPECT_FALSE(view_.pro_visible);
  EXPECT_FALSE(view_.closed);
  EXPECT_EQ(view_.to_text, "/nowhere") << "no separator added";
}

// A run reads and saves real files, through core.
class BatRunTest : public BatTest {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "bat_test-XXXXXX");
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    fs::create_directory(dir_ / "out");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Writes each text into a file of the test folder, none for an empty
  // text, and adds it.
  void AddFiles(Bat& bat, const Strings& texts) {
    for (size_t i = 0; i < texts.size(); ++i) {
      const fs::path path = dir_ / (std::to_string(i + 1) + ".htm");
      if (!texts[i].empty()) std::ofstream(path) << texts[i];
      Add(bat, {path.string()});
    }
  }

  fs::path dir_;
};

TEST_F(BatRunTest, RunShowsProgressThenOneClosingMessageAndCloses) {
  auto bat = MakeBat();
  AddFiles(*bat, {"x", "", "z"});
  const std::string out = (dir_ / "out").string();
  view_.to_text = out;
  bat->OnNGo();
  EXPECT_EQ(view_.to_text, out + "/") << "separator added";
  EXPECT_EQ(view_.pro_values, (std::vector<int>{33, 67, 100}));
  EXPECT_TRUE(view_.pro_visible);
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text.rfind(
                "共 3 个文件，已转换 2 个到 " + out + "/ 文件夹下；", 0),
            0u)
      << messages_.shown[0].text;
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kWarning);
  EXPECT_EQ(messages_.shown[0].title, kBatTitle);
  EXPECT_TRUE(view_.closed);
  EXPECT_TRUE(fs::exists(dir_ / "out/3.htm"));
}

TEST_F(BatRunTest, EmptyTargetBecomesRootFolder) {
  auto bat = MakeBat();
  // The file is missing, so nothing is written into the root.
  AddFiles(*bat, {""});
  view_.to_text = "";
  bat->OnNGo();
  EXPECT_EQ(view_.to_text, "/");
  EXPECT_NE(messages_.shown.at(0).text.find("已转换 0 个到 / 文件夹下"),
            std::string::npos);
  EXPECT_FALSE(fs::exists("/1.htm"));
}

TEST_F(BatTest, QuitClosesWindow) {
  auto bat = MakeBat();
  bat->OnNQuit();
  EXPECT_TRUE(view_.closed);
}

}  // namespace
}  // namespace tovenrak::batch
