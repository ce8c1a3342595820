// The encoding most documents of a run are in, which settles the ones whose
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

  // The encoding counted most often, GBK and GB18030 counting as one (GBK
  // stands for both); std::nullopt when none was counted or two tie.
  std::optional<Encoding> Most() const;

 private:
  std::array<size_t, 3> counts_{};  // Big5, GB, UTF-8.
};

// Reads a guessed `detection` in `run` when that is its encoding or one it
// reads about as well in (the reason is then kRun, and what it also reads
// as keeps the rest); leaves it as it is otherwise.
void FollowRun(Detection& detection, Encoding run);

}  // namespace tovenrak::core
