#include "platform/shown_name.h"

#include <algorithm>

#include "core/encoding/utf8.h"
#include "core/io/escape_for_terminal.h"

namespace tovenrak::platform {

namespace {

constexpr std::string_view kBegin = "\u2068";  // FIRST STRONG ISOLATE
constexpr std::string_view kEnd = "\u2069";    // POP DIRECTIONAL ISOLATE

// Whether `name` holds a letter written right to left: Hebrew, Arabic,
// Syriac, Thaana, N'Ko and the like, their presentation forms, and the
// right-to-left scripts beyond the first plane.
bool HoldsRightToLeft(std::string_view name) {
  for (size_t pos = 0; pos < name.size();) {
    const char32_t c = core::NextUtf8(name, pos);
    if ((c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) ||
        (c >= 0xFE70 && c <= 0xFEFF) || (c >= 0x10800 && c <= 0x10FFF) ||
        (c >= 0x1E800 && c <= 0x1EFFF))
      return true;
  }
  return false;
}

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

std::string WithoutNeedlessMarks(std::string_view text) {
  std::string out;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t begin = text.find(kBegin, pos);
    out += text.substr(pos, begin - pos);
    if (begin == std::string_view::npos) break;
    const size_t inside = begin + kBegin.size();
    const size_t end = std::min(text.find(kEnd, inside), text.size());
    const std::string_view name = text.substr(inside, end - inside);
    const size_t after = end == text.size() ? end : end + kEnd.size();
    out += HoldsRightToLeft(name) ? text.substr(begin, after - begin) : name;
    pos = after;
  }
  return out;
}

}  // namespace tovenrak::platform
