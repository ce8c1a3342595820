#include "core/io/escape_for_terminal.h"

namespace tovenrak::core {

namespace {

void AppendEscaped(unsigned char byte, std::string& out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out += kHex[byte >> 4];
  out += kHex[byte & 0xF];
}

}  // namespace

std::string EscapeForTerminal(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) {
      AppendEscaped(byte, out);
    } else if (byte == '\\') {
      out += "\\\\";
    } else if (byte == 0xC2 && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) < 0xA0 &&
               static_cast<unsigned char>(text[i + 1]) >= 0x80) {
      AppendEscaped(byte, out);
      AppendEscaped(static_cast<unsigned char>(text[++i]), out);
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace tovenrak::core
