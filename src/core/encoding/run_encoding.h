// The encodings the documents of a run are in, which settle the ones whose
// bytes read about as well in two (Detection::guessed).

#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "core/encoding/detection.h"
#include "core/encoding/encoding.h"

namespace tovenrak::core {

// Counts the documents of a run whose encoding their bytes or declarations
// decided: a site's short includes and menus, whose few characters read as
// well in another encoding, are in the encoding of its pages.
class RunEncoding {
 public:
  // Counts `detection` unless it is guessed or decided by no sign of its
  // own (named, ASCII only, the "big5" rule, the run itself).
  void Count(const Detection& detection);

  // Of the encodings a guessed `detection` reads about as well in, its own
  // included, the one more documents were counted in than in each other
  // (GBK and GB18030 counting as one); std::nullopt when none was counted
  // or two tie.
  std::optional<Encoding> MostOf(const Detection& detection) const;

 private:
  std::array<size_t, 3> counts_{};  // Big5, GB, UTF-8.
};

// Reads a guessed `detection` in the encoding of its readings that more
// documents of `run` are in (RunEncoding::MostOf), with reason kRun, what
// it also reads as keeping the rest; leaves it as it is when none is.
void FollowRun(Detection& detection, const RunEncoding& run);

}  // namespace tovenrak::core
