// The batch run: the bar's percentages, what a run converts and writes, two
// files at a time with results in list order, and the message that closes
// it.

#include "batch/batch_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "batch/work_ahead.h"
#include "core/convert/default_converter.h"
#include "core/io/escape_for_terminal.h"
#include "core/scratch_folder.h"
#include "support/text.h"

namespace tovenrak::batch {
namespace {

namespace fs = std::filesystem;

TEST(ProPercentTest, RoundsHalvesToEven) {
  const struct {
    size_t done, total;
    int expected;
  } cases[] = {
      {1, 3, 33}, {2, 3, 67},  {1, 8, 12},    {3, 8, 38},          {5, 8, 62},
      {7, 8, 88}, {1, 200, 0}, {1, 70000, 0}, {69999, 70000, 100}, {1, 1, 100},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProPercent(c.done, c.total), c.expected)
        << c.done << " of " << c.total;
  }
}

TEST(DescribeOutcomeTest, ListsAThousandFailuresThenCountsTheRestThenTheNotes) {
  BatchOutcome outcome;
  outcome.converted = 3;
  for (int i = 0; i < 1002; ++i)
    outcome.failed.push_back({"/f" + std::to_string(i) + ".htm", "无法读取"});
  outcome.mislabeled.push_back(
      {"/m.htm", core::Encoding::kBig5, core::Encoding::kGbk});
  outcome.unended.push_back({"/t.htm", "unterminated comment from line 3"});
  outcome.mixed.push_back(
      {"/x.txt", core::Encoding::kBig5, {3, 2, core::Encoding::kGbk}});
  // A name cannot pass for another: "mth.jpg" read right to left.
  outcome.invalid.push_back({"/i\u202Egpj.htm", 2, core::Encoding::kBig5});
  outcome.server_references.push_back({"/s.php", 3, core::Encoding::kBig5});
  outcome.guessed.push_back(
      {"/g.htm", core::Encoding::kGbk, {core::Encoding::kUtf8}, true});
  const ClosingMessage message = DescribeOutcome(outcome, "/out/");
  EXPECT_EQ(message.icon, platform::MessageIcon::kWarning);
  for (const char* says :
       {"共 1005 个文件，已转换 3 个到 /out/ 文件夹下；以下 1002 "
        "个文件未能转换：\n",
        "/f999.htm\n    无法读取", "……另有 2 个文件未能转换。",
        "以下 1 个文件中的字按两种编码读都一样通顺，编码是推测的，"
        "请核对：\n\n/g.htm\n    已按 GB 读取（本批较多文件的编码），也可读作 "
        "UTF-8",
        "以下 1 个文件的实际编码与其声明不符，已按实际编码转换：\n\n/m.htm\n"
        "    声明为 Big5，实际为 GB",
        "以下 1 个网页中有没有结束的注释、脚本或标记，已像浏览器那样读到文件"
        "末尾：\n\n/t.htm\n    从第 3 行起的注释没有结束",
        "以下 1 个文件混用了编码，其中有几行已按全文的编码转换成了别的字：\n\n/"
        "x.txt\n    有 3 行（第一行是第 2 行）像是 GB 码，全文按 Big5 码读取",
        "以下 1 "
        "个文件中有不成字的字节，已原样保留：\n\n/i\\xE2\\x80\\xAEgpj.htm\n    "
        "2 "
        "处，在 Big5 码中可能与后面的字节合成别的字",
        "以下 1 个文件的服务器代码（PHP、ASP 或 "
        "include）中有字符写作了字符引用，服务器不会把它们读成字符：\n\n/"
        "s.php\n    3 个字符，Big5 码中没有"}) {
    EXPECT_NE(testing::WithoutIsolates(message.text).find(says),
              std::string::npos)
        << says;
  }
  EXPECT_EQ(message.text.find("/f1000.htm"), std::string::npos);
}

// Into the files' own folder, where each output replaces its source.
TEST(RunBatchTest, EachFileGoesTheWayItsBytesSayAndNoneIsWrittenTwice) {
  using core::Encoding;
  testing::ScratchFolder dir;
  // Long enough for its bytes to overrule a declaration.
  std::string gb, big5;
  for (int i = 0; i < 4; ++i) {
    gb += testing::Bytes("头发很长，以后再说。", Encoding::kGbk);
    big5 += testing::Bytes("頭髮很長，以後再說。", Encoding::kBig5);
  }
  const struct {
    const char* listed;  // below the folder
    std::string input;   // none: written by an earlier row
    std::string after;   // in the folder under the listed name
  } cases[] = {
      // Never names its encoding: the old rule took it for GB.
      {"notes.txt", big5, gb},
      // Declares Big5 but is GB: converted from GB, its declaration too.
      {"page.htm", "<meta charset=big5>" + gb, "<meta charset=big5>" + big5},
      // A comment that never ends runs to the end, as browsers read it.
      {"broken.htm", "<a href=头发.htm>头发</a><!--",
       "<a href=头发.htm>頭髮</a><!--"},
      {"./notes.txt", "", gb},  // listed again: converted once, not back
      // Would replace a listed file.
      {"a/page.htm", gb, "<meta charset=big5>" + big5},
      {"a/x.htm", gb, big5},
      {"b/x.htm", "other", big5},  // would replace the output of a/x.htm
      // A program is no page: converted in place, it would be lost.
      {"prog.htm",
       std::string("\x7F"
                   "ELF\0\xB0\xA1",
                   7),
       std::string("\x7F"
                   "ELF\0\xB0\xA1",
                   7)},
      {"latin.htm", "<meta charset=latin1>Caf\xE9s",
       "<meta charset=latin1>Caf\xE9s"},
      // A byte that is no character is kept, and noted.
      {"odd.txt", gb + "\xFF", big5 + "\xFF"},
      {"western.txt", "Caf\xE9 na\xEFve, d\xE9j\xE0 vu",
       "Caf\xE9 na\xEFve, d\xE9j\xE0 vu"},
      // Short texts that read as well in Big5, where "big5" points, or as
      // UTF-8 letters (学校 reads ѧУ): read as GB, as more files of the
      // run are, and noted.
      {"title.htm", testing::Bytes("<title>big5 北京</title>", Encoding::kGbk),
       testing::Bytes("<title>big5 北京</title>", Encoding::kBig5)},
      {"menu.htm", testing::Bytes("<a>学校</a>", Encoding::kGbk),
       testing::Bytes("<a>學校</a>", Encoding::kBig5)},
  };
  std::vector<std::string> be_fore, be_hind;
  for (const auto& c : cases) {
    fs::create_directories((dir / c.listed).parent_path());
    if (!c.input.empty())
      testing::ScratchFolder::Write(dir / c.listed, c.input);
    be_fore.push_back((dir / c.listed).string());
    be_hind.push_back(fs::path(c.listed).filename().string());
  }
  const BatchOutcome outcome =
      RunBatch(*core::MakeDefaultConverter().value(), be_fore, be_hind,
               dir.path().string() + "/", {}, [](int16_t) {});
  for (const auto& c : cases) {
    EXPECT_EQ(testing::ScratchFolder::Read(dir / be_hind[&c - cases]), c.after)
        << c.listed;
  }
  EXPECT_EQ(outcome.converted, 7u);
  ASSERT_EQ(outcome.failed.size(), 5u);
  EXPECT_EQ(outcome.failed[0].path, be_fore[4]);
  EXPECT_EQ(outcome.failed[1].path, be_fore[6]);
  EXPECT_EQ(outcome.failed[2].reason, "含有二进制数据，不是网页或文本文件");
  EXPECT_EQ(testing::WithoutIsolates(outcome.failed[3].reason),
            "声明的编码 latin1 不是 Big5、GB 或 UTF-8，未转换");
  EXPECT_EQ(outcome.failed[4].reason,
            "内容像西文或俄文的单字节编码，不像中文，也没有声明编码，未转换");
  ASSERT_EQ(outcome.mislabeled.size(), 1u);
  EXPECT_EQ(outcome.mislabeled[0].path, be_fore[1]);
  ASSERT_EQ(outcome.unended.size(), 1u);
  EXPECT_EQ(outcome.unended[0].path, be_fore[2]);
  ASSERT_EQ(outcome.invalid.size(), 1u);
  EXPECT_EQ(outcome.invalid[0].path, be_fore[9]);
  ASSERT_EQ(outcome.guessed.size(), 2u);
  EXPECT_EQ(outcome.guessed[0].path, be_fore[11]);
  EXPECT_EQ(outcome.guessed[0].also_reads_as,
            std::vector<Encoding>{Encoding::kBig5});
  EXPECT_EQ(outcome.guessed[1].also_reads_as,
            std::vector<Encoding>{Encoding::kUtf8});
  for (const GuessedEncoding& guessed : outcome.guessed) {
    EXPECT_EQ(guessed.read_as, Encoding::kGbk);
    EXPECT_TRUE(guessed.by_run);
  }
}

// A file of a dropped folder is read below that folder, opened when it was
// dropped, through no link: one put in its place later, or in the place of
// the folder itself or of the target folder, is not followed.
TEST(RunBatchTest, AFileOfAFolderIsReadThroughNoLink) {
  testing::ScratchFolder dir;
  const fs::path site = dir / "site", out = dir / "out";
  const std::string gb = testing::Bytes("<p>头发</p>", core::Encoding::kGbk);
  fs::create_directories(site / "sub");
  fs::create_directories(dir / "elsewhere");
  fs::create_directories(out);
  for (const fs::path& secret :
       {dir / "elsewhere" / "a.htm", dir / "elsewhere" / "secret.htm"})
    testing::ScratchFolder::Write(secret, "secret");
  testing::ScratchFolder::Write(site / "a.htm", gb);
  fs::permissions(site / "a.htm",
                  fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(dir / "elsewhere" / "a.htm", site / "b.htm");
  fs::create_directory_symlink(dir / "elsewhere", site / "sub" / "up");
  fs::permissions(site / "sub", fs::perms::owner_all);
  const std::vector<std::string> be_hind = {"a.htm", "b.htm",
                                            "sub/up/secret.htm"};
  std::vector<std::string> be_fore;
  for (const std::string& name : be_hind) be_fore.push_back(site / name);
  BatchOptions options;
  options.roots.assign(
      3, TreeRoot{site, std::make_shared<const core::OpenFolder>(
                            core::OpenExistingFolder(site).value())});
  fs::rename(site, dir / "site.before");
  fs::create_directory_symlink(dir / "elsewhere", site);
  // The target folder is opened as the run starts, as its path is given.
  const BatchOutcome outcome = RunBatch(
      *core::MakeDefaultConverter().value(), be_fore, be_hind,
      out.string() + "/", {}, [](int16_t) {}, options);
  EXPECT_EQ(outcome.converted, 1u);
  ASSERT_EQ(outcome.failed.size(), 2u);
  for (const FailedFile& failed : outcome.failed)
    EXPECT_EQ(failed.reason, "无法读取（是链接，不跟随）") << failed.path;
  EXPECT_EQ(testing::ScratchFolder::Read(out / "a.htm"),
            testing::Bytes("<p>頭髮</p>", core::Encoding::kBig5));
  // A private file's copy stays private.
  EXPECT_EQ(fs::status(out / "a.htm").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  const std::vector<std::string> written = {"a.htm", "sub"};
  EXPECT_EQ(testing::ScratchFolder::Names(out), written);
  // So does a private folder's.
  EXPECT_EQ(fs::status(out / "sub").permissions(), fs::perms::owner_all);
}

// A page tells the style sheets it loads its old encoding, unless the run
// converts them with it.
TEST(RunBatchTest, StyleSheetsListedWithTheirPageAreNotToldItsOldEncoding) {
  testing::ScratchFolder dir;
  const std::string page =
      "<meta charset=gb2312><link rel=stylesheet href=s.css>";
  testing::ScratchFolder::Write(dir / "p.htm", page);
  testing::ScratchFolder::Write(dir / "s.css", "p { color: red }");
  fs::create_directory(dir / "out");
  const auto converter = core::MakeDefaultConverter().value();
  auto run = [&](std::vector<std::string> names) {
    std::vector<std::string> be_fore;
    for (const std::string& name : names)
      be_fore.push_back((dir / name).string());
    RunBatch(*converter, be_fore, names, (dir / "out").string() + "/", {},
             [](int16_t) {});
    return testing::ScratchFolder::Read(dir / "out" / "p.htm");
  };
  EXPECT_EQ(
      run({"p.htm"}),
      "<meta charset=big5><link charset=gb2312 rel=stylesheet href=s.css>");
  EXPECT_EQ(run({"p.htm", "s.css"}),
            "<meta charset=big5><link rel=stylesheet href=s.css>");
}

TEST(WorkAheadTest, EachItemWorkedOnceAndTakenInOrder) {
  for (const size_t ahead : {size_t{0}, size_t{1}, size_t{4}}) {
    constexpr size_t kCount = 200;
    std::vector<std::atomic<int>> calls(kCount);
    WorkAhead<size_t> work(
        kCount,
        [&](size_t k) {
          ++calls[k];
          // Uneven work, so that either thread gets ahead of the other.
          for (size_t i = 0; i < (k * 7919) % 5; ++i) std::this_thread::yield();
          return k * k;
        },
        ahead);
    for (size_t k = 0; k < kCount; ++k) ASSERT_EQ(work.Take(k), k * k);
    for (size_t k = 0; k < kCount; ++k) EXPECT_EQ(calls[k], 1) << k;
  }
}

TEST(RunBatchTest, AFileWhoseNameAnotherNeedsAsFolderFailsOnlyWhenListedLater) {
  testing::ScratchFolder dir;
  fs::create_directories(dir / "in");
  testing::ScratchFolder::Write(dir / "in" / "x", "头发");
  testing::ScratchFolder::Write(dir / "in" / "y.htm", "头发");
  fs::create_directories(dir / "out");
  const std::vector<std::string> be_fore = {(dir / "in" / "x").string(),
                                            (dir / "in" / "y.htm").string()};
  const BatchOutcome outcome =
      RunBatch(*core::MakeDefaultConverter().value(), be_fore, {"x", "x/y.htm"},
               (dir / "out").string() + "/", {}, [](int16_t) {});
  // The file x is written first; the folder x then cannot be made.
  EXPECT_TRUE(fs::is_regular_file(dir / "out" / "x"));
  ASSERT_EQ(outcome.failed.size(), 1u);
  EXPECT_EQ(outcome.failed[0].path, be_fore[1]);
}

TEST(RunBatchTest, AReservedOutputIsNeitherWrittenNorCounted) {
  testing::ScratchFolder dir;
  fs::create_directories(dir / "in");
  fs::create_directories(dir / "out");
  testing::ScratchFolder::Write(dir / "in" / "temp.htm", "头发");
  testing::ScratchFolder::Write(dir / "in" / "a.htm", "头发");
  testing::ScratchFolder::Write(dir / "in" / "b.htm", "头发");
  testing::ScratchFolder::Write(dir / "out" / "temp.htm", "a window's page");
  testing::ScratchFolder::Write(dir / "out" / "b.htm", "another's page");
  BatchOptions options;
  options.reserved = [](const fs::path& output) {
    return output.filename() == "temp.htm";
  };
  // Held by another window, whose folder this one does not know.
  const int lock = ::open((dir / "out" / ".b.htm.lock").c_str(),
                          O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_EQ(::flock(lock, LOCK_EX), 0);
  const BatchOutcome outcome = RunBatch(
      *core::MakeDefaultConverter().value(),
      {(dir / "in" / "temp.htm").string(), (dir / "in" / "a.htm").string(),
       (dir / "in" / "b.htm").string()},
      {"temp.htm", "a.htm", "b.htm"}, (dir / "out").string() + "/", {},
      [](int16_t) {}, options);
  ::close(lock);
  EXPECT_EQ(testing::ScratchFolder::Read(dir / "out" / "temp.htm"),
            "a window's page");
  EXPECT_EQ(testing::ScratchFolder::Read(dir / "out" / "b.htm"),
            "another's page");
  EXPECT_TRUE(fs::is_regular_file(dir / "out" / "a.htm"));
  EXPECT_EQ(outcome.converted, 1u);
  ASSERT_EQ(outcome.failed.size(), 2u);
  EXPECT_NE(outcome.failed[0].reason.find("预览文件"), std::string::npos);
}

TEST(RunBatchTest, AMissingTargetFolderIsNamedNotTheFileListed) {
  testing::ScratchFolder dir;
  testing::ScratchFolder::Write(dir / "a.htm", "头发");
  // Named safely too: the escape would clear a terminal the text reaches.
  const std::string target = (dir / "none\x1B[2J").string() + "/";
  const BatchOutcome outcome = RunBatch(*core::MakeDefaultConverter().value(),
                                        {(dir / "a.htm").string()}, {"a.htm"},
                                        target, {}, [](int16_t) {});
  ASSERT_EQ(outcome.failed.size(), 1u);
  // The folder, or the file in it: either says where the trouble is.
  EXPECT_EQ(testing::WithoutIsolates(outcome.failed[0].reason)
                .rfind("写入 " + core::EscapeForTerminal(target), 0),
            0u)
      << outcome.failed[0].reason;
}

}  // namespace
}  // namespace tovenrak::batch
