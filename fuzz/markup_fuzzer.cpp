// ConvertMarkup on any text (the input read as UTF-8, each malformed byte an
// undecodable placeholder). With a converter that changes every CJK
// character into another, one for one, and into which depending on the one
// before it, every piece MarkupScanner keeps comes out the same code points
// at the same place; text that is no markup fails and leaves the output as
// it was. Read from its bytes (RecodeMarkup) in each encoding, the input
// gives what decoding and reading it whole give (but for the queries of
// addresses on other sites, which keep the bytes they were read from), and
// the same doubtful places, and with its script kept, its bytes re-encoded;
// cut into parts (MarkupCuts, TextCuts) and converted part by part, what
// converting it whole gives; what does not end read to the end, as browsers
// read it, whatever ends as before. An input whose first half is repeated
// to 128 KiB converts in linear time.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/encoding/codec.h"
#include "core/encoding/utf8.h"
#include "core/markup/convert_markup.h"
#include "core/markup/markup_scanner.h"
#include "core/recode_in_parts.h"
#include "fuzz_check.h"
#include "support/text.h"

namespace {

using namespace tovenrak::core;
using tovenrak::testing::WithoutPhpBackslashes;

class MarkingConverter : public Converter {
 public:
  // `grow`: a CJK character after another, of a code divisible by 3, is
  // written twice, so that phrases change length.
  explicit MarkingConverter(bool grow = false) : grow_(grow) {}

  Status Convert(std::u32string_view text, ScriptConversion,
                 std::u32string& out) const override {
    // Text joined across a tag converts otherwise than its parts apart.
    bool after_cjk = false;
    for (const char32_t c : text) {
      const bool cjk = c >= 0x4E00 && c <= 0x9FFF;
      out += cjk ? c ^ (after_cjk ? 2 : 1) : c;
      if (grow_ && cjk && after_cjk && c % 3 == 0) out += c;
      after_cjk = cjk;
    }
    return {};
  }
  bool KeepsLengths(ScriptConversion) const override { return !grow_; }

 private:
  const bool grow_;
};

std::u32string Decode(std::string_view bytes) {
  std::u32string text;
  for (size_t pos = 0; pos < bytes.size();) {
    const size_t at = pos;
    const char32_t c = NextUtf8(bytes, pos);
    text += c == 0xFFFD && pos == at + 1
                ? 0x110000 + static_cast<unsigned char>(bytes[at])
                : c;
  }
  return text;
}

// `text` without what follows a '?' after a "//" up to a quote or a '>' (a
// quoted value may hold line breaks): read from its bytes, the query of an
// address on another site keeps the page's bytes, percent-encoded
// (Escapes::kQuery), where decoded text has only characters to write.
std::string WithoutQueries(std::string text) {
  for (size_t at = text.find("//"); at != std::string::npos;
       at = text.find("//", at)) {
    const size_t end = std::min(text.find_first_of("\"'>", at), text.size());
    const size_t query = text.find('?', at);
    at = end;
    if (query < end) {
      text.erase(query, end - query);
      at = query;
    }
  }
  return text;
}

void Check(std::u32string_view text) {
  MarkupScanner scanner(text);
  scanner.LabelExternalFiles();
  std::vector<MarkupPiece> kept;
  size_t covered = 0;
  for (MarkupPiece piece; scanner.Next(piece);) {
    FUZZ_CHECK(piece.span.begin == covered && piece.span.end > covered,
               "a piece left a gap, overlapped the last or was empty");
    covered = piece.span.end;
    if (piece.kind == PieceKind::kMarkup) kept.push_back(piece);
  }
  FUZZ_CHECK(scanner.problem() || covered == text.size(),
             "the pieces did not cover the text");
  std::u32string out = U"kept";
  const Status done = ConvertMarkup(MarkingConverter(), text,
                                    {Script::kTraditional, Variant::kTw}, out);
  if (scanner.problem()) {
    FUZZ_CHECK(!done && done.error().code == ErrorCode::kInvalidInput &&
                   out == U"kept",
               "text that is no markup was converted, or the output changed");
    return;
  }
  FUZZ_CHECK(done.has_value(), "ConvertMarkup failed on readable markup");
  // Language tags keep their length toward zh-TW, references theirs (every
  // CJK character has as many digits as its neighbour).
  FUZZ_CHECK(out.size() == text.size() + 4, "the output changed length");
  for (const MarkupPiece& p : kept) {
    FUZZ_CHECK(out.compare(4 + p.span.begin, p.span.size(),
                           text.substr(p.span.begin, p.span.size())) == 0,
               "a kept piece changed");
  }
}

// Cut every few bytes where the parts convert apart as the whole does, the
// input gives what it gives whole: as markup `expected`, when it reads as
// markup, and as text. One thread: which thread converts a part cannot
// change it, and the tests run several.
void CheckParts(std::string_view bytes, Encoding encoding, size_t part,
                const std::string* expected) {
  constexpr ScriptConversion kHow{Script::kTraditional, Variant::kTw};
  const MarkingConverter converter;
  const std::optional<std::vector<size_t>> cuts =
      MarkupCuts(bytes, encoding, part);
  FUZZ_CHECK(cuts.has_value() == (expected != nullptr),
             "cutting into parts read the page otherwise than converting it");
  std::string out;
  EncodeCounts counts;
  if (cuts) {
    FUZZ_CHECK(RecodeInParts(converter, bytes, *cuts, /*markup=*/true, encoding,
                             Encoding::kUtf8, kHow, 1, out, counts, {})
                       .has_value() &&
                   out == *expected,
               "converted in parts, the page converted otherwise than whole");
  }
  const Result<Conversion> whole =
      converter.Recode(bytes, encoding, Encoding::kUtf8, kHow, {});
  out.clear();
  FUZZ_CHECK(
      whole &&
          RecodeInParts(converter, bytes, TextCuts(bytes, encoding, part),
                        /*markup=*/false, encoding, Encoding::kUtf8, kHow, 1,
                        out, counts, {})
              .has_value() &&
          out == whole->text,
      "converted in parts, the text converted otherwise than whole");
}

// The input read in each encoding: from its bytes as decoding, converting
// and encoding give it, a few code points converted at a time, and the same
// when the bytes it says it has read are overwritten at once, if it reads
// as markup.
void CheckPieces(std::string_view bytes, size_t piece) {
  constexpr ScriptConversion kHow{Script::kTraditional, Variant::kTw};
  for (const Encoding encoding :
       {Encoding::kUtf8, Encoding::kGb18030, Encoding::kBig5, Encoding::kGbk}) {
    const DecodedText decoded = tovenrak::core::Decode(bytes, encoding);
    std::u32string converted;
    std::vector<AmbiguityPoint> points;
    const Status whole = ConvertMarkup(MarkingConverter(), decoded.text, kHow,
                                       converted, &points, encoding);
    std::string expected, out;
    if (decoded.byte_order_mark) expected = ByteOrderMark(Encoding::kUtf8);
    EncodeCounts counts;
    Encode(converted, Encoding::kUtf8, expected, counts);
    std::string input(bytes);
    size_t overwritten = 0;
    std::function<void(size_t)> overwrite;
    if (whole) {
      overwrite = [&](size_t end) {
        for (; overwritten < end; ++overwritten) input[overwritten] = '<';
      };
    }
    const Status read =
        RecodeMarkup(MarkingConverter(), input, encoding, Encoding::kUtf8, kHow,
                     out, counts, piece, overwrite);
    FUZZ_CHECK(
        read.has_value() == whole.has_value() &&
            (whole
                 ? WithoutQueries(WithoutPhpBackslashes(out, encoding)) ==
                       WithoutQueries(WithoutPhpBackslashes(expected, encoding))
                 : read.error().reason == whole.error().reason),
        "read from its bytes, the text converted otherwise than "
        "decoded");
    // Read as browsers read what does not end, any text converts: as read
    // before where all ends, else saying what did not.
    std::optional<Error> unended;
    std::string lenient;
    FUZZ_CHECK(
        RecodeMarkup(MarkingConverter(), bytes, encoding, Encoding::kUtf8, kHow,
                     lenient, counts, piece, {}, nullptr, {}, true, &unended)
                .has_value() &&
            (whole ? !unended && lenient == out
                   : unended && unended->reason == whole.error().reason),
        "read to the end, the text converted otherwise");
    // Naming the charset of external scripts adds that and nothing else.
    if (whole) {
      auto without_labels = [&](std::string text) {
        for (const std::string_view label :
             {" accept-charset=\"x-fuzz\"", " accept-charset='x-fuzz'",
              " accept-charset=x-fuzz", " charset=\"x-fuzz\"",
              " charset='x-fuzz'", " charset=x-fuzz"}) {
          for (size_t at; (at = text.find(label)) != std::string::npos;)
            text.erase(at, label.size());
        }
        return text;
      };
      std::string labelled;
      FUZZ_CHECK(
          RecodeMarkup(MarkingConverter(), bytes, encoding, Encoding::kUtf8,
                       kHow, labelled, counts, piece, {}, nullptr, "x-fuzz")
                  .has_value() &&
              without_labels(labelled) == without_labels(out),
          "naming the scripts' charset changed something else");
      // Keeping the script, it is its bytes in UTF-8, each read once.
      std::string kept, reencoded, kept_input(bytes);
      if (decoded.byte_order_mark) reencoded = ByteOrderMark(Encoding::kUtf8);
      Encode(decoded.text, Encoding::kUtf8, reencoded, counts);
      FUZZ_CHECK(
          RecodeMarkup(
              MarkingConverter(), kept_input, encoding, Encoding::kUtf8,
              std::nullopt, kept, counts, piece,
              [&](size_t end) {
                kept_input.replace(0, end, end, '<');
              }).has_value() &&
              WithoutQueries(WithoutPhpBackslashes(kept, encoding)) ==
                  WithoutQueries(WithoutPhpBackslashes(reencoded, encoding)),
          "keeping the script, the text changed otherwise than re-encoded");
      // Into encodings whose characters may end in a byte '\', which PHP's
      // strings are written for.
      for (const Encoding target : {Encoding::kBig5, Encoding::kGbk}) {
        std::string other;
        FUZZ_CHECK(RecodeMarkup(MarkingConverter(), bytes, encoding, target,
                                kHow, other, counts)
                       .has_value(),
                   "converting into Big5 or GBK failed where into UTF-8 not");
      }
    }
    CheckParts(bytes, encoding, 9 * piece, whole ? &out : nullptr);
    // The doubtful places, found as the bytes are read, are those found in
    // the decoded text, at the same lines and columns.
    if (!whole) continue;
    std::stable_sort(points.begin(), points.end(),
                     [](const AmbiguityPoint& a, const AmbiguityPoint& b) {
                       return a.index < b.index;
                     });
    LocatePoints(decoded.text, points);
    std::vector<AmbiguityPoint> found;
    out.clear();
    FUZZ_CHECK(
        RecodeMarkup(MarkingConverter(), bytes, encoding, Encoding::kUtf8, kHow,
                     out, counts, piece, {}, &found)
            .has_value(),
        "finding places failed where converting did not");
    bool same = found.size() == points.size();
    for (size_t i = 0; same && i < found.size(); ++i) {
      same = found[i].index == points[i].index &&
             found[i].line == points[i].line &&
             found[i].column == points[i].column &&
             found[i].chosen == points[i].chosen &&
             found[i].candidates == points[i].candidates;
    }
    FUZZ_CHECK(same, "the places found from the bytes are elsewhere");
  }
}

// With phrases that change length, the input read from its bytes gives what
// decoding, converting and encoding give.
void CheckGrowing(std::string_view bytes, size_t piece) {
  constexpr ScriptConversion kHow{Script::kTraditional, Variant::kTw};
  const MarkingConverter growing(/*grow=*/true);
  for (const Encoding encoding : {Encoding::kUtf8, Encoding::kGbk}) {
    const DecodedText decoded = tovenrak::core::Decode(bytes, encoding);
    std::u32string converted;
    const Status whole = ConvertMarkup(growing, decoded.text, kHow, converted,
                                       nullptr, encoding);
    std::string expected, out;
    if (decoded.byte_order_mark) expected = ByteOrderMark(Encoding::kUtf8);
    EncodeCounts counts;
    Encode(converted, Encoding::kUtf8, expected, counts);
    const Status read = RecodeMarkup(growing, bytes, encoding, Encoding::kUtf8,
                                     kHow, out, counts, piece);
    FUZZ_CHECK(
        read.has_value() == whole.has_value() &&
            (!whole ||
             WithoutQueries(WithoutPhpBackslashes(out, encoding)) ==
                 WithoutQueries(WithoutPhpBackslashes(expected, encoding))),
        "with phrases that change length, read from its bytes, the "
        "text converted otherwise than decoded");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Check(Decode(bytes));
  CheckPieces(bytes, 1 + size % 7);
  CheckGrowing(bytes, 1 + size % 5);

  // run.sh's -timeout turns a slower than linear conversion into a finding.
  // One input in sixteen (by its size) pays for this.
  if (size > 0 && size % 16 == 0) {
    std::string big;
    big.reserve((128 << 10) + size);
    while (big.size() < (128 << 10)) big.append(bytes.substr(0, size / 2));
    big.append(bytes.substr(size / 2));
    Check(Decode(big));
  }
  return 0;
}
