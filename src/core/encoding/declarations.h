// Where a document names its own encoding: its first <meta> charset, in
// either form, and the encoding attribute of an XML declaration at its top.

#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "core/encoding/encoding.h"

namespace tovenrak::core {

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
// declaration's and its first <meta> charset's (FindCharsetDeclaration, the
// markup read byte by byte, as the encoding is not known yet: the ASCII that
// markup is made of is never a trail byte of Big5, GBK or GB18030) that is a
// label of one of ours (EncodingFromLabel); else std::nullopt. A <meta> in a
// comment, a script or another tag's value does not count; only the first
// MiB is looked at.
std::optional<Encoding> DeclaredEncoding(std::string_view text);

// The encoding other than ours that `text` declares about itself, looked for
// as DeclaredEncoding looks: the first of those two declarations that is a
// label of one (OtherEncodingFromLabel); else std::nullopt.
std::optional<OtherEncoding> DeclaredOtherEncoding(std::string_view text);

}  // namespace tovenrak::core
