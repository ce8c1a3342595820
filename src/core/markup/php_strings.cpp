#include "core/markup/php_strings.h"

#include <string_view>
#include <vector>

#include "core/encoding/codec.h"
#include "core/markup/server_code.h"

namespace tovenrak::core {

namespace {

// Writes the character at `i` of a PHP string, and what it escapes, to
// `fixed`; returns the last position taken. A '\' escapes the byte after
// it: an ASCII character, or the first byte of another, which it leaves as
// it is.
size_t KeepStringCharacter(std::u32string_view code, size_t i, Encoding source,
                           Encoding target, std::u32string& fixed) {
  const char32_t d = code[i];
  fixed += d;
  const bool ascii_next = i + 1 < code.size() && code[i + 1] < 0x80;
  if (d < 0x80) {
    if (d == '\\' && ascii_next) fixed += code[++i];
    return i;
  }
  const bool was = EndsInBackslash(d, source);
  const bool is = EndsInBackslash(d, target);
  if (was && ascii_next) {
    // What 許's last byte escaped: a '\' put there to undo that goes
    // where the target writes 許 without such a byte.
    const char32_t escaped = code[++i];
    if (escaped != '\\' || is) fixed += escaped;
  } else if (!was && is && ascii_next) {
    fixed += U'\\';
  }
  return i;
}

}  // namespace

void KeepPhpStrings(std::u32string& code, Encoding source, Encoding target) {
  const std::u32string_view all = code;
  std::u32string fixed;
  size_t copied = 0;
  struct Span {
    size_t begin, end;
  };
  std::vector<Span> strings;
  PhpReading php;
  for (size_t at = all.find(U"<?"); at != std::u32string_view::npos;
       at = all.find(U"<?", at + 2)) {
    if (!OpensPhp(all, at)) continue;
    strings.clear();
    const size_t end = php.End(
        all, at + 2, [&](char32_t c) { return EndsInBackslash(c, source); },
        [&](size_t from, size_t to) {
          strings.push_back({from, to});
        });
    for (const Span& string : strings) {
      fixed.append(all.substr(copied, string.begin - copied));
      // Its closing quote may follow: nothing escapes that quote, or the
      // string would not end there.
      size_t i = string.begin;
      for (; i < string.end; ++i)
        i = KeepStringCharacter(all, i, source, target, fixed);
      copied = i;
    }
    // A block left open ends nothing: its strings read before it gave up
    // are as above, and the reading goes on at the next "<?".
    if (end == std::u32string_view::npos) continue;
    at = end;
  }
  if (copied == 0) return;
  fixed.append(all.substr(copied));
  code = std::move(fixed);
}

}  // namespace tovenrak::core
