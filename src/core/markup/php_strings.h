// PHP's strings in a page that changes encoding. PHP reads bytes: in a
// string, a character whose last byte is '\' (功 and 許 in Big5) escapes
// what follows it, which programmers undo by writing a '\' after such a
// character ("許\"). The same string in another encoding needs that '\'
// where the character now ends so, and not where it no longer does.

#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/encoding/encoding.h"

namespace tovenrak::core {

// Hands `put` the code points of `bytes` (in `source`: a kept piece of a
// page, a script, a block of PHP) a few thousand at a time, with how many
// bytes of `bytes` are then handed on and never read again, each block of
// PHP code in them rewritten so that its strings and heredocs keep their
// value once written in `target`: a character that `target` writes with a
// last byte '\' gets a '\' after it (an escaped backslash, which both kinds
// of string read as that byte); one that had such a '\' in `source` for
// that reason, and no longer ends so, loses it. Nowdocs, comments and the
// code around strings are handed on as they are; the blocks are read as PHP
// reads them (PhpReading), from their bytes, and one left open (a page PHP
// refuses) is handed on as it is, up to its first "?>". The last argument
// of `put` says whether the code points are the contents of a string that
// reads escapes: quoted, or a heredoc.
void PutKeepingPhpStrings(
    std::string_view bytes, Encoding source, Encoding target,
    const std::function<void(std::u32string_view, size_t, bool)>& put);

}  // namespace tovenrak::core
