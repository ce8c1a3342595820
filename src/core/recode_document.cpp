#include "core/recode_document.h"

#include <algorithm>
#include <new>

#include "core/encoding/codec.h"
#include "core/markup/convert_markup.h"

namespace tovenrak::core {

Result<RecodedDocument> RecodeDocument(const Converter& converter,
                                       std::string_view text, Encoding source,
                                       Encoding target,
                                       std::optional<ScriptConversion> how,
                                       MarkupMode markup, std::string_view name,
                                       bool find_ambiguities) {
  RecodedDocument result;
  std::vector<AmbiguityPoint>* points =
      how && find_ambiguities ? &result.points : nullptr;
  if (how && markup != MarkupMode::kText) {
    try {
      const DecodedText decoded = Decode(text, source);
      if (markup == MarkupMode::kHtml || LooksLikeMarkup(name, decoded.text)) {
        std::u32string converted;
        const Status done =
            ConvertMarkup(converter, decoded.text, *how, converted, points);
        if (done) {
          Conversion& out = result.conversion;
          out.text.reserve(text.size() + text.size() / 8);
          // A UTF-8 page keeps its byte-order mark; no other target gets one.
          if (decoded.byte_order_mark && target == Encoding::kUtf8)
            out.text += ByteOrderMark(target);
          EncodeCounts counts;
          Encode(converted, target, out.text, counts);
          out.references = counts.references;
          out.invalid_units = counts.invalid_units;
          result.as_markup = true;
          if (points) {
            std::stable_sort(
                points->begin(), points->end(),
                [](const AmbiguityPoint& a, const AmbiguityPoint& b) {
                  return a.index < b.index;
                });
            LocatePoints(decoded.text, *points);
          }
          return result;
        }
        // Markup that cannot be read is kInvalidInput; anything else is the
        // converter's failure.
        if (done.error().code != ErrorCode::kInvalidInput) return done.error();
        result.markup_problem = done.error().reason;
        if (points) points->clear();
      }
    } catch (const std::bad_alloc&) {
      return NoMemoryToConvert(text.size(), "bytes");
    }
  }
  Result<Conversion> recoded = converter.Recode(text, source, target, how);
  if (!recoded) return recoded.error();
  result.conversion = std::move(*recoded);
  if (points) {
    // The same text Recode converted in pieces; its pieces are cut where
    // converting them apart gives what converting the whole does.
    try {
      const DecodedText decoded = Decode(text, source);
      if (Status found = converter.FindAmbiguities(decoded.text, *how, *points);
          !found)
        return found.error();
      LocatePoints(decoded.text, *points);
    } catch (const std::bad_alloc&) {
      return Error{ErrorCode::kTooLarge,
                   "not enough memory to look for ambiguities in a text of " +
                       std::to_string(text.size()) + " bytes"};
    }
  }
  return result;
}

}  // namespace tovenrak::core
