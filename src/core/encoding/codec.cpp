// Interim: Big5 and GBK only, until the full codec lands.
#include "core/encoding/codec.h"

#include "core/encoding/code_tables.h"
#include "core/encoding/document_text.h"

namespace tovenrak::core {

DecodedText Decode(std::string_view bytes, Encoding encoding) {
  DecodedText d;
  d.text.reserve(bytes.size());
  for (size_t pos = 0; pos < bytes.size();) {
    const size_t len = UnitLength(bytes, pos);
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    if (len == 1 && lead < 0x80) {
      d.text += lead;
    } else {
      char32_t cps[2];
      int count = 0;
      Unit unit = lead;
      if (len == 2) {
        unit = static_cast<Unit>((lead << 8) |
                                 static_cast<unsigned char>(bytes[pos + 1]));
        count = DecodeUnit(encoding, unit, cps);
      }
      if (count == 0) {
        d.text += static_cast<char32_t>(0x110000 + unit);
        ++d.invalid_units;
      }
      for (int i = 0; i < count; ++i) d.text += cps[i];
    }
    pos += len;
  }
  return d;
}

void Encode(std::u32string_view text, Encoding target, std::string& out,
            EncodeCounts& counts) {
  for (const char32_t cp : text) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (IsPlaceholder(cp)) {
      const unsigned unit = cp - 0x110000;
      if (unit > 0xFF) out += static_cast<char>(unit >> 8);
      out += static_cast<char>(unit & 0xFF);
      ++counts.invalid_units;
    } else if (const Unit code = EncodeCodePoint(target, cp); code != 0) {
      out += static_cast<char>(code >> 8);
      out += static_cast<char>(code & 0xFF);
    } else {
      out += "&#" + std::to_string(static_cast<uint32_t>(cp)) + ";";
      ++counts.references;
    }
  }
}

}  // namespace tovenrak::core
