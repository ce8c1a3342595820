// Document bytes as the source view shows them, and an edited text back.

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/encoding/encoding.h"

namespace tovenrak::main_window {

// Returns `bytes` decoded as `encoding` (core::Decode), in UTF-8, with
// U+FFFD for each unit that is not valid in `encoding` (a lone byte, an
// unmapped code), so that nothing undecodable passes unseen.
std::string DecodeForView(std::string_view bytes, core::Encoding encoding);

// Returns `text` (UTF-8) encoded as `encoding`. A character with no code there
// becomes the reference "&#N;" and is counted in `references`. The view
// gives its lines ending in a line feed alone; with `crlf` each ends in a
// carriage return and a line feed, as the document's did.
std::string EncodeFromView(std::string_view text, core::Encoding encoding,
                           size_t& references, bool crlf = false);

// Whether most lines of `bytes` (in any encoding this program reads, where
// no byte of a character is a line feed or carriage return) end in CR LF.
bool MostLinesEndInCrLf(std::string_view bytes);

}  // namespace tovenrak::main_window
