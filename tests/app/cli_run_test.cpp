// tovenrak-convert as the user sees it: which files are written, the report
// lines and summary, exit statuses, and a run that goes on when one file or
// a worker thread fails. How saves fail is tested once, in core.

#include "app/cli_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <sstream>

#include "../core/in_child.h"
#include "../core/scratch_folder.h"
#include "../support/text.h"
#include "core/convert/default_converter.h"

namespace tovenrak::app {
namespace {

namespace fs = std::filesystem;
using testing::InChild;
using testing::ScratchFolder;

// "我的頭髮" in Big5 and "我的头发" in GBK: enough characters that GB is
// no guess.
const std::string kBig5Hair = "\xA7\xDA\xAA\xBA\xC0\x59\xBE\x76";
const std::string kGbHair = "\xCE\xD2\xB5\xC4\xCD\xB7\xB7\xA2";

// The product's converter, except that a text holding "HUGE" runs out of
// memory.
class HungryConverter : public core::Converter {
 public:
  explicit HungryConverter(const core::Converter& inner) : inner_(inner) {}
  core::Status Convert(std::u32string_view text, core::ScriptConversion how,
                       std::u32string& out) const override {
    if (text.find(U"HUGE") != std::u32string_view::npos) throw std::bad_alloc();
    return inner_.Convert(text, how, out);
  }

 private:
  const core::Converter& inner_;
};

// The product's converter, which does `act` before its first conversion:
// another user changing the files of a run while it runs.
class ActingFirst : public HungryConverter {
 public:
  ActingFirst(const core::Converter& inner, std::function<void()> act)
      : HungryConverter(inner), act_(std::move(act)) {}
  core::Status Convert(std::u32string_view text, core::ScriptConversion how,
                       std::u32string& out) const override {
    if (act_) std::exchange(act_, nullptr)();
    return HungryConverter::Convert(text, how, out);
  }

 private:
  mutable std::function<void()> act_;
};

class CliRunTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto made = core::MakeDefaultConverter();
    ASSERT_TRUE(made.has_value()) << made.error().Message();
    product_ = std::move(made.value()).release();
  }
  static void TearDownTestSuite() { delete product_; }
  void SetUp() override {
    fs::create_directory(dir_ / "in");
    fs::create_directory(dir_ / "out");
  }

  std::string Input(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_ / "in" / name;
    fs::create_directories(path.parent_path());
    ScratchFolder::Write(path, bytes);
    return path.string();
  }
  std::string Out(const std::string& name = "") const {
    return (dir_ / "out" / name).string();
  }
  int Run(std::vector<std::string> args, const std::string& input = "",
          const core::Converter* converter = nullptr) {
    auto options = ParseCliOptions(args);
    EXPECT_TRUE(options.has_value());
    std::istringstream in(input);
    out_.str("");
    err_.str("");
    CliStreams streams{in, out_, err_, false};
    return RunCli(*options, converter ? *converter : *product_, streams);
  }
  bool Reported(const std::string& line) const {
    return err_.str().find("tovenrak-convert: " + line + "\n") !=
           std::string::npos;
  }

  static core::Converter* product_;
  ScratchFolder dir_;
  std::ostringstream out_, err_;
};

core::Converter* CliRunTest::product_ = nullptr;

TEST_F(CliRunTest, ConvertsEachFileTheWayItsTextSaysOrAsTold) {
  const std::string big5 = Input("a.htm", "<meta charset=big5>" + kBig5Hair);
  const std::string gb = Input("b.htm", "<meta charset=\"gb2312\">" + kGbHair);
  EXPECT_EQ(Run({"-o", Out("new/deeper"), big5, gb}), 0) << err_.str();
  EXPECT_EQ(ScratchFolder::Read(Out("new/deeper/a.htm")),
            "<meta charset=gb2312>" + kGbHair);
  EXPECT_EQ(ScratchFolder::Read(Out("new/deeper/b.htm")),
            "<meta charset=\"big5\">" + kBig5Hair);

  const std::string plain = Input("c.txt", kBig5Hair);
  EXPECT_EQ(Run({"--to", "gb", "-o", Out(), plain}), 0);
  EXPECT_EQ(ScratchFolder::Read(Out("c.txt")), kGbHair);
  // The output folder is made only when there is a file to write.
  EXPECT_EQ(Run({"-o", Out("unused"), "-"}, kGbHair), 0);
  EXPECT_FALSE(fs::exists(Out("unused")));
  EXPECT_EQ(out_.str(), kBig5Hair);
  EXPECT_EQ(err_.str(), "") << "a filter that went well says nothing";
  EXPECT_EQ(Run({"-", "--to", "gb", "-s", "keep"}, "\xFF" + kGbHair), 0);
  EXPECT_TRUE(Reported(
      "1 file converted, 0 failed, 0 characters written as references, 1 "
      "invalid byte sequence passed through"))
      << err_.str();

  EXPECT_EQ(Run({"-o", (dir_ / "in").string(), plain}), 1);
  EXPECT_TRUE(Reported(plain + ": would write over input file '" + plain +
                       "' (use --overwrite)"))
      << err_.str();
  // A missing file is reported missing, whatever its output would be.
  const std::string missing = (dir_ / "in" / "missing.htm").string();
  EXPECT_EQ(Run({"-o", (dir_ / "in").string(), missing}), 1);
  EXPECT_TRUE(Reported(missing + ": " + std::strerror(ENOENT))) << err_.str();
  EXPECT_EQ(Run({"--overwrite", "-o", (dir_ / "in").string(), plain}), 0);
  EXPECT_EQ(ScratchFolder::Read(plain), kGbHair);
  // In place, a link named would become a file of its own, and the file it
  // points to stay as it was.
  const std::string link = (dir_ / "in" / "link.txt").string();
  fs::create_symlink("c.txt", link);
  EXPECT_EQ(
      Run({"--overwrite", "-o", (dir_ / "in").string(), "--to", "big5", link}),
      1);
  EXPECT_TRUE(Reported(link +
                       ": a link: --overwrite would replace the link, not "
                       "convert the file it points to; name that file"))
      << err_.str();
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ScratchFolder::Read(plain), kGbHair);
  // A private file's copy stays private.
  const std::string secret = Input("secret.txt", kGbHair);
  fs::permissions(secret, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Run({"-o", Out("private"), secret}), 0);
  EXPECT_EQ(fs::status(Out("private/secret.txt")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);

  // So are lines of another encoding, converted as the whole was read.
  const std::string mixed =
      Input("mixed.txt",
            testing::Bytes("这个问题我们以后再讨论吧。请把文件发给我。\n",
                           core::Encoding::kGbk) +
                testing::Bytes("這個問題我們以後再討論吧。請把檔案發給我。\n",
                               core::Encoding::kBig5) +
                testing::Bytes("这个问题我们以后再讨论吧。请把文件发给我。\n",
                               core::Encoding::kGbk));
  EXPECT_EQ(Run({"-o", Out(), mixed}), 0);
  EXPECT_TRUE(Reported(mixed +
                       ": warning: 1 of its lines (the first is line 2) read "
                       "as Big5, not as GB, in which the whole file was read "
                       "and converted: it mixes encodings"))
      << err_.str();

  // Bytes kept that are no characters are pointed out, file by file.
  const std::string broken = Input("d.txt", "\xE9x");
  EXPECT_EQ(Run({"-f", "utf-8", "-t", "big5", "-o", Out(), broken}), 0);
  EXPECT_TRUE(Reported(broken +
                       ": warning: 1 invalid byte sequence kept as written, "
                       "which in Big5 may read as other characters"))
      << err_.str();
  // So are references a server would not read.
  const std::string php = Input("e.php", "<?php $s = '头发'; ?>头发");
  EXPECT_EQ(Run({"-f", "utf-8", "-t", "big5", "-o", Out(), php}), 0);
  EXPECT_TRUE(Reported(php +
                       ": warning: 2 characters that Big5 lacks written as "
                       "references inside server code (PHP, ASP or an "
                       "include), which the server does not read as "
                       "characters"))
      << err_.str();
  // As text, PHP's strings keep no escapes: 功 ends in '\' in Big5.
  const std::string strings = Input("f.php", "<?php $s = \"成功\"; ?>");
  EXPECT_EQ(Run({"-f", "utf-8", "-t", "big5", "--markup", "text", "-o", Out(),
                 strings}),
            0);
  EXPECT_TRUE(Reported(strings +
                       ": warning: its PHP was converted as text, with 1 "
                       "character ending in the byte '\\', which in a PHP "
                       "string escapes what follows (convert it without "
                       "--markup text to keep its strings)"))
      << err_.str();
  EXPECT_EQ(Run({"-f", "utf-8", "-t", "big5", "-o", Out(), strings}), 0);
  EXPECT_EQ(err_.str().find("PHP"), std::string::npos) << err_.str();
  EXPECT_EQ(Run({"-f", "utf-8", "-t", "utf-8", "-o", Out(), broken}), 0);
  EXPECT_TRUE(Reported(broken +
                       ": warning: output is not valid UTF-8: 1 invalid byte "
                       "sequence kept as written"))
      << err_.str();
}

// A short file whose bytes read as well as UTF-8 letters (学校 in GB reads
// ѧУ) waits for the other files, and is read as more of them are.
TEST_F(CliRunTest, AGuessedFileIsReadAsMostFilesOfTheRun) {
  const std::string school = "\xD1\xA7\xD0\xA3";  // 学校 in GB.
  const std::string menu = Input("menu.htm", "<a>" + school + "</a>");
  const std::string page = Input("page.htm", "<p>" + kGbHair + "</p>");
  const std::string other = Input("other.htm", "<p>" + kGbHair + "</p>");
  EXPECT_EQ(Run({"-v", "-j", "2", "-o", Out(), menu, page, other}), 0);
  EXPECT_EQ(ScratchFolder::Read(Out("menu.htm")), "<a>\xBE\xC7\xAE\xD5</a>");
  EXPECT_TRUE(
      Reported(menu + ": GB (like more files of the run) -> Big5, traditional, "
                      "as markup; 0 references, 0 invalid byte sequences"))
      << err_.str();
  EXPECT_TRUE(Reported(menu +
                       ": warning: its characters read as well in UTF-8 as in "
                       "GB; read as GB, like more files of this run (name "
                       "its encoding with --from if that is wrong)"))
      << err_.str();
  // What is converted is what was read: a link put in the file's place
  // meanwhile is not followed.
  const std::string secret = Input("secret.txt", "secret " + kGbHair);
  ActingFirst swapping(*product_, [&] {
    fs::remove(menu);
    fs::create_symlink(secret, menu);
  });
  EXPECT_EQ(Run({"-j", "1", "-o", Out(), menu, page}, "", &swapping), 0);
  EXPECT_EQ(ScratchFolder::Read(Out("menu.htm")), "<a>\xBE\xC7\xAE\xD5</a>");
  fs::remove(menu);
  ScratchFolder::Write(menu, "<a>" + school + "</a>");
  // Alone, it is read as UTF-8, and said to be a guess.
  EXPECT_EQ(Run({"-o", Out(), menu}), 0);
  EXPECT_EQ(ScratchFolder::Read(Out("menu.htm")), "<a>" + school + "</a>");
  EXPECT_TRUE(Reported(menu +
                       ": warning: its characters read as well in GB as in "
                       "UTF-8; read as UTF-8 (name its encoding with --from "
                       "if that is wrong)"))
      << err_.str();
}

// Names are escaped in every line, a GBK name's bytes too on a UTF-8
// terminal.
TEST_F(CliRunTest, EachFailureIsReportedOnceAndTheRestConvert) {
  const std::string missing =
      (dir_ / "in" / "\x1B[2K\r3 files converted\n\xB2\xFA.htm").string();
  const std::string good = Input("good.htm", kGbHair);
  const std::string blocked = Input("folder.htm", kGbHair);
  const std::string huge = Input("huge.htm", "HUGE");
  const std::string binary = Input("logo.htm", std::string("GIF89a\0\xA4", 8));
  // A window holds its preview file by a lock beside it, which no output
  // may replace either.
  const std::string held = Input("temp.htm", kGbHair);
  const std::string lock_named = Input(".temp.htm.lock", kGbHair);
  ScratchFolder::Write(Out("temp.htm"), "a window's page");
  const int lock =
      ::open(Out(".temp.htm.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_EQ(::flock(lock, LOCK_EX), 0);
  fs::create_directory(Out("folder.htm"));
  HungryConverter hungry(*product_);
  EXPECT_EQ(Run({"-j", "2", "-o", Out(), missing, good, blocked, huge, binary,
                 held, lock_named},
                "", &hungry),
            1);
  ::close(lock);
  EXPECT_TRUE(Reported(held + ": would write over '" + Out("temp.htm") +
                       "', which a running program holds (a window's preview "
                       "file); output not written"))
      << err_.str();
  EXPECT_EQ(ScratchFolder::Read(Out("temp.htm")), "a window's page");
  EXPECT_TRUE(Reported(lock_named + ": would write over '" +
                       Out(".temp.htm.lock") +
                       "', which a running program holds (a window's preview "
                       "file); output not written"))
      << err_.str();
  EXPECT_TRUE(Reported((dir_ / "in").string() +
                       "/\\x1B[2K\\x0D3 files converted\\x0A\\xB2\\xFA.htm: " +
                       std::strerror(ENOENT)))
      << err_.str();
  EXPECT_TRUE(Reported(blocked + ": cannot write '" + Out("folder.htm") +
                       "': " + std::strerror(EISDIR)))
      << err_.str();
  EXPECT_TRUE(
      Reported(huge + ": not enough memory to convert a text of 4 bytes"))
      << err_.str();
  EXPECT_TRUE(Reported(binary + ": " + std::string(core::kBinaryReason)))
      << err_.str();
  EXPECT_NE(err_.str().find("1 file converted, 6 failed"), std::string::npos);
  EXPECT_EQ(ScratchFolder::Read(Out("good.htm")), kBig5Hair);
  EXPECT_EQ(ScratchFolder::Names(Out()),
            (std::vector<std::string>{".temp.htm.lock", "folder.htm",
                                      "good.htm", "temp.htm"}));
}

// A file size limit (ulimit -f) fails the file that passes it, as any
// failed save; the signal it sends would end the run without a word.
TEST_F(CliRunTest, AFileSizeLimitFailsTheFileNotTheRun) {
  const std::string large = Input("large.htm", std::string(64 << 10, 'a'));
  const std::string small = Input("small.htm", kGbHair);
  const testing::ChildResult child = InChild([&] {
    const rlimit limit{16 << 10, 16 << 10};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const int status = Run({"-j", "1", "-o", Out(), large, small});
    return std::to_string(status) + "\n" + err_.str();
  });
  ASSERT_TRUE(WIFEXITED(child.status)) << child.status;
  EXPECT_EQ(child.said.substr(0, 2), "1\n") << child.said;
  EXPECT_NE(child.said.find(large + ": cannot write '" + Out("large.htm") +
                            "': " + std::strerror(EFBIG)),
            std::string::npos)
      << child.said;
  EXPECT_EQ(ScratchFolder::Read(Out("small.htm")), kBig5Hair);
}

// In place the input is the output: a save that fails names the save, not
// only the OS's reason as for a file that cannot be read.
TEST_F(CliRunTest, AFailedSaveInPlaceSaysItCouldNotWrite) {
  const std::string page = Input("held/page.htm", kGbHair);
  const std::string folder = (dir_ / "in" / "held").string();
  if (std::system(("chattr +i '" + folder + "' 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "no immutable folders here";
  const int status = Run({"--overwrite", "-o", folder, page});
  std::system(("chattr -i '" + folder + "'").c_str());
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(
      Reported(page + ": cannot write '" + page + "': " + std::strerror(EPERM)))
      << err_.str();
  EXPECT_EQ(ScratchFolder::Read(page), kGbHair);
}

TEST_F(CliRunTest, RecursiveRunsMirrorTheDocumentsOfATree) {
  Input("site/a.htm", kGbHair);
  Input("site/sub/B.HTML", kGbHair);
  Input("site/sub/deep/c.txt", kGbHair);
  Input("site/logo.png", kGbHair);
  Input("site/notes.md", kGbHair);
  const std::string outside = Input("outside/secret.htm", kGbHair);
  const std::string site = (dir_ / "in" / "site").string();
  fs::create_symlink(outside, site + "/sub/secret.htm");
  fs::create_symlink("..", site + "/sub/loop");
  fs::create_directory(Out("plant"));
  fs::create_symlink(dir_ / "in" / "outside", Out("plant/sub"));

  const std::string all = "a.htm sub/B.HTML sub/deep/c.txt";
  struct Case {
    std::string args, output;  // Before the folder; below the scratch one.
    int status;
    std::string written, summary;  // Below the output folder; a part.
  } cases[] = {
      {"-r", "out/tree", 0, all, "passed through, 4 other files skipped\n"},
      {"--recursive --ext=.MD,txt", "out/ext", 0, "notes.md sub/deep/c.txt",
       "5 other files skipped"},
      // A link planted in the output tree is not followed.
      {"-r", "out/plant", 1, "a.htm", "1 file converted, 2 failed"},
      {"", "out/flat", 1, "", "1 failed"},  // A folder only as a tree.
      {"-r", "in/site/sub/out", 0, all, "3 files converted, 0 failed"},
      // Its files are now the tree's own: a second run converts none of
      // them, and writes over none unless told to.
      {"-r", "in/site/sub/out", 1, all,
       "0 files converted, 3 failed, 0 characters written as references, 0 "
       "invalid byte sequences passed through, 7 other files skipped"},
      // Said, as they may be pages of the site left unconverted.
      {"-r --overwrite", "in/site/sub/out", 0, all,
       "warning: 3 documents in the output folder '" +
           (dir_ / "in/site/sub/out").string() +
           "', inside a folder converted, were left as they are (--verbose "
           "lists them)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    std::vector<std::string> args;
    std::istringstream words(c.args + " -o " + (dir_ / c.output).string());
    for (std::string word; words >> word;) args.push_back(word);
    args.push_back(site);
    EXPECT_EQ(Run(args), c.status) << err_.str();
    size_t files = 0, written = 0;
    std::istringstream names(c.written);
    for (std::string name; names >> name; ++written)
      EXPECT_EQ(ScratchFolder::Read(dir_ / c.output / name), kBig5Hair) << name;
    for (const auto& entry : fs::recursive_directory_iterator(dir_ / c.output))
      files += entry.is_regular_file() && !entry.is_symlink();
    EXPECT_EQ(files, written);
    EXPECT_NE(err_.str().find(c.summary), std::string::npos) << err_.str();
  }
  EXPECT_EQ(ScratchFolder::Names(dir_ / "in" / "outside"),
            std::vector<std::string>{"secret.htm"});
  // A private folder's copies stay private, and so does the output folder
  // made for a private tree.
  const mode_t mask = ::umask(022);
  fs::permissions(site + "/sub", fs::perms::owner_all);
  fs::permissions(site, static_cast<fs::perms>(0750));
  EXPECT_EQ(Run({"-r", "-o", Out("private/made"), site}), 0) << err_.str();
  ::umask(mask);
  EXPECT_EQ(fs::status(Out("private/made")).permissions(),
            static_cast<fs::perms>(0750));
  EXPECT_EQ(fs::status(Out("private/made/sub")).permissions(),
            fs::perms::owner_all);
  EXPECT_EQ(fs::status(Out("private/made/sub/deep")).permissions(),
            static_cast<fs::perms>(0755));

  // Nor is one put in the place of a file or a folder of the tree after it
  // was listed, nor in the place of the tree or of the output folder.
  Input("late/a.htm", kGbHair);
  Input("late/b.htm", kGbHair);
  Input("late/d.htm", kGbHair);
  Input("late/sub/c.htm", kGbHair);
  Input("elsewhere/c.htm", "secret");
  Input("elsewhere/d.htm", "secret");
  const fs::path late = dir_ / "in" / "late";
  fs::create_directories(Out("late"));
  fs::create_directories(Out("evil"));
  ActingFirst swapping(*product_, [&] {
    fs::remove(late / "b.htm");
    fs::create_symlink(outside, late / "b.htm");
    fs::remove_all(late / "sub");
    fs::create_directory_symlink(dir_ / "in" / "elsewhere", late / "sub");
    fs::rename(late, dir_ / "in" / "late.before");
    fs::create_directory_symlink(dir_ / "in" / "elsewhere", late);
    fs::rename(Out("late"), Out("late.before"));
    fs::create_directory_symlink(Out("evil"), Out("late"));
  });
  EXPECT_EQ(
      Run({"-r", "-j", "1", "-o", Out("late"), late.string()}, "", &swapping),
      1);
  for (const char* name : {"a.htm", "d.htm"})
    EXPECT_EQ(ScratchFolder::Read(Out("late.before/") + name), kBig5Hair);
  EXPECT_TRUE(ScratchFolder::Names(Out("evil")).empty());
  for (const char* name : {"b.htm", "sub/c.htm"}) {
    EXPECT_FALSE(fs::exists(Out("late.before/") + name)) << name;
    EXPECT_TRUE(
        Reported((late / name).string() + ": a link; links are not followed"))
        << err_.str();
  }
}

TEST_F(CliRunTest, WorkersThatCannotStartLeaveTheWorkToFewer) {
  // Used to end the run with exit 134: no summary, files left unconverted.
  // And workers the process cannot open files for failed files.
  std::vector<std::string> args = {"-j", "64", "-o", Out()};
  for (int i = 0; i < 200; ++i)
    args.push_back(Input(std::to_string(i) + ".htm", kGbHair));
  fs::permissions(Out(), fs::perms::all);
  for (const auto& [resource, most] :
       {std::pair{RLIMIT_NPROC, 1}, std::pair{RLIMIT_NOFILE, 40}}) {
    const auto child = InChild(
        [&] {
          const rlimit limit{static_cast<rlim_t>(most),
                             static_cast<rlim_t>(most)};
          ::setrlimit(resource, &limit);
          const int status = Run(args);
          return std::to_string(status) + " " + err_.str();
        },
        /*as_nobody=*/::geteuid() == 0);
    EXPECT_EQ(child.said,
              "0 tovenrak-convert: 200 files converted, 0 failed, 0 "
              "characters written as references, 0 invalid byte "
              "sequences passed through\n");
    for (int i = 0; i < 200; ++i) {
      EXPECT_EQ(ScratchFolder::Read(Out(std::to_string(i) + ".htm")),
                kBig5Hair);
    }
    fs::remove_all(Out());
    fs::create_directory(Out());
    fs::permissions(Out(), fs::perms::all);
  }
}

TEST_F(CliRunTest, QuietSaysOnlyFailuresAndVerboseEveryFile) {
  const std::string good = Input("good.htm", "<meta charset=gbk>" + kGbHair);
  const std::string missing = (dir_ / "in" / "missing.htm").string();
  const std::string failure =
      "tovenrak-convert: " + missing + ": " + std::strerror(ENOENT) + "\n";
  const std::string summary =
      "tovenrak-convert: 1 file converted, 1 failed, 0 characters written as "
      "references, 0 invalid byte sequences passed through\n";
  const std::string described = "tovenrak-convert: " + good +
                                ": GB (declaration) -> Big5, traditional, as "
                                "markup; 0 references, 0 invalid byte "
                                "sequences\n";
  struct Case {
    std::vector<std::string> flags;
    std::string said;
  } cases[] = {
      {{"--quiet"}, failure},
      {{"--verbose"}, described + failure + summary},
      {{"-v", "-q"}, failure},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.flags;
    args.insert(args.end(), {"-o", Out(), good, missing});
    EXPECT_EQ(Run(args), 1);
    EXPECT_EQ(err_.str(), c.said) << ::testing::PrintToString(c.flags);
  }
}

TEST_F(CliRunTest, AFailedSyncAtTheEndFailsEveryFileWritten) {
  // Saves do not sync one by one; the one sync at the end is what makes the
  // run's success true. Here the kernel fails it, as a dying disk would.
  const std::string a = Input("a.htm", kGbHair), b = Input("b.htm", kGbHair);
  const auto child = InChild([&] {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_syncfs, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EIO),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program{std::size(filter), filter};
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
      return std::string("no seccomp");
    const int status = Run({"-o", Out(), a, b});
    return std::to_string(status) + " " + err_.str();
  });
  const std::string lost = ": written, but not safely on disk: ";
  EXPECT_EQ(child.said, "1 tovenrak-convert: " + a + lost + std::strerror(EIO) +
                            "\ntovenrak-convert: " + b + lost +
                            std::strerror(EIO) +
                            "\ntovenrak-convert: 0 files converted, 2 "
                            "failed, 0 characters written as references, 0 "
                            "invalid byte sequences passed through\n");
}

// --ambiguities lists each point on standard output and writes files only
// with -o; a phrase file that cannot be read converts nothing.
// A page tells the scripts it loads its old encoding, unless the run
// converts them with it.
TEST_F(CliRunTest, ScriptsConvertedWithTheirPageAreNotToldItsOldEncoding) {
  const std::string page =
      Input("site/p.htm", "<meta charset=gb2312><script src=m.js></script>");
  Input("site/m.JS", "var m = 1;");
  const std::string site = (dir_ / "in" / "site").string();
  EXPECT_EQ(Run({"-o", Out("alone"), page}), 0) << err_.str();
  EXPECT_EQ(ScratchFolder::Read(Out("alone/p.htm")),
            "<meta charset=big5><script charset=gb2312 src=m.js></script>");
  EXPECT_EQ(Run({"-r", "--ext=htm,js", "-o", Out("both"), site}), 0);
  EXPECT_EQ(ScratchFolder::Read(Out("both/p.htm")),
            "<meta charset=big5><script src=m.js></script>");
}

TEST_F(CliRunTest, AmbiguitiesAreListedAndABadPhraseFileConvertsNothing) {
  const std::string file = Input("a\x1b.txt", "第一行\n去干扰\n");
  const std::string bad = Input("bad.txt", "# mine\n干扰 干擾\n");
  const std::string listed = file.substr(0, file.size() - 5) + "\\x1B.txt";
  const std::vector<std::string> ask = {"--ambiguities", "--to=utf-8",
                                        "--script=traditional"};
  auto with = [&](std::vector<std::string> args) {
    args.insert(args.begin(), ask.begin(), ask.end());
    return args;
  };
  EXPECT_EQ(Run(with({file})), 0);
  EXPECT_EQ(out_.str(), listed + ":2:2: 干 -> 幹 (幹 乾 干)\n");
  EXPECT_TRUE(ScratchFolder::Names(Out()).empty());
  EXPECT_NE(err_.str().find("1 file looked through, 0 failed, nothing written"),
            std::string::npos)
      << err_.str();
  EXPECT_EQ(Run(with({"-o", Out(), file})), 0);
  EXPECT_EQ(out_.str(), listed + ":2:2: 干 -> 幹 (幹 乾 干)\n");
  EXPECT_EQ(ScratchFolder::Read(Out("a\x1b.txt")), "第一行\n去幹擾\n");
  Run(with({"-"}), "头发\n头发生");
  EXPECT_EQ(out_.str(), "-:2:2: 发 -> 髮 (發 髮)\n");
  // Into a folder, standard input's conversion would have nowhere to go.
  EXPECT_EQ(Run(with({"-o", Out(), "-", file}), "头发"), 1);
  EXPECT_TRUE(
      Reported("-: not converted: with --ambiguities standard output "
               "holds the list, and standard input's conversion would "
               "go nowhere"))
      << err_.str();

  EXPECT_EQ(Run(with({"--phrases", bad, "-o", Out("new"), file})), 1);
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(err_.str(), "tovenrak-convert: " + bad +
                            ": line 2: no tab between the phrase and its "
                            "replacement\n");
  EXPECT_FALSE(fs::exists(Out("new")));
  // Where the script is kept, the phrases would silently do nothing.
  const std::string good = Input("good.txt", "干扰\t干擾\n");
  EXPECT_EQ(Run({"--phrases", good, "--to", "utf-8", "-o", Out(), file}), 0);
  EXPECT_TRUE(
      Reported("warning: --phrases does nothing where the script is "
               "kept (name one with --script)"))
      << err_.str();
  // In Chinese, the reason too; and what in a page did not end.
  const Messages chinese({Language::kSimplified, core::Encoding::kUtf8},
                         nullptr);
  const std::string page = Input("p.htm", "<p>头发<!-- 头");
  for (auto [args, said] : {std::pair<std::vector<std::string>, std::string>{
                                {"--phrases", bad, file},
                                bad + ": 第 2 行：词组与替换之间没有制表符"},
                            {{"-o", Out("zh"), page},
                             page + ": 警告：从第 1 行起的注释没有结束，"
                                    "已像浏览器那样读到文件末尾"}}) {
    auto options = ParseCliOptions(args);
    ASSERT_TRUE(options.has_value());
    err_.str("");
    std::istringstream in;
    CliStreams streams{in, out_, err_, false};
    RunCli(*options, *product_, streams, chinese);
    EXPECT_TRUE(err_.str().starts_with("tovenrak-convert: " + said + "\n"))
        << err_.str();
  }
}

// The program itself: exit statuses, help, standard output and a usage
// error that names an escape sequence.
TEST(CliProgramTest, ExitStatusesHelpAndStandardOutput) {
  const std::string program = TOVENRAK_CONVERT;
  struct Case {
    std::string command;  // For sh; what it prints is checked.
    int status;
    std::string said;  // Its start.
  } cases[] = {
      {program + " --help", 0, "Usage: tovenrak-convert [OPTION]... [FILE]..."},
      {program + " '--bogus\x1Bx' 2>&1", 2,
       "tovenrak-convert: unrecognized option '--bogus\\x1Bx'"},
      {"env -u LC_ALL -u LC_MESSAGES LANG=zh_TW.UTF-8 " + program +
           " --bogus 2>&1",
       2, "tovenrak-convert: 無法識別的選項“--bogus”\n請執行"},
      {"printf 'big5 \\300\\131' | " + program + " -q 2>&1", 0,
       "big5 \xCD\xB7"},
      {"echo x | " + program + " - 2>&1 >/dev/full", 1,
       "tovenrak-convert: -: cannot write standard output: No space left on "
       "device\n"},
      {"echo 干 | " + program + " -q --ambiguities - 2>&1 >/dev/full", 1,
       "tovenrak-convert: cannot write standard output"},
      // The list in the terminal's character set, as the messages are.
      {"echo 去干扰 | env -u LC_ALL -u LC_MESSAGES LANG=zh_CN.GBK " + program +
           " -q --ambiguities -t utf-8 -s traditional",
       0, "-:1:2: \xB8\xC9 -> \x8E\xD6 (\x8E\xD6 \xC7\xAC \xB8\xC9)\n"},
      // 啓 has a Big5 code only in HKSCS, which Windows does not read.
      {"echo '<p>启动 启用' | " + program +
           " --variant std --to big5 --markup html 2>&1 >/dev/null",
       0,
       "tovenrak-convert: -: warning: 2 of its characters (the first: 啓 "
       "U+5553) "
       "have Big5 codes only in Hong Kong's HKSCS"},
      // Refused at its first bytes, though it never ends.
      {program + " -q - </dev/zero 2>&1", 1,
       "tovenrak-convert: -: it holds binary data"},
      // UTF-16 is read, and written as UTF-8 when no target is named;
      // half a character is refused.
      {"printf '\\377\\376<\\000\\064\\131\\321\\123' | " + program +
           " -s keep 2>&1 >/dev/null",
       0,
       "tovenrak-convert: -: warning: read as UTF-16 and written as UTF-8, as "
       "this program writes no UTF-16\n"},
      {"printf '\\377\\376<\\000\\064\\131\\321\\123' | " + program +
           " -q -s keep",
       0, "\xEF\xBB\xBF<头发"},
      {"printf '\\377\\376<\\000\\000\\330' | " + program + " -q 2>&1", 1,
       "tovenrak-convert: -: " + std::string(core::kUtf16Reason)},
      // 簡體 in Big5 reads as well in GB.
      {"printf '\\302\\262\\305\\351' | " + program + " 2>&1 >/dev/null", 0,
       "tovenrak-convert: -: warning: its characters read as well in Big5 as "
       "in GB; read as GB (name its encoding with --from if that is wrong)"},
      // French in Latin-1: what to do if it is Chinese all the same.
      {"printf 'Caf\\351 na\\357ve, d\\351j\\340 vu \\340 la' | " + program +
           " -q 2>&1",
       1,
       "tovenrak-convert: -: " + std::string(core::kSingleByteLettersReason) +
           " (if it is Chinese, name its encoding with --from)"},
  };
  for (const Case& c : cases) {
    std::string said;
    FILE* pipe = ::popen(c.command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[256];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      said.append(buffer, n);
    EXPECT_EQ(WEXITSTATUS(::pclose(pipe)), c.status) << c.command;
    EXPECT_EQ(said.rfind(c.said, 0), 0u) << c.command << "\n" << said;
  }
}

}  // namespace
}  // namespace tovenrak::app
