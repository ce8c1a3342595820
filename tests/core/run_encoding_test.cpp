// The encoding most documents of a run are in, and the guessed ones it
// settles.

#include "core/encoding/run_encoding.h"

#include <gtest/gtest.h>

#include <vector>

namespace tovenrak::core {
namespace {

using enum Encoding;
using R = DetectionReason;

Detection Detected(Encoding encoding, DetectionReason reason,
                   std::vector<Encoding> also = {}) {
  Detection detection;
  detection.encoding = encoding;
  detection.reason = reason;
  detection.guessed = !also.empty();
  detection.also_reads_as = std::move(also);
  return detection;
}

RunEncoding Counted(const std::vector<Detection>& detections) {
  RunEncoding run;
  for (const Detection& d : detections) run.Count(d);
  return run;
}

TEST(RunEncodingTest, CountsOnlyWhatTheBytesOrDeclarationsDecided) {
  const Detection guess = Detected(kUtf8, R::kUtf8, {kGbk, kBig5});
  std::vector<Detection> run = {Detected(kBig5, R::kDeclaration),
                                Detected(kGbk, R::kStatistics)};
  EXPECT_EQ(Counted({}).MostOf(guess), std::nullopt);
  EXPECT_EQ(Counted(run).MostOf(guess), std::nullopt);  // A tie.
  // Guesses, and what tells nothing of the bytes, do not count.
  for (int i = 0; i < 3; ++i) {
    run.push_back(Detected(kUtf8, R::kUtf8, {kGbk}));
    run.push_back(Detected(kBig5, R::kBig5Rule, {kGbk}));
    run.push_back(Detected(kBig5, R::kAsciiOnly));
    run.push_back(Detected(kBig5, R::kNamed));
  }
  EXPECT_EQ(Counted(run).MostOf(guess), std::nullopt);
  // GB18030 is GB.
  run.push_back(Detected(kGb18030, R::kByteOrderMark));
  EXPECT_EQ(Counted(run).MostOf(guess), kGbk);
  // Only the readings of the guess compete: UTF-8 leads, but the guess
  // does not read as UTF-8.
  for (int i = 0; i < 5; ++i) run.push_back(Detected(kUtf8, R::kUtf8));
  EXPECT_EQ(Counted(run).MostOf(Detected(kGbk, R::kBig5Rule, {kBig5})), kGbk);
  EXPECT_EQ(Counted(run).MostOf(guess), kUtf8);
}

TEST(RunEncodingTest, SettlesAGuessOnlyWithinWhatItReadsAsWellIn) {
  // Two files in GB, one in Big5, none in UTF-8.
  const RunEncoding run = Counted({Detected(kGbk, R::kDeclaration),
                                   Detected(kGb18030, R::kStatistics),
                                   Detected(kBig5, R::kStatistics)});
  const struct {
    Detection detected;
    Encoding read_as;
    DetectionReason reason;
    std::vector<Encoding> also;
  } cases[] = {
      {Detected(kUtf8, R::kUtf8, {kBig5, kGbk}), kGbk, R::kRun, {kBig5, kUtf8}},
      {Detected(kBig5, R::kBig5Rule, {kGbk}), kGbk, R::kRun, {kBig5}},
      {Detected(kGb18030, R::kBig5Rule, {kBig5}), kGb18030, R::kRun, {kBig5}},
      {Detected(kUtf8, R::kUtf8, {kBig5}), kBig5, R::kRun, {kUtf8}},
      // No reading any file of the run is in, or no guess: left as it is.
      {Detected(kUtf8, R::kUtf8), kUtf8, R::kUtf8, {}},
  };
  for (const auto& c : cases) {
    Detection d = c.detected;
    FollowRun(d, run);
    EXPECT_EQ(d.encoding, c.read_as) << &c - cases;
    EXPECT_EQ(d.reason, c.reason) << &c - cases;
    EXPECT_EQ(d.also_reads_as, c.also) << &c - cases;
  }
  Detection alone = Detected(kUtf8, R::kUtf8, {kGbk});
  FollowRun(alone, Counted({Detected(kBig5, R::kDeclaration)}));
  EXPECT_EQ(alone.encoding, kUtf8);
  EXPECT_EQ(alone.reason, R::kUtf8);
}

}  // namespace
}  // namespace tovenrak::core
