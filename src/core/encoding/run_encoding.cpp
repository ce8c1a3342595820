#include "core/encoding/run_encoding.h"

#include <algorithm>

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

std::optional<Encoding> RunEncoding::Most() const {
  constexpr Encoding kFamilies[] = {Encoding::kBig5, Encoding::kGbk,
                                    Encoding::kUtf8};
  const auto most = std::max_element(counts_.begin(), counts_.end());
  if (*most == 0 || std::count(counts_.begin(), counts_.end(), *most) > 1)
    return std::nullopt;
  return kFamilies[most - counts_.begin()];
}

void FollowRun(Detection& detection, Encoding run) {
  if (!detection.guessed) return;
  const size_t family = FamilyOf(run);
  if (FamilyOf(detection.encoding) == family) {
    detection.reason = DetectionReason::kRun;
    return;
  }
  for (Encoding& other : detection.also_reads_as) {
    if (FamilyOf(other) != family) continue;
    std::swap(other, detection.encoding);
    detection.reason = DetectionReason::kRun;
    return;
  }
}

}  // namespace tovenrak::core
