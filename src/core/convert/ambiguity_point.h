// A place where the converter chose among several outputs for a character.

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tovenrak::core {

struct AmbiguityPoint {
  // Where the character is, counted in code points: in the text that was
  // converted, or, once located (LocatePoints), in the decoded document.
  size_t index = 0;
  // 1-based line and column in code points, set by LocatePoints.
  size_t line = 0;
  size_t column = 0;
  char32_t source = 0;                     // The character converted.
  std::u32string chosen;                   // What it was converted to.
  std::vector<std::u32string> candidates;  // Every output it may have.
};

// Sets the line and column of each point from its index in `text`. A line
// ends after a line feed, or after a carriage return not followed by one.
// REQUIRES: the points are sorted by index, each below text.size().
void LocatePoints(std::u32string_view text,
                  std::vector<AmbiguityPoint>& points);

// "X -> Y (A B C)" in UTF-8: the source character, what it became, and every
// candidate.
std::string DescribePoint(const AmbiguityPoint& point);

// "FILE:LINE:COLUMN: X -> Y (A B C)" and a line feed: the line that lists a
// located point of the file named `file`.
std::string ListingLine(std::string_view file, const AmbiguityPoint& point);

}  // namespace tovenrak::core
