// Rewriting an HTML page's charset declaration after its text was converted.

#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tovenrak::core {

// Target declarations: the one written after converting to GB, and to Big5.
inline constexpr std::string_view kGbDeclaration = "charset=gb2312";
inline constexpr std::string_view kBig5Declaration = "charset=big5";

// Returns `text` with its charset declaration naming `target_declaration`
// (kGbDeclaration or kBig5Declaration).
//
// Only the first "charset=" (any letter case) inside a <meta ...> tag counts.
// As an attribute (<meta charset="big5">) just the encoding name is replaced,
// keeping its quotes. Inside a content value (content="text/html;
// charset=big5") everything from "charset=" to the tag's ">" becomes the
// target, the value's own closing quote and " http-equiv=Content-Type"; a
// self-closing "/" is kept as " />". A text without such a declaration, or
// whose meta tag has no ">", comes back unchanged; no declaration is ever
// added. Applying it twice with the same target gives the same text as once.
std::string RewriteCharset(std::string_view text,
                           std::string_view target_declaration);

// The same rewrite as one replacement of `length` bytes at `pos`, for callers
// that edit a large text in place; std::nullopt when nothing is rewritten.
struct CharsetEdit {
  size_t pos;
  size_t length;
  std::string replacement;
};
std::optional<CharsetEdit> FindCharsetEdit(std::string_view text,
                                           std::string_view target_declaration);

}  // namespace tovenrak::core
