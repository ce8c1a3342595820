// The characters no key or value of OpenCC's dictionaries holds, after
// which a text can be cut without changing its conversion.

#pragma once

namespace tovenrak::core {

// Whether `c` ends a sentence or a clause: 。！？；，、： and a line feed.
inline bool EndsSentence(char32_t c) {
  switch (c) {
    case U'\n':
    case U'\u3001':  // 、
    case U'\u3002':  // 。
    case U'\uFF01':  // ！
    case U'\uFF0C':  // ，
    case U'\uFF1A':  // ：
    case U'\uFF1B':  // ；
    case U'\uFF1F':  // ？
      return true;
    default:
      return false;
  }
}

// A break: white space (space, tab, line feed, form feed, carriage return)
// or a character that ends a sentence. OpenCC's dictionaries are lines
// whose outputs are separated by spaces, and hold no such punctuation, so
// converting the parts of a text cut after breaks gives what converting it
// whole does, unless a converter's own keys hold one
// (Converter::KeysHoldBreaks).
inline bool IsBreak(char32_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r' ||
         EndsSentence(c);
}

}  // namespace tovenrak::core
