#include "platform/reading_problem_text.h"

#include "core/reading_problems.h"
#include "platform/os_reason_text.h"

namespace tovenrak::platform {

std::string ReadingProblemText(const std::string& reason) {
  if (std::optional<std::string> chinese =
          core::ReadingProblemInChinese(reason))
    return *chinese;
  return OsReasonText(reason);
}

}  // namespace tovenrak::platform
