// Both conversions of any bytes through the program's default converter. For
// each direction: units that are not valid codes of the source (single-byte
// units included) come back unchanged and in order, so the single-byte
// skeleton never shrinks; every other code written is valid in the target;
// each reference adds exactly one '&'; the counts match; and ConvertDocument
// is the conversion plus the charset rewrite. Whenever the default converter
// is another engine than the OpenCC one, both must give the same bytes. Long
// inputs made by repeating a short one convert in linear time.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "core/convert/default_converter.h"
#include "core/convert_document.h"
#include "core/encoding/code_tables.h"
#include "core/encoding/detection.h"
#include "core/encoding/document_text.h"
#include "core/encoding/rewrite_charset.h"
#include "fuzz_check.h"
#include "support/opencc_converter.h"

namespace {

using namespace tovenrak::core;

struct Converters {
  std::unique_ptr<Converter> product;
  std::unique_ptr<Converter> opencc;
};

const Converters& GetConverters() {
  static const Converters* converters = [] {
    auto product = MakeDefaultConverter();
    auto opencc = MakeOpenccConverter();
    FUZZ_CHECK(product.has_value() && opencc.has_value(),
               "cannot load the converters");
    return new Converters{std::move(product.value()),
                          std::move(opencc.value())};
  }();
  return *converters;
}

FUZZ_REFERENCE bool IsValidCode(Encoding encoding, std::string_view text,
                                size_t pos) {
  if (UnitLength(text, pos) != 2) return false;
  char32_t cps[2];
  return DecodeUnit(
             encoding,
             static_cast<Unit>((static_cast<unsigned char>(text[pos]) << 8) |
                               static_cast<unsigned char>(text[pos + 1])),
             cps) > 0;
}

FUZZ_REFERENCE size_t CountAmpersands(std::string_view text) {
  size_t count = 0;
  for (size_t pos = 0; pos < text.size(); pos += UnitLength(text, pos)) {
    if (text[pos] == '&') ++count;
  }
  return count;
}

FUZZ_REFERENCE void CheckConversion(std::string_view input,
                                    const Conversion& result, Encoding source,
                                    Encoding target) {
  const std::string_view output = result.text;

  // The units that must pass through: every unit that is no valid code of the
  // source. Each must be found, in order, among the output's units.
  size_t kept = 0, invalid = 0, in_pos = 0, out_pos = 0;
  for (; in_pos < input.size(); in_pos += UnitLength(input, in_pos)) {
    if (IsValidCode(source, input, in_pos)) continue;
    const std::string_view unit =
        input.substr(in_pos, UnitLength(input, in_pos));
    if (static_cast<unsigned char>(unit[0]) >= 0x80) ++invalid;
    ++kept;
    while (out_pos < output.size() &&
           output.substr(out_pos, UnitLength(output, out_pos)) != unit) {
      out_pos += UnitLength(output, out_pos);
    }
    if (out_pos == output.size()) {
      FuzzPrintBytes("input", input);
      FuzzPrintBytes("output", output);
      FuzzPrintBytes("lost unit", unit);
      FUZZ_CHECK(false, "a single-byte or invalid unit was lost or moved");
    }
    out_pos += UnitLength(output, out_pos);
  }
  FUZZ_CHECK(invalid == result.invalid_units, "invalid units miscounted");

  // Every double-byte code written is valid in the target, unless it is one
  // of the invalid source units passed through.
  for (size_t pos = 0; pos < output.size(); pos += UnitLength(output, pos)) {
    if (UnitLength(output, pos) == 2 && !IsValidCode(target, output, pos)) {
      FUZZ_CHECK(!IsValidCode(source, output, pos),
                 "a code that is valid in neither encoding was written");
    }
  }

  FUZZ_CHECK(
      CountAmpersands(output) == CountAmpersands(input) + result.references,
      "references written and counted differ");
  FUZZ_CHECK(output.size() <= 8 * input.size(), "the output grew unbounded");
  if (kept == CountUnits(input)) {
    FUZZ_CHECK(output == input, "a text with nothing to convert changed");
  }
}

// Converts `input` one way with the default converter, checks the result and
// returns it. When the default converter is another engine than OpenCC's, the
// two must give the same bytes and counts.
Conversion CheckDirection(const Converters& c, std::string_view input,
                          bool to_gb) {
  const Encoding source = to_gb ? Encoding::kBig5 : Encoding::kGbk;
  const Encoding target = to_gb ? Encoding::kGbk : Encoding::kBig5;
  auto convert = [&](const Converter& converter) {
    return to_gb ? converter.Big5ToGB(input) : converter.GBToBig5(input);
  };
  Result<Conversion> product = convert(*c.product);
  FUZZ_CHECK(product.has_value(), "the default converter failed");
  CheckConversion(input, *product, source, target);
  if (typeid(*c.product) == typeid(*c.opencc)) return std::move(*product);

  const Result<Conversion> opencc = convert(*c.opencc);
  FUZZ_CHECK(opencc.has_value(), "the OpenCC converter failed");
  if (opencc->text != product->text) {
    FuzzPrintBytes("input", input);
    FuzzPrintBytes("default", product->text);
    FuzzPrintBytes("opencc", opencc->text);
    FUZZ_CHECK(false, "the default and OpenCC converters disagree");
  }
  FUZZ_CHECK(opencc->references == product->references &&
                 opencc->invalid_units == product->invalid_units,
             "the default and OpenCC converters count differently");
  return std::move(*product);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Converters& c = GetConverters();
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string before = input;

  const Conversion to_gb = CheckDirection(c, input, /*to_gb=*/true);
  const Conversion to_big5 = CheckDirection(c, input, /*to_gb=*/false);

  const Result<DocumentConversion> document =
      ConvertDocument(*c.product, input, Target::kAuto);
  FUZZ_CHECK(document.has_value(), "ConvertDocument failed");
  const bool big5 = MentionsBig5(input);
  FUZZ_CHECK(document->to_gb == big5, "the direction ignores detection");
  FUZZ_CHECK(
      document->text == RewriteCharset(big5 ? to_gb.text : to_big5.text,
                                       big5 ? Encoding::kGbk : Encoding::kBig5),
      "ConvertDocument is not the conversion plus the charset rewrite");

  FUZZ_CHECK(input == before, "a conversion changed its argument");

  // With its first half repeated to 256 KiB, the input must still convert in
  // about linear time (run.sh's -timeout turns anything slower into a
  // finding) and keep the same properties over long runs of characters. One
  // input in eight (by its size) pays for this.
  if (size > 0 && size % 8 == 0) {
    const std::string_view head = std::string_view(input).substr(0, size / 2);
    std::string big;
    big.reserve((256 << 10) + size);
    while (big.size() < (256 << 10)) big.append(head);
    big.append(input.substr(size / 2));
    for (bool gb : {true, false}) {
      const Result<Conversion> converted =
          gb ? c.product->Big5ToGB(big) : c.product->GBToBig5(big);
      FUZZ_CHECK(converted.has_value(), "the default converter failed");
      CheckConversion(big, *converted, gb ? Encoding::kBig5 : Encoding::kGbk,
                      gb ? Encoding::kGbk : Encoding::kBig5);
    }
  }
  return 0;
}
