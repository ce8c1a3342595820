// The <meta> tags a page really has, for the rewrite of its declarations.

#pragma once

#include <string_view>
#include <vector>

#include "core/markup/html_tokenizer.h"

namespace tovenrak::core {

struct MetaTag {
  TextSpan whole;                         // From '<' to just after '>'.
  std::vector<HtmlAttribute> attributes;  // In order, as written.
};

// Every <meta> start tag of `text` (any letter case), in order, read as
// HtmlTokenizer reads tags: none inside a comment, script, style, title,
// textarea, server code or another tag's value, and a quoted value may hold
// '>'. When the text cannot be read as markup to its end, the tags before
// the point where reading stopped.
std::vector<MetaTag> FindMetaTags(std::u32string_view text);

}  // namespace tovenrak::core
