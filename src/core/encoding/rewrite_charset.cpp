#include "core/encoding/rewrite_charset.h"

#include "core/encoding/codec.h"
#include "core/encoding/declarations.h"
#include "core/encoding/document_text.h"
#include "core/markup/html_tokenizer.h"
#include "core/markup/meta_tags.h"

namespace tovenrak::core {

namespace {

constexpr std::string_view kHttpEquiv = " http-equiv=Content-Type";

void Apply(const DeclarationEdit& edit, std::string& text) {
  text.replace(edit.pos, edit.length, edit.replacement);
}

// A <meta> charset declaration found in decoded text; code point offsets.
struct FoundCharset {
  size_t key = 0;    // The "c" of "charset=".
  size_t close = 0;  // The tag's closing ">".
  bool in_content = false;
  char32_t quote = 0;  // In a content value: the quote that opened it, or 0.
  size_t name = 0;
  size_t name_end = 0;
};

bool IsLabelChar(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
}

bool IsKeyAt(std::u32string_view text, size_t pos) {
  return text.size() - pos >= 8 &&
         EqualsIgnoringCase(text.substr(pos, 8), "charset=");
}

// The first "charset=" of `tag` that declares the page's encoding: one
// outside every attribute value, or one in the content value of a tag
// without a name (<meta name=description content="... charset=..."> says
// something else).
std::optional<FoundCharset> DeclarationIn(std::u32string_view text,
                                          const MetaTag& tag) {
  const size_t close = tag.whole.end - 1;
  bool named = false;
  for (const HtmlAttribute& attribute : tag.attributes) {
    named = named || EqualsIgnoringCase(text.substr(attribute.name.begin,
                                                    attribute.name.size()),
                                        "name");
  }
  size_t next_attribute = 0;
  for (size_t key = tag.whole.begin + 5; key < close; ++key) {
    if (!IsKeyAt(text, key)) continue;
    while (next_attribute < tag.attributes.size() &&
           tag.attributes[next_attribute].value.end <= key)
      ++next_attribute;
    FoundCharset found{key, close};
    found.name = key + 8;
    if (next_attribute < tag.attributes.size()) {
      const HtmlAttribute& attribute = tag.attributes[next_attribute];
      if (attribute.has_value && attribute.value.begin <= key) {
        if (named || !EqualsIgnoringCase(text.substr(attribute.name.begin,
                                                     attribute.name.size()),
                                         "content")) {
          key = attribute.value.end;
          continue;
        }
        found.in_content = true;
        found.quote = attribute.quote;
        found.name_end = found.name;
        while (found.name_end < close && IsLabelChar(text[found.name_end]))
          ++found.name_end;
        return found;
      }
    }
    // An attribute of its own: its value, quoted or not.
    while (found.name < close && IsHtmlSpace(text[found.name])) ++found.name;
    if (found.name < close &&
        (text[found.name] == '"' || text[found.name] == '\'')) {
      const size_t closing = text.find(text[found.name], found.name + 1);
      ++found.name;
      found.name_end = closing < close ? closing : close;
    } else {
      found.name_end = found.name;
      while (found.name_end < close && !IsHtmlSpace(text[found.name_end]) &&
             !(text[found.name_end] == '/' && found.name_end + 1 == close))
        ++found.name_end;
    }
    return found;
  }
  return std::nullopt;
}

}  // namespace

std::optional<DeclarationEdit> FindCharsetEdit(std::string_view text,
                                               Encoding target) {
  // Most texts hold no declaration at all, and are not decoded.
  if (FindAscii(text, target, "charset=", 0, /*ignore_case=*/true) ==
      std::string_view::npos)
    return std::nullopt;
  const DecodedText decoded = Decode(text, target);
  std::optional<FoundCharset> found;
  for (const MetaTag& tag : FindMetaTags(decoded.text)) {
    if ((found = DeclarationIn(decoded.text, tag))) break;
  }
  if (!found) return std::nullopt;

  // Code point offsets to byte offsets: each unit of `target` is one code
  // point, after the byte-order mark that Decode leaves out.
  size_t byte = decoded.byte_order_mark ? ByteOrderMark(target).size() : 0;
  size_t point = 0;
  auto to_byte = [&](size_t wanted) {
    for (; point < wanted; ++point) byte += UnitLengthIn(text, byte, target);
    return byte;
  };
  const size_t key = to_byte(found->key);
  const size_t name = to_byte(found->name);
  const size_t name_end = to_byte(found->name_end);
  const size_t close = to_byte(found->close);

  const std::string_view declared = DeclaredName(target);
  if (!found->in_content)
    return DeclarationEdit{name, name_end - name, std::string(declared)};

  // The declaration is part of a content value: it and the rest of the tag
  // become the target, the value's closing quote and an http-equiv.
  DeclarationEdit edit{key, close - key, "charset="};
  edit.replacement += declared;
  if (found->quote != 0) edit.replacement += static_cast<char>(found->quote);
  edit.replacement += kHttpEquiv;
  if (decoded.text[found->close - 1] == '/') edit.replacement += " /";
  return edit;
}

std::optional<DeclarationEdit> FindXmlEncodingEdit(std::string_view text,
                                                   Encoding target) {
  const std::optional<XmlEncoding> xml = FindXmlEncoding(text);
  if (!xml) return std::nullopt;
  return DeclarationEdit{xml->name, xml->name_length,
                         std::string(DeclaredName(target))};
}

void RewriteDeclarations(std::string& text, Encoding target) {
  if (auto edit = FindCharsetEdit(text, target)) Apply(*edit, text);
  if (auto edit = FindXmlEncodingEdit(text, target)) Apply(*edit, text);
}

std::string RewriteCharset(std::string_view text, Encoding target) {
  std::string out(text);
  RewriteDeclarations(out, target);
  return out;
}

}  // namespace tovenrak::core
