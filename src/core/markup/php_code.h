// Where a block of PHP code ends. PHP leaves its code at the first "?>"
// outside its strings, block comments and heredocs, so a feed that writes
// echo '<?xml version="1.0"?>'; goes on in PHP after that "?>".
//
// PHP reads bytes: in a Big5 or GBK page a character whose second byte is
// '\' escapes the quote after it, as PHP sees it. Read as bytes, that is
// what happens here too; read as code points, `ends_in_backslash` tells
// which characters are written so.

#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace tovenrak::core {

// Whether `text` holds a PHP opening at `at` (its '<'): "<?php" in any
// letter case followed by white space or the end, "<?=", or "<?" followed by
// white space (a short tag). "<?xml" and other processing instructions are
// not PHP.
template <typename Char>
bool OpensPhp(std::basic_string_view<Char> text, size_t at) {
  auto space = [](Char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
  };
  if (at + 2 >= text.size() || text[at] != '<' || text[at + 1] != '?')
    return false;
  const Char c = text[at + 2];
  if (c == '=' || space(c)) return true;
  if (at + 5 > text.size()) return false;
  for (size_t i = 0; i < 3; ++i) {
    if ((static_cast<char32_t>(text[at + 2 + i]) | 0x20) !=
        static_cast<char32_t>("php"[i]))
      return false;
  }
  return at + 5 == text.size() || space(text[at + 5]);
}

// The position of the "?>" that ends PHP code running from `from`, as PHP
// reads it: not one in a string ('...', "..."), a block comment or a
// heredoc or nowdoc; one in a line comment (// or #) does. npos when none
// does: a string or comment left open, or no "?>" at all. A reading that
// finds none takes what it read off `budget`; with none left, it answers
// npos at once, so that many blocks left open cost no more than the budget
// and one reading. `ends_in_backslash(c)` says whether the code point c is
// written with a last byte '\' (see above); for bytes, never.
template <typename Char, typename EndsInBackslash>
size_t PhpCodeEnd(std::basic_string_view<Char> text, size_t from,
                  size_t& budget, const EndsInBackslash& ends_in_backslash) {
  constexpr size_t npos = std::basic_string_view<Char>::npos;
  const size_t n = text.size();
  if (budget == 0) return npos;
  auto give_up = [&] {
    budget -= std::min(budget, n - from);
    return npos;
  };
  auto is_name = [](Char c, bool first) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           (!first && c >= '0' && c <= '9');
  };
  auto closes = [&](size_t at) {
    return text[at] == '?' && at + 1 < n && text[at + 1] == '>';
  };
  size_t i = from;
  while (i < n) {
    const Char c = text[i];
    const Char next = i + 1 < n ? text[i + 1] : Char{0};
    if (closes(i)) return i;
    if (c == '\'' || c == '"') {
      // A string: a backslash escapes the character after it.
      for (++i; i < n && text[i] != c; ++i) {
        if (text[i] == '\\' || ends_in_backslash(text[i])) ++i;
      }
      if (i >= n) return give_up();
      ++i;
    } else if (c == '/' && next == '*') {
      size_t end = i + 2;
      while (end + 1 < n && !(text[end] == '*' && text[end + 1] == '/')) ++end;
      if (end + 1 >= n) return give_up();
      i = end + 2;
    } else if ((c == '/' && next == '/') || (c == '#' && next != '[')) {
      // A line comment ends with its line, or at a "?>" with the code.
      for (; i < n && text[i] != '\n' && text[i] != '\r'; ++i) {
        if (closes(i)) return i;
      }
    } else if (c == '<' && next == '<' && i + 2 < n && text[i + 2] == '<') {
      // A heredoc or nowdoc, <<<NAME, <<<"NAME" or <<<'NAME' and a line
      // feed, runs to a line that begins, past spaces, with NAME.
      size_t at = i + 3;
      while (at < n && (text[at] == ' ' || text[at] == '\t')) ++at;
      const Char quote =
          at < n && (text[at] == '"' || text[at] == '\'') ? text[at] : Char{0};
      if (quote != 0) ++at;
      const size_t name = at;
      while (at < n && is_name(text[at], at == name)) ++at;
      const std::basic_string_view<Char> label = text.substr(name, at - name);
      bool opens = !label.empty();
      if (opens && quote != 0) opens = at < n && text[at++] == quote;
      if (opens && at < n && text[at] == '\r') ++at;
      if (!opens || at >= n || text[at] != '\n') {
        i += 3;  // Not a heredoc.
        continue;
      }
      size_t end = npos;
      for (size_t line = at + 1; line < n && end == npos;) {
        size_t start = line;
        while (start < n && (text[start] == ' ' || text[start] == '\t'))
          ++start;
        const size_t after = start + label.size();
        if (text.substr(start, label.size()) == label &&
            (after == n || !is_name(text[after], false))) {
          end = after;
        } else {
          while (line < n && text[line] != '\n') ++line;
          ++line;
        }
      }
      if (end == npos) return give_up();
      i = end;
    } else {
      ++i;
    }
  }
  return give_up();
}

}  // namespace tovenrak::core
