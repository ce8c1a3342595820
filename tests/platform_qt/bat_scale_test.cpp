// The batch window at scale, through its own dialog and the real converter:
// thousands of small files in one run, and a 200 MiB file, with the progress
// bar, the outputs and the memory watched.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "batch/bat.h"
#include "core/convert/default_converter.h"
#include "core/convert_document.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/fake_message_box.h"
#include "platform/qt/qt_bat_view.h"

namespace tovenrak::platform::qt {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's shadow memory and quarantine make memory figures moot.
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Whether two files hold the same bytes, compared a piece at a time.
bool SameBytes(const fs::path& a, const fs::path& b) {
  std::ifstream in_a(a, std::ios::binary), in_b(b, std::ios::binary);
  if (!in_a || !in_b) return false;
  std::vector<char> piece_a(1 << 20), piece_b(1 << 20);
  for (;;) {
    in_a.read(piece_a.data(), static_cast<std::streamsize>(piece_a.size()));
    in_b.read(piece_b.data(), static_cast<std::streamsize>(piece_b.size()));
    if (in_a.gcount() != in_b.gcount()) return false;
    if (!std::equal(piece_a.begin(), piece_a.begin() + in_a.gcount(),
                    piece_b.begin()))
      return false;
    if (in_a.gcount() == 0) return true;
  }
}

// The peak resident memory of this process from its making on: the
// kernel's high-water mark is reset first. `available()` is false where
// /proc does not allow that.
class PeakMemory {
 public:
  PeakMemory() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.close();
    available_ = static_cast<bool>(clear);
    start_mib_ = Field("VmRSS:");
  }
  bool available() const { return available_; }
  long start_mib() const { return start_mib_; }
  long peak_mib() const { return Field("VmHWM:"); }

 private:
  static long Field(const std::string& name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind(name, 0) == 0)
        return std::stol(line.substr(name.size())) / 1024;
    }
    return -1;
  }

  bool available_ = false;
  long start_mib_ = -1;
};

// Records every value the progress bar shows and how often it is painted.
class ProgressWatcher : public QObject {
 public:
  explicit ProgressWatcher(QProgressBar* bar) {
    bar->installEventFilter(this);
    QObject::connect(bar, &QProgressBar::valueChanged, this,
                     [this](int value) { values.push_back(value); });
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }

  std::vector<int> values;
  int paints = 0;
};

class BatScaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (fs::temp_directory_path() / "tovenrak-bat-scale-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    for (const char* sub : {"in", "out", "check"})
      fs::create_directory(dir_ / sub);
    auto converter = core::MakeDefaultConverter();
    ASSERT_TRUE(converter.has_value()) << converter.error().Message();
    er_ = std::move(converter.value());
    bat_ =
        std::make_unique<batch::Bat>(view_, dialog_, messages_, *er_,
                                     dir_ / "in", std::vector<fs::path>{"/"});
    bat_->Load();
    view_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
    pro_ = view_.findChild<QProgressBar*>("Pro");
    ASSERT_NE(pro_, nullptr);
  }
  void TearDown() override {
    bat_.reset();
    fs::remove_all(dir_);
  }

  // Adds `names` of the folder in/ through the Add dialog as one selection.
  void AddFromIn(const std::vector<std::string>& names) {
    std::string answer = (dir_ / "in").string();
    for (const std::string& name : names) answer += '\0' + name;
    dialog_.next_answers.push_back(answer);
    view_.findChild<QPushButton*>("NAdd")->click();
  }

  // Runs the batch into out/ and returns how long it took in seconds.
  double RunIntoOut() {
    view_.findChild<QLineEdit*>("ToText")->setText(
        QString::fromStdString((dir_ / "out").string()));
    const auto start = std::chrono::steady_clock::now();
    view_.findChild<QPushButton*>("NGo")->click();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() -
                                         start)
        .count();
  }

  // The closing message the run shows when every file was converted.
  std::string Completion() const {
    return "所选定文件已转换到 " + (dir_ / "out").string() + "/ 文件夹下。";
  }

  // Converts in/`name` into check/ as the command-line tool does, and
  // returns whether the batch run's output is the same, byte for byte.
  bool OutputMatchesConvertFile(const std::string& name) {
    auto checked = core::ConvertFile(
        *er_, dir_ / "in" / name, dir_ / "check" / name, core::Target::kAuto);
    EXPECT_TRUE(checked.has_value()) << name;
    const bool same = SameBytes(dir_ / "out" / name, dir_ / "check" / name);
    fs::remove(dir_ / "check" / name);
    return same;
  }

  fs::path dir_;
  QtBatView view_;
  fakes::FakeFileDialog dialog_;
  fakes::FakeMessageBox messages_;
  std::unique_ptr<core::Converter> er_;
  std::unique_ptr<batch::Bat> bat_;
  QProgressBar* pro_ = nullptr;
};

// Each save is flushed to the disk, and deleting the flushed files again
// is slow on a busy disk: 10,000 files take from 8 s to two minutes here, so
// they run when TOVENRAK_HEAVY_TESTS=1, and 1,000 files otherwise.
TEST_F(BatScaleTest, ManySmallFilesConvertWithTheBarMovingToHundred) {
  const char* heavy = std::getenv("TOVENRAK_HEAVY_TESTS");
  const int kFiles =
      heavy != nullptr && std::string(heavy) == "1" ? 10000 : 1000;
  const fs::path samples = TOVENRAK_SOURCE_DIR "/samples";
  const std::vector<std::string> kinds = {"gb-page.html", "big5-news.htm",
                                          "gb-notes.txt", "big5-notes.txt"};
  std::vector<std::string> texts;
  for (const std::string& kind : kinds) texts.push_back(Read(samples / kind));
  std::vector<std::string> names;
  for (int i = 0; i < kFiles; ++i) {
    const size_t kind = static_cast<size_t>(i) % kinds.size();
    char name[32];
    std::snprintf(name, sizeof name, "%05d-%s", i, kinds[kind].c_str());
    names.push_back(name);
    // Each file differs from the others of its kind.
    std::ofstream(dir_ / "in" / name, std::ios::binary) << texts[kind] << "\n"
                                                        << i << "\n";
  }
  AddFromIn(names);
  ASSERT_EQ(view_.findChild<QListWidget*>("BeFore")->count(), kFiles);
  ASSERT_EQ(bat_->be_hind().size(), static_cast<size_t>(kFiles));

  ProgressWatcher watcher(pro_);
  const PeakMemory memory;
  const double seconds = RunIntoOut();
  std::cout << "[ measured ] " << kFiles << " files in " << seconds
            << " s; peak RSS " << memory.peak_mib() << " MiB from "
            << memory.start_mib() << " MiB\n";
  RecordProperty("seconds", std::to_string(seconds));
  RecordProperty("peak RSS MiB", std::to_string(memory.peak_mib()));

  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, Completion());
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kInformation);
  EXPECT_FALSE(view_.isVisible()) << "the window closes after the message";
  EXPECT_EQ(pro_->value(), 100);
  // Every percent from 1 to 100 in turn, each painted as it came although
  // the run never returns to the event loop.
  std::vector<int> every_percent;
  for (int percent = 1; percent <= 100; ++percent)
    every_percent.push_back(percent);
  EXPECT_EQ(watcher.values, every_percent);
  EXPECT_GE(watcher.paints, 100);

  size_t outputs = 0;
  for (const fs::directory_entry& entry :
       fs::directory_iterator(dir_ / "out")) {
    EXPECT_TRUE(entry.is_regular_file()) << entry.path();
    EXPECT_NE(entry.path().filename().string().front(), '.')
        << "a temporary file was left: " << entry.path();
    ++outputs;
  }
  EXPECT_EQ(outputs, static_cast<size_t>(kFiles));
  // A sample of every kind, from the start, the middle and the end.
  for (int i = 0; i < kFiles; i += 97) {
    EXPECT_TRUE(OutputMatchesConvertFile(names[i])) << names[i];
  }
  EXPECT_TRUE(OutputMatchesConvertFile(names.back())) << names.back();
}

// Writes a GB page of at least `size` bytes, a piece at a time, and returns
// its exact size.
uint64_t WriteLargeGbPage(const fs::path& path, uint64_t size) {
  std::ofstream out(path, std::ios::binary);
  const std::string head =
      "<html><head><meta http-equiv=\"Content-Type\" "
      "content=\"text/html; charset=gb2312\"><title>large</title></head>"
      "<body>\n";
  out << head;
  // 头发、干净、以后、钟表 in GB: phrases that convert as words.
  const std::string line =
      "<p>\xCD\xB7\xB7\xA2\xA1\xA2\xB8\xC9\xBE\xBB\xA1\xA2\xD2\xD4\xBA\xF3"
      "\xA1\xA2\xD6\xD3\xB1\xED abc 123</p>\n";
  std::string piece;
  while (piece.size() < (1u << 20)) piece += line;
  uint64_t written = head.size();
  while (written < size) {
    out << piece;
    written += piece.size();
  }
  out << "</body></html>\n";
  written += 15;
  return written;
}

TEST_F(BatScaleTest, TwoHundredMegabyteFileConvertsInBoundedMemory) {
  const uint64_t size =
      WriteLargeGbPage(dir_ / "in" / "large.htm", uint64_t{200} << 20);
  std::ofstream(dir_ / "in" / "small.htm", std::ios::binary)
      << Read(TOVENRAK_SOURCE_DIR "/samples/gb-page.html");
  // A second file, since a run of a single file leaves the bar as it is.
  AddFromIn({"large.htm", "small.htm"});

  ProgressWatcher watcher(pro_);
  const PeakMemory memory;
  const double seconds = RunIntoOut();
  const long size_mib = static_cast<long>(size >> 20);
  const long grown_mib = memory.peak_mib() - memory.start_mib();
  std::cout << "[ measured ] " << size_mib << " MiB file in " << seconds
            << " s; peak RSS " << memory.peak_mib() << " MiB, " << grown_mib
            << " MiB above the " << memory.start_mib()
            << " MiB before the run\n";
  RecordProperty("seconds", std::to_string(seconds));
  RecordProperty("peak RSS MiB", std::to_string(memory.peak_mib()));

  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, Completion());
  EXPECT_EQ(watcher.values, (std::vector<int>{50, 100}));
  EXPECT_EQ(pro_->value(), 100);
  const std::string start = [&] {
    std::ifstream out(dir_ / "out" / "large.htm", std::ios::binary);
    std::string bytes(200, '\0');
    out.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
  }();
  EXPECT_NE(start.find("charset=big5"), std::string::npos) << start;
  EXPECT_TRUE(OutputMatchesConvertFile("large.htm"));
  EXPECT_TRUE(OutputMatchesConvertFile("small.htm"));
  if (memory.available() && !kSanitized) {
    EXPECT_LT(grown_mib, 4 * size_mib);
  }
}

}  // namespace
}  // namespace tovenrak::platform::qt
