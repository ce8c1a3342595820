// The fixed texts of the windows' logic in the interface language.

#pragma once

#include <QString>
#include <string>

namespace tovenrak::platform::qt {

// `text` (UTF-8), made by the windows' logic, translated when it is one of
// their fixed texts (the status panels' states, titles, the empty-list
// message) and a translation is installed; any other text as it is.
QString WindowText(const std::string& text);

}  // namespace tovenrak::platform::qt
