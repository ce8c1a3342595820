#include "core/encoding/codec.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/encoding/code_point_writer.h"
#include "core/encoding/code_tables.h"
#include "core/encoding/document_text.h"
#include "core/encoding/utf8.h"

namespace tovenrak::core {

namespace {

using code_point_writer::kFourBytePlaceholder;
using code_point_writer::kOneBytePlaceholder;
using code_point_writer::kTwoBytePlaceholder;

bool IsDigit(unsigned b) { return b >= 0x30 && b <= 0x39; }

// Four bytes starting at `p` form a GB18030 four-byte sequence.
bool IsFourByteSequence(const unsigned char* p, size_t left) {
  return left >= 4 && IsLeadByte(p[0]) && IsDigit(p[1]) && IsLeadByte(p[2]) &&
         IsDigit(p[3]);
}

uint32_t FourBytePointer(const unsigned char* p) {
  return ((p[0] - 0x81u) * 10 + (p[1] - 0x30u)) * 1260 + (p[2] - 0x81u) * 10 +
         (p[3] - 0x30u);
}

// Copies the run of bytes below 0x80 that starts at `pos` and ends by `stop`
// as code points to `o`, sixteen or eight at a time while it lasts, and
// advances `pos` past it. `o` has room for as many code points as there are
// bytes before `stop`.
char32_t* CopyAscii(const unsigned char* p, size_t& pos, size_t stop,
                    char32_t* o) {
  // Kept apart from `pos`, which the stores to `o` could otherwise change
  // for all the compiler knows.
  size_t at = pos;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; at + 16 <= stop; at += 16, o += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
    const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(v));
    // All sixteen are written; only those before the first high byte count.
    const __m128i low = _mm_unpacklo_epi8(v, zero);
    const __m128i upper = _mm_unpackhi_epi8(v, zero);
    auto* out = reinterpret_cast<__m128i*>(o);
    _mm_storeu_si128(out, _mm_unpacklo_epi16(low, zero));
    _mm_storeu_si128(out + 1, _mm_unpackhi_epi16(low, zero));
    _mm_storeu_si128(out + 2, _mm_unpacklo_epi16(upper, zero));
    _mm_storeu_si128(out + 3, _mm_unpackhi_epi16(upper, zero));
    if (high != 0) {
      const size_t ascii = static_cast<size_t>(std::countr_zero(high));
      pos = at + ascii;
      return o + ascii;
    }
  }
#endif
  constexpr uint64_t kHighBits = 0x8080808080808080u;
  for (uint64_t word; at + 8 <= stop; at += 8, o += 8) {
    std::memcpy(&word, p + at, 8);
    if ((word & kHighBits) != 0) break;
    for (int k = 0; k < 8; ++k) o[k] = static_cast<char32_t>(p[at + k]);
  }
  while (at < stop && p[at] < 0x80) *o++ = p[at++];
  pos = at;
  return o;
}

// Decodes the double-byte encodings. Every unit yields at least one code
// point per byte it spans at most, so `text` never outgrows the bytes.
// Both decode the units that start before `stop` and append them to
// `out.text`; they return the end of the last one.
template <Encoding kEncoding>
size_t DecodeDoubleByte(std::string_view bytes, size_t pos, size_t stop,
                        DecodedText& out) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  const size_t base = out.text.size();
  // A unit that starts before `stop` may end up to three bytes after it.
  out.text.resize(base + stop - pos + 3);
  char32_t* o = out.text.data() + base;
  size_t invalid = 0;
  while (pos < stop) {
    const unsigned b = p[pos];
    if (b < 0x80) {
      o = CopyAscii(p, pos, stop, o);
      continue;
    }
    if (IsLeadByte(b) && pos + 1 < n) {
      const unsigned trail = p[pos + 1];
      if (IsTrailByte(trail)) {
        if constexpr (kEncoding == Encoding::kBig5) {
          const int count = DecodeBig5Pair(b, trail, o);
          if (count == 0) {
            *o++ = kTwoBytePlaceholder + (b << 8 | trail);
            ++invalid;
          }
          o += count;
        } else {
          *o++ = DecodeGbkPair(b, trail);
        }
        pos += 2;
        continue;
      }
      if (kEncoding == Encoding::kGb18030 &&
          IsFourByteSequence(p + pos, n - pos)) {
        const char32_t cp = Gb18030FourByteCodePoint(FourBytePointer(p + pos));
        if (cp != 0) {
          *o++ = cp;
        } else {
          *o++ = char32_t{b} << 24 | char32_t{trail} << 16 |
                 char32_t{p[pos + 2]} << 8 | p[pos + 3];
          ++invalid;
        }
        pos += 4;
        continue;
      }
    }
    if (kEncoding != Encoding::kBig5 && b == 0x80) {
      *o++ = kEuroSign;
    } else {
      *o++ = kOneBytePlaceholder + b;
      ++invalid;
    }
    ++pos;
  }
  out.text.resize(static_cast<size_t>(o - out.text.data()));
  out.invalid_units += invalid;
  return pos;
}

size_t DecodeUtf8(std::string_view bytes, size_t pos, size_t stop,
                  DecodedText& out) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  const size_t base = out.text.size();
  out.text.resize(base + stop - pos + 3);
  char32_t* o = out.text.data() + base;
  size_t invalid = 0;
  while (pos < stop) {
    const unsigned b = p[pos];
    if (b < 0x80) {
      o = CopyAscii(p, pos, stop, o);
      continue;
    }
    // Three bytes whose lead byte allows any continuation bytes (not E0,
    // not ED): all of CJK, checked at once.
    if (b - 0xE1u <= 0xEFu - 0xE1u && b != 0xED && n - pos >= 3 &&
        ((p[pos + 1] & 0xC0u) | (p[pos + 2] & 0xC0u) << 8) == 0x8080u) {
      *o++ = (char32_t{b & 0x0Fu} << 12) | (char32_t{p[pos + 1] & 0x3Fu} << 6) |
             (p[pos + 2] & 0x3Fu);
      pos += 3;
      continue;
    }
    const size_t length = WellFormedUtf8Length(bytes, pos);
    if (length == 0) {
      *o++ = kOneBytePlaceholder + p[pos++];
      ++invalid;
      continue;
    }
    *o++ = Utf8CodePoint(p + pos, length);
    pos += length;
  }
  out.text.resize(static_cast<size_t>(o - out.text.data()));
  out.invalid_units += invalid;
  return pos;
}

template <Encoding kTarget>
void EncodeWith(std::u32string_view text, ByteAppender& appender,
                EncodeCounts& counts) {
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    // ASCII, one byte each, in one pass.
    char* o = appender.Room(n - i);
    for (; i < n && text[i] < 0x80; ++i) *o++ = static_cast<char>(text[i]);
    for (; i < n && text[i] >= 0x80; ++i) {
      appender.Advance(o);
      o = WriteEncoded<kTarget>(text[i], appender.Room(), counts);
    }
    appender.Advance(o);
  }
}

}  // namespace

DecodedText Decode(std::string_view bytes, Encoding encoding) {
  DecodedText out;
  const size_t mark = ByteOrderMarkLength(bytes, encoding);
  out.byte_order_mark = mark != 0;
  DecodeSome(bytes, mark, bytes.size(), encoding, out);
  return out;
}

size_t DecodeSome(std::string_view bytes, size_t pos, size_t max_bytes,
                  Encoding encoding, DecodedText& out) {
  const size_t stop =
      bytes.size() - pos > max_bytes ? pos + max_bytes : bytes.size();
  switch (encoding) {
    case Encoding::kBig5:
      return DecodeDoubleByte<Encoding::kBig5>(bytes, pos, stop, out);
    case Encoding::kGbk:
      return DecodeDoubleByte<Encoding::kGbk>(bytes, pos, stop, out);
    case Encoding::kGb18030:
      return DecodeDoubleByte<Encoding::kGb18030>(bytes, pos, stop, out);
    case Encoding::kUtf8:
      return DecodeUtf8(bytes, pos, stop, out);
  }
  return pos;
}

void Encode(std::u32string_view text, Encoding target, std::string& out,
            EncodeCounts& counts) {
  TextEncoder(target, out, counts,
              text.size() * (target == Encoding::kUtf8 ? 3 : 2))
      .Put(text);
}

TextEncoder::TextEncoder(Encoding target, std::string& out,
                         EncodeCounts& counts, size_t expected)
    : target_(target), out_(out, expected), counts_(counts) {}

void TextEncoder::Put(std::u32string_view text) {
  switch (target_) {
    case Encoding::kBig5:
      return EncodeWith<Encoding::kBig5>(text, out_, counts_);
    case Encoding::kGbk:
      return EncodeWith<Encoding::kGbk>(text, out_, counts_);
    case Encoding::kGb18030:
      return EncodeWith<Encoding::kGb18030>(text, out_, counts_);
    case Encoding::kUtf8:
      return EncodeWith<Encoding::kUtf8>(text, out_, counts_);
  }
}

void TextEncoder::PutBytes(std::string_view bytes) {
  char* o = out_.Room(bytes.size());
  std::memcpy(o, bytes.data(), bytes.size());
  out_.Advance(o + bytes.size());
}

size_t ByteOrderMarkLength(std::string_view bytes, Encoding encoding) {
  const std::string_view mark = ByteOrderMark(encoding);
  return !mark.empty() && bytes.starts_with(mark) ? mark.size() : 0;
}

size_t PassByteOrderMark(std::string_view bytes, Encoding source,
                         Encoding target, std::string& out) {
  const size_t mark = ByteOrderMarkLength(bytes, source);
  if (mark != 0 && (target == Encoding::kUtf8 || target == source))
    out += ByteOrderMark(target);
  return mark;
}

std::string_view ByteOrderMark(Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf8:
      return "\xEF\xBB\xBF";
    case Encoding::kGb18030:
      return "\x84\x31\x95\x33";
    default:
      return {};
  }
}

size_t UnitLengthIn(std::string_view text, size_t pos, Encoding encoding) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + pos;
  if (p[0] < 0x80) return 1;
  switch (encoding) {
    case Encoding::kBig5:
    case Encoding::kGbk:
      return UnitLength(text, pos);
    case Encoding::kGb18030:
      if (IsFourByteSequence(p, text.size() - pos)) return 4;
      return UnitLength(text, pos);
    case Encoding::kUtf8:
      break;
  }
  const size_t length = WellFormedUtf8Length(text, pos);
  return length != 0 ? length : 1;
}

size_t CodePointsOfUnit(std::string_view text, size_t pos, Encoding encoding) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + pos;
  if (encoding != Encoding::kBig5 || p[0] != 0x88 || pos + 1 >= text.size() ||
      !IsTrailByte(p[1]))
    return 1;
  char32_t decoded[2];
  return DecodeBig5Pair(p[0], p[1], decoded) == 2 ? 2 : 1;
}

size_t CountCodePoints(std::string_view bytes, size_t from, size_t to,
                       Encoding encoding) {
  size_t count = 0;
  while (from < to) {
    const size_t ascii = AsciiRunEnd(bytes.substr(0, to), from);
    count += ascii - from;
    if (ascii == to) break;
    count += CodePointsOfUnit(bytes, ascii, encoding);
    from = ascii + UnitLengthIn(bytes, ascii, encoding);
  }
  return count;
}

bool EndsInBackslash(char32_t c, Encoding encoding) {
  if (c < 0x80 || encoding == Encoding::kUtf8) return false;
  std::string bytes;
  EncodeCounts counts;
  Encode(std::u32string_view(&c, 1), encoding, bytes, counts);
  return bytes.size() >= 2 && bytes.back() == '\\';
}

}  // namespace tovenrak::core
