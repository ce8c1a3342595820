// Breaks (IsBreak) found in a text's bytes, where a long text or run is cut
// before it is decoded.

#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "core/convert/text_breaks.h"
#include "core/encoding/encoding.h"

namespace tovenrak::core {

// White space is a unit of its own in every encoding and is found by its
// byte; the characters that end a sentence are found unit by unit, as a
// trail byte and the next lead may match their bytes (GBK's 啊Ａ, B0 A1 A3
// C1, holds 。, A1 A3).
class ByteBreaks {
 public:
  explicit ByteBreaks(Encoding source);

  // Where the first break of bytes[begin, end) found at or after `from`
  // ends, or with `last` the last break there; `end` when there is none or
  // it ends at `end`. White space is preferred where it is no more than
  // `near` bytes past `from`, as it is found without reading each unit.
  // REQUIRES: units start at `begin` and at `end`.
  size_t BreakEnd(std::string_view bytes, size_t begin, size_t from, size_t end,
                  bool last, size_t near) const;

  // Whether bytes[begin, end), not empty, ends with a break.
  // REQUIRES: units start at `begin` and at `end`.
  bool EndsWithBreak(std::string_view bytes, size_t begin, size_t end) const;

 private:
  // The unit at bytes[at, at + length) ends a sentence.
  bool EndsSentenceAt(std::string_view bytes, size_t at, size_t length) const;
  // The end of the first (or last) unit of bytes[begin, end) that begins at
  // or after `from` and ends a sentence, if before `end`; else `end`.
  size_t SentenceEnd(std::string_view bytes, size_t begin, size_t from,
                     size_t end, bool last) const;

  const Encoding source_;
  std::array<std::string, kSentenceEnds.size()> ends_;  // In `source`.
};

}  // namespace tovenrak::core
