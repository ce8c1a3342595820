// The reasons given for a document or phrase list that cannot be read as it
// should, in Chinese for the programs that speak it.

#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tovenrak::core {

// `reason` in Simplified Chinese when it is one the reader gives: markup
// that does not end ("unterminated comment from line 3" gives
// "从第 3 行起的注释没有结束"), or a bad line of a phrase list, with a
// file's name before it or not ("a.txt: line 2: nothing before the tab"
// gives "a.txt: 第 2 行：制表符前没有词组"), or why a file is not read (a
// link where links are not followed, a device); std::nullopt for any other.
std::optional<std::string> ReadingProblemInChinese(std::string_view reason);

}  // namespace tovenrak::core
