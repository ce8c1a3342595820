#include "core/convert/converter.h"

#include <new>

#include "core/convert/ambiguity_finder.h"
#include "core/convert/byte_breaks.h"
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

Status Converter::ConvertPlacing(std::u32string_view text, ScriptConversion how,
                                 std::u32string& out,
                                 std::span<size_t> places) const {
  const size_t before = out.size();
  if (Status done = Convert(text, how, out); !done) return done;
  if (KeepsLengths(how)) return {};
  for (size_t& p : places) {
    if (p == text.size()) {
      p = out.size() - before;
    } else if (p != 0) {
      p = kNoPlace;
    }
  }
  return {};
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
    result.beyond_cp950 = counts.beyond_cp950;
    result.first_beyond_cp950 = counts.first_beyond_cp950;
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
  // before a line feed, which no key holds (OpenCC's dictionaries are
  // line-based), so no match crosses the cut. A text without one is cut
  // after another break, where no key holds one. A line feed is a unit of
  // its own in every encoding.
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
    const ByteBreaks breaks(source);
    DecodedText decoded;
    std::u32string converted;
    for (size_t start = PassByteOrderMark(text, source, target, out);
         start < text.size();) {
      size_t end = text.size();
      if (end - start > kPiece) {
        end = text.find('\n', start + kPiece);
        if (end == std::string_view::npos && !KeysHoldBreaks())
          end = breaks.BreakEnd(text, start, start + kPiece, text.size(),
                                /*last=*/false, kPiece);
        if (end == std::string_view::npos) end = text.size();
      }
      decoded.text.clear();
      start = DecodeSome(text, start, end - start, source, decoded);
      converted.clear();
      if (Status s = Convert(decoded.text, *how, converted); !s)
        return s.error();
      Encode(converted, target, out, counts);
      if (consumed) consumed(start);
    }
    return {};
  } catch (const std::bad_alloc&) {
    return NoMemoryToConvert(text.size(), "bytes");
  }
}

}  // namespace tovenrak::core
