// Small conversions between the forms text takes in tests.

#pragma once

#include <string>
#include <string_view>

#include "core/encoding/codec.h"
#include "core/encoding/utf8.h"

namespace tovenrak::testing {

// `text` without the isolate marks the windows put around the names in
// their messages (platform::ShownName), as a reader sees it.
inline std::string WithoutIsolates(std::string text) {
  for (const std::string_view mark : {"\u2068", "\u2069"})
    for (size_t at; (at = text.find(mark)) != std::string::npos;)
      text.erase(at, mark.size());
  return text;
}

inline std::string Utf8(std::u32string_view cps) {
  std::string out;
  for (const char32_t cp : cps) core::AppendUtf8(cp, out);
  return out;
}

inline std::u32string U32(std::string_view utf8) {
  std::u32string out;
  for (size_t pos = 0; pos < utf8.size();) out += core::NextUtf8(utf8, pos);
  return out;
}

// `utf8` written in `encoding`; characters it lacks become "&#N;".
inline std::string Bytes(std::string_view utf8, core::Encoding encoding) {
  std::string out;
  core::EncodeCounts counts;
  core::Encode(U32(utf8), encoding, out, counts);
  return out;
}

// `bytes`, in `encoding`, written in UTF-8; bytes that are no characters
// stay as they are.
inline std::string AsUtf8(std::string_view bytes, core::Encoding encoding) {
  std::string out;
  core::EncodeCounts counts;
  core::Encode(core::Decode(bytes, encoding).text, core::Encoding::kUtf8, out,
               counts);
  return out;
}

// Converted into UTF-8 from `source`, a PHP string loses the '\\' that
// followed a character whose last byte was '\\' (or gains one before the
// quote such a byte escaped), which a conversion of the decoded text does
// not know of. So that the two compare, '\\' after a character that is not
// ASCII is left out, but for UTF-8 input.
inline std::string WithoutPhpBackslashes(std::string utf8,
                                         core::Encoding source) {
  if (source == core::Encoding::kUtf8) return utf8;
  size_t kept = 0;
  for (const char c : utf8) {
    if (c == '\\' && kept > 0 &&
        static_cast<unsigned char>(utf8[kept - 1]) >= 0x80)
      continue;
    utf8[kept++] = c;
  }
  utf8.resize(kept);
  return utf8;
}

}  // namespace tovenrak::testing
