#include "core/markup/meta_tags.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/encoding/encoding.h"

namespace tovenrak::core {

namespace {

struct MetaTag {
  TextSpan whole;                         // From '<' to just after '>'.
  std::vector<HtmlAttribute> attributes;  // In order, as written.
};

constexpr size_t npos = std::u32string_view::npos;

// Where the value of a key "charset" at `pos` begins, past the "=" and the
// white space that HTML allows around it; npos when no "=" follows before
// `end`.
template <typename Char>
size_t ValueOfKeyAt(std::basic_string_view<Char> text, size_t pos, size_t end) {
  if (end - pos < 8 || !EqualsIgnoringCase(text.substr(pos, 7), "charset"))
    return npos;
  size_t at = pos + 7;
  while (at < end && IsHtmlSpace(text[at])) ++at;
  if (at == end || text[at] != '=') return npos;
  for (++at; at < end && IsHtmlSpace(text[at]);) ++at;
  return at;
}

// Each "charset=" of `tag` that declares the page's encoding, in order: one
// outside every attribute value (the charset attribute), and the first in a
// content value that browsers read as a Content-Type (<meta
// name=description content="... charset=..."> says something else). A tag
// may hold both.
template <typename Char>
std::vector<CharsetDeclaration> DeclarationsIn(
    std::basic_string_view<Char> text, const MetaTag& tag) {
  std::vector<CharsetDeclaration> declarations;
  const size_t close = tag.whole.end - 1;
  bool named = false;
  const HtmlAttribute* equiv = nullptr;
  for (const HtmlAttribute& attribute : tag.attributes) {
    const auto name = text.substr(attribute.name.begin, attribute.name.size());
    // A content value of a named property (og:, schema.org's itemprop)
    // is no Content-Type.
    named = named || EqualsIgnoringCase(name, "name") ||
            EqualsIgnoringCase(name, "property") ||
            EqualsIgnoringCase(name, "itemprop");
    if (!equiv && EqualsIgnoringCase(name, "http-equiv")) equiv = &attribute;
  }
  // A tag without either declares as it did when this rewrite named its
  // http-equiv for it.
  const bool content_declares =
      equiv ? EqualsIgnoringCase(TrimHtmlSpace(text.substr(
                                     equiv->value.begin, equiv->value.size())),
                                 "content-type")
            : !named;
  size_t next_attribute = 0;
  for (size_t key = tag.whole.begin + 5; key < close; ++key) {
    const size_t value = ValueOfKeyAt(text, key, close);
    if (value == npos) continue;
    while (next_attribute < tag.attributes.size() &&
           tag.attributes[next_attribute].value.end <= key)
      ++next_attribute;
    CharsetDeclaration found{key, close};
    found.name = value;
    if (next_attribute < tag.attributes.size()) {
      const HtmlAttribute& attribute = tag.attributes[next_attribute];
      if (attribute.has_value && attribute.value.begin <= key) {
        if (!content_declares ||
            !EqualsIgnoringCase(
                text.substr(attribute.name.begin, attribute.name.size()),
                "content")) {
          key = attribute.value.end;
          continue;
        }
        found.in_content = true;
        found.quote = attribute.quote;
        // A name may be quoted with the other quote: content='...
        // charset="big5"', or with a reference to one: charset=&quot;big5.
        if (found.name < close &&
            (text[found.name] == '"' || text[found.name] == '\'') &&
            text[found.name] != attribute.quote)
          ++found.name;
        if (close - found.name > 6 &&
            EqualsIgnoringCase(text.substr(found.name, 6), "&quot;"))
          found.name += 6;
        found.name_end = found.name;
        while (found.name_end < close && IsLabelChar(text[found.name_end]))
          ++found.name_end;
        found.value_end = attribute.value.end + (attribute.quote != 0);
        found.needs_http_equiv = equiv == nullptr;
        declarations.push_back(found);
        key = attribute.value.end;
        continue;
      }
    }
    // An attribute of its own: its value, quoted or not. Not the end of
    // another's name (data-charset=).
    const bool named_charset =
        std::any_of(tag.attributes.begin(), tag.attributes.end(),
                    [&](const HtmlAttribute& a) {
                      return a.name.begin == key && a.name.size() == 7;
                    });
    if (!named_charset) continue;
    if (found.name < close &&
        (text[found.name] == '"' || text[found.name] == '\'')) {
      const size_t closing = text.find(text[found.name], found.name + 1);
      ++found.name;
      found.name_end = closing < close ? closing : close;
      // Browsers take the label without the white space around it.
      while (found.name < found.name_end && IsHtmlSpace(text[found.name]))
        ++found.name;
      while (found.name_end > found.name &&
             IsHtmlSpace(text[found.name_end - 1]))
        --found.name_end;
    } else {
      found.name_end = found.name;
      while (found.name_end < close && !IsHtmlSpace(text[found.name_end]) &&
             !(text[found.name_end] == '/' && found.name_end + 1 == close))
        ++found.name_end;
    }
    declarations.push_back(found);
    key = found.name_end;
  }
  return declarations;
}

// Whether the name found is one, as browsers, which pass over a tag whose
// name they do not know, would take it: not one that a template or server
// code fills in when the page is served (charset={CHARSET}, charset=<?php
// echo $c ?>), which are no names of an encoding yet.
template <typename Char>
bool NamesALabel(std::basic_string_view<Char> text,
                 const CharsetDeclaration& found) {
  if (found.name_end <= found.name) return false;
  for (size_t at = found.name; at < found.name_end; ++at)
    if (!IsLabelChar(text[at])) return false;
  if (found.name_end >= text.size()) return true;
  for (const char filled : {'{', '$', '<', '%', '(', '['})
    if (text[found.name_end] == static_cast<Char>(filled)) return false;
  return true;
}

constexpr std::string_view kKey = "charset";

// Whether "charset" (any letter case) stands in `text` at or after `from`.
// Every page is searched to its end, so by Horspool's skips: most bytes
// are passed over unread.
template <typename Char>
bool CharsetFollows(std::basic_string_view<Char> text, size_t from) {
  // How far the key's last letter can be from a byte of this value.
  static constexpr std::array<uint8_t, 128> kSkip = [] {
    std::array<uint8_t, 128> skip{};
    for (size_t b = 0; b < skip.size(); ++b) {
      const char c = static_cast<char>(b >= 'A' && b <= 'Z' ? b | 0x20 : b);
      const size_t at = kKey.substr(0, kKey.size() - 1).rfind(c);
      skip[b] = static_cast<uint8_t>(
          at == std::string_view::npos ? kKey.size() : kKey.size() - 1 - at);
    }
    return skip;
  }();
  for (size_t last = from + kKey.size() - 1; last < text.size();) {
    const Char c = text[last];
    if (c >= 0x80) {
      last += kKey.size();
    } else if ((c | 0x20) == 't' &&
               EqualsIgnoringCase(
                   text.substr(last + 1 - kKey.size(), kKey.size()), kKey)) {
      return true;
    } else {
      last += kSkip[c];
    }
  }
  return false;
}

// The declarations of the <meta> tags of `text`, in order: the first alone
// unless `all`. Reading goes no further than the last "charset" of the text.
template <typename Char>
std::vector<CharsetDeclaration> FindDeclarations(
    std::basic_string_view<Char> text, bool all) {
  std::vector<CharsetDeclaration> declarations;
  BasicHtmlTokenizer<Char> tokenizer(text);
  HtmlToken token;
  MetaTag tag;
  while (tokenizer.Next(token)) {
    if (token.kind != HtmlTokenKind::kStartTag ||
        !EqualsIgnoringCase(text.substr(token.inner.begin, token.inner.size()),
                            "meta"))
      continue;
    tag.whole = token.whole;
    tag.attributes = tokenizer.attributes();
    const size_t before = declarations.size();
    for (const CharsetDeclaration& found : DeclarationsIn(text, tag)) {
      if (!NamesALabel(text, found)) continue;
      declarations.push_back(found);
      if (!all) return declarations;
    }
    if (declarations.size() > before && !CharsetFollows(text, token.whole.end))
      break;
  }
  return declarations;
}

template <typename Char>
std::optional<CharsetDeclaration> FindDeclaration(
    std::basic_string_view<Char> text) {
  std::vector<CharsetDeclaration> first = FindDeclarations(text, false);
  if (first.empty()) return std::nullopt;
  return first.front();
}

}  // namespace

std::optional<CharsetDeclaration> FindCharsetDeclaration(
    std::u32string_view text) {
  return FindDeclaration(text);
}

std::optional<CharsetDeclaration> FindCharsetDeclaration(
    std::u8string_view text) {
  return FindDeclaration(text);
}

std::vector<CharsetDeclaration> FindCharsetDeclarations(
    std::u32string_view text) {
  return FindDeclarations(text, true);
}

std::vector<CharsetDeclaration> FindCharsetDeclarations(
    std::u8string_view text) {
  return FindDeclarations(text, true);
}

}  // namespace tovenrak::core
