#include "core/markup/markup_scanner.h"

#include <initializer_list>

namespace tovenrak::core {

namespace {

constexpr size_t npos = std::u32string_view::npos;

constexpr std::string_view kInlineTags[] = {
    "a",    "abbr",   "acronym", "b",    "big", "cite", "code",
    "em",   "font",   "i",       "mark", "q",   "s",    "small",
    "span", "strike", "strong",  "sub",  "sup", "tt",   "u"};
constexpr std::string_view kReadAttributes[] = {
    "title", "alt",     "placeholder", "aria-label", "aria-description",
    "label", "summary", "abbr"};
constexpr std::string_view kFileExtensions[] = {
    "htm", "html", "shtml", "xhtml", "php", "asp", "aspx", "jsp", "cgi",
    "css", "js",   "jpg",   "jpeg",  "gif", "png", "bmp",  "svg", "webp",
    "ico", "swf",  "pdf",   "doc",   "txt", "zip", "rar",  "mp3", "xml"};

template <size_t N>
bool IsAnyOf(std::u32string_view word, const std::string_view (&list)[N]) {
  for (const std::string_view entry : list)
    if (EqualsIgnoringCase(word, entry)) return true;
  return false;
}

bool IsSpace(char32_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsAsciiLetter(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::u32string_view Trim(std::u32string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool StartsWith(std::u32string_view text, std::string_view lower) {
  return text.size() >= lower.size() &&
         EqualsIgnoringCase(text.substr(0, lower.size()), lower);
}

// An address that stands on its own: a scheme and "//", "www." or "mailto:",
// and no white space.
bool LooksLikeAbsoluteAddress(std::u32string_view text) {
  text = Trim(text);
  if (text.empty()) return false;
  for (const char32_t c : text)
    if (IsSpace(c)) return false;
  if (StartsWith(text, "www.") || StartsWith(text, "mailto:")) return true;
  size_t i = 0;
  while (i < text.size() &&
         (IsAsciiLetter(text[i]) ||
          (i > 0 && ((text[i] >= '0' && text[i] <= '9') || text[i] == '+' ||
                     text[i] == '-' || text[i] == '.'))))
    ++i;
  return i > 0 && text.substr(i).starts_with(U"://");
}

// An absolute address, a path, or a file name with a known extension.
bool LooksLikeAddress(std::u32string_view text) {
  text = Trim(text);
  if (LooksLikeAbsoluteAddress(text)) return true;
  for (const char32_t c : text)
    if (IsSpace(c)) return false;
  if (StartsWith(text, "/") || StartsWith(text, "./") ||
      StartsWith(text, "../") || StartsWith(text, "javascript:"))
    return true;
  const std::u32string_view path = text.substr(0, text.find_first_of(U"?#"));
  const size_t dot = path.rfind(U'.');
  return dot != npos && dot > 0 &&
         IsAnyOf(path.substr(dot + 1), kFileExtensions);
}

}  // namespace

MarkupScanner::MarkupScanner(std::u32string_view text)
    : text_(text), tokenizer_(text) {}

bool MarkupScanner::Next(MarkupPiece& piece) {
  while (next_ == pending_.size()) {
    pending_.clear();
    next_ = 0;
    HtmlToken token;
    if (!tokenizer_.Next(token)) return false;
    const std::u32string_view inner =
        text_.substr(token.inner.begin, token.inner.size());
    switch (token.kind) {
      case HtmlTokenKind::kText:
        Push(token.whole,
             LooksLikeAbsoluteAddress(inner) ? PieceKind::kMarkup
                                             : PieceKind::kText,
             false);
        break;
      case HtmlTokenKind::kStartTag:
      case HtmlTokenKind::kEndTag:
        SplitTag(token);
        break;
      case HtmlTokenKind::kComment:
        // Conditional comments hold markup for old browsers, and "#" starts
        // a server side include: both are instructions, not prose.
        if (StartsWith(inner, "[") || StartsWith(inner, "#") ||
            StartsWith(inner, "<!")) {
          Push(token.whole, PieceKind::kMarkup, false);
          break;
        }
        Push({token.whole.begin, token.inner.begin}, PieceKind::kMarkup, false);
        PushValue(token.inner, PieceKind::kComment, false);
        Push({token.inner.end, token.whole.end}, PieceKind::kMarkup, false);
        break;
      case HtmlTokenKind::kTitleText:
        PushValue(token.whole, PieceKind::kValue, false);
        break;
      case HtmlTokenKind::kRawText:
      case HtmlTokenKind::kServerCode:
      case HtmlTokenKind::kDeclaration:
        Push(token.whole, PieceKind::kMarkup, false);
        break;
    }
  }
  piece = pending_[next_++];
  return true;
}

void MarkupScanner::Push(TextSpan span, PieceKind kind, bool inline_tag) {
  if (span.size() == 0) return;
  if (!pending_.empty() && kind == PieceKind::kMarkup &&
      pending_.back().kind == kind && pending_.back().span.end == span.begin) {
    pending_.back().span.end = span.end;
    return;
  }
  pending_.push_back({span, kind, inline_tag});
}

void MarkupScanner::PushValue(TextSpan span, PieceKind kind, bool inline_tag) {
  // Server code inside a value is kept; an unclosed one keeps the rest.
  size_t at = span.begin;
  for (size_t i = span.begin; i + 1 < span.end; ++i) {
    if (text_[i] != '<' || (text_[i + 1] != '%' && text_[i + 1] != '?'))
      continue;
    Push({at, i}, kind, inline_tag);
    const std::u32string_view rest = text_.substr(i + 2, span.end - i - 2);
    size_t close = rest.find(text_[i + 1]);
    while (close != npos &&
           (close + 1 >= rest.size() || rest[close + 1] != '>'))
      close = rest.find(text_[i + 1], close + 1);
    at = close == npos ? span.end : i + 2 + close + 2;
    Push({i, at}, PieceKind::kMarkup, inline_tag);
    i = at - 1;
  }
  Push({at, span.end}, kind, inline_tag);
}

void MarkupScanner::SplitTag(const HtmlToken& token) {
  const std::u32string_view name =
      text_.substr(token.inner.begin, token.inner.size());
  const bool inline_tag = IsAnyOf(name, kInlineTags);
  const std::vector<HtmlAttribute>& attributes = tokenizer_.attributes();
  if (token.kind == HtmlTokenKind::kEndTag || attributes.empty()) {
    Push(token.whole, PieceKind::kMarkup, inline_tag);
    return;
  }
  auto text_of = [&](TextSpan span) {
    return text_.substr(span.begin, span.size());
  };

  // What the other attributes say about the tag.
  const bool input = EqualsIgnoringCase(name, "input");
  const bool meta = EqualsIgnoringCase(name, "meta");
  bool button = false, described = false, language = false;
  for (const HtmlAttribute& a : attributes) {
    const std::u32string_view key = text_of(a.name);
    const std::u32string_view value = Trim(text_of(a.value));
    if (input && EqualsIgnoringCase(key, "type")) {
      for (const char* type : {"button", "submit", "reset"})
        button = button || EqualsIgnoringCase(value, type);
    } else if (meta && EqualsIgnoringCase(key, "name")) {
      for (const char* kind : {"description", "keywords", "author"})
        described = described || EqualsIgnoringCase(value, kind);
    } else if (meta && EqualsIgnoringCase(key, "http-equiv")) {
      language = EqualsIgnoringCase(value, "content-language");
    }
  }

  size_t cursor = token.whole.begin;
  for (const HtmlAttribute& a : attributes) {
    if (!a.has_value) continue;
    const std::u32string_view key = text_of(a.name);
    PieceKind kind = PieceKind::kMarkup;
    if (EqualsIgnoringCase(key, "lang") ||
        EqualsIgnoringCase(key, "xml:lang") ||
        (language && EqualsIgnoringCase(key, "content"))) {
      kind = PieceKind::kLanguage;
    } else if (IsAnyOf(key, kReadAttributes) ||
               (button && EqualsIgnoringCase(key, "value")) ||
               (described && EqualsIgnoringCase(key, "content"))) {
      if (!LooksLikeAddress(text_of(a.value))) kind = PieceKind::kValue;
    }
    if (kind == PieceKind::kMarkup) continue;
    Push({cursor, a.value.begin}, PieceKind::kMarkup, inline_tag);
    if (kind == PieceKind::kValue) {
      PushValue(a.value, kind, inline_tag);
    } else {
      Push(a.value, kind, inline_tag);
    }
    cursor = a.value.end;
  }
  Push({cursor, token.whole.end}, PieceKind::kMarkup, inline_tag);
}

}  // namespace tovenrak::core
