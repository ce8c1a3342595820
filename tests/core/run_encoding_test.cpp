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

TEST(RunEncodingTest, CountsOnlyWhatTheBytesOrDeclarationsDecided) {
  RunEncoding run;
  EXPECT_EQ(run.Most(), std::nullopt);
  run.Count(Detected(kBig5, kDeclared));
  run.Count(Detected(kGbk, kStatistics));
  EXPECT_EQ(run.Most(), std::nullopt);  // A tie.
  // Guesses, and what tells nothing of the bytes, do not count.
  for (int i = 0; i < 3; ++i) {
    run.Count(Detected(kUtf8, kValidUtf8, {kGbk}));
    run.Count(Detected(kBig5, kBig5Rule, {kGbk}));
    run.Count(Detected(kBig5, kAscii));
    run.Count(Detected(kBig5, kNamed));
  }
  EXPECT_EQ(run.Most(), std::nullopt);
  // GB18030 is GB.
  run.Count(Detected(kGb18030, kMark));
  EXPECT_EQ(run.Most(), kGbk);
}

TEST(RunEncodingTest, SettlesAGuessOnlyWithinWhatItReadsAsWellIn) {
  const struct {
    Detection detected;
    Encoding run;
    Encoding read_as;
    DetectionReason reason;
    std::vector<Encoding> also;
  } cases[] = {
      {Detected(kUtf8, kValidUtf8, {kGbk, kBig5}),
       kBig5,
       kBig5,
       kRun,
       {kGbk, kUtf8}},
      {Detected(kGbk, kBig5Rule, {kBig5}), kGbk, kGbk, kRun, {kBig5}},
      {Detected(kGb18030, kBig5Rule, {kBig5}), kGbk, kGb18030, kRun, {kBig5}},
      // Not among its readings, or no guess: left as it is.
      {Detected(kUtf8, kValidUtf8, {kGbk}), kBig5, kUtf8, kValidUtf8, {kGbk}},
      {Detected(kUtf8, kValidUtf8), kGbk, kUtf8, kValidUtf8, {}},
  };
  for (const auto& c : cases) {
    Detection d = c.detected;
    FollowRun(d, c.run);
    EXPECT_EQ(d.encoding, c.read_as) << &c - cases;
    EXPECT_EQ(d.reason, c.reason) << &c - cases;
    EXPECT_EQ(d.also_reads_as, c.also) << &c - cases;
  }
}

}  // namespace
}  // namespace tovenrak::core
