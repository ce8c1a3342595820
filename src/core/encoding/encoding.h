// The encodings a document can be in, and what the program knows of each:
// its name for people, the name a declaration gives it, and the labels by
// which documents declare it. Adding an encoding starts here.

#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tovenrak::core {

enum class Encoding : uint8_t {
  kBig5,     // WHATWG big5; HKSCS codes are read, never written.
  kGbk,      // GBK, the two-byte part of GB18030; written "gb2312".
  kGb18030,  // All of GB18030, four-byte sequences included.
  kUtf8,
};

inline constexpr Encoding kAllEncodings[] = {
    Encoding::kBig5, Encoding::kGbk, Encoding::kGb18030, Encoding::kUtf8};

// "Big5", "GB", "GB18030", "UTF-8": what messages and the windows call it.
std::string_view DisplayName(Encoding encoding);

// The name written into a rewritten declaration: "big5", "gb2312",
// "gb18030", "utf-8".
std::string_view DeclaredName(Encoding encoding);

// Whether `c` may stand in the name of an encoding as pages write it:
// letters, digits and "-_.:".
inline bool IsLabelChar(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
}

// The encoding a document means by `label` in a <meta> charset or an XML
// declaration, by the WHATWG labels (letter case and surrounding ASCII white
// space ignored); std::nullopt for any other label.
std::optional<Encoding> EncodingFromLabel(std::string_view label);

// What `label` names when it is a WHATWG label of an encoding that is none of
// ours (windows-1252, Shift_JIS, EUC-KR, UTF-16, HZ...): the label in lower
// case, and whether a text's bytes cannot tell it from ours: the double-byte
// encodings of Japanese and Korean, whose codes are GB or Big5 codes too,
// and those that write in ASCII bytes alone (HZ-GB-2312, ISO-2022).
// std::nullopt for any other label.
struct OtherEncoding {
  std::string_view label;
  bool like_ours = false;
};
std::optional<OtherEncoding> OtherEncodingFromLabel(std::string_view label);

}  // namespace tovenrak::core
