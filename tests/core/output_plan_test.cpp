// Which outputs a run writes, with files told apart by device and inode.

#include "core/io/output_plan.h"

#include <gtest/gtest.h>

#include <sstream>

#include "scratch_folder.h"

namespace tovenrak::core {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

// Each verdict as a letter, followed by `other` where it counts: "w r0 o1".
std::string Shown(const std::vector<PlannedOutput>& plan) {
  std::string shown;
  for (const PlannedOutput& p : plan) {
    shown +=
        (shown.empty() ? "" : " ") + std::string(1, "wrosnk"[int(p.verdict)]);
    if (p.verdict != OutputVerdict::kWrite &&
        p.verdict != OutputVerdict::kNoName &&
        p.verdict != OutputVerdict::kOverKept)
      shown += std::to_string(p.other);
  }
  return shown;
}

TEST(OutputPlanTest, TellsFilesApartByDeviceAndInode) {
  ScratchFolder dir;
  for (const char* folder : {"in", "other", "out", "linked"})
    fs::create_directory(dir / folder);
  for (const char* file : {"in/a.htm", "in/b.htm", "other/a.htm"})
    ScratchFolder::Write(dir / file, file);
  fs::create_hard_link(dir / "in/a.htm", dir / "in/hard.htm");
  fs::create_symlink("a.htm", dir / "in/link.htm");
  // Existing outputs: the input by another name, and a link saving replaces.
  fs::create_hard_link(dir / "in/a.htm", dir / "linked/a.htm");
  fs::create_symlink(dir / "in/a.htm", dir / "out/a.htm");
  const struct {
    std::string inputs, folder;
    bool may_replace_own_input;
    std::string expected;
  } cases[] = {
      // A hard link is a page of its own (index.htm and default.htm); a
      // link to a page, or the page named again, is that page.
      {"in/a.htm in/../in/a.htm in/hard.htm in/link.htm", "out", false,
       "w r0 w r0"},
      {"in/link.htm in/a.htm", "out", false, "w r0"},
      {"in/a.htm in/hard.htm", "in", true, "w w"},
      {"in/a.htm in/hard.htm", "in", false, "o0 o1"},
      {"in/a.htm in/b.htm", "in", false, "o0 o1"},
      {"other/a.htm in/a.htm", "in", true, "o1 w"},
      {"in/a.htm", "linked", false, "o0"},
      {"in/a.htm other/a.htm in/b.htm", "out", false, "w s0 w"},
      // A folder not made yet is told apart by its path.
      {"in/a.htm other/a.htm in/b.htm", "new/sub", false, "w s0 w"},
      {"in/", "out", false, "n"},
  };
  for (const auto& c : cases) {
    std::vector<fs::path> inputs;
    std::vector<std::string> names;
    std::istringstream words(c.inputs);
    for (std::string input; words >> input;) {
      inputs.push_back(dir / input);
      names.push_back(inputs.back().filename().string());
    }
    EXPECT_EQ(Shown(PlanOutputs(inputs, names, dir / c.folder,
                                c.may_replace_own_input)),
              c.expected)
        << c.inputs << " into " << c.folder;
  }
  // A file to keep is replaced by no output, however its path is written.
  EXPECT_EQ(Shown(PlanOutputs({dir / "in/a.htm", dir / "in/b.htm"},
                              {"a.htm", "b.htm"}, dir / "other", true,
                              {dir / "out/../other/a.htm"})),
            "k w");
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
  const auto plan = PlanOutputs(inputs, names, dir / "in", false);
  EXPECT_EQ(Shown(plan), "w o1 w n n n n n n");
  EXPECT_EQ(plan[2].output, dir / "in" / "x/sub/a.htm");
}

}  // namespace
}  // namespace tovenrak::core
