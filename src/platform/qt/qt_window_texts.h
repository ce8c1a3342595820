// The fixed texts of the windows' logic in the interface language.

#pragma once

#include <QString>
#include <functional>
#include <string>
#include <string_view>

namespace tovenrak::platform::qt {

// `text` (UTF-8), made by the windows' logic, translated when it is one of
// their fixed texts (the status panels' states, titles, the empty-list
// message) and a translation is installed; any other text converted by the
// function SetWindowTextScript gave, but for the names in it
// (platform::ShownName); as it is without one. The marks around its names
// stay only where a name needs them (platform::WithoutNeedlessMarks).
QString WindowText(const std::string& text);

// Converts the windows' messages, written in Simplified Chinese, into the
// script of the interface: `convert` takes and gives UTF-8. Call it once,
// before the windows show a message.
void SetWindowTextScript(std::function<std::string(std::string_view)> convert);

}  // namespace tovenrak::platform::qt
