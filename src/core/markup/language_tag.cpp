#include "core/markup/language_tag.h"

#include <array>

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

}  // namespace

std::optional<std::u32string> FollowScript(std::u32string_view tag,
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

  // Up to three subtags, split at the first kind of separator seen.
  const size_t first = core.find_first_of(U"-_");
  if (first == std::u32string_view::npos ||
      !EqualsIgnoringCase(core.substr(0, first), "zh"))
    return std::nullopt;
  const char32_t separator = core[first];
  std::array<std::u32string_view, 2> rest;
  size_t count = 0;
  for (size_t at = first + 1; count < 2; ++count) {
    const size_t next = core.find(separator, at);
    rest[count] = core.substr(at, next == core.npos ? core.npos : next - at);
    if (next == core.npos) {
      ++count;
      break;
    }
    at = next + 1;
    if (count == 1) return std::nullopt;  // More than three subtags.
  }

  std::optional<Script> script = ScriptOfSubtag(rest[0]);
  const bool script_form = script.has_value();
  if (count == 1 && !script_form) {
    script = ScriptOfRegion(rest[0]);
  } else if (count == 2 && (!script_form || !ScriptOfRegion(rest[1]))) {
    return std::nullopt;
  }
  if (!script || *script == how.to) return std::nullopt;

  const bool traditional = how.to == Script::kTraditional;
  const std::string_view region = RegionOf(how);
  std::string made = "zh";
  if (script_form || region.empty()) {
    made += "-";
    made += traditional ? "Hant" : "Hans";
  }
  if (!region.empty() && (count == 2 || !script_form)) {
    made += "-";
    made += region;
  }

  bool lower = true, upper = true;
  for (const char32_t c : core) {
    lower = lower && !(c >= 'A' && c <= 'Z');
    upper = upper && !(c >= 'a' && c <= 'z');
  }
  std::u32string out(tag.substr(0, begin));
  for (char c : made) {
    if (c == '-') c = static_cast<char>(separator);
    if (lower && c >= 'A' && c <= 'Z') c += 32;
    if (upper && c >= 'a' && c <= 'z') c -= 32;
    out += static_cast<char32_t>(c);
  }
  out += tag.substr(end);
  return out;
}

}  // namespace tovenrak::core
