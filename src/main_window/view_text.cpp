#include "main_window/view_text.h"

#include <algorithm>

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

// What each U+FFFD of the view stood for in `shown`, in order: a unit not
// valid in `encoding` (a placeholder) or a U+FFFD of the document's own.
std::u32string ReplacedUnits(const std::u32string& shown) {
  std::u32string units;
  for (const char32_t c : shown) {
    if (core::IsPlaceholder(c) || c == U'\uFFFD') units += c;
  }
  return units;
}

// Puts back the units of `shown` that the view showed as U+FFFD into
// `edited`, where the edits left them: all of them in order when the edits
// kept their number; else those before the first change and after the
// last, `shown` compared as the view showed it, each line ending in a line
// feed alone.
void RestoreUnits(const std::u32string& shown, std::u32string& edited) {
  const std::u32string units = ReplacedUnits(shown);
  if (units.empty()) return;
  auto replaced = [](char32_t c) { return c == U'\uFFFD'; };
  if (static_cast<size_t>(std::count_if(edited.begin(), edited.end(),
                                        replaced)) == units.size()) {
    size_t next = 0;
    for (char32_t& c : edited) {
      if (replaced(c)) c = units[next++];
    }
    return;
  }
  auto seen = [](char32_t c) { return core::IsPlaceholder(c) ? U'\uFFFD' : c; };
  std::u32string before;
  for (size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] != U'\r') {
      before += seen(shown[i]);
    } else if (i + 1 == shown.size() || shown[i + 1] != U'\n') {
      before += U'\n';
    }
  }
  size_t head = 0;
  while (head < before.size() && head < edited.size() &&
         before[head] == edited[head])
    ++head;
  size_t tail = 0;
  while (tail < before.size() - head && tail < edited.size() - head &&
         before[before.size() - 1 - tail] == edited[edited.size() - 1 - tail])
    ++tail;
  size_t next = 0;
  for (size_t i = 0; i < head; ++i) {
    if (replaced(edited[i])) edited[i] = units[next++];
  }
  next = units.size();
  for (size_t i = edited.size(); i > edited.size() - tail; --i) {
    if (replaced(edited[i - 1])) edited[i - 1] = units[--next];
  }
}

}  // namespace

std::string EncodeFromView(std::string_view text, std::string_view shown,
                           core::Encoding encoding, size_t& references) {
  std::u32string edited;
  edited.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) edited += core::NextUtf8(text, pos);
  RestoreUnits(core::Decode(shown, encoding).text, edited);
  const std::u32string_view line_end = MostLinesEnd(shown);
  std::u32string cps;
  cps.reserve(edited.size());
  for (const char32_t c : edited) {
    if (c == U'\n') {
      cps += line_end;
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
