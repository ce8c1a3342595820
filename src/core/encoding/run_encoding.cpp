#include "core/encoding/run_encoding.h"

#include <utility>

namespace tovenrak::core {

namespace {

size_t FamilyOf(Encoding encoding) {
  switch (encoding) {
    case Encoding::kBig5:
      return 0;
    case Encoding::kGbk:
    case Encoding::kGb18030:
      return 1;
    case Encoding::kUtf8:
      break;
  }
  return 2;
}

}  // namespace

void RunEncoding::Count(const Detection& detection) {
  switch (detection.reason) {
    case DetectionReason::kByteOrderMark:
    case DetectionReason::kDeclaration:
    case DetectionReason::kUtf8:
    case DetectionReason::kStatistics:
      if (!detection.guessed) ++counts_[FamilyOf(detection.encoding)];
      break;
    case DetectionReason::kNamed:
    case DetectionReason::kBig5Rule:
    case DetectionReason::kAsciiOnly:
    case DetectionReason::kRun:
      break;
  }
}

std::optional<Encoding> RunEncoding::MostOf(const Detection& detection) const {
  std::optional<Encoding> most;
  size_t most_count = 0;
  bool tie = false;
  auto weigh = [&](Encoding reading) {
    const size_t count = counts_[FamilyOf(reading)];
    if (most && FamilyOf(*most) == FamilyOf(reading)) return;
    if (count > most_count) {
      most = reading;
      most_count = count;
      tie = false;
    } else if (count == most_count) {
      tie = true;
    }
  };
  weigh(detection.encoding);
  for (const Encoding other : detection.also_reads_as) weigh(other);
  if (most_count == 0 || tie) return std::nullopt;
  return most;
}

void FollowRun(Detection& detection, const RunEncoding& run) {
  if (!detection.guessed) return;
  const std::optional<Encoding> most = run.MostOf(detection);
  if (!most) return;
  detection.reason = DetectionReason::kRun;
  for (Encoding& other : detection.also_reads_as) {
    if (other == *most) std::swap(other, detection.encoding);
  }
}

}  // namespace tovenrak::core
