// Splitting the Add dialog's selection and taking the file name of a path.

#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tovenrak::batch {

// Splits `text` at every occurrence of `separator`, found left to right with
// exact comparison and without overlap, and returns the pieces in order: one
// more than there are occurrences. Empty pieces are kept: "a  b" split at " "
// gives "a", "", "b"; an empty text gives one empty piece. An empty separator
// returns the whole text as the only piece.
std::vector<std::string> Str2Array(std::string_view text,
                                   std::string_view separator);

// Returns the part of `path` after its last `separator`: empty when the path
// ends with one, the whole path when it has none. Any other character,
// including ':' and the other platform's separator, is ordinary.
std::string ExtFile(std::string_view path, char separator);

}  // namespace tovenrak::batch
