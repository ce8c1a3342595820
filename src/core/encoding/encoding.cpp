#include "core/encoding/encoding.h"

#include <iterator>

namespace tovenrak::core {

namespace {

struct Names {
  std::string_view display;
  std::string_view declared;
};

// Indexed by Encoding.
constexpr Names kNames[] = {
    {"Big5", "big5"},
    {"GB", "gb2312"},
    {"GB18030", "gb18030"},
    {"UTF-8", "utf-8"},
};
static_assert(std::size(kNames) == std::size(kAllEncodings));

struct Label {
  std::string_view label;  // Lower case.
  Encoding encoding;
};

// The WHATWG Encoding Standard's labels of its big5, gbk, gb18030 and utf-8
// encodings, and the Windows names of code page 936.
constexpr Label kLabels[] = {
    {"big5", Encoding::kBig5},
    {"big5-hkscs", Encoding::kBig5},
    {"cn-big5", Encoding::kBig5},
    {"csbig5", Encoding::kBig5},
    {"x-x-big5", Encoding::kBig5},
    {"chinese", Encoding::kGbk},
    {"csgb2312", Encoding::kGbk},
    {"csiso58gb231280", Encoding::kGbk},
    {"gb2312", Encoding::kGbk},
    {"gb_2312", Encoding::kGbk},
    {"gb_2312-80", Encoding::kGbk},
    {"gbk", Encoding::kGbk},
    {"iso-ir-58", Encoding::kGbk},
    {"x-gbk", Encoding::kGbk},
    {"cp936", Encoding::kGbk},
    {"ms936", Encoding::kGbk},
    {"windows-936", Encoding::kGbk},
    {"gb18030", Encoding::kGb18030},
    {"unicode-1-1-utf-8", Encoding::kUtf8},
    {"unicode11utf8", Encoding::kUtf8},
    {"unicode20utf8", Encoding::kUtf8},
    {"utf-8", Encoding::kUtf8},
    {"utf8", Encoding::kUtf8},
    {"x-unicode20utf8", Encoding::kUtf8},
};

bool IsLabelSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool EqualsIgnoringCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c) != lower[i])
      return false;
  }
  return true;
}

}  // namespace

std::string_view DisplayName(Encoding encoding) {
  return kNames[static_cast<size_t>(encoding)].display;
}

std::string_view DeclaredName(Encoding encoding) {
  return kNames[static_cast<size_t>(encoding)].declared;
}

std::optional<Encoding> EncodingFromLabel(std::string_view label) {
  while (!label.empty() && IsLabelSpace(label.front())) label.remove_prefix(1);
  while (!label.empty() && IsLabelSpace(label.back())) label.remove_suffix(1);
  for (const Label& known : kLabels) {
    if (EqualsIgnoringCase(label, known.label)) return known.encoding;
  }
  return std::nullopt;
}

}  // namespace tovenrak::core
