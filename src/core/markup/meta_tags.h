// The <meta> tags a page really has, for the rewrite of its declarations.

#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "core/markup/html_tokenizer.h"

namespace tovenrak::core {

// A <meta> charset declaration; code point offsets into the text.
struct CharsetDeclaration {
  size_t key = 0;    // The "c" of "charset=".
  size_t close = 0;  // The tag's closing ">".
  // Inside a content value (content="text/html; charset=big5") rather than
  // an attribute of its own (charset="big5").
  bool in_content = false;
  char32_t quote = 0;  // In a content value: the quote that opened it, or 0.
  size_t name = 0;     // The encoding name, without quotes.
  size_t name_end = 0;
  // In a content value: where the value ends, past its closing quote, and
  // whether the tag lacks the http-equiv that makes browsers read it.
  size_t value_end = 0;
  bool needs_http_equiv = false;
};

// The declaration of the first <meta> start tag of `text` (any letter case)
// that declares a charset, the tags read as HtmlTokenizer reads them (none
// inside a comment, script, style, title, textarea, server code or another
// tag's value, and a quoted value may hold '>'; when the text cannot be read
// as markup to its end, the tags before the point where reading stopped): its
// first "charset=" (any letter case, white space allowed around the "=") that
// stands outside every attribute value, or is the first in the content value
// of a tag whose http-equiv is Content-Type, or that has neither an
// http-equiv nor a name, property or itemprop (<meta name=description
// content="...charset=..."> and <meta http-equiv=refresh content="0;
// url=a.htm?charset=big5"> declare nothing). As an attribute the name is its
// whole value, quoted or not; in a content value, the letters, digits and
// "-_.:" that follow, past a quote of the other kind. A name that is none
// (empty, or filled in by a template or server code: charset={CHARSET},
// charset=<?php echo $c; ?>) declares nothing, and the next one is looked
// for, as browsers do.
std::optional<CharsetDeclaration> FindCharsetDeclaration(
    std::u32string_view text);
// The same over bytes, each read as the code point of its value (so a
// character's trail byte may be read as an ASCII letter): for a declaration
// looked for before the encoding is known.
std::optional<CharsetDeclaration> FindCharsetDeclaration(
    std::u8string_view text);

// Every such declaration of `text`, in order, a tag's charset attribute and
// its content value both: a page put together from templates may repeat its
// declaration in several forms.
std::vector<CharsetDeclaration> FindCharsetDeclarations(
    std::u32string_view text);
std::vector<CharsetDeclaration> FindCharsetDeclarations(
    std::u8string_view text);

}  // namespace tovenrak::core
