#include "core/convert/byte_breaks.h"

#include <algorithm>

#include "core/convert/text_breaks.h"
#include "core/encoding/codec.h"

namespace tovenrak::core {

ByteBreaks::ByteBreaks(Encoding source) : source_(source) {
  for (size_t i = 0; i < kSentenceEnds.size(); ++i) {
    EncodeCounts counts;
    Encode(kSentenceEnds.substr(i, 1), source, ends_[i], counts);
  }
}

bool ByteBreaks::EndsSentenceAt(std::string_view bytes, size_t at,
                                size_t length) const {
  if (length < 2) return false;  // White space is found by its byte.
  const std::string_view unit = bytes.substr(at, length);
  return std::find(ends_.begin(), ends_.end(), unit) != ends_.end();
}

size_t ByteBreaks::SentenceEnd(std::string_view bytes, size_t begin,
                               size_t from, size_t end, bool last) const {
  size_t found = end;
  for (size_t at = begin; at < end;) {
    const size_t length = UnitLengthIn(bytes.substr(0, end), at, source_);
    if (at + length >= end) break;
    if (at >= from && EndsSentenceAt(bytes, at, length)) {
      found = at + length;
      if (!last) break;
    }
    at += length;
  }
  return found;
}

size_t ByteBreaks::BreakEnd(std::string_view bytes, size_t begin, size_t from,
                            size_t end, bool last, size_t near) const {
  if (from >= end) return end;
  const std::string_view in = bytes.substr(from, end - from - 1);
  const size_t at = last ? in.find_last_of(kBreakingSpaces)
                         : in.find_first_of(kBreakingSpaces);
  if (at != std::string_view::npos && (last || at <= near))
    return from + at + 1;
  const size_t space = at == std::string_view::npos ? end : from + at + 1;
  // A sentence's end before the white space, or else the white space.
  return SentenceEnd(bytes, begin, from, space, last);
}

bool ByteBreaks::EndsWithBreak(std::string_view bytes, size_t begin,
                               size_t end) const {
  if (IsBreak(static_cast<unsigned char>(bytes[end - 1]))) return true;
  size_t at = begin;
  while (true) {
    const size_t length = UnitLengthIn(bytes.substr(0, end), at, source_);
    if (at + length >= end) return EndsSentenceAt(bytes, at, length);
    at += length;
  }
}

}  // namespace tovenrak::core
