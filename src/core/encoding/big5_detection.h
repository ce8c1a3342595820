// Telling a Big5 document from a GB one.

#pragma once

#include <string_view>

namespace tovenrak::core {

// True when `text` contains "big5" in any mix of letter case, anywhere on unit
// boundaries (a mention in the body counts as much as a declaration). Such a
// document is taken as Big5; any other as GB.
bool MentionsBig5(std::string_view text);

}  // namespace tovenrak::core
