// Names inside the windows' messages: shown safely, and told apart from the
// message around them.

#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tovenrak::platform {

// `name` (a file's, a phrase's) as a message of the windows shows it:
// escaped as core::EscapeForTerminal escapes it, between Unicode's isolate
// marks (U+2068 ... U+2069). They show as nothing, keep a right-to-left name
// from reordering the sentence around it, and mark what a translation of the
// message leaves as it is: the escaping leaves no such mark inside.
std::string ShownName(std::string_view name);

// `text` with each part outside the names it shows replaced by `convert` of
// that part; the names and their marks stay as they are.
std::string ConvertAroundNames(
    std::string_view text,
    const std::function<std::string(std::string_view)>& convert);

// `text` without the marks around its names that hold no right-to-left
// letter (Hebrew, Arabic and the like), which need none: such a name, copied
// from a message or read by a screen reader, is then just what it names.
std::string WithoutNeedlessMarks(std::string_view text);

}  // namespace tovenrak::platform
