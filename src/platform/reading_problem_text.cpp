#include "platform/reading_problem_text.h"

#include "core/reading_problems.h"
#include "platform/os_reason_text.h"
#include "platform/shown_name.h"

namespace tovenrak::platform {

std::string ReadingProblemText(const std::string& reason) {
  if (std::optional<std::string> chinese =
          core::ReadingProblemInChinese(reason)) {
    // A phrase list's name before its line stays a name.
    const size_t line = reason.rfind(": line ");
    if (line != std::string::npos && line > 0 &&
        chinese->starts_with(std::string_view(reason).substr(0, line + 2)))
      return ShownName(reason.substr(0, line)) + chinese->substr(line);
    return *chinese;
  }
  return OsReasonText(reason);
}

}  // namespace tovenrak::platform
