// The operating system's reasons in the windows' own language.

#pragma once

#include <string>

namespace tovenrak::platform {

// `reason` in Chinese when it is the system's text (strerror) of a common
// errno value (a missing file, no permission, a full or read-only disk and
// the like); any other reason is returned as it is.
std::string OsReasonText(const std::string& reason);

}  // namespace tovenrak::platform
