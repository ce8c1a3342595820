// Small conversions between the forms text takes in tests.

#pragma once

#include <string>
#include <string_view>

#include "core/encoding/codec.h"
#include "core/encoding/utf8.h"

namespace tovenrak::testing {

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

}  // namespace tovenrak::testing
