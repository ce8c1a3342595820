// Where a document names its own encoding: its first <meta> charset, in
// either form, and the encoding attribute of an XML declaration at its top.

#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "core/encoding/encoding.h"

namespace tovenrak::core {

// An attribute of an XML declaration that begins the text (after a UTF-8
// byte-order mark, if any): "<?xml" and white space, then up to the first
// ">", an attribute NAME = "value" or 'value'. Offsets into the text.
struct XmlAttribute {
  size_t value = 0;  // Without its quotes.
  size_t length = 0;
  char quote = '"';
};

// std::nullopt when the text begins with no XML declaration, or with one
// without a quoted attribute `name`. Looks no further than the first ">".
std::optional<XmlAttribute> FindXmlAttribute(std::string_view text,
                                             std::string_view name);

// The declaration's encoding attribute.
inline std::optional<XmlAttribute> FindXmlEncoding(std::string_view text) {
  return FindXmlAttribute(text, "encoding");
}

// The labels a text gives its own encoding: the XML declaration's encoding,
// and its first <meta> charset's (FindCharsetDeclaration, the markup read
// byte by byte, as the encoding is not known yet: the ASCII that markup is
// made of is never a trail byte of Big5, GBK or GB18030; a <meta> in a
// comment, a script or another tag's value does not count; only the first
// MiB is looked at). The <meta> is looked for once, when first asked.
class DeclaredLabels {
 public:
  explicit DeclaredLabels(std::string_view text) : text_(text) {}

  // The first of the two labels that `read` (EncodingFromLabel,
  // OtherEncodingFromLabel) makes something of; else std::nullopt.
  template <typename Read>
  auto First(Read read) -> decltype(read(std::string_view())) {
    if (const auto xml = FindXmlEncoding(text_)) {
      if (auto known = read(text_.substr(xml->value, xml->length)))
        return known;
    }
    if (const std::optional<std::string_view> meta = Meta()) return read(*meta);
    return std::nullopt;
  }

 private:
  std::optional<std::string_view> Meta();

  std::string_view text_;
  bool meta_read_ = false;
  std::optional<std::string_view> meta_;
};

}  // namespace tovenrak::core
