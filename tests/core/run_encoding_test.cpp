// The encoding most documents of a run are in, and the guessed ones it
// settles.

#include "core/encoding/run_encoding.h"

#include <gtest/gtest.h>

#include <vector>

namespace tovenrak::core {
namespace {

using enum Encoding;
constexpr DetectionReason kMark = DetectionReason::kByteOrderMark,
                          kDeclared = DetectionReason::kDeclaration,
                          kValidUtf8 = DetectionReason::kUtf8,
                          kStatistics = DetectionReason::kStatistics,
                          kBig5Rule = DetectionReason::kBig5Rule,
                          kAscii = DetectionReason::kAsciiOnly,
                          kNamed = DetectionReason::kNamed,
                          kRun = DetectionReason::kRun;

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
  const Detection guess = Detected(kUtf8, kValidUtf8, {kGbk, kBig5});
  std::vector<Detection> run = {Detected(kBig5, kDeclared),
                                Detected(kGbk, kStatistics)};
  EXPECT_EQ(Counted({}).MostOf(guess), std::nullopt);
  EXPECT_EQ(Counted(run).MostOf(guess), std::nullopt);  // A tie.
  // Guesses, and what tells nothing of the bytes, do not count.
  for (int i = 0; i < 3; ++i) {
    run.push_back(Detected(kUtf8, kValidUtf8, {kGbk}));
    run.push_back(Detected(kBig5, kBig5Rule, {kGbk}));
    run.push_back(Detected(kBig5, kAscii));
    run.push_back(Detected(kBig5, kNamed));
  }
  EXPECT_EQ(Counted(run).MostOf(guess), std::nullopt);
  // GB18030 is GB.
  run.push_back(Detected(kGb18030, kMark));
  EXPECT_EQ(Counted(run).MostOf(guess), kGbk);
  // Only the readings of the guess compete: UTF-8 leads, but the guess
  // does not read as UTF-8.
  for (int i = 0; i < 5; ++i) run.push_back(Detected(kUtf8, kValidUtf8));
  EXPECT_EQ(Counted(run).MostOf(Detected(kGbk, kBig5Rule, {kBig5})), kGbk);
  EXPECT_EQ(Counted(run).MostOf(guess), kUtf8);
}

TEST(RunEncodingTest, SettlesAGuessOnlyWithinWhatItReadsAsWellIn) {
  // Two files in GB, one in Big5, none in UTF-8.
  const RunEncoding run =
      Counted({Detected(kGbk, kDeclared), Detected(kGb18030, kStatistics),
               Detected(kBig5, kStatistics)});
  const struct {
    Detection detected;
    Encoding read_as;
    DetectionReason reason;
    std::vector<Encoding> also;
  } cases[] = {
      {Detected(kUtf8, kValidUtf8, {kBig5, kGbk}), kGbk, kRun, {kBig5, kUtf8}},
      {Detected(kBig5, kBig5Rule, {kGbk}), kGbk, kRun, {kBig5}},
      {Detected(kGb18030, kBig5Rule, {kBig5}), kGb18030, kRun, {kBig5}},
      {Detected(kUtf8, kValidUtf8, {kBig5}), kBig5, kRun, {kUtf8}},
      // No reading any file of the run is in, or no guess: left as it is.
      {Detected(kUtf8, kValidUtf8), kUtf8, kValidUtf8, {}},
  };
  for (const auto& c : cases) {
    Detection d = c.detected;
    FollowRun(d, run);
    EXPECT_EQ(d.encoding, c.read_as) << &c - cases;
    EXPECT_EQ(d.reason, c.reason) << &c - cases;
    EXPECT_EQ(d.also_reads_as, c.also) << &c - cases;
  }
  Detection alone = Detected(kUtf8, kValidUtf8, {kGbk});
  FollowRun(alone, Counted({Detected(kBig5, kDeclared)}));
  EXPECT_EQ(alone.encoding, kUtf8);
  EXPECT_EQ(alone.reason, kValidUtf8);
}

}  // namespace
}  // namespace tovenrak::core
