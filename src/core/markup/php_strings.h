// PHP's strings in a page that changes encoding. PHP reads bytes: in a
// string, a character whose last byte is '\' (功 and 許 in Big5) escapes
// what follows it, which programmers undo by writing a '\' after such a
// character ("許\"). The same string in another encoding needs that '\'
// where the character now ends so, and not where it no longer does.

#pragma once

#include <string>

#include "core/encoding/encoding.h"

namespace tovenrak::core {

// Rewrites each block of PHP code in `code` (decoded from `source`: a kept
// piece of a page, a script, a whole page) so that its strings and heredocs
// keep their value once `code` is written in `target`: a character that
// `target` writes with a last byte '\' gets a '\' after it (an escaped
// backslash, which both kinds of string read as that byte); one that had
// such a '\' in `source` for that reason, and no longer ends so, loses it.
// Nowdocs, comments and the code around strings are kept as they are; the
// blocks are read as PHP reads them (PhpReading).
void KeepPhpStrings(std::u32string& code, Encoding source, Encoding target);

}  // namespace tovenrak::core
