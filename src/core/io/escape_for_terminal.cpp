#include "core/io/escape_for_terminal.h"

#include "core/encoding/utf8.h"

namespace tovenrak::core {

namespace {

void AppendEscaped(unsigned char byte, std::string& out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out += kHex[byte >> 4];
  out += kHex[byte & 0xF];
}

// A character that moves the cursor or changes the order in which text is
// shown, or that shows as nothing at all, so that two names look alike.
bool IsHiddenControl(char32_t c) {
  return (c >= 0x80 && c <= 0x9F) || c == 0x061C || c == 0x200B ||
         c == 0x200E || c == 0x200F || (c >= 0x2028 && c <= 0x202E) ||
         c == 0x2060 || (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

}  // namespace

std::string EscapeForTerminal(std::string_view text, OtherBytes other) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) {
      AppendEscaped(byte, out);
      ++i;
      continue;
    }
    if (byte == '\\') {
      out += "\\\\";
      ++i;
      continue;
    }
    if (byte < 0x80) {
      out += text[i++];
      continue;
    }
    size_t length = WellFormedUtf8Length(text, i);
    const bool control =
        length != 0 &&
        IsHiddenControl(Utf8CodePoint(
            reinterpret_cast<const unsigned char*>(text.data() + i), length));
    if (length == 0 && other == OtherBytes::kEscaped) {
      AppendEscaped(byte, out);
      ++i;
      continue;
    }
    if (length == 0) {
      // A byte of GBK or Big5: a lead byte with its trail byte, else alone;
      // not two C1 bytes, which an 8-bit terminal reads as two controls.
      const auto trail =
          i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
      const bool pair = byte >= 0x81 && byte <= 0xFE && trail >= 0x80 &&
                        trail <= 0xFE && (byte > 0x9F || trail > 0x9F);
      length = pair ? 2 : 1;
      if (!pair && byte <= 0x9F) {
        AppendEscaped(byte, out);
        ++i;
        continue;
      }
    }
    for (size_t end = i + length; i < end; ++i) {
      if (control) {
        AppendEscaped(static_cast<unsigned char>(text[i]), out);
      } else {
        out += text[i];
      }
    }
  }
  return out;
}

}  // namespace tovenrak::core
