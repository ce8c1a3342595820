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
// becomes the reference "&#N;" and is counted in `references`.
std::string EncodeFromView(std::string_view text, core::Encoding encoding,
                           size_t& references);

}  // namespace tovenrak::main_window
