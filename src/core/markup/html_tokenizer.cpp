#include "core/markup/html_tokenizer.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/encoding/codec.h"
#include "core/markup/server_code.h"

namespace tovenrak::core {

namespace {

constexpr size_t npos = std::u32string_view::npos;
constexpr size_t kMostAttributes = 1024;

char32_t Lower(char32_t c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

// Whether a '<' before `c` opens markup rather than being text.
bool OpensMarkup(char32_t c) {
  return IsAsciiLetter(c) || c == '!' || c == '/' || c == '?' || c == '%';
}

template <typename Char>
bool EqualsLower(std::basic_string_view<Char> text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (Lower(text[i]) != static_cast<unsigned char>(lower[i])) return false;
  }
  return true;
}

template <typename Char>
bool StartsWithIgnoringCase(std::basic_string_view<Char> text, size_t at,
                            std::string_view lower) {
  return text.size() - at >= lower.size() &&
         EqualsLower(text.substr(at, lower.size()), lower);
}

// Where the pair `a` `b` first occurs in `text` at or after `from`, or npos.
template <typename Char>
size_t FindPair(std::basic_string_view<Char> text, Char a, Char b,
                size_t from) {
  while ((from = text.find(a, from)) != npos) {
    if (from + 1 < text.size() && text[from + 1] == b) return from;
    ++from;
  }
  return npos;
}

// Eight bytes at a time. A mask has the high bit set of each byte that
// matches, exactly.
constexpr uint64_t kOnes = 0x0101010101010101u;
constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Fu;
constexpr uint64_t kHigh = 0x8080808080808080u;

uint64_t Load8(const char8_t* bytes) {
  uint64_t w;
  std::memcpy(&w, bytes, 8);
  return w;
}

uint64_t ZeroBytes(uint64_t x) { return ~(((x & kLow7) + kLow7) | x | kLow7); }

uint64_t BytesEqual(uint64_t w, char c) {
  return ZeroBytes(w ^ (kOnes * static_cast<unsigned char>(c)));
}

uint64_t HtmlSpaces(uint64_t w) {
  return BytesEqual(w, ' ') | BytesEqual(w, '\n') | BytesEqual(w, '\t') |
         BytesEqual(w, '\r') | BytesEqual(w, '\f');
}

// The index of the lowest byte a nonzero mask marks.
size_t Lowest(uint64_t mask) {
  static_assert(std::endian::native == std::endian::little);
  return static_cast<size_t>(std::countr_zero(mask)) / 8;
}

#if defined(__SSE2__)
// Sixteen bytes at a time, where the processor has SSE2 (every x86-64): a
// mask has bit i set when byte i matches.
struct Block16 {
  explicit Block16(const char8_t* bytes)
      : v(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes))) {}
  __m128i Equal(char c) const { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); }
  static unsigned Mask(__m128i m) {
    return static_cast<unsigned>(_mm_movemask_epi8(m));
  }
  unsigned Matches(char c) const { return Mask(Equal(c)); }
  unsigned High() const { return Mask(v); }
  unsigned Spaces() const {
    return Mask(
        _mm_or_si128(_mm_or_si128(_mm_or_si128(Equal(' '), Equal('\n')),
                                  _mm_or_si128(Equal('\t'), Equal('\r'))),
                     Equal('\f')));
  }
  __m128i v;
};
#endif

// What ends the names and values of a tag, one table lookup for each
// character.
enum : uint8_t { kSpace = 1, kSlash = 2, kClose = 4, kEquals = 8 };
constexpr std::array<uint8_t, 256> kClasses = [] {
  std::array<uint8_t, 256> classes{};
  for (const char c : {' ', '\t', '\n', '\f', '\r'})
    classes[static_cast<unsigned char>(c)] = kSpace;
  classes['/'] = kSlash;
  classes['>'] = kClose;
  classes['='] = kEquals;
  return classes;
}();

template <typename Char>
uint8_t ClassOf(Char c) {
  if constexpr (sizeof(Char) == 1) {
    return kClasses[c];
  } else {
    return c < 256 ? kClasses[c] : 0;
  }
}

// In the order of Raw.
constexpr std::string_view kRawNames[] = {"script",   "style", "title",
                                          "textarea", "xmp",   "iframe"};
constexpr NameSet kRawSet(kRawNames);

// The first elements that make a document XML whatever comes before them.
constexpr std::string_view kFeedRoots[] = {"rss", "feed", "rdf:rdf"};
constexpr NameSet kFeedRootSet(kFeedRoots);

}  // namespace

bool HoldsRawContents(NameKey name) { return kRawSet.Contains(name); }

bool EqualsIgnoringCase(std::u32string_view text, std::string_view lower) {
  return EqualsLower(text, lower);
}

bool EqualsIgnoringCase(std::u8string_view text, std::string_view lower) {
  return EqualsLower(text, lower);
}

std::string UnterminatedReason(std::string_view what, size_t line) {
  return "unterminated " + std::string(what) + " from line " +
         std::to_string(line);
}

template <typename Char>
bool BasicHtmlTokenizer<Char>::Fail(std::string_view what, size_t at) {
  const size_t line =
      1 + std::count(text_.begin(), text_.begin() + at, Char{'\n'});
  problem_ = Error{ErrorCode::kInvalidInput, UnterminatedReason(what, line)};
  pos_ = text_.size();
  return false;
}

template <typename Char>
bool BasicHtmlTokenizer<Char>::RunToEnd(std::string_view what, size_t at,
                                        HtmlTokenKind kind, TextSpan inner,
                                        HtmlToken& token) {
  if (!to_end_) return Fail(what, at);
  unended_ = Unended{what, at};
  token = {kind, {at, text_.size()}, inner};
  pos_ = text_.size();
  return true;
}

// Whether `text` holds the tag name `name` at `at`, ended as a tag's name
// is: by white space, '/' or '>'.
template <typename Char>
bool NameEndsTagAt(std::basic_string_view<Char> text, size_t at,
                   std::string_view name) {
  const size_t after = at + name.size();
  return after < text.size() && StartsWithIgnoringCase(text, at, name) &&
         (IsHtmlSpace(text[after]) || text[after] == '/' || text[after] == '>');
}

template <typename Char>
size_t BasicHtmlTokenizer<Char>::FindEndTag(Raw raw, size_t from) {
  Search& last = searches_[raw];
  if (last.from != npos && from >= last.from &&
      (last.found == npos || from <= last.found))
    return last.found;
  const std::string_view name = kRawNames[raw];
  size_t at = from;
  if (raw == kScript) {
    at = ScriptEnd(from);
  } else {
    while ((at = FindPair(text_, Char{'<'}, Char{'/'}, at)) != npos &&
           !NameEndsTagAt(text_, at + 2, name))
      at += 2;
  }
  last = {from, at};
  return at;
}

// Where a script's contents from `from` end: at its "</script", unless a
// "<!--" comes first (HiddenScriptEnd). One pass over its '<'.
template <typename Char>
size_t BasicHtmlTokenizer<Char>::ScriptEnd(size_t from) {
  for (size_t at = from; (at = text_.find(Char{'<'}, at)) != npos; ++at) {
    if (at + 1 == text_.size()) return npos;
    if (text_[at + 1] == '/' && NameEndsTagAt(text_, at + 2, "script"))
      return at;
    if (text_[at + 1] == '!' && StartsWithIgnoringCase(text_, at, "<!--"))
      return HiddenScriptEnd(at);
  }
  return npos;
}

// Old pages hide a script's contents in a comment from browsers that do not
// know the tag, and browsers read such a script otherwise: inside "<!--", a
// "<script" begins code whose "</script" does not end the element, until
// that comment ends with "-->". Pages written so write a script tag from a
// script: "<!-- document.write('<script src=a.js></script>'); // -->".
// Returns where the script ends, given the "<!--" at `hidden` that comes
// before any "</script" of it.
template <typename Char>
size_t BasicHtmlTokenizer<Char>::HiddenScriptEnd(size_t hidden) {
  enum { kCode, kHidden, kWithinHidden } state = kCode;
  const size_t n = text_.size();
  for (size_t at = hidden; at < n;) {
    const Char c = text_[at];
    if (state == kCode) {
      at = text_.find(Char{'<'}, at);
      if (at == npos) return npos;
      if (StartsWithIgnoringCase(text_, at, "</") &&
          NameEndsTagAt(text_, at + 2, "script"))
        return at;
      if (StartsWithIgnoringCase(text_, at, "<!--")) {
        // "<!-->" and "<!--->" open and close at once.
        at += 4;
        while (at < n && text_[at] == '-') ++at;
        if (at < n && text_[at] == '>') {
          ++at;
        } else {
          state = kHidden;
        }
        continue;
      }
      ++at;
    } else if (c == '-') {
      size_t dashes = at;
      while (dashes < n && text_[dashes] == '-') ++dashes;
      if (dashes - at >= 2 && dashes < n && text_[dashes] == '>') {
        state = kCode;
        ++dashes;
      }
      at = dashes;
    } else if (c == '<' && at + 1 < n && text_[at + 1] == '/' &&
               NameEndsTagAt(text_, at + 2, "script")) {
      if (state == kHidden) return at;
      state = kHidden;
      at += 8;
    } else if (c == '<' && state == kHidden &&
               NameEndsTagAt(text_, at + 1, "script")) {
      state = kWithinHidden;
      at += 7;
    } else {
      ++at;
    }
  }
  return npos;
}

template <typename Char>
size_t BasicHtmlTokenizer<Char>::SkipSpaces(size_t at) const {
  const size_t n = text_.size();
  if (at == n || !IsHtmlSpace(text_[at])) return at;
  if constexpr (sizeof(Char) == 1) {
#if defined(__SSE2__)
    for (; at + 16 <= n; at += 16) {
      const unsigned others = ~Block16(text_.data() + at).Spaces() & 0xFFFF;
      if (others != 0) return at + std::countr_zero(others);
    }
#endif
    for (; at + 8 <= n; at += 8) {
      const uint64_t others = ~HtmlSpaces(Load8(text_.data() + at)) & kHigh;
      if (others != 0) return at + Lowest(others);
    }
  }
  while (at < n && IsHtmlSpace(text_[at])) ++at;
  return at;
}

template <typename Char>
size_t BasicHtmlTokenizer<Char>::FindOpening(size_t at,
                                             TextFlags& flags) const {
  const size_t n = text_.size();
  if constexpr (sizeof(Char) == 1) {
    uint64_t ampersands = 0, high = 0;
#if defined(__SSE2__)
    for (; at + 16 <= n; at += 16) {
      const Block16 block(text_.data() + at);
      const unsigned lt = block.Matches('<');
      // Only the bytes before the first '<' count.
      const unsigned before = lt != 0 ? (lt & (0 - lt)) - 1 : 0xFFFF;
      flags.ampersand |= (block.Matches('&') & before) != 0;
      flags.high |= (block.High() & before) != 0;
      if (lt != 0) return at + std::countr_zero(lt);
    }
#endif
    for (; at + 8 <= n; at += 8) {
      const uint64_t w = Load8(text_.data() + at);
      const uint64_t lt = BytesEqual(w, '<');
      const uint64_t amp = BytesEqual(w, '&');
      if (lt != 0) {
        // Only the bytes before the '<' count.
        const uint64_t before = (lt & (0 - lt)) - 1;
        ampersands |= amp & before;
        high |= w & before;
        flags.ampersand = flags.ampersand || ampersands != 0;
        flags.high = flags.high || (high & kHigh) != 0;
        return at + Lowest(lt);
      }
      ampersands |= amp;
      high |= w;
    }
    flags.ampersand = flags.ampersand || ampersands != 0;
    flags.high = flags.high || (high & kHigh) != 0;
  }
  for (; at < n && text_[at] != '<'; ++at) {
    flags.ampersand = flags.ampersand || text_[at] == '&';
    flags.high = flags.high || text_[at] > 0x7F;
  }
  return at;
}

template <typename Char>
bool BasicHtmlTokenizer<Char>::Next(HtmlToken& token) {
  if (problem_) return false;
  if (pos_ >= text_.size()) return false;
  if (raw_ != kNone) {
    const Raw raw = raw_;
    raw_ = kNone;
    const bool title = raw == kTitle || raw == kTextarea || raw == kXmp;
    if (raw_end_ == npos) {
      const TextSpan contents{pos_, text_.size()};
      if (!RunToEnd(kRawNames[raw], pos_,
                    title ? HtmlTokenKind::kTitleText : HtmlTokenKind::kRawText,
                    contents, token))
        return false;
      token.has_ampersand =
          title && text_.substr(contents.begin).find(Char{'&'}) != npos;
      return true;
    }
    if (raw_end_ > pos_) {
      const TextSpan contents{pos_, raw_end_};
      token = {title ? HtmlTokenKind::kTitleText : HtmlTokenKind::kRawText,
               contents, contents};
      token.has_ampersand =
          title && text_.substr(pos_, contents.size()).find(Char{'&'}) != npos;
      pos_ = raw_end_;
      return true;
    }
  }
  // Text runs to the next '<' that opens markup; any other '<' is text. What
  // it holds, noted here, saves the converter a pass of its own.
  const size_t n = text_.size();
  if (text_[pos_] == '<' && pos_ + 1 < n && Opens(pos_))
    return ReadMarkup(token);
  const size_t visible = SkipSpaces(pos_);
  size_t at = visible;
  TextFlags flags;
  while ((at = FindOpening(at, flags)) + 1 < n && !Opens(at)) ++at;
  if (at + 1 >= n) at = n;
  token = {HtmlTokenKind::kText, {pos_, at}, {pos_, at}};
  token.has_ampersand = flags.ampersand;
  token.ascii = !flags.high;
  token.visible = visible;
  pos_ = at;
  return true;
}

// "<%" opens server code only where a "%>" closes it and it may begin code
// (MayOpenAsp); else it is text, as browsers show it ("增长率<%5"). The
// searches start ever later, so each reuses the last one's find or goes on
// past it: linear in all.
template <typename Char>
[[gnu::always_inline]] inline bool BasicHtmlTokenizer<Char>::Opens(size_t at) {
  // "</" before a character that is not ASCII is text too, as "<头发>" is:
  // browsers show neither, and an XML file's Chinese element names then
  // convert alike in their start and end tags.
  if (text_[at + 1] == '/')
    return at + 2 == text_.size() || text_[at + 2] < 0x80;
  if (text_[at + 1] != '%') return OpensMarkup(text_[at + 1]);
  if (!MayOpenAsp(text_, at)) return false;
  if (server_close_ != npos && server_close_ < at + 2)
    server_close_ = FindPair(text_, Char{'%'}, Char{'>'}, at + 2);
  return server_close_ != npos;
}

template <typename Char>
bool BasicHtmlTokenizer<Char>::EndsInBackslashByte(Char c) const {
  if constexpr (sizeof(Char) == 1) {
    return false;  // A byte '\\' is read as one.
  } else {
    return EndsInBackslash(c, read_from_);
  }
}

template <typename Char>
size_t BasicHtmlTokenizer<Char>::ServerEnd(size_t at, size_t end) const {
  PhpReading on_its_own(/*through_openings=*/false);
  return ServerCodeEnd(
      text_.substr(0, end), at,
      [this](Char c) { return EndsInBackslashByte(c); }, on_its_own);
}

// Server code in a quoted value runs on the server first, so a quote in it
// does not end the value: href="<?php echo $u["x"]; ?>", ASP's
// value="<%=rs("q")%>", a server side include's
// href="<!--#echo var="ROOT" -->/a.htm". It counts where it surely is server
// code: PHP, to where PHP ends it, and a "<%" whose first '>', nearby, is
// that of a "%>" (a static page may say "50<%" in a title), and "<!--#" and
// a letter, to its "-->" nearby.
template <typename Char>
size_t BasicHtmlTokenizer<Char>::ValueEnd(size_t from, Char quote) const {
  constexpr size_t kNearby = 256;
  size_t close = text_.find(quote, from);
  for (size_t open; close != npos && (open = text_.substr(0, close).find(
                                          Char{'<'}, from)) != npos;) {
    from = open + 1;
    size_t end = npos;
    if (text_[open + 1] == '?' && OpensPhp(text_, open)) {
      end = php_.End(text_, open + 2,
                     [this](Char c) { return EndsInBackslashByte(c); });
      if (end == text_.size()) end = npos;
    } else if (text_[open + 1] == '%' && MayOpenAsp(text_, open)) {
      // ASP's <%= ... %> holds no '>' before its own.
      const size_t gt = text_.substr(0, std::min(text_.size(), open + kNearby))
                            .find(Char{'>'}, open + 2);
      if (gt != npos && gt > open + 2 && text_[gt - 1] == '%') end = gt - 1;
    } else if (StartsWithIgnoringCase(text_, open, "<!--#") &&
               open + 5 < text_.size() && IsAsciiLetter(text_[open + 5])) {
      constexpr Char kClose[] = {'-', '-', '>', 0};
      const size_t close_at =
          text_.substr(0, std::min(text_.size(), open + kNearby))
              .find(kClose, open + 5);
      if (close_at != npos) end = close_at + 1;
    }
    if (end == npos) continue;
    from = end + 2;
    if (from > close) close = text_.find(quote, from);
  }
  return close;
}

template <typename Char>
bool BasicHtmlTokenizer<Char>::ReadMarkup(HtmlToken& token) {
  // An opening cut short by the end of the text, "<!-" say, is read as a
  // declaration or end tag, which looks for a '>' and so fails.
  const size_t at = pos_;
  const Char next = text_[at + 1];
  auto take = [&](HtmlTokenKind kind, size_t end, TextSpan inner) {
    token = {kind, {at, end}, inner};
    pos_ = end;
    return true;
  };
  if (next == '!') {
    if (StartsWithIgnoringCase(text_, at, "<!--")) {
      const size_t body = at + 4;
      // "<!-->" and "<!--->" are whole, empty comments.
      for (size_t dashes = 0; dashes < 2; ++dashes) {
        if (body + dashes < text_.size() && text_[body + dashes] == '>')
          return take(HtmlTokenKind::kComment, body + dashes + 1, {body, body});
        if (body + dashes >= text_.size() || text_[body + dashes] != '-') break;
      }
      for (size_t end = body;
           (end = FindPair(text_, Char{'-'}, Char{'-'}, end)) != npos; ++end) {
        const size_t close = end + 2;
        if (close < text_.size() && text_[close] == '>')
          return take(HtmlTokenKind::kComment, close + 1, {body, end});
        if (close + 1 < text_.size() && text_[close] == '!' &&
            text_[close + 1] == '>')
          return take(HtmlTokenKind::kComment, close + 2, {body, end});
      }
      return RunToEnd("comment", at, HtmlTokenKind::kComment,
                      {body, text_.size()}, token);
    }
    if (StartsWithIgnoringCase(text_, at, "<![cdata[")) {
      return take(HtmlTokenKind::kDeclaration, at + 9, {at, at + 9});
    }
    const size_t close = text_.find(Char{'>'}, at);
    if (close == npos)
      return RunToEnd("declaration", at, HtmlTokenKind::kDeclaration,
                      {at, text_.size()}, token);
    return take(HtmlTokenKind::kDeclaration, close + 1, {at, close + 1});
  }
  if (next == '?' || next == '%') {
    xml_declared_ =
        xml_declared_ ||
        (!root_seen_ && at + 5 <= text_.size() && text_[at + 2] == 'x' &&
         text_[at + 3] == 'm' && text_[at + 4] == 'l');
    const size_t close = ServerCodeEnd(
        text_, at, [this](Char c) { return EndsInBackslashByte(c); }, php_);
    if (close == text_.size()) {
      if (next == '%')
        return RunToEnd("<% server code", at, HtmlTokenKind::kServerCode,
                        {at, text_.size()}, token);
      return take(HtmlTokenKind::kServerCode, text_.size(), {at, text_.size()});
    }
    return take(HtmlTokenKind::kServerCode, close + 2, {at, close + 2});
  }
  if (next == '/') {
    const Char first = at + 2 < text_.size() ? text_[at + 2] : Char{0};
    if (IsAsciiLetter(first)) return ReadTag(at, /*end_tag=*/true, token);
    const size_t close = text_.find(Char{'>'}, at);
    if (close == npos)
      return RunToEnd("end tag", at, HtmlTokenKind::kDeclaration,
                      {at, text_.size()}, token);
    return take(HtmlTokenKind::kDeclaration, close + 1, {at, close + 1});
  }
  return ReadTag(at, /*end_tag=*/false, token);
}

template <typename Char>
bool BasicHtmlTokenizer<Char>::ReadTag(size_t at, bool end_tag,
                                       HtmlToken& token) {
  attributes_.clear();
  const size_t n = text_.size();
  size_t i = at + (end_tag ? 2 : 1);
  const size_t name_begin = i;
  auto skip = [&](size_t from, uint8_t stop) {
    while (from < n && (ClassOf(text_[from]) & stop) == 0) ++from;
    return from;
  };
  auto skip_spaces = [&](size_t from) {
    while (from < n && ClassOf(text_[from]) == kSpace) ++from;
    return from;
  };
  i = skip(i, kSpace | kSlash | kClose);
  const TextSpan name{name_begin, i};
  bool self_closing = false;
  while (true) {
    while (i < n && (ClassOf(text_[i]) & (kSpace | kSlash)) != 0) {
      self_closing = text_[i] == '/';
      ++i;
    }
    if (i >= n)
      return RunToEnd("tag", at, HtmlTokenKind::kDeclaration, {at, n}, token);
    if (text_[i] == '>') break;
    self_closing = false;
    HtmlAttribute attribute;
    attribute.name.begin = i;
    if (text_[i] == '=') ++i;  // "<a =b>": the name starts with '='.
    i = skip(i, kSpace | kSlash | kClose | kEquals);
    attribute.name.end = i;
    const size_t j = skip_spaces(i);
    attribute.value = {i, i};
    if (j < n && text_[j] == '=') {
      attribute.has_value = true;
      i = skip_spaces(j + 1);
      if (i < n && (text_[i] == '"' || text_[i] == '\'')) {
        attribute.quote = text_[i];
        const size_t close =
            ValueEnd(i + 1, static_cast<Char>(attribute.quote));
        if (close == npos)
          return RunToEnd("tag", at, HtmlTokenKind::kDeclaration, {at, n},
                          token);
        attribute.value = {i + 1, close};
        i = close + 1;
      } else {
        const size_t begin = i;
        i = skip(i, kSpace | kClose);
        attribute.value = {begin, i};
      }
    }
    // Past more attributes than any page gives a tag, the rest are read
    // but not noted: they stay as written, and memory stays in step with
    // the page however long the tag.
    if (attributes_.size() < kMostAttributes) attributes_.push_back(attribute);
  }
  token = {end_tag ? HtmlTokenKind::kEndTag : HtmlTokenKind::kStartTag,
           {at, i + 1},
           name,
           self_closing && !end_tag};
  pos_ = i + 1;
  name_ = NameKey::Of(text_.substr(name.begin, name.size()));

  if (!root_seen_ && !end_tag) [[unlikely]] {
    root_seen_ = true;
    xml_ = (xml_declared_ && !(name_ == NameKey("html"))) ||
           kFeedRootSet.Contains(name_);
  }
  if (end_tag || !kRawSet.Contains(name_) || xml_) return true;
  for (size_t raw = 0; raw < kRawCount; ++raw) {
    if (!(name_ == NameKey(kRawNames[raw]))) continue;
    // A script or style opens its contents even when it says "/>", as in
    // browsers, so that no script is ever read as text; a missing end tag
    // then makes the rest of the page unreadable. The others need their end
    // tag and no "/>".
    const bool code = raw == kScript || raw == kStyle;
    if (!code && token.self_closing) break;
    const size_t end = FindEndTag(static_cast<Raw>(raw), pos_);
    if (end != npos || (code && !token.self_closing)) {
      raw_ = static_cast<Raw>(raw);
      raw_end_ = end;
    }
    break;
  }
  return true;
}

template class BasicHtmlTokenizer<char32_t>;
template class BasicHtmlTokenizer<char8_t>;

}  // namespace tovenrak::core
