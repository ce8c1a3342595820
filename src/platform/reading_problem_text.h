// What the program could not read, in the windows' own language.

#pragma once

#include <string>

namespace tovenrak::platform {

// `reason` in Chinese when it is one the program gives itself for a file it
// cannot read as it should: markup that does not end ("unterminated comment
// from line 3"), a bad line of a phrase list ("line 2: nothing before the
// tab"), with a file's name before it or not; an OS reason as OsReasonText
// gives it; any other reason as it is.
std::string ReadingProblemText(const std::string& reason);

}  // namespace tovenrak::platform
