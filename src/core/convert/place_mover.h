// Following places of a text, such as where its tags stood, through its
// conversion.

#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tovenrak::core {

// A place of a text that no place of its conversion stands for: a phrase
// whose conversion changed its length covers it.
inline constexpr size_t kNoPlace = SIZE_MAX;

// Moves places of a text, given in increasing order, to where they stand in
// the text's conversion, which it is told of piece by piece in the text's
// order. A place where a piece begins moves to where the piece's output
// begins. One inside a piece keeps its distance from the piece's start
// where the piece kept its length, and is kNoPlace otherwise: which of the
// output's characters stands for which of the input's is not known. Places
// already kNoPlace stay so; the others stay in increasing order.
class PlaceMover {
 public:
  explicit PlaceMover(std::span<size_t> places) : places_(places) {}

  // The next `in` code points of the text became `out` code points.
  void Step(size_t in, size_t out) {
    for (; next_ < places_.size(); ++next_) {
      size_t& p = places_[next_];
      if (p == kNoPlace) continue;
      if (p >= in_ + in) break;
      const size_t offset = p - in_;
      p = offset == 0 ? out_ : in == out ? out_ + offset : kNoPlace;
    }
    in_ += in;
    out_ += out;
  }

  // The places among the next `in` code points, counted from the first of
  // them, for a conversion of those alone to move; Leave then tells how
  // many code points that conversion wrote.
  std::span<size_t> Enter(size_t in) {
    const size_t first = next_;
    for (; next_ < places_.size(); ++next_) {
      size_t& p = places_[next_];
      if (p == kNoPlace) continue;
      if (p >= in_ + in) break;
      p -= in_;
    }
    entered_ = places_.subspan(first, next_ - first);
    entered_size_ = in;
    return entered_;
  }
  void Leave(size_t out) {
    for (size_t& p : entered_) {
      if (p != kNoPlace) p += out_;
    }
    entered_ = {};
    in_ += entered_size_;
    out_ += out;
  }

  // The text has ended: the places at its end move to the output's.
  void Finish() {
    for (; next_ < places_.size(); ++next_) {
      if (places_[next_] != kNoPlace) places_[next_] = out_;
    }
  }

 private:
  std::span<size_t> places_;
  size_t next_ = 0;          // The first place not yet moved.
  size_t in_ = 0, out_ = 0;  // Code points told of, and written.
  std::span<size_t> entered_;
  size_t entered_size_ = 0;
};

}  // namespace tovenrak::core
