// Where a piece of server code or an instruction to the browser ends: ASP's
// and JSP's <% ... %> at the first "%>", PHP's where PHP ends it, <?xml
// ...> where browsers end it. PHP leaves its code at the first "?>" outside
// its strings, block comments and heredocs, so a feed that writes
// echo '<?xml version="1.0"?>'; goes on in PHP after that "?>".
//
// PHP reads bytes: in a Big5 or GBK page a character whose second byte is
// '\' escapes the quote after it, as PHP sees it. Read as bytes, that is
// what happens here too; read as code points, `ends_in_backslash` tells
// which characters are written so.

#pragma once

#include <cstddef>
#include <string_view>

namespace tovenrak::core {

// Two characters of which one in a written <script> or <link> makes it a
// pattern that code reads pages with (/<script src="([^"]+)"/), which loads
// nothing.
inline constexpr std::string_view kPatternMarks[] = {"([", "[^", ".*", ".+",
                                                     "\\s"};

template <typename Char>
bool OpensInstruction(std::basic_string_view<Char> text, size_t at);

// Whether `text` holds a PHP opening at `at` (its '<'): "<?" and anything
// but the name of an instruction to the browser (OpensInstruction): "<?php",
// "<?=", and the short tags of old PHP, "<? ", "<?echo", "<?if(". A static
// page's "<?" that is no PHP is kept up to its "?>" all the same.
template <typename Char>
bool OpensPhp(std::basic_string_view<Char> text, size_t at) {
  return at + 2 < text.size() && text[at] == '<' && text[at + 1] == '?' &&
         !OpensInstruction(text, at);
}

// Whether the "<%" at `at` may open ASP's or JSP's code: not before a
// digit, which no code begins with, as in a static page's "增长率<%5".
template <typename Char>
bool MayOpenAsp(std::basic_string_view<Char> text, size_t at) {
  return at + 2 >= text.size() || text[at + 2] < '0' || text[at + 2] > '9';
}

// The position of the "?>" that ends PHP code running from `from`, as PHP
// reads it: not one in a string ('...', "..."), a block comment or a
// heredoc or nowdoc; one in a line comment (// or #) does. text.size() when
// the code runs to the end of the text with nothing left open: PHP ends it
// with the file. npos when a string, comment or heredoc is left open at the
// end of the text, or when a PHP opening (OpensPhp) comes where code would:
// it ends nothing, and the next block is read on its own. A PHP opening in
// a string or comment ("<?php exit; ?>" that a cache writer writes out) is
// read through `through_openings`, else it ends the reading there too,
// which keeps a reading that fails short (PhpReading). `ends_in_backslash(c)`
// says whether the code point c is written with a last byte '\' (see
// above); for bytes, never. `on_string(begin, end)`, when given, is told
// where the contents of each string and heredoc read are (not those of a
// nowdoc, which reads no escapes).
template <typename Char, typename EndsInBackslash,
          typename OnString = void (*)(size_t, size_t)>
size_t PhpCodeEnd(
    std::basic_string_view<Char> text, size_t from,
    const EndsInBackslash& ends_in_backslash, bool through_openings,
    const OnString& on_string = [](size_t, size_t) {}) {
  constexpr size_t npos = std::basic_string_view<Char>::npos;
  const size_t n = text.size();
  auto is_name = [](Char c, bool first) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           (!first && c >= '0' && c <= '9');
  };
  auto closes = [&](size_t at) {
    return text[at] == '?' && at + 1 < n && text[at + 1] == '>';
  };
  auto opens = [&](size_t at) { return text[at] == '<' && OpensPhp(text, at); };
  // An opening inside a string, comment or heredoc.
  auto opens_within = [&](size_t at) { return !through_openings && opens(at); };
  size_t i = from;
  while (i < n) {
    const Char c = text[i];
    const Char next = i + 1 < n ? text[i + 1] : Char{0};
    if (closes(i)) return i;
    if (opens(i)) return npos;
    if (c == '\'' || c == '"') {
      // A string: a backslash escapes the character after it.
      const size_t contents = i + 1;
      for (++i; i < n && text[i] != c; ++i) {
        if (opens_within(i)) return npos;
        // What follows is escaped: the next byte, which for a character
        // read as a code point only an ASCII one is.
        if ((text[i] == '\\' || ends_in_backslash(text[i])) &&
            (sizeof(Char) == 1 || (i + 1 < n && text[i + 1] < 0x80)))
          ++i;
      }
      if (i >= n) return npos;
      on_string(contents, i++);
    } else if (c == '/' && next == '*') {
      for (i += 2; i + 1 < n && !(text[i] == '*' && text[i + 1] == '/'); ++i) {
        if (opens_within(i)) return npos;
      }
      if (i + 1 >= n) return npos;
      i += 2;
    } else if ((c == '/' && next == '/') || (c == '#' && next != '[')) {
      // A line comment ends with its line, or at a "?>" with the code.
      for (; i < n && text[i] != '\n' && text[i] != '\r'; ++i) {
        if (closes(i)) return i;
        if (opens_within(i)) return npos;
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
      bool heredoc = !label.empty();
      if (heredoc && quote != 0) heredoc = at < n && text[at++] == quote;
      if (heredoc && at < n && text[at] == '\r') ++at;
      if (!heredoc || at >= n || text[at] != '\n') {
        i += 3;  // The shift operator, and a '<'.
        continue;
      }
      i = npos;
      for (size_t line = at + 1; line < n && i == npos;) {
        size_t start = line;
        while (start < n && (text[start] == ' ' || text[start] == '\t'))
          ++start;
        const size_t after = start + label.size();
        if (text.substr(start, label.size()) == label &&
            (after == n || !is_name(text[after], false))) {
          if (quote != '\'') on_string(at + 1, start);
          i = after;
          break;
        }
        for (line = start; line < n && text[line] != '\n'; ++line) {
          if (opens_within(line)) return npos;
        }
        ++line;
      }
      if (i == npos) return npos;
    } else {
      ++i;
    }
  }
  return n;  // PHP ends it with the file.
}

// Whether the "<?" at `at` is an instruction to the browser, no server
// code: <?xml ...?>, Word's <?xml:namespace ... />, IE's <?import ...>.
template <typename Char>
bool OpensInstruction(std::basic_string_view<Char> text, size_t at) {
  for (const std::string_view name : {"<?xml", "<?import"}) {
    if (text.size() - at < name.size()) continue;
    size_t i = 0;
    while (i < name.size() && (static_cast<char32_t>(text[at + i]) | 0x20) ==
                                  (static_cast<char32_t>(name[i]) | 0x20))
      ++i;
    if (i == name.size()) return true;
  }
  return false;
}

// One reading of a page's PHP, block after block. It reads through the
// PHP openings in strings and comments until a block fails to end (a page
// that PHP itself would refuse); from then on each block stops at the next
// opening, so that no part of the page is read far more than once.
class PhpReading {
 public:
  explicit PhpReading(bool through_openings = true)
      : through_(through_openings) {}

  // Where the PHP code from `from` ends: PhpCodeEnd.
  template <typename Char, typename EndsInBackslash,
            typename OnString = void (*)(size_t, size_t)>
  size_t End(
      std::basic_string_view<Char> text, size_t from,
      const EndsInBackslash& ends_in_backslash,
      const OnString& on_string = [](size_t, size_t) {}) {
    const size_t end =
        PhpCodeEnd(text, from, ends_in_backslash, through_, on_string);
    if (end == std::basic_string_view<Char>::npos) through_ = false;
    return end;
  }

  // Whether a block failed to end, in this reading.
  bool failed() const { return !through_; }

 private:
  bool through_;
};

// Where the server code or instruction that opens at `at` ("<%" or "<?")
// ends: at its "%>" or "?>", or for an instruction one position before its
// first '>', as browsers end it (where a "?>" would begin). PHP's ends where
// `php` reads it to end (PhpCodeEnd), else at its first "?>". text.size()
// when it runs to the end of the text.
template <typename Char, typename EndsInBackslash>
size_t ServerCodeEnd(std::basic_string_view<Char> text, size_t at,
                     const EndsInBackslash& ends_in_backslash,
                     PhpReading& php) {
  constexpr size_t npos = std::basic_string_view<Char>::npos;
  const Char kind = text[at + 1];
  if (kind == '?' && OpensInstruction(text, at)) {
    const size_t close = text.find(Char{'>'}, at + 2);
    return close == npos ? text.size() : close - 1;
  }
  if (kind == '?' && OpensPhp(text, at)) {
    const size_t end = php.End(text, at + 2, ends_in_backslash);
    if (end != npos) return end;
  }
  for (size_t close = at + 2; (close = text.find(kind, close)) != npos;
       ++close) {
    if (close + 1 < text.size() && text[close + 1] == '>') return close;
  }
  return text.size();
}

}  // namespace tovenrak::core
