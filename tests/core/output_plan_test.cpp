#include "core/io/output_plan.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <utility>

#include "scratch_folder.h"

namespace tovenrak::core {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;
using V = OutputVerdict;

TEST(OutputPlanTest, TellsFilesApartByDeviceAndInode) {
  ScratchFolder dir;
  for (const char* folder : {"in", "other", "out", "linked", "mirror"})
    fs::create_directory(dir / folder);
  ScratchFolder::Write(dir / "in" / "a.htm", "a");
  ScratchFolder::Write(dir / "in" / "b.htm", "b");
  ScratchFolder::Write(dir / "other" / "a.htm", "other a");
  fs::create_hard_link(dir / "in" / "a.htm", dir / "in" / "hard.htm");
  fs::create_symlink("a.htm", dir / "in" / "link.htm");
  // An existing output that is the input under another name, and one that
  // only points at it (saving replaces the link, not the input).
  fs::create_hard_link(dir / "in" / "a.htm", dir / "linked" / "a.htm");
  fs::create_symlink(dir / "in" / "a.htm", dir / "out" / "a.htm");
  const bool mounted = ::mount((dir / "in").c_str(), (dir / "mirror").c_str(),
                               nullptr, MS_BIND, nullptr) == 0;

  struct Case {
    const char* name;
    std::vector<std::string> inputs;  // Below the scratch folder.
    std::string folder;
    bool may_replace_own_input;
    std::vector<std::pair<V, size_t>> expected;  // Verdict and `other`.
  } cases[] = {
      {"distinct names",
       {"in/a.htm", "in/b.htm"},
       "out",
       false,
       {{V::kWrite, 0}, {V::kWrite, 0}}},
      {"one file by four paths is converted once",
       {"in/a.htm", "in/../in/a.htm", "in/hard.htm", "in/link.htm"},
       "out",
       false,
       {{V::kWrite, 0}, {V::kRepeat, 0}, {V::kRepeat, 0}, {V::kRepeat, 0}}},
      {"over itself only when allowed",
       {"in/a.htm", "in/b.htm"},
       "in",
       false,
       {{V::kOverInput, 0}, {V::kOverInput, 1}}},
      {"over itself, allowed", {"in/a.htm"}, "in", true, {{V::kWrite, 0}}},
      {"an existing output hard-linked to the input",
       {"in/a.htm"},
       "linked",
       false,
       {{V::kOverInput, 0}}},
      {"never over another input, even when allowed",
       {"other/a.htm", "in/a.htm"},
       "in",
       true,
       {{V::kOverInput, 1}, {V::kWrite, 0}}},
      {"two inputs with one name",
       {"in/a.htm", "other/a.htm", "in/b.htm"},
       "out",
       false,
       {{V::kWrite, 0}, {V::kSameOutput, 0}, {V::kWrite, 0}}},
      {"no file name", {"in/"}, "out", false, {{V::kNoName, 0}}},
      {"the input reached through a bind mount",
       {"in/a.htm"},
       "mirror",
       false,
       {{V::kOverInput, 0}}},
  };
  for (const Case& c : cases) {
    if (!mounted && c.folder == "mirror") continue;
    std::vector<fs::path> inputs;
    std::vector<std::string> names;
    for (const std::string& input : c.inputs) {
      inputs.push_back(dir / input);
      names.push_back(inputs.back().filename().string());
    }
    const auto plan =
        PlanOutputs(inputs, names, dir / c.folder, c.may_replace_own_input);
    ASSERT_EQ(plan.size(), c.expected.size()) << c.name;
    for (size_t i = 0; i < plan.size(); ++i) {
      EXPECT_EQ(plan[i].verdict, c.expected[i].first) << c.name << " " << i;
      if (plan[i].verdict != V::kWrite && plan[i].verdict != V::kNoName) {
        EXPECT_EQ(plan[i].other, c.expected[i].second) << c.name << " " << i;
      }
    }
  }
  if (mounted) ::umount2((dir / "mirror").c_str(), MNT_DETACH);
}

TEST(OutputPlanTest, NamesWithFoldersStayBelowTheOutputFolder) {
  ScratchFolder dir;
  fs::create_directories(dir / "in" / "sub");
  std::vector<fs::path> inputs;
  const std::vector<std::string> names = {
      "sub/a.htm",  "sub/b.htm",  "x/sub/a.htm", "../a.htm", "sub/../../a.htm",
      "/tmp/a.htm", "sub//a.htm", "sub/./a.htm", "sub/"};
  for (size_t i = 0; i < names.size(); ++i) {
    inputs.push_back(dir / "in" / (std::to_string(i) + ".htm"));
    ScratchFolder::Write(inputs.back(), std::to_string(i));
  }
  // "sub/b.htm" is the input in/sub/b.htm when the output folder is in/.
  inputs[1] = dir / "in" / "sub" / "b.htm";
  ScratchFolder::Write(inputs[1], "b");
  const std::vector<V> expected = {V::kWrite,  V::kOverInput, V::kWrite,
                                   V::kNoName, V::kNoName,    V::kNoName,
                                   V::kNoName, V::kNoName,    V::kNoName};
  const auto plan = PlanOutputs(inputs, names, dir / "in", false);
  for (size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(plan[i].verdict, expected[i]) << names[i];
  EXPECT_EQ(plan[2].output, dir / "in" / "x/sub/a.htm");
}

}  // namespace
}  // namespace tovenrak::core
