// Where a document names its own encoding: the first <meta> charset, in
// either form, and the encoding attribute of an XML declaration at its top.

#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "core/encoding/encoding.h"

namespace tovenrak::core {

// A "charset=" inside a <meta ...> tag; offsets into the text.
struct MetaCharset {
  size_t key = 0;    // The "c" of "charset=" (any letter case).
  size_t close = 0;  // The tag's closing ">".
  // Inside a content value (content="text/html; charset=big5") rather than
  // an attribute of its own (charset="big5").
  bool in_content = false;
  // In a content value: the quote that opened the value, or 0.
  char quote = 0;
  // The encoding name. For an attribute: its whole value, without quotes
  // (after any spaces that follow "="). In a content value: the letters,
  // digits and "-_.:" that follow "charset=".
  size_t name = 0;
  size_t name_length = 0;
};

// Finds the first "charset=" (any letter case) inside a tag that begins with
// "<meta" followed by a space, "/" or ">", where the tag's closing ">" is the
// first one after it; every match on unit boundaries of text in `encoding`.
// std::nullopt when there is none, or when the tag holding the first one has
// no ">". Takes one pass over the text however many tags it holds.
std::optional<MetaCharset> FindMetaCharset(std::string_view text,
                                           Encoding encoding);

// The encoding attribute of an XML declaration that begins the text (after
// a UTF-8 byte-order mark, if any): "<?xml" and white space, then up to the
// first "?>", an attribute encoding = "name" or 'name'. Offsets into the text.
struct XmlEncoding {
  size_t name = 0;  // The value, without its quotes.
  size_t name_length = 0;
};

// std::nullopt when the text begins with no XML declaration, or with one
// without a quoted encoding attribute. Looks no further than the first ">".
std::optional<XmlEncoding> FindXmlEncoding(std::string_view text);

// The encoding that `text` declares about itself: the first of its XML
// declaration's and its first <meta> charset's (found at any ASCII byte, as
// the encoding is not known yet) that is a label of one of ours
// (EncodingFromLabel); else std::nullopt.
std::optional<Encoding> DeclaredEncoding(std::string_view text);

}  // namespace tovenrak::core
