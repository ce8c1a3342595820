#include "core/markup/markup_scanner.h"

#include <algorithm>
#include <span>
#include <string>
#include <type_traits>

#include "core/encoding/codec.h"
#include "core/encoding/document_text.h"
#include "core/encoding/encoding.h"
#include "core/markup/server_code.h"

namespace tovenrak::core {

namespace {

constexpr size_t npos = std::u32string_view::npos;

constexpr std::string_view kInlineTags[] = {
    "a",    "abbr", "acronym", "b",    "bdi",   "bdo",  "big",    "cite",
    "code", "dfn",  "em",      "font", "i",     "ins",  "kbd",    "mark",
    "nobr", "q",    "s",       "samp", "small", "span", "strike", "strong",
    "sub",  "sup",  "time",    "tt",   "u",     "var",  "wbr"};
constexpr NameSet kInlineTagSet(kInlineTags);
constexpr std::string_view kReadAttributes[] = {
    "title",   "alt",     "placeholder", "aria-label",     "aria-description",
    "label",   "summary", "abbr",        "aria-valuetext", "aria-placeholder",
    "standby", "prompt"};
constexpr NameSet kReadSet(kReadAttributes);
// Attributes whose value is an address that browsers send or load, its
// query in the page's encoding.
constexpr std::string_view kQueryAddresses[] = {
    "href",   "src",    "action",     "formaction", "cite",
    "data",   "poster", "background", "longdesc",   "codebase",
    "lowsrc", "dynsrc", "xlink:href"};
constexpr NameSet kQueryAddressSet(kQueryAddresses);
constexpr std::string_view kLanguageAttributes[] = {"lang", "xml:lang"};
constexpr NameSet kLanguageSet(kLanguageAttributes);
constexpr std::string_view kButtonTypes[] = {"button", "submit", "reset"};
constexpr NameSet kButtonSet(kButtonTypes);
// The <meta> names and Open Graph properties whose content people read: in
// a search result, or on the card a shared link shows.
constexpr std::string_view kDescriptions[] = {
    "description",   "keywords",        "author",       "copyright",
    "og:title",      "og:description",  "og:site_name", "og:image:alt",
    "twitter:title", "application-name"};
constexpr NameSet kDescriptionSet(kDescriptions);
// Names too long for a NameKey.
constexpr std::string_view kLongDescriptions[] = {
    "twitter:description", "twitter:image:alt", "apple-mobile-web-app-title"};
// Single names the rules look for.
constexpr NameKey kInputKey("input"), kMetaKey("meta"), kTypeKey("type"),
    kNameKey("name"), kHttpEquivKey("http-equiv"),
    kContentLanguageKey("content-language"), kContentKey("content"),
    kValueKey("value"), kPropertyKey("property"), kLocaleKey("og:locale"),
    kDcLanguageKey("dc.language");
// A feed's elements that hold HTML written as text (&lt;p&gt;): RSS's
// always, Atom's when their type says so; and those that hold a name or an
// address.
constexpr std::string_view kFeedHtml[] = {"description", "content:encoded"};
constexpr NameSet kFeedHtmlSet(kFeedHtml);
constexpr std::string_view kAtomText[] = {"summary", "content", "subtitle",
                                          "rights", "title"};
constexpr NameSet kAtomTextSet(kAtomText);
constexpr std::string_view kFeedElements[] = {
    "description", "content:encoded", "summary",        "content",
    "subtitle",    "rights",          "guid",           "id",
    "email",       "author",          "managingeditor", "webmaster",
    "language",    "dc:language",     "title"};
constexpr NameSet kFeedElementSet(kFeedElements);
// The HTML elements whose start tag ends an <svg> or <math> left open: a
// page's content after it is HTML again.
constexpr std::string_view kLeavesForeignBlocks[] = {
    "blockquote", "body",  "br", "center", "dd",    "div",     "dl",
    "dt",         "embed", "h1", "h2",     "h3",    "h4",      "h5",
    "h6",         "head",  "hr", "img",    "li",    "listing", "menu",
    "meta",       "ol",    "p",  "pre",    "table", "ul"};
constexpr std::string_view kLeavesForeignInline[] = {
    "b",    "big",    "code",   "em",  "i",   "nobr", "ruby", "s",  "small",
    "span", "strong", "strike", "sub", "sup", "tt",   "u",    "var"};
constexpr NameSet kLeavesForeignBlockSet(kLeavesForeignBlocks);
constexpr NameSet kLeavesForeignInlineSet(kLeavesForeignInline);
// Elements that hold a language tag: RSS's, Dublin Core's.
constexpr std::string_view kFeedLanguages[] = {"language", "dc:language"};
constexpr NameSet kFeedLanguageSet(kFeedLanguages);
constexpr std::string_view kFeedNames[] = {"guid", "id"};
constexpr NameSet kFeedNameSet(kFeedNames);
// Elements of an e-mail address, in a feed (and people's names in other
// XML: <author>鲁迅</author>).
constexpr std::string_view kFeedMail[] = {"email", "author", "managingeditor",
                                          "webmaster"};
constexpr NameSet kFeedMailSet(kFeedMail);
constexpr NameKey kScriptKey("script"), kStyleKey("style"),
    kLanguageKey("language"), kSrcKey("src"), kCharsetKey("charset"),
    kLinkKey("link"), kHrefKey("href"), kRelKey("rel"), kSvgKey("svg"),
    kMathKey("math"), kFormKey("form"), kActionKey("action"),
    kAcceptCharsetKey("accept-charset");
// The types of a script whose contents are JavaScript or JSON, which read
// "\uXXXX" as a character in their strings; a template or a VBScript does
// not.
// Browsers run as JavaScript every type HTML names so, the old ones too.
constexpr std::string_view kScriptTypes[] = {"text/javascript",
                                             "application/javascript",
                                             "application/x-javascript",
                                             "text/x-javascript",
                                             "text/ecmascript",
                                             "application/ecmascript",
                                             "text/x-ecmascript",
                                             "application/x-ecmascript",
                                             "text/javascript1.0",
                                             "text/javascript1.1",
                                             "text/javascript1.2",
                                             "text/javascript1.3",
                                             "text/javascript1.4",
                                             "text/javascript1.5",
                                             "text/jscript",
                                             "text/livescript",
                                             "text/x-mathjax-config",
                                             "module",
                                             "importmap",
                                             "speculationrules",
                                             "application/json",
                                             "application/ld+json",
                                             "text/json"};
constexpr std::string_view kFileExtensions[] = {
    "htm", "html", "shtml", "xhtml", "php", "asp", "aspx", "jsp", "cgi",
    "css", "js",   "jpg",   "jpeg",  "gif", "png", "bmp",  "svg", "webp",
    "ico", "swf",  "pdf",   "doc",   "txt", "zip", "rar",  "mp3", "xml"};
constexpr NameSet kExtensionSet(kFileExtensions);

template <typename Char>
bool IsLongDescription(std::basic_string_view<Char> name) {
  for (const std::string_view long_name : kLongDescriptions)
    if (EqualsIgnoringCase(name, long_name)) return true;
  return false;
}

template <typename Char>
bool StartsWith(std::basic_string_view<Char> text, std::string_view lower) {
  return text.size() >= lower.size() &&
         EqualsIgnoringCase(text.substr(0, lower.size()), lower);
}

// Comments that editors read back: Dreamweaver's template, region and
// library item markers (the template's or item's file, regions matched by
// name with the template's), FrontPage's components (the files they
// include) and the mark of the address a page was saved from.
constexpr std::string_view kEditorMarkers[] = {
    "instancebegin",   "instanceend",    "instanceparam",  "templatebegin",
    "templateend",     "templateparam",  "templateinfo",   "#begintemplate",
    "#endtemplate",    "#begineditable", "#endeditable",   "#beginlibraryitem",
    "#endlibraryitem", "webbot",         "saved from url="};

template <typename Char>
bool IsEditorMarker(std::basic_string_view<Char> directive) {
  for (const std::string_view marker : kEditorMarkers)
    if (StartsWith(directive, marker)) return true;
  return false;
}

// A name for all time: "tag:" an authority, ',' and a date, ':' (a feed's
// entries have them), or "urn:" a namespace and ':'.
template <typename Char>
bool IsTagOrUrn(std::basic_string_view<Char> text) {
  const bool tag = StartsWith(text, "tag:");
  if (!tag && !StartsWith(text, "urn:")) return false;
  size_t i = 4;
  while (i < text.size() &&
         (IsAsciiLetter(text[i]) || (text[i] >= '0' && text[i] <= '9') ||
          text[i] == '-' || text[i] == '.' || (tag && text[i] == '@')))
    ++i;
  if (i == 4 || i + 1 >= text.size()) return false;
  return tag ? text[i] == ',' && text[i + 1] >= '0' && text[i + 1] <= '9'
             : text[i] == ':';
}

// An address that stands on its own: a scheme and "//", "www.", "mailto:",
// or a name that must not change ("tag:" as a feed's entries have, "urn:"),
// and no white space. The start is looked at first, as most texts are not.
template <typename Char>
bool LooksLikeAbsoluteAddress(std::basic_string_view<Char> text) {
  size_t first = 0;
  while (first < text.size() && IsHtmlSpace(text[first])) ++first;
  if (first == text.size() || !IsAsciiLetter(text[first])) return false;
  text = TrimHtmlSpace(text);
  size_t i = 0;
  while (i < text.size() &&
         (IsAsciiLetter(text[i]) ||
          (i > 0 && ((text[i] >= '0' && text[i] <= '9') || text[i] == '+' ||
                     text[i] == '-' || text[i] == '.'))))
    ++i;
  if (!(i > 0 && StartsWith(text.substr(i), "://")) &&
      !StartsWith(text, "www.") && !StartsWith(text, "mailto:") &&
      !IsTagOrUrn(text))
    return false;
  for (const Char c : text)
    if (IsHtmlSpace(c)) return false;
  return true;
}

// An absolute address, a path, or a file name with a known extension.
template <typename Char>
bool LooksLikeAddress(std::basic_string_view<Char> text) {
  text = TrimHtmlSpace(text);
  if (LooksLikeAbsoluteAddress(text)) return true;
  for (const Char c : text)
    if (IsHtmlSpace(c)) return false;
  if (StartsWith(text, "/") || StartsWith(text, "./") ||
      StartsWith(text, "../") || StartsWith(text, "javascript:"))
    return true;
  constexpr Char kQueryOrFragment[] = {'?', '#', 0};
  const std::basic_string_view<Char> path =
      text.substr(0, text.find_first_of(kQueryOrFragment));
  const size_t dot = path.rfind(Char{'.'});
  return dot != npos && dot > 0 &&
         kExtensionSet.Contains(NameKey::Of(path.substr(dot + 1)));
}

// Whether `value` is an address that names its host (http://, https:// or
// //): another site's, as far as a page can tell.
template <typename Char>
bool NamesItsHost(std::basic_string_view<Char> value) {
  value = TrimHtmlSpace(value);
  return StartsWith(value, "//") ||
         EqualsIgnoringCase(value.substr(0, 7), "http://") ||
         EqualsIgnoringCase(value.substr(0, 8), "https://");
}

// The query of `value` (from its '?' up to a '#' or the end), when `value`
// is an address on another site (http://, https:// or //) whose query holds
// a character beyond ASCII or a numeric reference ("&#"); empty otherwise.
// Server code in it ('<') writes its own.
template <typename Char>
TextSpan ForeignQueryIn(std::basic_string_view<Char> value) {
  size_t first = 0;
  while (first < value.size() && IsHtmlSpace(value[first])) ++first;
  const std::basic_string_view<Char> address = value.substr(first);
  if (!NamesItsHost(address)) return {};
  const size_t query = address.find(Char{'?'});
  if (query == npos) return {};
  bool beyond_ascii = false;
  size_t end = query;
  for (; end < address.size() && address[end] != Char{'#'}; ++end) {
    if (address[end] == Char{'<'}) return {};
    beyond_ascii = beyond_ascii || address[end] >= 0x80;
    // The '#' of a reference ends nothing: the value is read first.
    if (address[end] == Char{'&'} && end + 1 < address.size() &&
        address[end + 1] == Char{'#'}) {
      beyond_ascii = true;
      ++end;
    }
  }
  if (!beyond_ascii) return {};
  return {first + query, first + end};
}

// Whether `type`, a type attribute's value, names one of `types` (any letter
// case, parameters after ';' aside).
template <typename Char>
bool IsTypeOf(std::basic_string_view<Char> type,
              std::span<const std::string_view> types) {
  type = TrimHtmlSpace(type.substr(0, type.find(Char{';'})));
  for (const std::string_view t : types)
    if (EqualsIgnoringCase(type, t)) return true;
  return false;
}

// Whether `list`, a value of tokens apart by white space (as rel holds),
// holds `lower` in any letter case.
template <typename Char>
bool HasToken(std::basic_string_view<Char> list, std::string_view lower) {
  size_t at = 0;
  while (at < list.size()) {
    while (at < list.size() && IsHtmlSpace(list[at])) ++at;
    size_t end = at;
    while (end < list.size() && !IsHtmlSpace(list[end])) ++end;
    if (end > at && EqualsIgnoringCase(list.substr(at, end - at), lower))
      return true;
    at = end;
  }
  return false;
}

// Whether a charset attribute names an encoding browsers know. They read the
// file of a script whose charset names none (charset="", a misspelling, a
// value server code fills in) in the page's own encoding, as if it had no
// charset at all.
template <typename Char>
bool NamesAnEncoding(std::basic_string_view<Char> value) {
  constexpr size_t kLongestLabel = 64;
  std::string label;
  for (const Char c : value) {
    if (c >= 0x80 || label.size() == kLongestLabel) return false;
    label += static_cast<char>(c);
  }
  return EncodingFromLabel(label) || OtherEncodingFromLabel(label);
}

}  // namespace

bool IsInlineTag(NameKey name) { return kInlineTagSet.Contains(name); }

bool MayHoldForeignQuery(std::string_view bytes) {
  // Every such address holds "//"; its query ends by the next quote or the
  // tag's end (a line break in a quoted value goes on), none of which is a
  // byte of a character but the first.
  for (size_t at = bytes.find("//"); at != npos; at = bytes.find("//", at)) {
    const size_t end = std::min(bytes.find_first_of("\"'>", at), bytes.size());
    const size_t query = bytes.find('?', at);
    if (query < end && (AsciiRunEnd(bytes.substr(0, end), query) != end ||
                        bytes.substr(query, end - query).find("&#") != npos))
      return true;
    at = end;
  }
  return false;
}

// A script is JavaScript unless its type or its old language attribute says
// otherwise; a style sheet is CSS unless its type says otherwise.
template <typename Char>
Escapes BasicMarkupScanner<Char>::EscapesOfContents() const {
  const NameKey name = tokenizer_.name();
  const bool script = name == kScriptKey;
  if (!script && !(name == kStyleKey)) return Escapes::kReference;
  constexpr std::string_view kCss[] = {"text/css"};
  for (const HtmlAttribute& a : tokenizer_.attributes()) {
    const View value =
        TrimHtmlSpace(text_.substr(a.value.begin, a.value.size()));
    const NameKey key = NameKey::Of(text_.substr(a.name.begin, a.name.size()));
    if (key == kTypeKey && !value.empty() &&
        !IsTypeOf(value, script
                             ? std::span<const std::string_view>(kScriptTypes)
                             : std::span<const std::string_view>(kCss)))
      return Escapes::kReference;
    if (script && key == kLanguageKey && !value.empty() &&
        !StartsWith(value, "javascript") && !StartsWith(value, "jscript") &&
        !StartsWith(value, "ecmascript") && !StartsWith(value, "livescript"))
      return Escapes::kReference;
  }
  return script ? Escapes::kScript : Escapes::kStyle;
}

namespace {

// A value as a tag written in a script's string holds it: without the
// backslashes and quotes of the string around it (src=\"a.js\").
template <typename Char>
std::basic_string_view<Char> WithoutStringQuotes(
    std::basic_string_view<Char> value) {
  auto quote = [](Char c) { return c == '\\' || c == '"' || c == '\''; };
  while (!value.empty() && quote(value.front())) value.remove_prefix(1);
  while (!value.empty() && quote(value.back())) value.remove_suffix(1);
  return value;
}

// How a tag's first value is quoted ('"', '\'', or 0 for none): a name
// added to the tag is quoted so.
inline char FirstValueQuote(const std::vector<HtmlAttribute>& attributes) {
  for (const HtmlAttribute& a : attributes)
    if (a.has_value) return static_cast<char>(a.quote);
  return 0;
}

// Where the start tag `token` that `tokenizer` read from `text`, a <form>
// that sends to another site, would name the encoding it sends in, which
// browsers take to be the page's (MarkupPiece::charset_at); 0 for a form
// that names one or sends to its own site.
template <typename Char>
uint8_t FormCharsetAt(const BasicHtmlTokenizer<Char>& tokenizer,
                      std::basic_string_view<Char> text, const HtmlToken& token,
                      char& quote) {
  quote = FirstValueQuote(tokenizer.attributes());
  bool foreign = false, action = false;
  for (const HtmlAttribute& a : tokenizer.attributes()) {
    const NameKey key = NameKey::Of(text.substr(a.name.begin, a.name.size()));
    if (key == kAcceptCharsetKey) return 0;
    // Browsers take a name's first value.
    if (key == kActionKey && !action) {
      action = true;
      foreign = a.has_value &&
                NamesItsHost(text.substr(a.value.begin, a.value.size()));
    }
  }
  return foreign ? static_cast<uint8_t>(1 + token.inner.size()) : 0;
}

// Where the start tag `token` that `tokenizer` read from `text`, a
// <script> or a <link> that loads a script or a style sheet from a file
// and says nothing of its encoding, would name it (MarkupPiece::charset_at),
// or a form that sends to another site (FormCharsetAt); 0 for any other
// tag. Its name is the letters alone (a NUL would give the same key).
// `written`: the tag is written in a string of a script, where a charset
// given in any way (a variable's) counts.
template <typename Char>
uint8_t LoadingTagCharsetAt(const BasicHtmlTokenizer<Char>& tokenizer,
                            std::basic_string_view<Char> text,
                            const HtmlToken& token, bool written, char& quote) {
  const NameKey name = tokenizer.name();
  if (token.kind != HtmlTokenKind::kStartTag) return 0;
  if (!written && name == kFormKey && token.inner.size() == 4)
    return FormCharsetAt(tokenizer, text, token, quote);
  const bool script = name == kScriptKey && token.inner.size() == 6;
  const bool link = name == kLinkKey && token.inner.size() == 4;
  if (!script && !link) return 0;
  quote = FirstValueQuote(tokenizer.attributes());
  bool loads = false, style_sheet = false;
  for (const HtmlAttribute& a : tokenizer.attributes()) {
    const NameKey key = NameKey::Of(text.substr(a.name.begin, a.name.size()));
    std::basic_string_view<Char> value =
        text.substr(a.value.begin, a.value.size());
    if (written) value = WithoutStringQuotes(value);
    if (key == kCharsetKey && (written || NamesAnEncoding(value))) return 0;
    if (script && key == kTypeKey &&
        EqualsIgnoringCase(TrimHtmlSpace(value), "module"))
      return 0;
    loads = loads || (key == (script ? kSrcKey : kHrefKey) && a.has_value);
    style_sheet =
        style_sheet || (key == kRelKey && HasToken(value, "stylesheet"));
  }
  if (!loads || (link && !style_sheet)) return 0;
  return static_cast<uint8_t>(1 + token.inner.size());
}

}  // namespace

template <typename Char>
uint8_t BasicMarkupScanner<Char>::CharsetAt(const HtmlToken& token,
                                            char& quote) const {
  return LoadingTagCharsetAt(tokenizer_, text_, token, /*written=*/false,
                             quote);
}

namespace {

// Whether text[open] stands in the argument of a call of a write or
// writeln method (document.write), on the same line and in the same
// statement: a tag that a script writes into the page, not one it looks
// for in a string or holds in a value. '(', ')', ';', '.', white space and
// line breaks are below '@', never the second byte of a character.
template <typename Char>
bool InWrittenString(std::basic_string_view<Char> text, size_t begin,
                     size_t open) {
  constexpr size_t kFarthest = 160;
  size_t depth = 0;
  for (size_t at = open; at > begin && open - at < kFarthest;) {
    const Char c = text[--at];
    if (c == ';' || c == '\n' || c == '\r') return false;
    if (c == ')') ++depth;
    if (c != '(' || depth-- != 0) continue;
    // The call that holds it: ".write (" or ". writeln(".
    while (at > begin && (text[at - 1] == ' ' || text[at - 1] == '\t')) --at;
    for (const std::string_view call : {"write", "writeln"}) {
      if (at < begin + call.size() + 1) continue;
      size_t before = at - call.size();
      if (!EqualsIgnoringCase(text.substr(before, call.size()), call)) continue;
      while (before > begin &&
             (text[before - 1] == ' ' || text[before - 1] == '\t'))
        --before;
      if (before > begin && text[before - 1] == '.') return true;
    }
    return false;
  }
  return false;
}

}  // namespace

// A script that writes a <script src=...> or a <link rel=stylesheet> into
// the page (document.write) loads that file as the page's own tag would:
// each such tag in its contents that names no charset is marked, unquoted,
// which the quotes of no string mind. Not where the script holds server
// code, whose strings name the charset themselves (server_declarations.h),
// nor a tag that is a pattern to read pages with (/<script src="([^"]+)"/),
// nor one in a string the script does not write (a search, a value).
template <typename Char>
bool BasicMarkupScanner<Char>::LabelWrittenTags(const HtmlToken& token) {
  // JSON is data, which writes nothing.
  constexpr std::string_view kJson[] = {"application/json",
                                        "application/ld+json", "text/json"};
  for (const HtmlAttribute& a : tokenizer_.attributes()) {
    if (NameKey::Of(text_.substr(a.name.begin, a.name.size())) == kTypeKey &&
        IsTypeOf(text_.substr(a.value.begin, a.value.size()),
                 std::span<const std::string_view>(kJson)))
      return false;
  }
  const View contents = text_.substr(0, token.whole.end);
  constexpr Char kOpen[] = {'<', 0};
  size_t at = token.whole.begin;
  for (size_t open = contents.find(kOpen, at); open != npos;
       open = contents.find(kOpen, open + 1)) {
    const Char next = open + 1 < contents.size() ? contents[open + 1] : 0;
    if (next == '%' || next == '?') {
      pending_.clear();
      return false;
    }
    if ((next != 's' && next != 'S' && next != 'l' && next != 'L') ||
        !InWrittenString(contents, token.whole.begin, open))
      continue;
    // A tag is short: one that does not end soon is not read far.
    const View tag = contents.substr(open, kLongestWrittenTag);
    BasicHtmlTokenizer<Char> reader(tag);
    HtmlToken read;
    if (!reader.Next(read) || read.whole.begin != 0) continue;
    char quote = 0;
    const uint8_t charset_at =
        LoadingTagCharsetAt(reader, tag, read, /*written=*/true, quote);
    if (charset_at == 0) continue;
    const View written = tag.substr(0, read.whole.end);
    bool pattern = false;
    for (const std::string_view p : kPatternMarks) {
      const Char pc[] = {static_cast<Char>(p[0]), static_cast<Char>(p[1]), 0};
      pattern = pattern || written.find(pc) != npos;
    }
    if (pattern) continue;
    if (open > at) pending_.push_back({{at, open}, PieceKind::kMarkup});
    pending_.push_back({{open, open + read.whole.end}, PieceKind::kMarkup});
    pending_.back().charset_at = charset_at;
    at = open + read.whole.end;
    open = at - 1;
  }
  if (pending_.empty()) return false;
  if (at < token.whole.end)
    pending_.push_back({{at, token.whole.end}, PieceKind::kMarkup});
  for (MarkupPiece& p : pending_) p.escapes = raw_escapes_;
  return true;
}

template <typename Char>
[[gnu::always_inline]] inline typename BasicMarkupScanner<Char>::FeedText
BasicMarkupScanner<Char>::FeedTextOf() const {
  // Most tags are none of these, which one lookup tells.
  const NameKey name = tokenizer_.name();
  if (!kFeedElementSet.Contains(name)) return FeedText::kOrdinary;
  if (kFeedNameSet.Contains(name)) return FeedText::kName;
  if (kFeedLanguageSet.Contains(name)) return FeedText::kLanguage;
  if (kFeedMailSet.Contains(name)) return FeedText::kMail;
  if (kFeedHtmlSet.Contains(name)) return FeedText::kEscapedHtml;
  if (!kAtomTextSet.Contains(name)) return FeedText::kOrdinary;
  for (const HtmlAttribute& a : tokenizer_.attributes()) {
    if (NameKey::Of(text_.substr(a.name.begin, a.name.size())) == kTypeKey &&
        EqualsIgnoringCase(
            TrimHtmlSpace(text_.substr(a.value.begin, a.value.size())), "html"))
      return FeedText::kEscapedHtml;
  }
  return FeedText::kOrdinary;
}

// Keeps each tag that a feed's HTML writes as text, from "&lt;" and a
// letter, '/' or '!' to the "&gt;" that ends it outside quoted values
// (written as they are or as "&quot;"): its addresses stay as written, as a
// reader of the feed follows them. Any other "&lt;" is text. '&', quotes
// and '<' are characters of their own in every encoding.
template <typename Char>
void BasicMarkupScanner<Char>::SplitEscapedHtml(const HtmlToken& token) {
  const View text = text_.substr(0, token.whole.end);
  auto at_ascii = [&](size_t at, std::string_view ascii) {
    return StartsWith(text.substr(at), ascii);
  };
  // The end of the escaped tag opened at `open`, or npos.
  auto tag_end = [&](size_t open) {
    std::string_view quote;
    for (size_t at = open + 4; at < text.size(); ++at) {
      if (text[at] != '&' && text[at] != '"' && text[at] != '\'') continue;
      if (!quote.empty()) {
        if (at_ascii(at, quote)) {
          at += quote.size() - 1;
          quote = {};
        }
        continue;
      }
      if (at_ascii(at, "&gt;")) return at + 4;
      for (const std::string_view q :
           {"\"", "'", "&quot;", "&#39;", "&#039;"}) {
        if (at_ascii(at, q)) {
          quote = q;
          at += q.size() - 1;
          break;
        }
      }
    }
    return npos;
  };
  size_t at = token.whole.begin;
  constexpr Char kOpen[] = {'&', 'l', 't', ';', 0};
  for (size_t open = text.find(kOpen, at); open != npos;
       open = text.find(kOpen, open + 4)) {
    const Char first = open + 4 < text.size() ? text[open + 4] : Char{0};
    if (!IsAsciiLetter(first) && first != '/' && first != '!') continue;
    const size_t end = tag_end(open);
    if (end == npos) break;
    // An inline tag joins the texts around it, as it does unescaped.
    size_t name = open + 4 + (first == '/');
    const size_t name_begin = name;
    while (name < end && IsAsciiLetter(text[name])) ++name;
    const bool inline_tag =
        IsInlineTag(NameKey::Of(text.substr(name_begin, name - name_begin)));
    Push({at, open}, PieceKind::kText, false, /*has_ampersand=*/true);
    Push({open, end}, PieceKind::kMarkup, inline_tag);
    at = end;
    open = end - 4;
  }
  Push({at, token.whole.end}, PieceKind::kText, false, /*has_ampersand=*/true);
}

template <typename Char>
BasicMarkupScanner<Char>::BasicMarkupScanner(View text, Encoding read_from,
                                             bool from_start)
    : text_(text), read_from_(read_from), tokenizer_(text, read_from) {
  if (!from_start) tokenizer_.ReadFromMiddle();
}

template <typename Char>
void BasicMarkupScanner<Char>::NoteXml(const HtmlToken& token) {
  switch (token.kind) {
    case HtmlTokenKind::kStartTag:
      if (xml_ == Xml::kUnknown) xml_ = tokenizer_.xml() ? Xml::kYes : Xml::kNo;
      break;
    case HtmlTokenKind::kDeclaration:
      in_cdata_ =
          in_cdata_ ||
          ((xml_ == Xml::kYes || foreign_ != 0) &&
           StartsWith(text_.substr(token.whole.begin, token.whole.size()),
                      "<![cdata["));
      break;
    default:
      break;
  }
}

// Where the "]]>" that ends a CDATA section is in text_[from, to), or npos:
// ']' may be the last byte of a character, so a find counts only where a
// character begins, counted from `from`, where one does.
template <typename Char>
size_t BasicMarkupScanner<Char>::CdataEnd(size_t from, size_t to) const {
  constexpr Char kEnd[] = {']', ']', '>', 0};
  const View text = text_.substr(0, to);
  size_t end = from;
  while ((end = text.find(kEnd, end)) != npos) {
    if constexpr (sizeof(Char) == 1) {
      const std::string_view bytes(reinterpret_cast<const char*>(text_.data()),
                                   text_.size());
      while (from < end) from += UnitLengthIn(bytes, from, read_from_);
      if (from == end) return end;
      end = from;
    } else {
      return end;
    }
  }
  return npos;
}

template <typename Char>
void BasicMarkupScanner<Char>::InCdata(MarkupPiece& piece) {
  if (piece.escapes == Escapes::kReference) piece.escapes = Escapes::kCdata;
  const size_t end = CdataEnd(piece.span.begin, piece.span.end);
  if (end == npos) return;
  in_cdata_ = false;
  MarkupPiece close = piece, rest = piece;
  close.span = {end, end + 3};
  close.kind = PieceKind::kMarkup;
  close.inline_tag = false;
  close.charset_at = 0;
  rest.span.begin = end + 3;
  rest.charset_at = 0;
  rest.escapes =
      piece.escapes == Escapes::kCdata ? Escapes::kReference : piece.escapes;
  piece.span.end = end;
  std::vector<MarkupPiece> after = {close};
  if (rest.span.size() != 0) after.push_back(rest);
  pending_.insert(pending_.begin() + static_cast<ptrdiff_t>(next_),
                  after.begin(), after.end());
  if (piece.span.size() == 0) piece = pending_[next_++];
}

// An XML <title> (or an SVG one) is no HTML title, whose contents are
// text: its CDATA sections are read here. One left open goes on past it.
template <typename Char>
void BasicMarkupScanner<Char>::SplitCdataValue(TextSpan span) {
  constexpr Char kOpen[] = {'<', '!', '[', 0};
  const View text = text_.substr(0, span.end);
  size_t at = span.begin;
  for (size_t open = text.find(kOpen, at); open != npos;
       open = text.find(kOpen, at)) {
    if (!StartsWith(text.substr(open), "<![cdata[")) {
      at = open + 1;
      continue;
    }
    PushValue({span.begin, open}, PieceKind::kValue, false);
    const size_t inside = open + 9;
    Push({open, inside}, PieceKind::kMarkup, false);
    const size_t end = CdataEnd(inside, span.end);
    const size_t first = pending_.size();
    PushValue({inside, end == npos ? span.end : end}, PieceKind::kValue, false);
    for (size_t i = first; i < pending_.size(); ++i)
      if (pending_[i].escapes == Escapes::kReference)
        pending_[i].escapes = Escapes::kCdata;
    if (end == npos) {
      cdata_goes_on_ = true;
      return;
    }
    Push({end, end + 3}, PieceKind::kMarkup, false);
    span.begin = at = end + 3;
  }
  PushValue(span, PieceKind::kValue, false);
}

template <typename Char>
bool BasicMarkupScanner<Char>::NextPiece(MarkupPiece& piece) {
  if (next_ < pending_.size()) {
    piece = pending_[next_++];
    return true;
  }
  pending_.clear();
  next_ = 0;
  in_cdata_ = in_cdata_ || cdata_goes_on_;
  cdata_goes_on_ = false;
  HtmlToken token;
  if (!tokenizer_.Next(token)) return false;
  if (xml_ == Xml::kUnknown || token.kind == HtmlTokenKind::kDeclaration)
    NoteXml(token);
  const FeedText feed_text = feed_text_;
  feed_text_ = FeedText::kOrdinary;
  const View inner = text_.substr(token.inner.begin, token.inner.size());
  // Most tokens are one piece, handed out directly.
  piece.span = token.whole;
  piece.kind = PieceKind::kMarkup;
  piece.inline_tag = false;
  piece.has_ampersand = false;
  piece.ascii = false;
  piece.escapes = Escapes::kReference;
  piece.charset_at = 0;
  piece.charset_quote = 0;
  piece.server = false;
  switch (token.kind) {
    case HtmlTokenKind::kText:
      if (feed_text == FeedText::kName ||
          (feed_text == FeedText::kMail && inner.find(Char{'@'}) != View::npos))
        return true;
      if (feed_text == FeedText::kLanguage) {
        piece.kind = PieceKind::kLanguage;
        return true;
      }
      if (feed_text == FeedText::kEscapedHtml && token.has_ampersand) {
        SplitEscapedHtml(token);
        break;
      }
      // Only a text whose first visible character is a letter may be one.
      if (token.visible == token.whole.end ||
          !IsAsciiLetter(text_[token.visible]) ||
          !LooksLikeAbsoluteAddress(inner)) {
        piece.kind = PieceKind::kText;
        piece.has_ampersand = token.has_ampersand;
        piece.ascii = token.ascii;
      }
      return true;
    case HtmlTokenKind::kStartTag:
    case HtmlTokenKind::kEndTag:
      if (token.kind == HtmlTokenKind::kStartTag) {
        raw_escapes_ = EscapesOfContents();
        feed_text_ = FeedTextOf();
      }
      // An HTML page's <svg> and <math> hold XML's CDATA sections, until
      // their end tag or an HTML element's start tag.
      if (tokenizer_.name() == kSvgKey || tokenizer_.name() == kMathKey) {
        if (token.kind == HtmlTokenKind::kEndTag) {
          foreign_ -= foreign_ != 0;
        } else if (!token.self_closing) {
          ++foreign_;
        }
      } else if (foreign_ != 0 && token.kind == HtmlTokenKind::kStartTag &&
                 (kLeavesForeignBlockSet.Contains(tokenizer_.name()) ||
                  kLeavesForeignInlineSet.Contains(tokenizer_.name()))) {
        foreign_ = 0;
      }
      // Most tags are kept whole, one piece.
      if (SplitTag(token, piece)) piece = pending_[next_++];
      // Its first piece is kept markup that begins with its name. Most tags
      // are neither a script nor a link, which the names tell at once.
      if (label_files_ &&
          (tokenizer_.name() == kScriptKey || tokenizer_.name() == kLinkKey ||
           tokenizer_.name() == kFormKey))
        piece.charset_at = CharsetAt(token, piece.charset_quote);
      return true;
    case HtmlTokenKind::kComment: {
      // Conditional comments hold markup for old browsers, and "#" starts
      // a server side include (IIS also reads "<!-- #include ...-->"):
      // both are instructions, not prose; so are editors' markers.
      const View directive = TrimHtmlSpace(inner);
      const bool marker = IsEditorMarker(directive);
      piece.server = !marker && StartsWith(directive, "#") &&
                     directive.size() > 1 && IsAsciiLetter(directive[1]);
      if (StartsWith(inner, "[") || StartsWith(inner, "<!") || piece.server ||
          marker)
        return true;
      Push({token.whole.begin, token.inner.begin}, PieceKind::kMarkup, false);
      PushValue(token.inner, PieceKind::kComment, false);
      Push({token.inner.end, token.whole.end}, PieceKind::kMarkup, false);
      break;
    }
    case HtmlTokenKind::kTitleText:
      // An XML document has none (BasicHtmlTokenizer::xml): its titles are
      // elements like any other.
      if (foreign_ != 0) {
        SplitCdataValue(token.whole);
      } else {
        PushValue(token.whole, PieceKind::kValue, false);
      }
      break;
    case HtmlTokenKind::kRawText:
      piece.escapes = raw_escapes_;
      if (label_files_ && raw_escapes_ == Escapes::kScript &&
          LabelWrittenTags(token))
        piece = pending_[next_++];
      return true;
    case HtmlTokenKind::kServerCode: {
      // In an XML document, "<?" but for PHP's own opening begins an
      // instruction to its reader (<?xml-stylesheet href=...?>), which the
      // reader reads with its references: no server code.
      const View code = text_.substr(token.whole.begin, token.whole.size());
      piece.server = !StartsWith(code, "<?xml") &&
                     (xml_ != Xml::kYes || StartsWith(code, "<?php") ||
                      StartsWith(code, "<?=") || StartsWith(code, "<%"));
      return true;
    }
    case HtmlTokenKind::kDeclaration:
      return true;
  }
  piece = pending_[next_++];
  return true;
}

template <typename Char>
void BasicMarkupScanner<Char>::Push(TextSpan span, PieceKind kind,
                                    bool inline_tag, bool has_ampersand) {
  if (span.size() == 0) return;
  if (!pending_.empty() && kind == PieceKind::kMarkup &&
      pending_.back().kind == kind && pending_.back().span.end == span.begin &&
      pending_.back().escapes != Escapes::kQuery) {
    pending_.back().span.end = span.end;
    return;
  }
  pending_.push_back({span, kind, inline_tag, has_ampersand});
}

template <typename Char>
void BasicMarkupScanner<Char>::PushValue(TextSpan span, PieceKind kind,
                                         bool inline_tag) {
  // Server code inside a value is kept; an unclosed <? keeps the rest, and
  // an unclosed <% is text ("50<%").
  size_t at = span.begin;
  bool ampersand = false, percent_unclosed = false;
  for (size_t i = span.begin; i < span.end; ++i) {
    ampersand = ampersand || text_[i] == '&';
    if (text_[i] != '<' || i + 1 == span.end ||
        (text_[i + 1] != '%' && text_[i + 1] != '?') ||
        (text_[i + 1] == '%' && (percent_unclosed || !MayOpenAsp(text_, i))))
      continue;
    // Where its "?>" or "%>" is, within the value.
    const size_t close = tokenizer_.ServerEnd(i, span.end);
    if (close == span.end && text_[i + 1] == '%') {
      percent_unclosed = true;
      continue;
    }
    Push({at, i}, kind, inline_tag, ampersand);
    ampersand = false;
    at = close == span.end ? span.end : close + 2;
    Push({i, at}, PieceKind::kMarkup, inline_tag);
    i = at - 1;
  }
  Push({at, span.end}, kind, inline_tag, ampersand);
}

template <typename Char>
bool BasicMarkupScanner<Char>::SplitTag(const HtmlToken& token,
                                        MarkupPiece& piece) {
  auto text_of = [&](TextSpan span) {
    return text_.substr(span.begin, span.size());
  };
  const NameKey name = tokenizer_.name();
  const bool inline_tag = IsInlineTag(name);
  piece.inline_tag = inline_tag;
  const std::vector<HtmlAttribute>& attributes = tokenizer_.attributes();
  if (token.kind == HtmlTokenKind::kEndTag || attributes.empty()) return false;

  // What the other attributes say about the tag.
  const bool input = name == kInputKey;
  const bool meta = name == kMetaKey;
  bool button = false, described = false, language = false;
  for (const HtmlAttribute& a : attributes) {
    if (!input && !meta) break;
    const NameKey key = NameKey::Of(text_of(a.name));
    const NameKey value = NameKey::Of(TrimHtmlSpace(text_of(a.value)));
    if (input && key == kTypeKey) {
      button = kButtonSet.Contains(value);
    } else if (meta && (key == kNameKey || key == kPropertyKey)) {
      described = described || kDescriptionSet.Contains(value) ||
                  IsLongDescription(TrimHtmlSpace(text_of(a.value)));
      language = language || value == kLocaleKey || value == kLanguageKey ||
                 value == kDcLanguageKey;
    } else if (meta && key == kHttpEquivKey) {
      language = language || value == kContentLanguageKey;
    }
  }

  // A query to keep (ForeignQueryIn) ends a text, as a block tag does,
  // whether the page is read from its bytes, which the query keeps, or
  // decoded, which has none to keep: the two read alike. A feed's reader
  // sends what it likes.
  const bool queries = xml_ != Xml::kYes;
  bool ends_text = false;
  size_t cursor = token.whole.begin;
  for (const HtmlAttribute& a : attributes) {
    if (!a.has_value) continue;
    const NameKey key = NameKey::Of(text_of(a.name));
    PieceKind kind = PieceKind::kMarkup;
    if (kLanguageSet.Contains(key) || (language && key == kContentKey)) {
      kind = PieceKind::kLanguage;
    } else if (kReadSet.Contains(key) || (button && key == kValueKey) ||
               (described && key == kContentKey)) {
      if (!LooksLikeAddress(text_of(a.value))) kind = PieceKind::kValue;
    }
    if (kind == PieceKind::kMarkup) {
      if (!queries || !kQueryAddressSet.Contains(key) ||
          text_of(a.value).find(Char{'?'}) == npos)
        continue;
      const TextSpan query = ForeignQueryIn(text_of(a.value));
      if (query.size() == 0) continue;
      ends_text = true;
      if constexpr (std::is_same_v<Char, char8_t>) {
        Push({cursor, a.value.begin + query.begin}, PieceKind::kMarkup, false);
        pending_.push_back(
            {{a.value.begin + query.begin, a.value.begin + query.end},
             PieceKind::kMarkup});
        pending_.back().escapes = Escapes::kQuery;
        cursor = a.value.begin + query.end;
      }
      continue;
    }
    Push({cursor, a.value.begin}, PieceKind::kMarkup, inline_tag);
    if (kind == PieceKind::kValue) {
      PushValue(a.value, kind, inline_tag);
    } else {
      Push(a.value, kind, inline_tag);
    }
    cursor = a.value.end;
  }
  if (ends_text) {
    piece.inline_tag = false;
    for (MarkupPiece& p : pending_) p.inline_tag = false;
  }
  if (pending_.empty()) return false;
  Push({cursor, token.whole.end}, PieceKind::kMarkup, piece.inline_tag);
  return true;
}

template class BasicMarkupScanner<char32_t>;
template class BasicMarkupScanner<char8_t>;

}  // namespace tovenrak::core
