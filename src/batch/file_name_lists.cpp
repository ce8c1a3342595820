#include "batch/file_name_lists.h"

namespace tovenrak::batch {

std::vector<std::string> Str2Array(std::string_view text,
                                   std::string_view separator) {
  std::vector<std::string> pieces;
  if (separator.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  for (;;) {
    const size_t at = text.find(separator);
    if (at == std::string_view::npos) {
      pieces.emplace_back(text);
      return pieces;
    }
    pieces.emplace_back(text.substr(0, at));
    text.remove_prefix(at + separator.size());
  }
}

std::string ExtFile(std::string_view path, char separator) {
  const size_t last = path.rfind(separator);
  if (last == std::string_view::npos) return std::string(path);
  return std::string(path.substr(last + 1));
}

}  // namespace tovenrak::batch
