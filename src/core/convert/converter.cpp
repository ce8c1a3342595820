#include "core/convert/converter.h"

#include <new>

#include "core/convert/ambiguity_finder.h"
#include "core/encoding/codec.h"
#include "core/io/reserve_large.h"

namespace tovenrak::core {

const char* OpenccConfigName(ScriptConversion how) {
  const bool to_simplified = how.to == Script::kSimplified;
  switch (how.variant) {
    case Variant::kTw:
      return to_simplified ? "tw2s.json" : "s2tw.json";
    case Variant::kTwp:
      return to_simplified ? "tw2sp.json" : "s2twp.json";
    case Variant::kHk:
      return to_simplified ? "hk2s.json" : "s2hk.json";
    case Variant::kStd:
      return to_simplified ? "t2s.json" : "s2t.json";
  }
  return "s2t.json";
}

Status Converter::FindAmbiguities(std::u32string_view text,
                                  ScriptConversion how,
                                  std::vector<AmbiguityPoint>& points) const {
  Result<const AmbiguityFinder*> finder = SharedAmbiguityFinder(how);
  if (!finder) return finder.error();
  try {
    (*finder)->Find(text, points);
  } catch (const std::bad_alloc&) {
    return Error{ErrorCode::kTooLarge,
                 "not enough memory to look for ambiguities in a text of " +
                     std::to_string(text.size()) + " characters"};
  }
  return {};
}

Error NoMemoryToConvert(size_t size, std::string_view units) {
  return Error{ErrorCode::kTooLarge, "not enough memory to convert a text of " +
                                         std::to_string(size) + " " +
                                         std::string(units)};
}

bool Converter::KeepsAsciiText(ScriptConversion) const { return false; }

Result<Conversion> Converter::Recode(
    std::string_view text, Encoding source, Encoding target,
    std::optional<ScriptConversion> how,
    const std::function<void(size_t)>& consumed) const {
  try {
    Conversion result;
    ReserveOutput(result.text, text.size(),
                  EncodedRoom(text.size(), source, target));
    EncodeCounts counts;
    if (Status done = RecodeInto(text, source, target, how, result.text, counts,
                                 consumed);
        !done)
      return done.error();
    result.references = counts.references;
    result.invalid_units = counts.invalid_units;
    return result;
  } catch (const std::bad_alloc&) {
    return NoMemoryToConvert(text.size(), "bytes");
  }
}

Status Converter::RecodeInto(
    std::string_view text, Encoding source, Encoding target,
    std::optional<ScriptConversion> how, std::string& out, EncodeCounts& counts,
    const std::function<void(size_t)>& consumed) const {
  // A text is converted in pieces of about kPiece bytes, each ending just
  // before a line feed: no dictionary key holds one (OpenCC's dictionaries
  // are line-based), so no match crosses the cut, and a piece after the
  // first never begins with a byte-order mark. A line feed is a unit of its
  // own in every encoding.
  constexpr size_t kPiece = size_t{1} << 20;
  try {
    if (!how) {
      // Without a conversion every unit stands alone, and a piece may end
      // after any of them, with or without a line feed.
      size_t pos = PassByteOrderMark(text, source, target, out);
      DecodedText decoded;
      while (pos < text.size()) {
        decoded.text.clear();
        pos = DecodeSome(text, pos, kPiece, source, decoded);
        Encode(decoded.text, target, out, counts);
        if (consumed) consumed(pos);
      }
      return {};
    }
    std::u32string converted;
    for (size_t start = 0; start < text.size();) {
      size_t end = text.size();
      if (end - start > kPiece) {
        end = text.find('\n', start + kPiece);
        if (end == std::string_view::npos) end = text.size();
      }
      DecodedText decoded = Decode(text.substr(start, end - start), source);
      // A UTF-8 page keeps its byte-order mark; no other target gets one.
      if (decoded.byte_order_mark && target == Encoding::kUtf8)
        out += ByteOrderMark(target);
      const std::u32string* piece = &decoded.text;
      if (how) {
        converted.clear();
        if (Status s = Convert(decoded.text, *how, converted); !s)
          return s.error();
        piece = &converted;
      }
      Encode(*piece, target, out, counts);
      start = end;
      if (consumed) consumed(start);
    }
    return {};
  } catch (const std::bad_alloc&) {
    return NoMemoryToConvert(text.size(), "bytes");
  }
}

}  // namespace tovenrak::core
