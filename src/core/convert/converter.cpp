#include "core/convert/converter.h"

#include <new>

#include "core/encoding/codec.h"

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

Result<Conversion> Converter::Recode(
    std::string_view text, Encoding source, Encoding target,
    std::optional<ScriptConversion> how) const {
  try {
    DecodedText decoded = Decode(text, source);
    std::u32string converted;
    if (how) {
      converted.reserve(decoded.text.size() + decoded.text.size() / 8);
      if (Status s = Convert(decoded.text, *how, converted); !s)
        return s.error();
      decoded.text = std::u32string();
    } else {
      converted = std::move(decoded.text);
    }
    Conversion result;
    result.text.reserve(text.size() + text.size() / 8);
    // A UTF-8 page keeps its byte-order mark; no other target gets one.
    if (decoded.byte_order_mark && target == Encoding::kUtf8)
      result.text = "\xEF\xBB\xBF";
    EncodeCounts counts;
    Encode(converted, target, result.text, counts);
    result.references = counts.references;
    result.invalid_units = counts.invalid_units;
    return result;
  } catch (const std::bad_alloc&) {
    return Error{ErrorCode::kTooLarge,
                 "not enough memory to convert a text of " +
                     std::to_string(text.size()) + " bytes"};
  }
}

}  // namespace tovenrak::core
