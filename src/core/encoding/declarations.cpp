#include "core/encoding/declarations.h"

#include "core/encoding/codec.h"
#include "core/encoding/document_text.h"

namespace tovenrak::core {

namespace {

constexpr std::string_view kKey = "charset=";
constexpr auto npos = std::string_view::npos;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsLabelChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
}

// Where a "charset=" stands inside a tag: between attributes, or inside an
// attribute's value (then `quote` is the character that opened it, or 0).
struct Place {
  bool in_value = false;
  char quote = 0;
};

// Walks the tag's attributes from `from` up to `until`.
Place PlaceAt(std::string_view text, size_t from, size_t until,
              Encoding encoding) {
  enum { kBetween, kName, kAfterEquals, kQuoted, kUnquoted } state = kBetween;
  char quote = 0;
  for (size_t pos = from; pos < until;
       pos += UnitLengthIn(text, pos, encoding)) {
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

std::optional<MetaCharset> FindMetaCharset(std::string_view text,
                                           Encoding encoding) {
  size_t meta = 0;
  while ((meta = FindAscii(text, encoding, "<meta", meta,
                           /*ignore_case=*/true)) != npos) {
    // Checked before looking for the ">": a page full of "<metadata" and
    // the like would otherwise be scanned to its end once for each of them.
    if (!IsMetaTagAt(text, meta)) {
      meta += 5;
      continue;
    }
    const size_t close = FindAscii(text, encoding, ">", meta);
    if (close == npos) break;
    const size_t key = FindAscii(text.substr(0, close), encoding, kKey, meta,
                                 /*ignore_case=*/true);
    if (key == npos) {
      meta = close + 1;
      continue;
    }

    MetaCharset found;
    found.key = key;
    found.close = close;
    const Place place = PlaceAt(text, meta + 5, key, encoding);
    found.in_content = place.in_value;
    found.quote = place.quote;
    size_t name = key + kKey.size();
    if (found.in_content) {
      size_t end = name;
      while (end < close && IsLabelChar(text[end])) ++end;
      found.name = name;
      found.name_length = end - name;
      return found;
    }
    while (name < close && IsSpace(text[name])) ++name;  // charset= "big5"
    size_t name_end;
    if (name < close && (text[name] == '"' || text[name] == '\'')) {
      const size_t closing_quote = text.find(text[name], name + 1);
      ++name;
      name_end = closing_quote < close ? closing_quote : close;
    } else {
      name_end = name;
      while (name_end < close && !IsSpace(text[name_end]) &&
             !(text[name_end] == '/' && name_end + 1 == close)) {
        name_end += UnitLengthIn(text, name_end, encoding);
      }
    }
    found.name = name;
    found.name_length = name_end - name;
    return found;
  }
  return std::nullopt;
}

std::optional<XmlEncoding> FindXmlEncoding(std::string_view text) {
  size_t pos = text.starts_with(ByteOrderMark(Encoding::kUtf8)) ? 3 : 0;
  if (text.substr(pos, 5) != "<?xml" || pos + 5 >= text.size() ||
      !IsSpace(text[pos + 5]))
    return std::nullopt;
  const size_t end = text.find('>', pos);
  if (end == npos) return std::nullopt;
  const std::string_view declaration = text.substr(0, end);
  constexpr std::string_view kAttribute = "encoding";
  for (pos += 5; (pos = declaration.find(kAttribute, pos)) != npos;
       pos += kAttribute.size()) {
    if (!IsSpace(declaration[pos - 1])) continue;
    size_t value = pos + kAttribute.size();
    while (value < end && IsSpace(declaration[value])) ++value;
    if (value == end || declaration[value] != '=') continue;
    ++value;
    while (value < end && IsSpace(declaration[value])) ++value;
    if (value == end ||
        (declaration[value] != '"' && declaration[value] != '\''))
      return std::nullopt;
    const size_t closing = declaration.find(declaration[value], value + 1);
    if (closing == npos) return std::nullopt;
    return XmlEncoding{value + 1, closing - value - 1};
  }
  return std::nullopt;
}

std::optional<Encoding> DeclaredEncoding(std::string_view text) {
  if (const auto xml = FindXmlEncoding(text)) {
    if (const auto encoding =
            EncodingFromLabel(text.substr(xml->name, xml->name_length)))
      return encoding;
  }
  if (const auto meta = FindMetaCharset(text, Encoding::kUtf8)) {
    return EncodingFromLabel(text.substr(meta->name, meta->name_length));
  }
  return std::nullopt;
}

}  // namespace tovenrak::core
