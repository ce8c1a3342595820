#include "batch/bat.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
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

constexpr char kTitle[] = "Zemlorin Tovenrak - 批量转换";

// Marks which way each text went, so that outputs show the detection; fails
// for a text that contains "FAIL".
struct MarkingConverter : core::Converter {
  core::Status Convert(std::u32string_view text, core::ScriptConversion how,
                       std::u32string& out) const override {
    if (text.find(U"FAIL") != std::u32string_view::npos)
      return core::Error{core::ErrorCode::kInvalidInput, "converter broke"};
    out += how.to == core::Script::kSimplified ? U"[gb]" : U"[big5]";
    out += text;
    return {};
  }
};

// Joins a multiple selection as the Add dialog returns it.
std::string Selection(const Strings& pieces) {
  std::string joined;
  for (const std::string& piece : pieces) {
    if (!joined.empty()) joined += '\0';
    joined += piece;
  }
  return joined;
}

class BatTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "bat_test-XXXXXX");
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    fs::create_directory(dir_ / "src");
    fs::create_directory(dir_ / "out");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::unique_ptr<Bat> MakeBat(fs::path program_folder = "/home/u/tovenrak",
                               std::vector<fs::path> volumes = {"/", "/home",
                                                                "/media/cd"}) {
    auto bat = std::make_unique<Bat>(view_, dialog_, messages_, converter_,
                                     program_folder, volumes);
    bat->Load();
    return bat;
  }

  // Writes `text` to src/`name` and returns its path.
  std::string Source(const std::string& name, const std::string& text) {
    const fs::path path = dir_ / "src" / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // Adds `names`, written in src/ with `text`, in one selection.
  void AddSources(Bat& bat, const Strings& names, const std::string& text) {
    Strings pieces = {(dir_ / "src").string()};
    for (const std::string& name : names) {
      Source(name, text);
      pieces.push_back(name);
    }
    dialog_.next_answers.push_back(Selection(pieces));
    bat.OnNAdd();
  }
  std::string Out() const { return (dir_ / "out").string(); }
  // Lists a/x.htm and b/x.htm, two files whose outputs share one name.
  void AddFilesNamedXFromFoldersAAndB(Bat& bat) {
    for (const char* folder : {"a", "b"}) {
      fs::create_directory(dir_ / folder);
      std::ofstream(dir_ / folder / "x.htm") << "from " << folder;
      dialog_.next_answers = {(dir_ / folder / "x.htm").string()};
      bat.OnNAdd();
    }
  }

  fs::path dir_;
  fakes::FakeBatView view_;
  fakes::FakeFileDialog dialog_;
  fakes::FakeMessageBox messages_;
  MarkingConverter converter_;
};

TEST_F(BatTest, LoadShowsProgramFolderAsTargetWithEmptyLists) {
  auto bat = MakeBat("/home/u/tovenrak");
  EXPECT_EQ(view_.to_text, "/home/u/tovenrak");
  EXPECT_EQ(view_.dir1, "/home/u/tovenrak");
  EXPECT_EQ(view_.dir1_volume, "/home");
  EXPECT_EQ(view_.drive1_volumes, (Strings{"/", "/home", "/media/cd"}));
  EXPECT_EQ(view_.drive1, 1);
  EXPECT_TRUE(view_.be_fore.empty());
  EXPECT_TRUE(bat->be_hind().empty());
  EXPECT_FALSE(view_.n_del_enabled);
  EXPECT_FALSE(view_.pro_visible);
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(view_.listener, bat.get());
}

TEST_F(BatTest, LoadOutsideListedVolumesStillSetsFolderAndTarget) {
  auto bat = MakeBat("/opt/tovenrak", {"/home"});
  EXPECT_EQ(view_.drive1, -1);
  EXPECT_EQ(view_.dir1, "/opt/tovenrak");
  EXPECT_EQ(view_.to_text, "/opt/tovenrak");
}

TEST_F(BatTest, DestroyedBatStopsListening) {
  MakeBat().reset();
  EXPECT_EQ(view_.listener, nullptr);
}

TEST_F(BatTest, AddFillsParallelListsInChosenOrder) {
  struct Case {
    const char* name;
    std::string answer;
    Strings be_fore;
    Strings be_hind;
  };
  const Case cases[] = {
      {"one file", "/docs/a.htm", {"/docs/a.htm"}, {"a.htm"}},
      {"one file with spaces",
       "/my docs/a b.htm",
       {"/my docs/a b.htm"},
       {"a b.htm"}},
      {"three files",
       Selection({"/docs", "A.HTM", "B.HTM", "C.HTM"}),
       {"/docs/A.HTM", "/docs/B.HTM", "/docs/C.HTM"},
       {"A.HTM", "B.HTM", "C.HTM"}},
      {"dialog order kept",
       Selection({"/docs", "z.htm", "a.htm"}),
       {"/docs/z.htm", "/docs/a.htm"},
       {"z.htm", "a.htm"}},
      {"root folder",
       Selection({"/", "a.htm", "b.txt"}),
       {"/a.htm", "/b.txt"},
       {"a.htm", "b.txt"}},
      {"folder with final separator",
       Selection({"/docs/", "a.htm", "b.htm"}),
       {"/docs/a.htm", "/docs/b.htm"},
       {"a.htm", "b.htm"}},
      {"spaces in folder and names",
       Selection({"/my docs", "a b.htm", "c"}),
       {"/my docs/a b.htm", "/my docs/c"},
       {"a b.htm", "c"}},
      {"name below the folder",
       Selection({"/docs", "sub/a.htm"}),
       {"/docs/sub/a.htm"},
       {"a.htm"}},
      {"empty names skipped",
       std::string("/docs\0a.htm\0\0", 13),
       {"/docs/a.htm"},
       {"a.htm"}},
      {"cancelled", "", {}, {}},
  };
  for (const Case& c : cases) {
    fakes::FakeBatView view;
    fakes::FakeFileDialog dialog;
    Bat bat(view, dialog, messages_, converter_, "/p", {"/"});
    bat.Load();
    dialog.next_answers.push_back(c.answer);
    bat.OnNAdd();
    EXPECT_EQ(view.be_fore, c.be_fore) << c.name;
    EXPECT_EQ(bat.be_fore(), c.be_fore) << c.name;
    EXPECT_EQ(bat.be_hind(), c.be_hind) << c.name;
    ASSERT_EQ(dialog.asked.size(), 1u) << c.name;
    EXPECT_EQ(dialog.asked[0].kind, "open-many") << c.name;
    EXPECT_EQ(dialog.asked[0].title, "加入文件") << c.name;
    EXPECT_EQ(dialog.asked[0].filter,
              "Html文件[*.htm;*.html]|*.htm;*.html|文本文件[*.txt]|*.txt|")
        << c.name;
  }
}

TEST_F(BatTest, AddingTheSameFileTwiceListsItTwiceAfterEarlierEntries) {
  auto bat = MakeBat();
  dialog_.next_answers = {"/docs/a.htm", Selection({"/x", "b.htm", "c.htm"}),
                          "/docs/a.htm"};
  for (int i = 0; i < 3; ++i) bat->OnNAdd();
  const Strings be_fore = {"/docs/a.htm", "/x/b.htm", "/x/c.htm",
                           "/docs/a.htm"};
  EXPECT_EQ(view_.be_fore, be_fore);
  EXPECT_EQ(bat->be_fore(), be_fore);
  EXPECT_EQ(bat->be_hind(), (Strings{"a.htm", "b.htm", "c.htm", "a.htm"}));
}

TEST_F(BatTest, RemoveTakesSelectedEntryFromBothLists) {
  auto bat = MakeBat();
  dialog_.next_answers = {
      Selection({"/d", "1.htm", "2.htm", "3.htm", "4.htm"})};
  bat->OnNAdd();
  view_.be_fore_selection = 2;
  bat->OnBeForeClicked();
  ASSERT_TRUE(view_.n_del_enabled);
  bat->OnNDel();
  EXPECT_EQ(view_.be_fore, (Strings{"/d/1.htm", "/d/2.htm", "/d/4.htm"}));
  EXPECT_EQ(bat->be_fore(), view_.be_fore);
  EXPECT_EQ(bat->be_hind(), (Strings{"1.htm", "2.htm", "4.htm"}));
  EXPECT_FALSE(view_.n_del_enabled);
}

TEST_F(BatTest, RemoveWithoutSelectionRemovesNothingAndDisables) {
  auto bat = MakeBat();
  dialog_.next_answers = {Selection({"/d", "1.htm", "2.htm"})};
  bat->OnNAdd();
  view_.n_del_enabled = true;
  view_.be_fore_selection = -1;
  bat->OnNDel();
  EXPECT_EQ(bat->be_hind(), (Strings{"1.htm", "2.htm"}));
  EXPECT_EQ(view_.be_fore.size(), 2u);
  EXPECT_FALSE(view_.n_del_enabled);
}

TEST_F(BatTest, RemoveIsEnabledOnlyByClickingANonEmptyList) {
  auto bat = MakeBat();
  EXPECT_FALSE(view_.n_del_enabled) << "after load";
  bat->OnBeForeClicked();
  EXPECT_FALSE(view_.n_del_enabled) << "click on empty list";
  dialog_.next_answers = {"/d/a.htm"};
  bat->OnNAdd();
  EXPECT_FALSE(view_.n_del_enabled) << "after add";
  bat->OnBeForeClicked();
  EXPECT_TRUE(view_.n_del_enabled) << "click on list";
  view_.be_fore_selection = 0;
  bat->OnNDel();
  EXPECT_FALSE(view_.n_del_enabled) << "after remove";
  bat->OnBeForeClicked();
  EXPECT_FALSE(view_.n_del_enabled) << "click on emptied list";
}

TEST_F(BatTest, ToolTipShowsFullPathOfEntryUnderPointer) {
  auto bat = MakeBat();
  bat->OnBeForeMouseMove(false, 5, 3);
  EXPECT_EQ(view_.be_fore_tooltip, "") << "empty list";
  dialog_.next_answers = {Selection({"/d", "a.htm", "b.htm"})};
  bat->OnNAdd();
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
      {"button held over first", true, 0, ""},
      {"over first again", false, 0, "/d/a.htm"},
  };
  for (const Step& s : steps) {
    bat->OnBeForeMouseMove(s.held, 7, s.y);
    EXPECT_EQ(view_.be_fore_tooltip, s.tooltip) << s.name;
  }
}

TEST_F(BatTest, UnreadableVolumeShowsStopMessageAndKeepsFolder) {
  auto bat = MakeBat("/home/u/tovenrak");
  view_.unreadable.insert("/media/cd");
  view_.drive1 = 2;
  bat->OnDrive1Changed();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text,
            "读取驱动器/media/cd时出错。\n\r"
            "请检查该驱动器内有无磁盘或磁盘格式是否正确。");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kCritical);
  EXPECT_EQ(messages_.shown[0].title, kTitle);
  EXPECT_EQ(view_.dir1, "/home/u/tovenrak");
  EXPECT_EQ(view_.to_text, "/home/u/tovenrak");
  EXPECT_EQ(view_.drive1, 1) << "shows the volume of the kept folder again";
}

TEST_F(BatTest, ChosenVolumeBecomesFolderAndTarget) {
  auto bat = MakeBat("/home/u/tovenrak");
  view_.drive1 = 2;
  bat->OnDrive1Changed();
  EXPECT_EQ(view_.dir1, "/media/cd");
  EXPECT_EQ(view_.dir1_volume, "/media/cd");
  EXPECT_EQ(view_.to_text, "/media/cd");
  EXPECT_TRUE(messages_.shown.empty());
  // A later unreadable volume falls back to this one.
  view_.unreadable.insert("/");
  view_.drive1 = 0;
  bat->OnDrive1Changed();
  EXPECT_EQ(view_.drive1, 2);
  EXPECT_EQ(view_.to_text, "/media/cd");
}

TEST_F(BatTest, FolderChosenInDir1BecomesTargetAndVolumeFollows) {
  auto bat = MakeBat("/home/u/tovenrak");
  view_.dir1 = "/media/cd/pages";
  bat->OnDir1Changed();
  EXPECT_EQ(view_.to_text, "/media/cd/pages");
  EXPECT_EQ(view_.drive1, 2);
  view_.dir1 = "/usr/share";
  bat->OnDir1Changed();
  EXPECT_EQ(view_.to_text, "/usr/share");
  EXPECT_EQ(view_.drive1, 0);
}

TEST_F(BatTest, EmptyListGivesMessageAndKeepsWindowOpen) {
  auto bat = MakeBat();
  view_.to_text = Out();
  bat->OnNGo();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "请您选定要转换的文件，再开始转换。");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kExclamation);
  EXPECT_EQ(messages_.shown[0].title, kTitle);
  EXPECT_FALSE(view_.pro_visible);
  EXPECT_FALSE(view_.closed);
  EXPECT_EQ(view_.to_text, Out()) << "no separator added";
  EXPECT_TRUE(fs::is_empty(dir_ / "out"));
}

TEST_F(BatTest, ProgressFollowsEachFile) {
  struct Case {
    int files;
    std::vector<int> values;
  };
  const Case cases[] = {
      {3, {33, 67, 100}},
      {8, {12, 25, 38, 50, 62, 75, 88, 100}},
  };
  for (const Case& c : cases) {
    fakes::FakeBatView view;
    fakes::FakeMessageBox messages;
    Bat bat(view, dialog_, messages, converter_, "/p", {"/"});
    bat.Load();
    Strings names;
    for (int i = 0; i < c.files; ++i)
      names.push_back("p" + std::to_string(i) + ".txt");
    Strings pieces = {(dir_ / "src").string()};
    for (const std::string& name : names) {
      Source(name, "text");
      pieces.push_back(name);
    }
    dialog_.next_answers.push_back(Selection(pieces));
    bat.OnNAdd();
    view.to_text = Out();
    bat.OnNGo();
    EXPECT_EQ(view.pro_values, c.values) << c.files << " files";
    EXPECT_EQ(view.pro_visible_when_set,
              std::vector<bool>(c.values.size(), true))
        << c.files << " files";
    EXPECT_TRUE(view.closed) << c.files << " files";
  }
}

TEST_F(BatTest, SingleFileIsSavedWithoutMovingTheBar) {
  auto bat = MakeBat();
  AddSources(*bat, {"only.htm"}, "gb text");
  view_.to_text = Out() + "/";
  bat->OnNGo();
  EXPECT_EQ(Read(dir_ / "out" / "only.htm"), "[big5]gb text");
  EXPECT_TRUE(view_.pro_values.empty());
  EXPECT_TRUE(view_.pro_visible) << "a run from the keyboard shows it too";
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text,
            "所选定文件已转换到 " + Out() + "/ 文件夹下。");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(messages_.shown[0].title, kTitle);
  EXPECT_TRUE(view_.closed);
}

TEST_F(BatTest, TargetGetsFinalSeparatorOnce) {
  struct Case {
    const char* name;
    std::string typed;  // Relative to the test folder.
    std::string target;
  };
  const Case cases[] = {
      {"without separator", "/out", "/out/"},
      {"with separator", "/out/", "/out/"},
  };
  for (const Case& c : cases) {
    fakes::FakeBatView view;
    fakes::FakeMessageBox messages;
    Bat bat(view, dialog_, messages, converter_, "/p", {"/"});
    bat.Load();
    AddSources(bat, {"a.htm", "b.txt"}, "x");
    view.to_text = dir_.string() + c.typed;
    bat.OnNGo();
    const std::string target = dir_.string() + c.target;
    EXPECT_EQ(view.to_text, target) << c.name;
    ASSERT_EQ(messages.shown.size(), 1u) << c.name;
    EXPECT_EQ(messages.shown[0].text,
              "所选定文件已转换到 " + target + " 文件夹下。")
        << c.name;
    EXPECT_EQ(Read(target + "a.htm"), "[big5]x") << c.name;
    EXPECT_EQ(Read(target + "b.txt"), "[big5]x") << c.name;
    fs::remove(target + "a.htm");
    fs::remove(target + "b.txt");
  }
}

TEST_F(BatTest, EmptyTargetBecomesRootFolder) {
  auto bat = MakeBat();
  // The converter refuses this text, so nothing is written into the root.
  AddSources(*bat, {"bat_test_never_written.htm"}, "FAIL");
  view_.to_text = "";
  bat->OnNGo();
  EXPECT_EQ(view_.to_text, "/");
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_NE(messages_.shown[0].text.find("已转换 0 个到 / 文件夹下"),
            std::string::npos)
      << messages_.shown[0].text;
  EXPECT_FALSE(fs::exists("/bat_test_never_written.htm"));
}

TEST_F(BatTest, EachFileConvertedInTheDirectionItsTextSuggests) {
  struct Case {
    const char* name;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"gb page", "<meta charset=gb2312>", "[big5]<meta charset=big5>"},
      {"big5 page", "<meta charset=big5>", "[gb]<meta charset=gb2312>"},
      {"upper-case declaration", "<meta charset=BIG5>",
       "[gb]<meta charset=gb2312>"},
      {"mention in the body", "see Big5 here", "[gb]see Big5 here"},
      {"plain gb text", "no mention", "[big5]no mention"},
  };
  auto bat = MakeBat();
  Strings pieces = {(dir_ / "src").string()};
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::string name = "f" + std::to_string(i) + ".htm";
    Source(name, cases[i].text);
    pieces.push_back(name);
  }
  dialog_.next_answers.push_back(Selection(pieces));
  bat->OnNAdd();
  view_.to_text = Out();
  bat->OnNGo();
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(Read(dir_ / "out" / ("f" + std::to_string(i) + ".htm")),
              cases[i].expected)
        << cases[i].name;
  }
  EXPECT_EQ(messages_.shown.at(0).icon, MessageIcon::kInformation);
}

TEST_F(BatTest, FailedFilesAreReportedAndNothingIsWrittenForThem) {
  auto bat = MakeBat();
  const std::string good = Source("good.htm", "ok");
  const std::string broken = Source("broken.htm", "FAIL");
  const std::string missing = (dir_ / "src" / "missing.htm").string();
  std::ofstream(dir_ / "out" / "broken.htm") << "old";
  dialog_.next_answers = {good, missing, broken};
  for (int i = 0; i < 3; ++i) bat->OnNAdd();
  view_.to_text = Out();
  bat->OnNGo();

  EXPECT_EQ(Read(dir_ / "out" / "good.htm"), "[big5]ok");
  // Used to be written with the previous file's text.
  EXPECT_FALSE(fs::exists(dir_ / "out" / "missing.htm"));
  EXPECT_EQ(Read(dir_ / "out" / "broken.htm"), "old");
  ASSERT_EQ(messages_.shown.size(), 1u);
  const std::string& text = messages_.shown[0].text;
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kWarning);
  EXPECT_EQ(messages_.shown[0].title, kTitle);
  EXPECT_EQ(text.rfind("共 3 个文件，已转换 1 个到 " + Out() +
                           "/ 文件夹下；以下 2 个文件未能转换：\n",
                       0),
            0u)
      << text;
  EXPECT_NE(text.find("\n" + missing + "\n    找不到文件或文件夹（" +
                      std::strerror(ENOENT) + "）"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\n" + broken + "\n    无法转换（converter broke）"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find(good), std::string::npos) << text;
  EXPECT_TRUE(view_.closed);
}

TEST_F(BatTest, FileListedTwiceIsConvertedOnce) {
  auto bat = MakeBat();
  const std::string page = Source("page.htm", "gb");
  dialog_.next_answers = {page, page};
  bat->OnNAdd();
  bat->OnNAdd();
  view_.to_text = (dir_ / "src").string();
  bat->OnNGo();
  // Used to convert the converted file back into the source's place.
  EXPECT_EQ(Read(page), "[big5]gb");
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(view_.pro_values, (std::vector<int>{50, 100}));
}

TEST_F(BatTest, OutputsWithTheSameNameDoNotReplaceEachOther) {
  auto bat = MakeBat();
  AddFilesNamedXFromFoldersAAndB(*bat);
  view_.to_text = Out();
  bat->OnNGo();
  EXPECT_EQ(Read(dir_ / "out" / "x.htm"), "[big5]from a");
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kWarning);
  EXPECT_NE(messages_.shown[0].text.find(
                (dir_ / "b" / "x.htm").string() + "\n    与 " +
                (dir_ / "a" / "x.htm").string() + " 的转换结果同名，未写入"),
            std::string::npos)
      << messages_.shown[0].text;
}

TEST_F(BatTest, OutputNeverReplacesAListedFile) {
  auto bat = MakeBat();
  AddFilesNamedXFromFoldersAAndB(*bat);
  view_.to_text = (dir_ / "b").string();
  bat->OnNGo();
  // b/x.htm is converted in its own place; a/x.htm must not take it first.
  EXPECT_EQ(Read(dir_ / "b" / "x.htm"), "[big5]from b");
  EXPECT_EQ(Read(dir_ / "a" / "x.htm"), "from a");
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_NE(messages_.shown[0].text.find("共 2 个文件，已转换 1 个"),
            std::string::npos)
      << messages_.shown[0].text;
  EXPECT_NE(messages_.shown[0].text.find(
                (dir_ / "a" / "x.htm").string() + "\n    会覆盖待转换的文件 " +
                (dir_ / "b" / "x.htm").string() + "，未写入"),
            std::string::npos)
      << messages_.shown[0].text;
}

TEST_F(BatTest, MissingTargetFolderFailsEveryFile) {
  auto bat = MakeBat();
  AddSources(*bat, {"a.htm", "b.htm"}, "x");
  view_.to_text = (dir_ / "nowhere").string();
  bat->OnNGo();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kWarning);
  EXPECT_NE(messages_.shown[0].text.find("已转换 0 个"), std::string::npos)
      << messages_.shown[0].text;
  EXPECT_EQ(view_.pro_values, (std::vector<int>{50, 100}));
  EXPECT_FALSE(fs::exists(dir_ / "nowhere"));
}

TEST_F(BatTest, QuitClosesWindow) {
  auto bat = MakeBat();
  bat->OnNQuit();
  EXPECT_TRUE(view_.closed);
  EXPECT_TRUE(messages_.shown.empty());
}

}  // namespace
}  // namespace tovenrak::batch
