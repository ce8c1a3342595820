#include "core/encoding/utf8.h"

namespace tovenrak::core {

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char32_t NextUtf8(std::string_view text, size_t& pos) {
  const auto b0 = static_cast<unsigned char>(text[pos]);
  int extra;
  char32_t cp;
  if (b0 < 0x80) {
    ++pos;
    return b0;
  } else if ((b0 & 0xE0) == 0xC0) {
    extra = 1;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3;
    cp = b0 & 0x07;
  } else {
    ++pos;
    return 0xFFFD;
  }
  if (pos + static_cast<size_t>(extra) >= text.size()) {
    ++pos;
    return 0xFFFD;
  }
  for (int i = 1; i <= extra; ++i) {
    const auto b = static_cast<unsigned char>(text[pos + i]);
    if ((b & 0xC0) != 0x80) {
      ++pos;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  pos += extra + 1;
  return cp;
}

std::optional<std::string> Utf8FromUtf16(std::string_view text) {
  if (text.size() % 2 != 0) return std::nullopt;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const bool little = p[0] == 0xFF;
  auto unit = [&](size_t i) -> char32_t {
    return little ? p[i] | p[i + 1] << 8 : p[i] << 8 | p[i + 1];
  };
  std::string out;
  out.reserve(text.size() / 2 * 3);
  for (size_t i = 0; i < text.size(); i += 2) {
    char32_t cp = unit(i);
    if (cp >= 0xDC00 && cp <= 0xDFFF) return std::nullopt;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      if (i + 2 >= text.size()) return std::nullopt;
      const char32_t low = unit(i + 2);
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    AppendUtf8(cp, out);
  }
  return out;
}

}  // namespace tovenrak::core
