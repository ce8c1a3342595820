#include "core/recode_document.h"

#include <algorithm>
#include <new>

#include "core/encoding/codec.h"
#include "core/io/reserve_large.h"
#include "core/markup/convert_markup.h"
#include "core/markup/html_tokenizer.h"

namespace tovenrak::core {

namespace {

// LooksLikeMarkup(name, Decode(text, source).text), decoding no further than
// the first character that decides it.
bool DocumentLooksLikeMarkup(std::string_view text, Encoding source,
                             std::string_view name) {
  if (LooksLikeMarkup(name, {})) return true;
  DecodedText head;
  size_t pos = 0;
  for (size_t want = 64;; want *= 2) {
    const size_t from = head.text.size();
    pos = DecodeSome(text, pos, want, source, head);
    const bool decided =
        std::any_of(head.text.begin() + from, head.text.end(),
                    [](char32_t c) { return !IsHtmlSpace(c) && c != 0xFEFF; });
    if (decided || pos == text.size()) return LooksLikeMarkup(name, head.text);
  }
}

}  // namespace

Result<RecodedDocument> RecodeDocument(
    const Converter& converter, std::string_view text, Encoding source,
    Encoding target, std::optional<ScriptConversion> how, MarkupMode markup,
    std::string_view name, bool find_ambiguities,
    const std::function<void(size_t)>& consumed) {
  RecodedDocument result;
  std::vector<AmbiguityPoint>* points =
      how && find_ambiguities ? &result.points : nullptr;
  if (how && markup != MarkupMode::kText) {
    try {
      if (markup == MarkupMode::kHtml ||
          DocumentLooksLikeMarkup(text, source, name)) {
        Conversion& out = result.conversion;
        ReserveLarge(out.text, EncodedRoom(text.size(), source, target));
        EncodeCounts counts;
        // Bytes handed back cannot be converted again as text, so only a
        // page read through to its end gives any back.
        const bool gives_back =
            consumed && !points && ReadsAsMarkup(text, source);
        const std::function<void(size_t)> none;
        const Status done = RecodeMarkup(converter, text, source, target, *how,
                                         out.text, counts, kRecodePiece,
                                         gives_back ? consumed : none, points);
        if (done) {
          out.references = counts.references;
          out.invalid_units = counts.invalid_units;
          result.as_markup = true;
          return result;
        }
        // Markup that cannot be read is kInvalidInput; anything else is the
        // converter's failure. Markup read through beforehand is never
        // kInvalidInput, but if it were, bytes given back could not be
        // converted again.
        if (done.error().code != ErrorCode::kInvalidInput || gives_back)
          return done.error();
        result.markup_problem = done.error().reason;
        out = {};
      }
    } catch (const std::bad_alloc&) {
      return NoMemoryToConvert(text.size(), "bytes");
    }
  }
  // Looking for the points below decodes the text again.
  Result<Conversion> recoded =
      converter.Recode(text, source, target, how,
                       points ? std::function<void(size_t)>() : consumed);
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
