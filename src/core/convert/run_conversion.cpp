#include "core/convert/run_conversion.h"

#include "core/encoding/utf8.h"

namespace tovenrak::core {

void AppendReference(char32_t cp, std::string& out) {
  out += "&#";
  out += std::to_string(static_cast<uint32_t>(cp));
  out += ';';
}

void AppendEncodedCodePoint(char32_t cp, Encoding target, std::string& out,
                            size_t& references) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
    return;
  }
  const Unit code = EncodeCodePoint(target, cp);
  if (code != 0) {
    out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
  } else {
    AppendReference(cp, out);
    ++references;
  }
}

void AppendEncoded(std::string_view utf8, Encoding target, std::string& out,
                   size_t& references) {
  for (size_t pos = 0; pos < utf8.size();) {
    AppendEncodedCodePoint(NextUtf8(utf8, pos), target, out, references);
  }
}

Result<Conversion> ConvertStretches(
    std::string_view text, Encoding source, Encoding target,
    const std::function<Result<std::string>(std::string_view utf8)>& convert) {
  Conversion result;
  result.text.reserve(text.size() + text.size() / 8);
  std::string stretch;
  auto flush = [&]() -> Status {
    if (stretch.empty()) return {};
    Result<std::string> converted = convert(stretch);
    if (!converted) return converted.error();
    AppendEncoded(*converted, target, result.text, result.references);
    stretch.clear();
    return {};
  };

  for (size_t pos = 0; pos < text.size();) {
    const size_t len = UnitLength(text, pos);
    char32_t cps[2];
    int count = 0;
    if (len == 2) {
      const Unit unit =
          static_cast<Unit>((static_cast<unsigned char>(text[pos]) << 8) |
                            static_cast<unsigned char>(text[pos + 1]));
      count = DecodeUnit(source, unit, cps);
    }
    if (count > 0) {
      for (int i = 0; i < count; ++i) AppendUtf8(cps[i], stretch);
    } else {
      if (Status s = flush(); !s) return s.error();
      if (len == 2 || static_cast<unsigned char>(text[pos]) >= 0x80)
        ++result.invalid_units;
      result.text.append(text.substr(pos, len));
    }
    pos += len;
  }
  if (Status s = flush(); !s) return s.error();
  return result;
}

}  // namespace tovenrak::core
