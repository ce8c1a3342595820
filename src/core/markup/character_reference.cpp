#include "core/markup/character_reference.h"

namespace tovenrak::core {

namespace {

constexpr size_t kMaxDigits = 8;

int DigitValue(char32_t c, bool hex) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (!hex) return -1;
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  return -1;
}

}  // namespace

std::optional<CharacterReference> ReadReference(std::u32string_view text) {
  if (text.size() < 3 || text[0] != '&' || text[1] != '#') return std::nullopt;
  CharacterReference ref;
  size_t i = 2;
  if (text[i] == 'x' || text[i] == 'X') {
    ref.form.hex = true;
    ref.form.upper_x = text[i] == 'X';
    ++i;
  }
  const size_t first = i;
  // Browsers read any number of leading zeros; past them, a number of more
  // digits than kMaxDigits is no character.
  while (i < text.size() && text[i] == '0' && i - first < kMaxDigits * 4) ++i;
  const size_t significant = i;
  uint32_t value = 0;
  for (int d; i < text.size() && i - significant < kMaxDigits &&
              (d = DigitValue(text[i], ref.form.hex)) >= 0;
       ++i) {
    value = value * (ref.form.hex ? 16 : 10) + static_cast<uint32_t>(d);
    if (text[i] >= 'A' && text[i] <= 'F') ref.form.upper_digits = true;
  }
  if (i == first) return std::nullopt;
  // Browsers read the number without its ';' too, up to the first
  // character that is no digit.
  ref.form.semicolon = i < text.size() && text[i] == ';';
  if (!ref.form.semicolon && i < text.size() &&
      DigitValue(text[i], ref.form.hex) >= 0)
    return std::nullopt;
  if (value == 0 || (value >= 0xD800 && value <= 0xDFFF) ||
      (value >= 0x80 && value <= 0x9F) || value > 0x10FFFF)
    return std::nullopt;
  ref.value = value;
  ref.length = i + (ref.form.semicolon ? 1 : 0);
  ref.form.digits = static_cast<uint8_t>(i - first);
  return ref;
}

size_t NamedReferenceLength(std::u32string_view text) {
  constexpr size_t kLongestName = 32;
  auto letter = [](char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  };
  if (text.size() < 3 || text[0] != '&' || !letter(text[1])) return 0;
  size_t i = 2;
  while (i < text.size() && i <= kLongestName &&
         (letter(text[i]) || (text[i] >= '0' && text[i] <= '9')))
    ++i;
  return i < text.size() && text[i] == ';' ? i + 1 : 0;
}

void AppendReference(char32_t c, const ReferenceForm& form,
                     std::u32string& out) {
  const uint32_t base = form.hex ? 16 : 10;
  const char* digits =
      form.upper_digits ? "0123456789ABCDEF" : "0123456789abcdef";
  // Room for the longest form read: leading zeros and kMaxDigits digits.
  char buffer[kMaxDigits * 5 + 1];
  size_t n = 0;
  for (uint32_t v = c; v != 0 || n < form.digits || n == 0; v /= base)
    buffer[n++] = digits[v % base];
  out += U"&#";
  if (form.hex) out += form.upper_x ? U'X' : U'x';
  while (n > 0) out += static_cast<char32_t>(buffer[--n]);
  if (form.semicolon) out += U';';
}

}  // namespace tovenrak::core
