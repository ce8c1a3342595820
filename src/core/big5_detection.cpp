#include "core/big5_detection.h"

#include "core/document_text.h"

namespace tovenrak::core {

bool MentionsBig5(std::string_view text) {
  return FindAscii(text, "big5", 0, /*ignore_case=*/true) !=
         std::string_view::npos;
}

}  // namespace tovenrak::core
