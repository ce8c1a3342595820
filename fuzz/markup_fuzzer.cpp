// ConvertMarkup on any text (the input read as UTF-8, each malformed byte an
// undecodable placeholder). The pieces of MarkupScanner cover the text in
// order; ConvertMarkup fails exactly when the scanner stops early, leaving
// its output as it was. With a converter that changes every CJK character
// into another, one for one, every kept piece comes out the same code points
// at the same place and every character of a converted piece is changed.
// With the real converter and Taiwan idioms, which change the length of
// phrases, the kept pieces come out in order. An input whose first half is
// repeated to 128 KiB converts in linear time.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/convert/fast_converter.h"
#include "core/encoding/utf8.h"
#include "core/markup/convert_markup.h"
#include "core/markup/language_tag.h"
#include "core/markup/markup_scanner.h"
#include "fuzz_check.h"

namespace {

using namespace tovenrak::core;

FUZZ_REFERENCE bool IsCjk(char32_t c) { return c >= 0x4E00 && c <= 0x9FFF; }

// Changes each CJK character into its neighbour, nothing else.
class MarkingConverter : public Converter {
 public:
  Status Convert(std::u32string_view text, ScriptConversion,
                 std::u32string& out) const override {
    for (const char32_t c : text) out += IsCjk(c) ? c ^ 1 : c;
    return {};
  }
};

FUZZ_REFERENCE bool IsHexDigit(char32_t c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') ||
         (c >= 'A' && c <= 'F');
}

FUZZ_REFERENCE std::u32string Decode(std::string_view bytes) {
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

void Check(std::u32string_view text, bool long_input) {
  // The pieces cover the text.
  MarkupScanner scanner(text);
  std::vector<MarkupPiece> pieces;
  size_t covered = 0;
  for (MarkupPiece piece; scanner.Next(piece); covered = piece.span.end) {
    FUZZ_CHECK(piece.span.begin == covered && piece.span.end > covered,
               "pieces leave a gap, overlap or are empty");
    pieces.push_back(piece);
  }
  FUZZ_CHECK(scanner.problem().has_value() == (covered != text.size()),
             "the scanner stopped early without a problem, or the reverse");

  const ScriptConversion how{Script::kTraditional, Variant::kTw};
  std::u32string out = U"kept";
  const MarkingConverter marking;
  const Status done = ConvertMarkup(marking, text, how, out);
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
  const std::u32string_view converted = std::u32string_view(out).substr(4);
  for (const MarkupPiece& p : pieces) {
    for (size_t i = p.span.begin; i < p.span.end; ++i) {
      const char32_t in = text[i], got = converted[i];
      switch (p.kind) {
        case PieceKind::kMarkup:
          FUZZ_CHECK(got == in, "a kept piece changed");
          break;
        case PieceKind::kText:
        case PieceKind::kValue:
        case PieceKind::kComment: {
          // Outside CJK characters only the digits of a reference change.
          const bool reference_digit = p.kind != PieceKind::kComment &&
                                       IsHexDigit(in) && IsHexDigit(got);
          FUZZ_CHECK(IsCjk(in) ? got == (in ^ 1) : got == in || reference_digit,
                     "a converted piece was not converted character by "
                     "character");
          break;
        }
        case PieceKind::kLanguage:
          break;
      }
    }
    if (p.kind == PieceKind::kLanguage) {
      const std::u32string_view tag = text.substr(p.span.begin, p.span.size());
      const auto made = FollowScript(tag, how);
      FUZZ_CHECK(converted.substr(p.span.begin, p.span.size()) ==
                     (made ? std::u32string_view(*made) : tag),
                 "a language tag did not follow the script");
    }
  }
  if (long_input) return;

  // The real converter, phrases changing length: kept pieces in order.
  static const std::unique_ptr<Converter> fast = MakeFastConverter();
  out.clear();
  FUZZ_CHECK(
      ConvertMarkup(*fast, text, {Script::kTraditional, Variant::kTwp}, out)
          .has_value(),
      "the real converter failed");
  size_t at = 0;
  for (const MarkupPiece& p : pieces) {
    if (p.kind != PieceKind::kMarkup) continue;
    at = out.find(text.substr(p.span.begin, p.span.size()), at);
    FUZZ_CHECK(at != out.npos, "a kept piece is missing or out of order");
    at += p.span.size();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Check(Decode(bytes), /*long_input=*/false);

  // With its first half repeated to 128 KiB, the input must still convert
  // in about linear time: run.sh's -timeout turns anything slower into a
  // finding. One input in sixteen (by its size) pays for this.
  if (size > 0 && size % 16 == 0) {
    std::string big;
    big.reserve((128 << 10) + size);
    while (big.size() < (128 << 10)) big.append(bytes.substr(0, size / 2));
    big.append(bytes.substr(size / 2));
    Check(Decode(big), /*long_input=*/true);
  }
  return 0;
}
