// Minimal UTF-8 encoding and decoding for the converter's OpenCC boundary.

#pragma once

#include <string>
#include <string_view>

namespace tovenrak::core {

// Appends the UTF-8 form of `cp` to `out`.
void AppendUtf8(char32_t cp, std::string& out);

// Decodes the code point at `pos` and advances `pos` past it. A malformed
// sequence yields U+FFFD and advances one byte.
// REQUIRES: pos < text.size()
char32_t NextUtf8(std::string_view text, size_t& pos);

}  // namespace tovenrak::core
