// Big5 to GB and GB to Big5 on any bytes through the default converter:
// units that are no valid code of the source come back unchanged and in
// order, every other code written is valid in the target, each reference
// adds one '&', the counts match, and the bytes are OpenCC's. Long inputs
// made by repeating a short one convert in linear time.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/convert/default_converter.h"
#include "core/encoding/code_tables.h"
#include "core/encoding/document_text.h"
#include "fuzz_check.h"
#include "support/opencc_converter.h"

namespace {

using namespace tovenrak::core;

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
  for (size_t pos = 0; pos < text.size(); pos += UnitLength(text, pos))
    count += text[pos] == '&';
  return count;
}

FUZZ_REFERENCE void CheckConversion(std::string_view input,
                                    const Conversion& result, bool to_gb) {
  const Encoding source = to_gb ? Encoding::kBig5 : Encoding::kGbk;
  const Encoding target = to_gb ? Encoding::kGbk : Encoding::kBig5;
  const std::string_view output = result.text;
  // Each unit that is no valid code of the source is found, in order, among
  // the output's units.
  size_t invalid = 0, out_pos = 0;
  for (size_t pos = 0; pos < input.size(); pos += UnitLength(input, pos)) {
    if (IsValidCode(source, input, pos)) continue;
    const std::string_view unit = input.substr(pos, UnitLength(input, pos));
    invalid += static_cast<unsigned char>(unit[0]) >= 0x80;
    while (out_pos < output.size() &&
           output.substr(out_pos, UnitLength(output, out_pos)) != unit)
      out_pos += UnitLength(output, out_pos);
    FUZZ_CHECK(out_pos < output.size(),
               "a single-byte or invalid unit was lost or moved");
    out_pos += unit.size();
  }
  FUZZ_CHECK(invalid == result.invalid_units, "invalid units miscounted");
  for (size_t pos = 0; pos < output.size(); pos += UnitLength(output, pos)) {
    FUZZ_CHECK(UnitLength(output, pos) != 2 ||
                   IsValidCode(target, output, pos) ||
                   !IsValidCode(source, output, pos),
               "a code that is valid in neither encoding was written");
  }
  FUZZ_CHECK(
      CountAmpersands(output) == CountAmpersands(input) + result.references,
      "references written and counted differ");
}

Result<Conversion> Convert(const Converter& converter, std::string_view input,
                           bool to_gb) {
  return to_gb ? converter.Big5ToGB(input) : converter.GBToBig5(input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::unique_ptr<Converter> product = [] {
    auto made = MakeDefaultConverter();
    FUZZ_CHECK(made.has_value(), "cannot load the default converter");
    return std::move(*made);
  }();
  static const std::unique_ptr<Converter> opencc = MakeOpenccConverter();
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  for (bool to_gb : {true, false}) {
    const Result<Conversion> ours = Convert(*product, input, to_gb);
    const Result<Conversion> theirs = Convert(*opencc, input, to_gb);
    FUZZ_CHECK(ours.has_value() && theirs.has_value(), "a converter failed");
    CheckConversion(input, *ours, to_gb);
    FUZZ_CHECK(ours->text == theirs->text &&
                   ours->references == theirs->references &&
                   ours->invalid_units == theirs->invalid_units,
               "the default and OpenCC converters disagree");
  }

  // With its first half repeated to 256 KiB, the input must still convert in
  // about linear time: run.sh's -timeout turns anything slower into a
  // finding. One input in eight (by its size) pays for this.
  if (size > 0 && size % 8 == 0) {
    std::string big;
    while (big.size() < (256 << 10)) big.append(input.substr(0, size / 2));
    big.append(input.substr(size / 2));
    for (bool to_gb : {true, false}) {
      const Result<Conversion> converted = Convert(*product, big, to_gb);
      FUZZ_CHECK(converted.has_value(), "the default converter failed");
      CheckConversion(big, *converted, to_gb);
    }
  }
  return 0;
}
