#include "core/encoding/encoding.h"

#include <algorithm>
#include <iterator>
#include <string>

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

// The WHATWG Encoding Standard's labels of its other encodings, in byte
// order for the search, each with whether bytes cannot tell it from ours.
// "replacement" is left out: it names no encoding a page declares.
constexpr OtherEncoding kOtherLabels[] = {
    {"866", false},
    {"ansi_x3.4-1968", false},
    {"arabic", false},
    {"ascii", false},
    {"asmo-708", false},
    {"cp1250", false},
    {"cp1251", false},
    {"cp1252", false},
    {"cp1253", false},
    {"cp1254", false},
    {"cp1255", false},
    {"cp1256", false},
    {"cp1257", false},
    {"cp1258", false},
    {"cp819", false},
    {"cp866", false},
    {"cseuckr", true},
    {"cseucpkdfmtjapanese", true},
    {"csibm866", false},
    {"csiso2022jp", true},
    {"csiso2022kr", true},
    {"csiso88596e", false},
    {"csiso88596i", false},
    {"csiso88598e", false},
    {"csiso88598i", false},
    {"csisolatin1", false},
    {"csisolatin2", false},
    {"csisolatin3", false},
    {"csisolatin4", false},
    {"csisolatin5", false},
    {"csisolatin6", false},
    {"csisolatin9", false},
    {"csisolatinarabic", false},
    {"csisolatincyrillic", false},
    {"csisolatingreek", false},
    {"csisolatinhebrew", false},
    {"cskoi8r", false},
    {"csksc56011987", true},
    {"csmacintosh", false},
    {"csshiftjis", true},
    {"csunicode", false},
    {"cyrillic", false},
    {"dos-874", false},
    {"ecma-114", false},
    {"ecma-118", false},
    {"elot_928", false},
    {"euc-jp", true},
    {"euc-kr", true},
    {"greek", false},
    {"greek8", false},
    {"hebrew", false},
    {"hz-gb-2312", true},
    {"ibm819", false},
    {"ibm866", false},
    {"iso-10646-ucs-2", false},
    {"iso-2022-cn", true},
    {"iso-2022-cn-ext", true},
    {"iso-2022-jp", true},
    {"iso-2022-kr", true},
    {"iso-8859-1", false},
    {"iso-8859-10", false},
    {"iso-8859-11", false},
    {"iso-8859-13", false},
    {"iso-8859-14", false},
    {"iso-8859-15", false},
    {"iso-8859-16", false},
    {"iso-8859-2", false},
    {"iso-8859-3", false},
    {"iso-8859-4", false},
    {"iso-8859-5", false},
    {"iso-8859-6", false},
    {"iso-8859-6-e", false},
    {"iso-8859-6-i", false},
    {"iso-8859-7", false},
    {"iso-8859-8", false},
    {"iso-8859-8-e", false},
    {"iso-8859-8-i", false},
    {"iso-8859-9", false},
    {"iso-ir-100", false},
    {"iso-ir-101", false},
    {"iso-ir-109", false},
    {"iso-ir-110", false},
    {"iso-ir-126", false},
    {"iso-ir-127", false},
    {"iso-ir-138", false},
    {"iso-ir-144", false},
    {"iso-ir-148", false},
    {"iso-ir-149", true},
    {"iso-ir-157", false},
    {"iso8859-1", false},
    {"iso8859-10", false},
    {"iso8859-11", false},
    {"iso8859-13", false},
    {"iso8859-14", false},
    {"iso8859-15", false},
    {"iso8859-2", false},
    {"iso8859-3", false},
    {"iso8859-4", false},
    {"iso8859-5", false},
    {"iso8859-6", false},
    {"iso8859-7", false},
    {"iso8859-8", false},
    {"iso8859-9", false},
    {"iso88591", false},
    {"iso885910", false},
    {"iso885911", false},
    {"iso885913", false},
    {"iso885914", false},
    {"iso885915", false},
    {"iso88592", false},
    {"iso88593", false},
    {"iso88594", false},
    {"iso88595", false},
    {"iso88596", false},
    {"iso88597", false},
    {"iso88598", false},
    {"iso88599", false},
    {"iso_8859-1", false},
    {"iso_8859-15", false},
    {"iso_8859-1:1987", false},
    {"iso_8859-2", false},
    {"iso_8859-2:1987", false},
    {"iso_8859-3", false},
    {"iso_8859-3:1988", false},
    {"iso_8859-4", false},
    {"iso_8859-4:1988", false},
    {"iso_8859-5", false},
    {"iso_8859-5:1988", false},
    {"iso_8859-6", false},
    {"iso_8859-6:1987", false},
    {"iso_8859-7", false},
    {"iso_8859-7:1987", false},
    {"iso_8859-8", false},
    {"iso_8859-8:1988", false},
    {"iso_8859-9", false},
    {"iso_8859-9:1989", false},
    {"koi", false},
    {"koi8", false},
    {"koi8-r", false},
    {"koi8-ru", false},
    {"koi8-u", false},
    {"koi8_r", false},
    {"korean", true},
    {"ks_c_5601-1987", true},
    {"ks_c_5601-1989", true},
    {"ksc5601", true},
    {"ksc_5601", true},
    {"l1", false},
    {"l2", false},
    {"l3", false},
    {"l4", false},
    {"l5", false},
    {"l6", false},
    {"l9", false},
    {"latin1", false},
    {"latin2", false},
    {"latin3", false},
    {"latin4", false},
    {"latin5", false},
    {"latin6", false},
    {"logical", false},
    {"mac", false},
    {"macintosh", false},
    {"ms932", true},
    {"ms_kanji", true},
    {"shift-jis", true},
    {"shift_jis", true},
    {"sjis", true},
    {"sun_eu_greek", false},
    {"tis-620", false},
    {"ucs-2", false},
    {"unicode", false},
    {"unicodefeff", false},
    {"unicodefffe", false},
    {"us-ascii", false},
    {"utf-16", false},
    {"utf-16be", false},
    {"utf-16le", false},
    {"visual", false},
    {"windows-1250", false},
    {"windows-1251", false},
    {"windows-1252", false},
    {"windows-1253", false},
    {"windows-1254", false},
    {"windows-1255", false},
    {"windows-1256", false},
    {"windows-1257", false},
    {"windows-1258", false},
    {"windows-31j", true},
    {"windows-874", false},
    {"windows-949", true},
    {"x-cp1250", false},
    {"x-cp1251", false},
    {"x-cp1252", false},
    {"x-cp1253", false},
    {"x-cp1254", false},
    {"x-cp1255", false},
    {"x-cp1256", false},
    {"x-cp1257", false},
    {"x-cp1258", false},
    {"x-euc-jp", true},
    {"x-mac-cyrillic", false},
    {"x-mac-roman", false},
    {"x-mac-ukrainian", false},
    {"x-sjis", true},
    {"x-user-defined", false},
};

bool IsLabelSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string_view Trimmed(std::string_view label) {
  while (!label.empty() && IsLabelSpace(label.front())) label.remove_prefix(1);
  while (!label.empty() && IsLabelSpace(label.back())) label.remove_suffix(1);
  return label;
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
  label = Trimmed(label);
  for (const Label& known : kLabels) {
    if (EqualsIgnoringCase(label, known.label)) return known.encoding;
  }
  return std::nullopt;
}

std::optional<OtherEncoding> OtherEncodingFromLabel(std::string_view label) {
  label = Trimmed(label);
  std::string lower(label);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  const auto* found = std::lower_bound(
      std::begin(kOtherLabels), std::end(kOtherLabels), lower,
      [](const OtherEncoding& known, const std::string& wanted) {
        return known.label < wanted;
      });
  if (found == std::end(kOtherLabels) || found->label != lower)
    return std::nullopt;
  return *found;
}

}  // namespace tovenrak::core
