#include "batch/bat.h"

#include <gtest/gtest.h>

#include <algorithm>
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
  core::Status Convert(std::u32string_view text, core::ScriptConversion,
                       std::u32string& out) const override {
    out += text;
    return {};
  }
};

std::string Joined(const Strings& entries) {
  std::string joined;
  for (const std::string& entry : entries)
    joined += (joined.empty() ? "" : "|") + entry;
  return joined;
}

class BatTest : public testing::Test {
 protected:
  std::unique_ptr<Bat> MakeBat(std::vector<fs::path> volumes = {"/", "/home",
                                                                "/media/cd"}) {
    auto bat = std::make_unique<Bat>(view_, dialog_, messages_, converter_,
                                     "/home/u/tovenrak", volumes);
    bat->Load();
    return bat;
  }
  // Adds each answer of the dialog in turn; "|" stands for the NUL that
  // separates the folder and the names of a multiple selection.
  void Add(Bat& bat, const Strings& answers) {
    for (std::string answer : answers) {
      std::replace(answer.begin(), answer.end(), '|', '\0');
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
    auto bat = MakeBat(c.volumes);
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
       {"/my docs|z.htm|a b.htm"},
       "/my docs/z.htm|/my docs/a b.htm",
       "z.htm|a b.htm"},
      {"root folder", {"/|a.htm"}, "/a.htm", "a.htm"},
      {"folder with final separator", {"/docs/|a.htm"}, "/docs/a.htm", "a.htm"},
      {"name below the folder",
       {"/docs|sub/a.htm"},
       "/docs/sub/a.htm",
       "a.htm"},
      {"empty names skipped", {"/docs|a.htm||"}, "/docs/a.htm", "a.htm"},
      {"cancelled", {""}, "", ""},
      {"same file again after others",
       {"/d/a.htm", "/x|b.htm", "/d/a.htm"},
       "/d/a.htm|/x/b.htm|/d/a.htm",
       "a.htm|b.htm|a.htm"},
  };
  for (const Case& c : cases) {
    fakes::FakeBatView view;
    Bat bat(view, dialog_, messages_, converter_, "/p", {"/"});
    Add(bat, c.answers);
    EXPECT_EQ(Joined(view.be_fore), c.be_fore) << c.name;
    EXPECT_EQ(bat.be_fore(), view.be_fore) << c.name;
    EXPECT_EQ(Joined(bat.be_hind()), c.be_hind) << c.name;
    EXPECT_EQ(dialog_.asked.back().kind, "open-many") << c.name;
  }
}

TEST_F(BatTest, RemoveIsEnabledByClickingAListedEntryAndRemovesTheSelected) {
  auto bat = MakeBat();
  bat->OnBeForeClicked();
  EXPECT_FALSE(view_.n_del_enabled) << "click on an empty list";
  Add(*bat, {"/d|1.htm|2.htm|3.htm"});
  EXPECT_FALSE(view_.n_del_enabled) << "after add";
  bat->OnBeForeClicked();
  EXPECT_TRUE(view_.n_del_enabled) << "click on the list";
  bat->OnNDel();
  EXPECT_EQ(bat->be_hind().size(), 3u) << "nothing selected";
  EXPECT_FALSE(view_.n_del_enabled) << "after remove";

  view_.be_fore_selection = 1;
  bat->OnNDel();
  EXPECT_EQ(Joined(view_.be_fore), "/d/1.htm|/d/3.htm");
  EXPECT_EQ(bat->be_fore(), view_.be_fore);
  EXPECT_EQ(Joined(bat->be_hind()), "1.htm|3.htm");
}

TEST_F(BatTest, ToolTipShowsFullPathOfEntryUnderPointer) {
  auto bat = MakeBat();
  bat->OnBeForeMouseMove(false, 5, 3);
  EXPECT_EQ(view_.be_fore_tooltip, "") << "empty list";
  Add(*bat, {"/d|a.htm|b.htm"});
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
  auto bat = MakeBat();
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
}

// The listed files do not exist, so the runs write nothing anywhere.
TEST_F(BatTest, RunIntoTheTargetWithItsSeparatorThenOneMessageAndClose) {
  struct Case {
    const char* name;
    bool listed;  // three files; else none, and the window stays until Quit
    const char* typed;
    const char* target;  // afterwards
  };
  const Case cases[] = {{"empty list", false, "/nowhere", "/nowhere"},
                        {"separator added", true, "/nowhere", "/nowhere/"},
                        {"separator typed", true, "/nowhere/", "/nowhere/"},
                        {"nothing typed", true, "", "/"}};
  for (const Case& c : cases) {
    fakes::FakeBatView view;
    fakes::FakeMessageBox messages;
    Bat bat(view, dialog_, messages, converter_, "/p", {"/"});
    bat.Load();
    if (c.listed) Add(bat, {"/missing|1.htm|2.htm|3.htm"});
    view.to_text = c.typed;
    bat.OnNGo();
    EXPECT_EQ(view.to_text, c.target) << c.name;
    EXPECT_EQ(view.pro_values,
              (c.listed ? std::vector<int>{33, 67, 100} : std::vector<int>{}))
        << c.name;
    EXPECT_EQ(view.pro_visible, c.listed) << c.name;
    ASSERT_EQ(messages.shown.size(), 1u) << c.name;
    const std::string says = c.listed
                                 ? "共 3 个文件，已转换 0 个到 " +
                                       std::string(c.target) + " 文件夹下；"
                                 : "请您选定要转换的文件，再开始转换。";
    EXPECT_EQ(messages.shown[0].text.rfind(says, 0), 0u)
        << c.name << ": " << messages.shown[0].text;
    EXPECT_EQ(messages.shown[0].icon,
              c.listed ? MessageIcon::kWarning : MessageIcon::kExclamation)
        << c.name;
    EXPECT_EQ(messages.shown[0].title, kBatTitle) << c.name;
    EXPECT_EQ(view.closed, c.listed) << c.name;
    bat.OnNQuit();
    EXPECT_TRUE(view.closed) << c.name;
  }
}

}  // namespace
}  // namespace tovenrak::batch
