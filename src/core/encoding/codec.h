// Document bytes to code points and back, for every Encoding, without
// losing a byte.
//
// Decoding keeps each unit that is not valid in the source encoding as one
// placeholder, a value above U+10FFFF that encodes back to exactly the bytes
// it stands for, whatever the target. So bytes -> Decode -> Encode into the
// same encoding gives the bytes back (after a byte-order mark, see below),
// except where the encoder writes a character otherwise than it was read:
// with the other of two codes that stand for it (Big5 and GB both have a
// few), or as a reference (Big5's HKSCS codes are read, never written).

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/encoding/code_point_writer.h"
#include "core/encoding/encoding.h"

namespace tovenrak::core {

// True for the placeholder of an undecodable unit (never a character).
inline bool IsPlaceholder(char32_t c) { return c > 0x10FFFF; }

struct DecodedText {
  std::u32string text;
  // The bytes began with the byte-order mark of the encoding (UTF-8 EF BB BF,
  // GB18030 84 31 95 33), which is not part of `text`.
  bool byte_order_mark = false;
  // Placeholders in `text`: units that are not valid in the encoding.
  size_t invalid_units = 0;
};

// Decodes `bytes` as `encoding`. A unit is one character's bytes, or one
// invalid unit: for Big5 and GBK a lead byte 0x81-0xFE with a trail byte
// 0x40-0x7E or 0x80-0xFE is one unit even when unmapped (as the
// two-byte code tables read it), any other byte above 0x7F a unit of its own
// (in GBK 0x80 is the euro sign, as the web and Windows read it); for GB18030
// likewise, plus four-byte sequences (lead, 0x30-0x39, lead, 0x30-0x39), one
// unit even where no character is assigned; for UTF-8 each byte of a
// malformed sequence (overlong forms and surrogates included) is a unit of
// its own.
DecodedText Decode(std::string_view bytes, Encoding encoding);

// Decodes `bytes` as Decode does, but only the units that start in
// [pos, pos + max_bytes), and appends them to `out` (text and
// invalid_units); no byte-order mark is looked for. Returns the end of the
// last unit decoded (bytes.size() when it reached the end), so that the
// next call can go on from there.
// REQUIRES: `pos` is where a unit starts.
size_t DecodeSome(std::string_view bytes, size_t pos, size_t max_bytes,
                  Encoding encoding, DecodedText& out);

// Appends `text` encoded in `target` to `out` and adds to `counts`: a
// placeholder as its original bytes (so a UTF-8 target holding one is no
// longer valid UTF-8), a character the target lacks as the decimal
// reference "&#N;". Big5 writes no HKSCS codes; GBK writes the euro sign as
// 0x80 (kEuroSign); GB18030 writes every character but U+E5E5 (which the web
// reads from no byte sequence), 18 private-use ones with the two-byte codes
// that GB18030-2022 gave to their standard forms, as the web does; a surrogate
// code point is a reference in every target.
// Writes no byte-order mark.
void Encode(std::u32string_view text, Encoding target, std::string& out,
            EncodeCounts& counts);

// The room that `size` bytes in `source` usually take once encoded in
// `target`: a two-byte character takes three bytes in UTF-8, and a little
// more is left for references. Room made to measure is filled without
// moving what was written.
inline size_t EncodedRoom(size_t size, Encoding source, Encoding target) {
  const bool wider = target == Encoding::kUtf8 && source != Encoding::kUtf8;
  return size + (wider ? size / 2 : 0) + size / 8;
}

// Appends text encoded in `target` to `out`, piece by piece, with bytes
// already encoded between the pieces: Encode without the cost of making room
// at each call. `out` is not to be used otherwise while the encoder lives.
class TextEncoder {
 public:
  // `expected`: the bytes to make room for to begin with.
  TextEncoder(Encoding target, std::string& out, EncodeCounts& counts,
              size_t expected);
  TextEncoder(const TextEncoder&) = delete;
  TextEncoder& operator=(const TextEncoder&) = delete;

  // As Encode(text, target, out, counts).
  void Put(std::u32string_view text);
  // Appends `bytes` as they are.
  void PutBytes(std::string_view bytes);

 private:
  const Encoding target_;
  ByteAppender out_;
  EncodeCounts& counts_;
};

// The byte-order mark of `encoding`: EF BB BF for UTF-8, 84 31 95 33 for
// GB18030, nothing for Big5 and GBK.
std::string_view ByteOrderMark(Encoding encoding);

// The length of the byte-order mark of `encoding` that `bytes` begin with, 0
// when they begin with none.
size_t ByteOrderMarkLength(std::string_view bytes, Encoding encoding);

// Where the text of `bytes` in `source` begins, past its byte-order mark;
// a mark passed goes on to `out`, as `target` writes it, when `target` is
// UTF-8 or `source`: a UTF-8 page keeps its byte-order mark, and so does a
// GB18030 one kept in GB18030; no other gets one (browsers sniff no
// GB18030 mark, and text before a page's doctype sends them into quirks
// mode).
size_t PassByteOrderMark(std::string_view bytes, Encoding source,
                         Encoding target, std::string& out);

// Length in bytes of the unit that starts at `pos` of text in `encoding`,
// by the same rule as Decode: a search that steps by it never matches
// inside a character.
// REQUIRES: pos < text.size()
size_t UnitLengthIn(std::string_view text, size_t pos, Encoding encoding);

// How many code points Decode makes of the unit that starts at `pos`: two
// for the four Big5 codes that stand for a letter and a combining mark, one
// for every other unit.
// REQUIRES: pos < text.size()
size_t CodePointsOfUnit(std::string_view text, size_t pos, Encoding encoding);

// The number of code points bytes[from, to) decode to.
// REQUIRES: both are where units start.
size_t CountCodePoints(std::string_view bytes, size_t from, size_t to,
                       Encoding encoding);

// Whether `encoding` writes the code point `c` (a placeholder included) with
// a last byte '\': a Big5 or GBK character such as 許 or 功, whose second
// byte code that reads bytes (PHP) takes for a backslash.
bool EndsInBackslash(char32_t c, Encoding encoding);

}  // namespace tovenrak::core
