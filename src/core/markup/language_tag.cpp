#include "core/markup/language_tag.h"

#include <array>
#include <span>
#include <vector>

#include "core/markup/html_tokenizer.h"

namespace tovenrak::core {

namespace {

// The script a region's Chinese is written in, if the region is known.
std::optional<Script> ScriptOfRegion(std::u32string_view region) {
  for (const char* r : {"cn", "sg", "my"})
    if (EqualsIgnoringCase(region, r)) return Script::kSimplified;
  for (const char* r : {"tw", "hk", "mo"})
    if (EqualsIgnoringCase(region, r)) return Script::kTraditional;
  return std::nullopt;
}

std::optional<Script> ScriptOfSubtag(std::u32string_view subtag) {
  if (EqualsIgnoringCase(subtag, "hans")) return Script::kSimplified;
  if (EqualsIgnoringCase(subtag, "hant")) return Script::kTraditional;
  return std::nullopt;
}

// The region the target script implies, or "" for none (std).
std::string_view RegionOf(ScriptConversion how) {
  if (how.variant == Variant::kStd) return "";
  if (how.to == Script::kSimplified) return "CN";
  return how.variant == Variant::kHk ? "HK" : "TW";
}

// The Chinese languages, which may stand alone (yue-Hant) or follow zh as
// an extended language subtag (zh-yue-Hant).
bool IsChineseLanguage(std::u32string_view subtag) {
  static constexpr std::array kLanguages = {
      "cdo", "cjy", "cmn", "cnp", "cpx", "csp", "czh", "czo",
      "gan", "hak", "hsn", "lzh", "mnp", "nan", "wuu", "yue"};
  for (const char* language : kLanguages)
    if (EqualsIgnoringCase(subtag, language)) return true;
  return false;
}

// FollowScript for one tag of a list.
std::optional<std::u32string> FollowScriptOne(std::u32string_view tag,
                                              ScriptConversion how) {
  size_t begin = 0, end = tag.size();
  while (begin < end && IsHtmlSpace(tag[begin])) ++begin;
  while (end > begin && IsHtmlSpace(tag[end - 1])) --end;
  // A subtag of one character begins extensions, which stay.
  for (size_t at = begin; at + 2 < end; ++at) {
    if ((tag[at] == '-' || tag[at] == '_') && tag[at + 2] == tag[at]) {
      end = at;
      break;
    }
  }
  const std::u32string_view core = tag.substr(begin, end - begin);
  const size_t first = core.find_first_of(U"-_");
  if (first == std::u32string_view::npos) return std::nullopt;
  const char32_t separator = core[first];
  std::vector<std::u32string_view> subtags;
  for (size_t at = 0;;) {
    const size_t next = core.find(separator, at);
    subtags.push_back(
        core.substr(at, next == core.npos ? core.npos : next - at));
    if (next == core.npos) break;
    at = next + 1;
  }

  // The language: zh, zh and a Chinese language, or a Chinese language.
  // Mandarin (zh, cmn) follows the script by region too; the others keep
  // their regions and change only a script subtag.
  size_t language_end = 0;
  std::u32string_view language;
  if (EqualsIgnoringCase(subtags[0], "zh")) {
    language_end = subtags.size() > 1 && IsChineseLanguage(subtags[1]) ? 2 : 1;
    language = subtags[language_end - 1];
  } else if (IsChineseLanguage(subtags[0])) {
    language_end = 1;
    language = subtags[0];
  } else {
    return std::nullopt;
  }
  const bool mandarin =
      EqualsIgnoringCase(language, "zh") || EqualsIgnoringCase(language, "cmn");
  const std::span<const std::u32string_view> rest(
      subtags.begin() + static_cast<ptrdiff_t>(language_end), subtags.end());
  if (rest.empty() || rest.size() > 2) return std::nullopt;

  // .NET's older names, zh-CHS and zh-CHT, which ASP.NET pages write: the
  // last letter turns, in the tag's own case.
  if (language_end == 1 && rest.size() == 1 && rest[0].size() == 3 &&
      EqualsIgnoringCase(rest[0].substr(0, 2), "ch")) {
    const char32_t last = rest[0][2];
    const bool s = last == 's' || last == 'S', t = last == 't' || last == 'T';
    if (!s && !t) return std::nullopt;
    if ((s ? Script::kSimplified : Script::kTraditional) == how.to)
      return std::nullopt;
    std::u32string out(tag);
    const size_t at = static_cast<size_t>(rest[0].data() - tag.data()) + 2;
    out[at] = (last == 's' || last == 't' ? U"st" : U"ST")[s ? 1 : 0];
    return out;
  }

  std::optional<Script> script = ScriptOfSubtag(rest[0]);
  const bool script_form = script.has_value();
  const bool has_region = rest.size() == 2 || !script_form;
  if (has_region && !ScriptOfRegion(rest.back())) return std::nullopt;
  if (rest.size() == 2 && !script_form) return std::nullopt;
  if (!script_form) {
    if (!mandarin) return std::nullopt;
    script = ScriptOfRegion(rest[0]);
  }
  if (*script == how.to) return std::nullopt;

  bool lower = true, upper = true;
  for (const char32_t c : core) {
    lower = lower && !(c >= 'A' && c <= 'Z');
    upper = upper && !(c >= 'a' && c <= 'z');
  }
  std::u32string out(tag.substr(0, begin));
  // The language subtags, in lower case unless the tag is in upper case.
  const std::u32string_view last = subtags[language_end - 1];
  for (const char32_t c : core.substr(
           0, static_cast<size_t>(last.data() + last.size() - core.data())))
    out += !upper && c >= 'A' && c <= 'Z' ? c + 32 : c;
  // A subtag made here: in the tag's own case, or the usual one.
  auto put = [&](std::string_view subtag) {
    out += separator;
    for (char c : subtag) {
      if (lower && c >= 'A' && c <= 'Z') c += 32;
      if (upper && c >= 'a' && c <= 'z') c -= 32;
      out += static_cast<char32_t>(c);
    }
  };
  const std::string_view region = RegionOf(how);
  if (script_form || (mandarin && region.empty()))
    put(how.to == Script::kTraditional ? "Hant" : "Hans");
  if (!mandarin) {
    if (has_region) {
      out += separator;
      out += rest.back();
    }
  } else if (!region.empty() && has_region) {
    put(region);
  }
  out += tag.substr(end);
  return out;
}

}  // namespace

std::optional<std::u32string> FollowScript(std::u32string_view tag,
                                           ScriptConversion how) {
  // A list (Content-Language: zh-CN, en), each tag on its own.
  std::u32string out;
  bool changed = false;
  for (size_t at = 0;;) {
    const size_t comma = tag.find(U',', at);
    const std::u32string_view one =
        tag.substr(at, comma == tag.npos ? tag.npos : comma - at);
    if (std::optional<std::u32string> made = FollowScriptOne(one, how)) {
      out += *made;
      changed = true;
    } else {
      out += one;
    }
    if (comma == tag.npos) break;
    out += U',';
    at = comma + 1;
  }
  if (!changed) return std::nullopt;
  return out;
}

}  // namespace tovenrak::core
