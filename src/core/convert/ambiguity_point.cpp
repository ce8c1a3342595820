#include "core/convert/ambiguity_point.h"

#include "core/encoding/utf8.h"

namespace tovenrak::core {

void LocatePoints(std::u32string_view text,
                  std::vector<AmbiguityPoint>& points) {
  size_t line = 1, line_start = 0, pos = 0;
  for (AmbiguityPoint& point : points) {
    for (; pos < point.index; ++pos) {
      const char32_t c = text[pos];
      if (c == U'\n' ||
          (c == U'\r' && (pos + 1 == text.size() || text[pos + 1] != U'\n'))) {
        ++line;
        line_start = pos + 1;
      }
    }
    point.line = line;
    point.column = point.index - line_start + 1;
  }
}

std::string DescribePoint(const AmbiguityPoint& point) {
  std::string out;
  AppendUtf8(point.source, out);
  out += " -> ";
  for (const char32_t c : point.chosen) AppendUtf8(c, out);
  out += " (";
  for (size_t i = 0; i < point.candidates.size(); ++i) {
    if (i > 0) out += ' ';
    for (const char32_t c : point.candidates[i]) AppendUtf8(c, out);
  }
  out += ')';
  return out;
}

std::string ListingLine(std::string_view file, const AmbiguityPoint& point) {
  std::string line(file);
  line += ':' + std::to_string(point.line) + ':' +
          std::to_string(point.column) + ": " + DescribePoint(point) + '\n';
  return line;
}

}  // namespace tovenrak::core
