// Reads an HTML or XML document, as code points, into the tokens a browser
// sees: text, tags with their attributes, comments, the raw contents of
// script and style, server code and declarations.
//
// It reads decoded code points, or the encoded bytes of a page in Big5, GBK,
// GB18030 or UTF-8 (char8_t), which it reads as it reads their code points,
// at byte positions. A byte of a multi-byte character after its first can
// equal an ASCII character from '@' (0x40) to '~' or a digit (a Big5 or GBK
// trail byte, the second and fourth byte of a GB18030 four-byte sequence),
// never one below 0x40 other than a digit. So every rule keeps to this:
// what it searches for anywhere is one of those characters ('<', '>', '&',
// quotes, '=', '/', '-', '!', '?', '%', white space); any other comparison
// goes on from such a character, or from the start of a token or value,
// through ASCII characters only, and so never begins inside a character;
// and every byte or code point above 0x7F is alike to it, a placeholder of
// an undecodable unit included. One exception: in PHP's strings a byte '\'
// escapes the character after it wherever it stands, a trail byte too, as
// PHP reads bytes; read as code points, the encoding they were read from
// says which characters end in that byte (server_code.h).

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/encoding/encoding.h"
#include "core/markup/name_key.h"
#include "core/markup/server_code.h"
#include "core/result.h"

namespace tovenrak::core {

// A range [begin, end) of code points (or units) of the document.
struct TextSpan {
  size_t begin = 0;
  size_t end = 0;
  size_t size() const { return end - begin; }
};

struct HtmlAttribute {
  TextSpan name;
  // The value without its quotes; empty, right after `name`, when the
  // attribute has no value.
  TextSpan value;
  char32_t quote = 0;  // '"' or '\'', or 0 for an unquoted or absent value.
  bool has_value = false;
};

enum class HtmlTokenKind : uint8_t {
  kText,         // Character data, references not yet read.
  kStartTag,     // <name attribute=value ...>; `inner` is the name.
  kEndTag,       // </name ...>; `inner` is the name.
  kComment,      // <!-- ... -->; `inner` is what lies between the dashes.
  kRawText,      // The contents of <script>, <style>, <iframe>, <noembed>
                 // or <noframes>.
  kTitleText,    // The contents of <title>, <textarea> or <xmp>: text, no
                 // tags.
  kServerCode,   // <% ... %> or <? ... ?>, including XML declarations;
                 // PHP's up to the "?>" that PHP ends it at (server_code.h).
  kDeclaration,  // <!DOCTYPE ...>, <![CDATA[, </>, and other <! or </ junk.
};

struct HtmlToken {
  HtmlTokenKind kind = HtmlTokenKind::kText;
  TextSpan whole;
  TextSpan inner;  // See HtmlTokenKind; equal to `whole` when not given.
  bool self_closing = false;   // A start tag ending in "/>".
  bool has_ampersand = false;  // Text or title text that holds a '&'.
  bool ascii = false;          // Text of ASCII characters alone.
  // Text: where its first character that is not white space is, or its end.
  size_t visible = 0;
};

// Reads tokens one by one, in linear time whatever the input.
//
// Broken markup is read as browsers read it: a '<' that starts no tag is
// text, an unquoted value ends at white space or '>', a quoted one at its
// own quote (so it may hold '>'), missing end tags need nothing. A <title>
// or <textarea> without its end tag, and a self-closing <script/> or
// <style/> without one, are ordinary tags. <![CDATA[ is a declaration of its
// own and what follows it is read as markup, so HTML wrapped in CDATA, as
// feeds carry it, keeps its tags. A <? ... ?> without its end runs to the end
// of the text (a PHP file may end inside one).
template <typename Char>
class BasicHtmlTokenizer {
 public:
  using View = std::basic_string_view<Char>;

  // `read_from` is the encoding code points were read from: PHP code is
  // read as PHP reads its bytes (server_code.h). Bytes are read as they are.
  explicit BasicHtmlTokenizer(View text, Encoding read_from = Encoding::kUtf8)
      : text_(text), read_from_(read_from) {}
  BasicHtmlTokenizer(const BasicHtmlTokenizer&) = delete;
  BasicHtmlTokenizer& operator=(const BasicHtmlTokenizer&) = delete;

  // Where the server code or instruction that opens at `at` ends, read as
  // if the text ended at `end`: as ServerCodeEnd (server_code.h) says, in
  // the encoding the text was read from. Its PHP is read on its own, up to
  // the next PHP opening, so the reading of the page is as it was.
  size_t ServerEnd(size_t at, size_t end) const;

  // Whether a PHP block of the page failed to end, which PHP itself would
  // refuse: the reading then stops at every PHP opening (PhpReading), and
  // is no longer what it would be from a later tag on.
  bool php_failed() const { return php_.failed(); }

  // Reads the text as a part that begins after the start of its document,
  // which decided whether it is XML (xml()): this reader never decides so.
  void ReadFromMiddle() { root_seen_ = true; }

  // Whether the document is XML, once its first start tag is read: one
  // whose first element is no <html> after an XML declaration, or a feed's
  // <rss>, <feed> or <rdf:RDF>. In it no element holds raw contents: a
  // feed's <title> holds text, CDATA sections and elements, as any other of
  // its elements does.
  bool xml() const { return xml_; }
  // Whether that is known: the first start tag was read, or the reading
  // began in the middle.
  bool knows_xml() const { return root_seen_; }

  // Reads the next token into `token`. Returns false at the end of the text,
  // and when the rest of the text cannot be read as markup: a comment,
  // script, style, tag, declaration or <% ... %> that runs to the end of the
  // text; problem() then says which and on what line.
  bool Next(HtmlToken& token);

  // From now on reads such a comment, script, style, tag, declaration or
  // <% ... %> as browsers do: to the end of the text, as one token (a tag or
  // end tag as a declaration, which browsers drop), and unended() says
  // which and where it begins.
  void ReadUnendedToEnd() { to_end_ = true; }
  struct Unended {
    std::string_view what;  // "comment", "script"...
    size_t at;
  };
  const std::optional<Unended>& unended() const { return unended_; }

  // Where the next token begins.
  size_t position() const { return pos_; }

  // The attributes of the last tag read, in order: its first 1,024.
  const std::vector<HtmlAttribute>& attributes() const { return attributes_; }
  // The name of the last tag read, as NameKey::Of reads it.
  NameKey name() const { return name_; }

  // Why reading stopped before the end of the text, as kInvalidInput;
  // std::nullopt while it did not.
  const std::optional<Error>& problem() const { return problem_; }

 private:
  // The elements whose contents are not markup. Browsers show those of
  // <xmp> as text, and those of <iframe> to nobody. Those of <noframes> and
  // <noembed> are read as markup: what a browser without frames or plug-ins
  // shows, and search engines read.
  enum Raw : uint8_t {
    kScript,
    kStyle,
    kTitle,
    kTextarea,
    kXmp,
    kIframe,
    kRawCount,
    kNone
  };

  struct TextFlags {
    bool ampersand = false;  // A '&' was passed.
    bool high = false;       // A character above 0x7F was passed.
  };
  // Where the first '<' at or after `at` is, or the end of the text; notes
  // what comes before it in `flags`.
  size_t FindOpening(size_t at, TextFlags& flags) const;
  // The first position at or after `at` that holds no white space.
  size_t SkipSpaces(size_t at) const;

  // `what`, from `at`, runs to the end of the text.
  bool Fail(std::string_view what, size_t at);
  // The same, but read to the end as a token of `kind` whose inner span is
  // `inner`, when ReadUnendedToEnd was called.
  bool RunToEnd(std::string_view what, size_t at, HtmlTokenKind kind,
                TextSpan inner, HtmlToken& token);
  bool ReadTag(size_t at, bool end_tag, HtmlToken& token);
  bool ReadMarkup(HtmlToken& token);
  size_t FindEndTag(Raw raw, size_t from);
  size_t ScriptEnd(size_t from);
  size_t HiddenScriptEnd(size_t hidden);
  // Whether the '<' at `at`, followed by more text, opens markup.
  bool Opens(size_t at);
  bool EndsInBackslashByte(Char c) const;
  // Where a quoted value from `from` ends: its closing quote's position.
  size_t ValueEnd(size_t from, Char quote) const;

  View text_;
  Encoding read_from_;
  // The page's PHP, read in order; values are read in const members.
  mutable PhpReading php_;
  size_t pos_ = 0;
  bool xml_declared_ = false;  // An XML declaration came first...
  bool root_seen_ = false;     // ...before the first start tag...
  bool xml_ = false;           // ...which decided this.
  Raw raw_ = kNone;            // Contents of this element come next...
  size_t raw_end_ = 0;         // ...up to here.
  std::vector<HtmlAttribute> attributes_;
  NameKey name_;
  std::optional<Error> problem_;
  bool to_end_ = false;
  std::optional<Unended> unended_;
  // The first "%>" at or after the last search for one; npos when none is
  // left; 0 before the first search.
  size_t server_close_ = 0;
  // The last search for each element's end tag: from where, and what it
  // found. Searches start ever later, so each reuses or extends the last
  // one, which keeps pages full of unclosed <title> tags linear.
  struct Search {
    size_t from = std::u32string_view::npos;
    size_t found = 0;
  };
  std::array<Search, kRawCount> searches_{};
};

using HtmlTokenizer = BasicHtmlTokenizer<char32_t>;
extern template class BasicHtmlTokenizer<char32_t>;
extern template class BasicHtmlTokenizer<char8_t>;

// Whether the contents of an element of this name are one token read up to
// its end tag: script, style, title, textarea, xmp, iframe, noembed, noframes.
bool HoldsRawContents(NameKey name);

// Why markup cannot be read to its end: `what` ("comment", "script"...),
// from its line `line`, runs to the end of the text.
std::string UnterminatedReason(std::string_view what, size_t line);

// An ASCII letter, either case.
inline bool IsAsciiLetter(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// HTML's white space: space, tab, line feed, form feed, carriage return.
inline bool IsHtmlSpace(char32_t c) {
  return c <= ' ' && (uint64_t{0x100003600} >> c & 1) != 0;
}

// `text` without the HTML white space around it.
template <typename Char>
std::basic_string_view<Char> TrimHtmlSpace(std::basic_string_view<Char> text) {
  while (!text.empty() && IsHtmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsHtmlSpace(text.back())) text.remove_suffix(1);
  return text;
}

// True when `text` equals `lower`, an ASCII word in lower case, ignoring the
// letter case of ASCII letters.
bool EqualsIgnoringCase(std::u32string_view text, std::string_view lower);
bool EqualsIgnoringCase(std::u8string_view text, std::string_view lower);

}  // namespace tovenrak::core
