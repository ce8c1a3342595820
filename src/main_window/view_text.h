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

// Returns `text` (UTF-8), the view's text after edits of what DecodeForView
// gave for `shown`, encoded as `encoding`. A character with no code there
// becomes the reference "&#N;" and is counted in `references`. The units of
// `shown` not valid in `encoding`, which the view shows as U+FFFD, are
// written back as they were wherever the edits kept them, told by the
// characters beside them; a U+FFFD typed or pasted is a character. So are
// the lines' ends, which the view gives as a line feed alone, whichever
// they were (CR LF, CR, LF, U+2029); a line end typed or pasted is as most
// of `shown`'s were (MostLinesEnd). The text begins with the byte-order
// mark `shown` began with.
std::string EncodeFromView(std::string_view text, std::string_view shown,
                           core::Encoding encoding, size_t& references);

// What most lines of `bytes` end in (in any encoding this program reads,
// where no byte of a character is a line feed or carriage return): "\r\n",
// "\r" alone (old Mac OS files) or "\n", which a text of one line gets.
std::u32string_view MostLinesEnd(std::string_view bytes);

}  // namespace tovenrak::main_window
