#include "main_window/view_text.h"

#include <algorithm>
#include <vector>

#include "core/encoding/codec.h"
#include "core/encoding/utf8.h"

namespace tovenrak::main_window {

std::string DecodeForView(std::string_view bytes, core::Encoding encoding) {
  core::DecodedText decoded = core::Decode(bytes, encoding);
  for (char32_t& c : decoded.text) {
    if (core::IsPlaceholder(c)) c = U'\uFFFD';
  }
  std::string text;
  core::EncodeCounts counts;
  core::Encode(decoded.text, core::Encoding::kUtf8, text, counts);
  return text;
}

namespace {

// A run of one character (U+FFFD, or a line feed) in a text as the view
// shows it.
struct Run {
  size_t at = 0;
  size_t length = 0;
  size_t first = 0;  // How many of the character come before it.
};

std::vector<Run> RunsOf(const std::u32string& text, char32_t mark) {
  std::vector<Run> runs;
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != mark) continue;
    Run run{i, 0, count};
    while (i < text.size() && text[i] == mark) ++i, ++run.length;
    count += run.length;
    runs.push_back(run);
  }
  return runs;
}

// Whether the characters just before run `a` of `x` are those just before
// run `b` of `y` (`after` false), or just after: up to eight, as many as
// both have; a run at the text's start or end only at the other's.
bool SameBeside(const std::u32string& x, const Run& a, const std::u32string& y,
                const Run& b, bool after) {
  constexpr size_t kNear = 8;
  const std::u32string_view xs(x), ys(y);
  const size_t a_end = a.at + a.length, b_end = b.at + b.length;
  const size_t in_x = after ? xs.size() - a_end : a.at;
  const size_t in_y = after ? ys.size() - b_end : b.at;
  const size_t n = std::min({kNear, in_x, in_y});
  if (n == 0) return in_x == in_y;
  return after ? xs.substr(a_end, n) == ys.substr(b_end, n)
               : xs.substr(a.at - n, n) == ys.substr(b.at - n, n);
}

// For each `mark` of `now`, the view's text after edits of `before` (each
// `mark` of which stood for the next of `units`), the unit it stands for
// where the edits left it, or null for one typed or pasted. Each run of
// `mark` in `now` is taken for the next run of `before` with the same
// characters before it, or else after it, and gets its units from its
// start or its end, as many as both hold.
std::vector<const std::u32string*> UnitsKept(
    const std::u32string& before, const std::vector<std::u32string>& units,
    const std::u32string& now, char32_t mark) {
  std::vector<const std::u32string*> kept;
  const std::vector<Run> was = RunsOf(before, mark);
  constexpr size_t kLookAhead = 64;
  size_t next = 0;
  for (const Run& run : RunsOf(now, mark)) {
    kept.resize(run.first + run.length, nullptr);
    for (size_t r = next; r < was.size() && r < next + kLookAhead; ++r) {
      const bool left = SameBeside(before, was[r], now, run, false);
      if (!left && !SameBeside(before, was[r], now, run, true)) continue;
      const size_t n = std::min(run.length, was[r].length);
      for (size_t k = 0; k < n; ++k) {
        const size_t into = left ? k : run.length - n + k;
        const size_t from = left ? k : was[r].length - n + k;
        kept[run.first + into] = &units[was[r].first + from];
      }
      next = r + 1;
      break;
    }
  }
  return kept;
}

}  // namespace

std::string EncodeFromView(std::string_view text, std::string_view shown,
                           core::Encoding encoding, size_t& references) {
  std::u32string now;
  now.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) now += core::NextUtf8(text, pos);
  // `shown` as the view showed it: a unit not valid in the encoding (a
  // placeholder) as U+FFFD, and each line's end, whichever it was (CR LF,
  // CR, LF, U+2029), as a line feed; what each stood for, in order.
  const std::u32string decoded = core::Decode(shown, encoding).text;
  std::u32string before;
  std::vector<std::u32string> replaced, line_ends;
  for (size_t i = 0; i < decoded.size(); ++i) {
    const char32_t c = decoded[i];
    if (core::IsPlaceholder(c) || c == U'\uFFFD') {
      replaced.emplace_back(1, c);
      before += U'\uFFFD';
    } else if (c == U'\r' || c == U'\n' || c == U'\u2029') {
      const bool both =
          c == U'\r' && i + 1 < decoded.size() && decoded[i + 1] == U'\n';
      line_ends.emplace_back(decoded.substr(i, both ? 2 : 1));
      i += both;
      before += U'\n';
    } else {
      before += c;
    }
  }
  const auto kept_units = UnitsKept(before, replaced, now, U'\uFFFD');
  const auto kept_ends = UnitsKept(before, line_ends, now, U'\n');
  const std::u32string line_end(MostLinesEnd(shown));
  std::u32string cps;
  cps.reserve(now.size());
  size_t units = 0, ends = 0;
  for (const char32_t c : now) {
    if (c == U'\uFFFD') {
      const std::u32string* unit = kept_units[units++];
      cps += unit ? *unit : std::u32string(1, c);
    } else if (c == U'\n') {
      const std::u32string* end = kept_ends[ends++];
      cps += end ? *end : line_end;
    } else {
      cps += c;
    }
  }
  // The view shows no byte-order mark; the file keeps the one it had.
  std::string bytes(
      shown.substr(0, core::ByteOrderMarkLength(shown, encoding)));
  core::EncodeCounts counts;
  core::Encode(cps, encoding, bytes, counts);
  references += counts.references;
  return bytes;
}

std::u32string_view MostLinesEnd(std::string_view bytes) {
  size_t line_feeds = 0, both = 0, returns = 0;
  for (size_t at = bytes.find_first_of("\r\n"); at != std::string_view::npos;
       at = bytes.find_first_of("\r\n", at + 1)) {
    if (bytes[at] == '\n') {
      ++line_feeds;
    } else if (at + 1 < bytes.size() && bytes[at + 1] == '\n') {
      ++both;
      ++at;
    } else {
      ++returns;
    }
  }
  if (both > 0 && both >= line_feeds && both >= returns) return U"\r\n";
  return returns > line_feeds ? U"\r" : U"\n";
}

}  // namespace tovenrak::main_window
