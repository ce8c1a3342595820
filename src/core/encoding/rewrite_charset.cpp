#include "core/encoding/rewrite_charset.h"

#include "core/encoding/document_text.h"

namespace tovenrak::core {

namespace {

constexpr std::string_view kKey = "charset=";
constexpr std::string_view kHttpEquiv = " http-equiv=Content-Type";
constexpr auto npos = std::string_view::npos;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Where a "charset=" stands inside a tag: between attributes, or inside an
// attribute's value (then `quote` is the character that opened it, or 0).
struct Place {
  bool in_value = false;
  char quote = 0;
};

// Walks the tag's attributes from `from` up to `until`.
Place PlaceAt(std::string_view text, size_t from, size_t until) {
  enum { kBetween, kName, kAfterEquals, kQuoted, kUnquoted } state = kBetween;
  char quote = 0;
  for (size_t pos = from; pos < until; pos += UnitLength(text, pos)) {
    const char c = text[pos];
    switch (state) {
      case kBetween:
      case kName:
        if (c == '=') {
          state = kAfterEquals;
        } else {
          state = IsSpace(c) || c == '/' ? kBetween : kName;
        }
        break;
      case kAfterEquals:
        if (c == '"' || c == '\'') {
          quote = c;
          state = kQuoted;
        } else if (!IsSpace(c)) {
          state = kUnquoted;
        }
        break;
      case kQuoted:
        if (c == quote) state = kBetween;
        break;
      case kUnquoted:
        if (IsSpace(c)) state = kBetween;
        break;
    }
  }
  if (state == kQuoted) return {true, quote};
  if (state == kUnquoted || state == kAfterEquals) return {true, 0};
  return {};
}

bool IsMetaTagAt(std::string_view text, size_t pos) {
  const size_t after = pos + 5;  // "<meta"
  return after < text.size() &&
         (IsSpace(text[after]) || text[after] == '/' || text[after] == '>');
}

}  // namespace

std::optional<CharsetEdit> FindCharsetEdit(
    std::string_view text, std::string_view target_declaration) {
  size_t meta = 0;
  while ((meta = FindAscii(text, "<meta", meta, /*ignore_case=*/true)) !=
         npos) {
    // Checked before looking for the ">": a page full of "<metadata" and
    // the like would otherwise be scanned to its end once for each of them.
    if (!IsMetaTagAt(text, meta)) {
      meta += 5;
      continue;
    }
    const size_t close = FindAscii(text, ">", meta);
    if (close == npos) break;
    const size_t key =
        FindAscii(text.substr(0, close), kKey, meta, /*ignore_case=*/true);
    if (key == npos) {
      meta = close + 1;
      continue;
    }

    const Place place = PlaceAt(text, meta + 5, key);
    if (place.in_value) {
      // The declaration is part of a content value: it and the rest of the tag
      // become the target, the value's closing quote and an http-equiv.
      CharsetEdit edit{key, close - key, std::string(target_declaration)};
      if (place.quote != 0) edit.replacement += place.quote;
      edit.replacement += kHttpEquiv;
      if (text[close - 1] == '/') edit.replacement += " /";
      return edit;
    }

    // charset is an attribute of its own: replace only the encoding name.
    const std::string_view name = target_declaration.substr(kKey.size());
    size_t value = key + kKey.size();
    while (value < close && IsSpace(text[value])) ++value;  // charset= "big5"
    size_t value_end;
    if (value < close && (text[value] == '"' || text[value] == '\'')) {
      const size_t closing_quote = text.find(text[value], value + 1);
      ++value;
      value_end = closing_quote < close ? closing_quote : close;
    } else {
      value_end = value;
      while (value_end < close && !IsSpace(text[value_end]) &&
             !(text[value_end] == '/' && value_end + 1 == close)) {
        value_end += UnitLength(text, value_end);
      }
    }
    return CharsetEdit{value, value_end - value, std::string(name)};
  }
  return std::nullopt;
}

std::string RewriteCharset(std::string_view text,
                           std::string_view target_declaration) {
  std::string out(text);
  if (auto edit = FindCharsetEdit(text, target_declaration)) {
    out.replace(edit->pos, edit->length, edit->replacement);
  }
  return out;
}

}  // namespace tovenrak::core
