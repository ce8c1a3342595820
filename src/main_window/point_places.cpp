#include "main_window/point_places.h"

namespace tovenrak::main_window {

namespace {

bool Agree(char32_t a, char32_t b) {
  return a == b || (a >= 0x80 && b >= 0x80);
}

// Whether kResync characters agree from `i` in `from` and `j` in `to`, or
// all there are when both end together before that.
bool AgreeFrom(std::u32string_view from, std::u32string_view to, size_t i,
               size_t j) {
  for (size_t t = 0; t < kResync; ++t) {
    const bool from_ends = i + t >= from.size();
    const bool to_ends = j + t >= to.size();
    if (from_ends || to_ends) return from_ends && to_ends;
    if (!Agree(from[i + t], to[j + t])) return false;
  }
  return true;
}

}  // namespace

size_t ReferenceLength(std::u32string_view text, char32_t& c) {
  if (text.size() < 4 || text[0] != U'&' || text[1] != U'#') return 0;
  char32_t value = 0;
  size_t pos = 2;
  for (; pos < text.size() && text[pos] >= U'0' && text[pos] <= U'9'; ++pos) {
    value = value * 10 + (text[pos] - U'0');
    if (value > 0x10FFFF) return 0;
  }
  if (pos == 2 || pos >= text.size() || text[pos] != U';') return 0;
  c = value;
  return pos + 1;
}

std::vector<size_t> PlaceIndices(std::u32string_view from,
                                 std::u32string_view to,
                                 const std::vector<size_t>& indices) {
  std::vector<size_t> places(indices.size(), kNowhere);
  size_t k = 0;
  // Gives the indices below `end` the place `at` (plus their offset from
  // `begin` when `one_for_one`).
  auto place = [&](size_t begin, size_t end, size_t at, bool one_for_one) {
    for (; k < indices.size() && indices[k] < end; ++k) {
      if (indices[k] >= begin)
        places[k] = one_for_one ? at + (indices[k] - begin) : kNowhere;
    }
  };
  size_t i = 0;
  size_t j = 0;
  while (i < from.size() && j < to.size() && k < indices.size()) {
    char32_t c = 0;
    size_t length = 0;
    if (Agree(from[i], to[j])) {
      place(i, i + 1, j, true);
      ++i, ++j;
    } else if (from[i] >= 0x80 &&
               (length = ReferenceLength(to.substr(j), c)) > 0) {
      place(i, i + 1, j, true);
      ++i, j += length;
    } else {
      // The nearest pair of places, by the characters skipped on both sides,
      // from which the texts agree again.
      bool found = false;
      for (size_t d = 1; d <= 2 * kReach && !found; ++d) {
        for (size_t di = d > kReach ? d - kReach : 0; di <= d && di <= kReach;
             ++di) {
          if (AgreeFrom(from, to, i + di, j + d - di)) {
            place(i, i + di, j, di == d - di);
            i += di, j += d - di;
            found = true;
            break;
          }
        }
      }
      if (!found) break;
    }
  }
  return places;
}

}  // namespace tovenrak::main_window
