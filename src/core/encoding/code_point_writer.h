// Writing code points as bytes of a target encoding, one at a time: the step
// under Encode, and what lets the conversion engine write bytes directly.

#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/encoding/code_tables.h"
#include "core/encoding/encoding.h"

namespace tovenrak::core {

struct EncodeCounts {
  // Characters with no code in the target, written as "&#N;".
  size_t references = 0;
  // Placeholders written back as their original bytes.
  size_t invalid_units = 0;
  // Of `references`, those written inside server code, which no server
  // reads as the character.
  size_t server_references = 0;
  // Characters written in Big5 codes that Windows' code page 950 does not
  // read (EncodeBig5BeyondCp950), and the first of them (0 for none).
  size_t beyond_cp950 = 0;
  char32_t first_beyond_cp950 = 0;
};

namespace code_point_writer {

// A placeholder (see codec.h) packs its bytes into its value: one byte b as
// 0x110000 + b, two as 0x120000 + (b0 << 8 | b1), four as
// (b0 << 24 | ... | b3), which is at least 0x81000000 since b0 is a lead
// byte.
inline constexpr char32_t kOneBytePlaceholder = 0x110000;
inline constexpr char32_t kTwoBytePlaceholder = 0x120000;
inline constexpr char32_t kFourBytePlaceholder = 0x1000000;

// The most bytes one code point can take ("&#1114111;").
inline constexpr size_t kMaxBytes = 10;

inline char* WriteReference(char32_t cp, char* o) {
  char digits[10];
  int count = 0;
  auto value = static_cast<uint32_t>(cp);
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  *o++ = '&';
  *o++ = '#';
  while (count > 0) *o++ = digits[--count];
  *o++ = ';';
  return o;
}

inline char* WritePlaceholder(char32_t c, char* o) {
  if (c >= kFourBytePlaceholder) {
    *o++ = static_cast<char>(c >> 24);
    *o++ = static_cast<char>(c >> 16);
    *o++ = static_cast<char>(c >> 8);
  } else if (c >= kTwoBytePlaceholder) {
    *o++ = static_cast<char>(c >> 8);
  }
  *o++ = static_cast<char>(c);
  return o;
}

inline char* WriteFourBytes(uint32_t pointer, char* o) {
  *o++ = static_cast<char>(0x81 + pointer / 12600);
  *o++ = static_cast<char>(0x30 + pointer / 1260 % 10);
  *o++ = static_cast<char>(0x81 + pointer / 10 % 126);
  *o++ = static_cast<char>(0x30 + pointer % 10);
  return o;
}

inline bool IsSurrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }

// Writes `cp` (not ASCII, not a placeholder) in `kTarget`; a reference when
// it has no code there.
template <Encoding kTarget>
char* WriteCodePoint(char32_t cp, char* o, EncodeCounts& counts) {
  if constexpr (kTarget == Encoding::kUtf8) {
    if (!IsSurrogate(cp)) {
      if (cp < 0x800) {
        *o++ = static_cast<char>(0xC0 | (cp >> 6));
      } else {
        if (cp < 0x10000) {
          *o++ = static_cast<char>(0xE0 | (cp >> 12));
        } else {
          *o++ = static_cast<char>(0xF0 | (cp >> 18));
          *o++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        }
        *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      }
      *o++ = static_cast<char>(0x80 | (cp & 0x3F));
      return o;
    }
  } else {
    Unit code = 0;
    if (kTarget == Encoding::kBig5) {
      code = cp <= 0xFFFF ? tables::kBig5Encode[cp] : 0;
      if (code == 0) {
        code = EncodeBig5BeyondCp950(cp);
        if (code != 0 && counts.beyond_cp950++ == 0)
          counts.first_beyond_cp950 = cp;
      }
    } else if (cp <= 0xFFFF) {
      code = tables::kGbkEncode[cp];
    }
    if (code != 0) {
      *o++ = static_cast<char>(code >> 8);
      *o++ = static_cast<char>(code);
      return o;
    }
    if (kTarget == Encoding::kGbk && cp == kEuroSign) {
      *o++ = kGbkEuroByte;
      return o;
    }
    if (kTarget == Encoding::kGb18030 && !IsSurrogate(cp) && cp != 0xE5E5) {
      code = EncodeCodePoint(Encoding::kGb18030, cp);
      if (code != 0) {
        *o++ = static_cast<char>(code >> 8);
        *o++ = static_cast<char>(code);
        return o;
      }
      return WriteFourBytes(Gb18030FourBytePointer(cp), o);
    }
  }
  ++counts.references;
  return WriteReference(cp, o);
}

}  // namespace code_point_writer

// WriteEncoded for what is not written from a direct table: placeholders,
// astral code points, references, GB18030's four-byte sequences.
template <Encoding kTarget>
[[gnu::noinline]] char* WriteEncodedRare(char32_t c, char* o,
                                         EncodeCounts& counts) {
  using namespace code_point_writer;
  if (c > 0x10FFFF) {
    ++counts.invalid_units;
    return WritePlaceholder(c, o);
  }
  return WriteCodePoint<kTarget>(c, o, counts);
}

// Writes `c` (any code point or placeholder) in `kTarget` at `o`, which has
// room for kMaxBytes, as Encode does, and returns the end of what it wrote.
template <Encoding kTarget>
inline char* WriteEncoded(char32_t c, char* o, EncodeCounts& counts) {
  if (c < 0x80) {
    *o++ = static_cast<char>(c);
    return o;
  }
  if constexpr (kTarget == Encoding::kUtf8) {
    if (c < 0x800) {
      *o++ = static_cast<char>(0xC0 | (c >> 6));
      *o++ = static_cast<char>(0x80 | (c & 0x3F));
      return o;
    }
    if (c < 0x10000 && !code_point_writer::IsSurrogate(c)) {
      *o++ = static_cast<char>(0xE0 | (c >> 12));
      *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *o++ = static_cast<char>(0x80 | (c & 0x3F));
      return o;
    }
  } else if (c < 0x10000) {
    const Unit code = kTarget == Encoding::kBig5 ? tables::kBig5Encode[c]
                                                 : tables::kGbkEncode[c];
    if (code != 0) {
      *o++ = static_cast<char>(code >> 8);
      *o++ = static_cast<char>(code);
      return o;
    }
  }
  return WriteEncodedRare<kTarget>(c, o, counts);
}

// Appends to a string through a pointer, growing it when less than kSlack
// units are left: room for one code point written as WriteEncoded does. The
// string is resized once for the expected output, and then doubles only the
// room of this appender, not the whole string, which may be large already.
template <typename String>
class StringAppender {
 public:
  using Char = typename String::value_type;
  static constexpr size_t kSlack = 16;

  // Makes room for `expected` units to begin with.
  StringAppender(String& out, size_t expected) : out_(out), start_(out.size()) {
    out_.resize(start_ + expected + kSlack);
    o_ = out_.data() + start_;
    end_ = out_.data() + out_.size();
  }
  StringAppender(const StringAppender&) = delete;
  StringAppender& operator=(const StringAppender&) = delete;
  ~StringAppender() { out_.resize(static_cast<size_t>(o_ - out_.data())); }

  // Returns where the next units go, with at least `more` + kSlack units of
  // room.
  Char* Room(size_t more = 0) {
    if (static_cast<size_t>(end_ - o_) < more + kSlack) [[unlikely]]
      Grow(more);
    return o_;
  }
  void Advance(Char* to) { o_ = to; }

 private:
  void Grow(size_t more) {
    const size_t used = static_cast<size_t>(o_ - out_.data());
    const size_t needed = used + more + kSlack;
    // The string's own capacity grows geometrically; growing the part in use
    // by an eighth keeps a near miss of `expected` from doubling the string,
    // and room reserved beforehand is used up before the string moves.
    size_t size = needed + std::max(kSlack, (out_.size() - start_) / 8);
    if (needed <= out_.capacity()) size = std::min(size, out_.capacity());
    out_.resize(size);
    o_ = out_.data() + used;
    end_ = out_.data() + out_.size();
  }

  String& out_;
  size_t start_;
  Char* o_;
  Char* end_;
};
using ByteAppender = StringAppender<std::string>;

}  // namespace tovenrak::core
