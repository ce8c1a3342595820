#include "platform/shown_name.h"

#include "core/io/escape_for_terminal.h"

namespace tovenrak::platform {

namespace {

constexpr std::string_view kBegin = "\u2068";  // FIRST STRONG ISOLATE
constexpr std::string_view kEnd = "\u2069";    // POP DIRECTIONAL ISOLATE

}  // namespace

std::string ShownName(std::string_view name) {
  std::string shown(kBegin);
  shown += core::EscapeForTerminal(name);
  shown += kEnd;
  return shown;
}

std::string ConvertAroundNames(
    std::string_view text,
    const std::function<std::string(std::string_view)>& convert) {
  std::string out;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t begin = text.find(kBegin, pos);
    if (begin != pos) {
      out += convert(text.substr(pos, begin - pos));
      if (begin == std::string_view::npos) break;
    }
    // A name's end; a mark left open runs to the end of the text.
    const size_t end = text.find(kEnd, begin + kBegin.size());
    const size_t after =
        end == std::string_view::npos ? text.size() : end + kEnd.size();
    out += text.substr(begin, after - begin);
    pos = after;
  }
  return out;
}

}  // namespace tovenrak::platform
