#include "core/encoding/big5_detection.h"

#include "core/encoding/document_text.h"

namespace tovenrak::core {

bool MentionsBig5(std::string_view text) {
  return FindAscii(text, "big5", 0, /*ignore_case=*/true) !=
         std::string_view::npos;
}

}  // namespace tovenrak::core
