#include "core/encoding/server_declarations.h"

#include <algorithm>
#include <bit>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/encoding/codec.h"
#include "core/encoding/document_text.h"
#include "core/markup/html_tokenizer.h"
#include "core/markup/server_code.h"

namespace tovenrak::core {

namespace {

constexpr size_t npos = std::string_view::npos;

// What Java, ASP and browsers all call each encoding, and its Windows code
// page, in the order of Encoding.
struct ServerNames {
  std::string_view name, code_page;
};
constexpr ServerNames kServerNames[] = {
    {"Big5", "950"}, {"GBK", "936"}, {"GB18030", "54936"}, {"UTF-8", "65001"}};

const ServerNames& ServerNamesOf(Encoding encoding) {
  return kServerNames[static_cast<size_t>(encoding)];
}

bool IsOurCodePage(std::string_view number) {
  for (const std::string_view ours : {"936", "20936", "950", "54936", "65001"})
    if (number == ours) return true;
  return false;
}

bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return IsHtmlSpace(static_cast<unsigned char>(c)); }

// Reads the declarations of one piece of server code, text_[begin, end).
// Every byte the reading looks at is ASCII at the start of a unit: it
// looks for ASCII names from such a start, then goes on through ASCII
// bytes only, and the only bytes it looks back at (white space, ';', '.')
// are never the second byte of a character.
class ServerCode {
 public:
  ServerCode(std::string_view text, size_t begin, size_t end, Encoding target,
             std::string_view loaded_files_charset,
             std::vector<DeclarationEdit>& edits)
      : text_(text.substr(0, end)),
        begin_(begin),
        target_(target),
        loaded_files_charset_(loaded_files_charset),
        edits_(edits) {}

  void Read() {
    // "; charset=" in the content type of the page; any other "charset"
    // is no declaration of it ($charset, $db->charset, a database's
    // "host=h;charset=gbk", a request's header).
    Each("charset", [&](size_t at) {
      size_t before = at;
      while (before > begin_ && IsSpace(text_[before - 1])) --before;
      if (before > begin_ && text_[before - 1] == ';' && SetsContentType(at))
        Name(at + 7);
    });
    // ASP writes Response.Charset = "x", Response.Charset("x") and
    // Response.Charset "x".
    Each("response.charset", [&](size_t at) { Name(at + 16, /*call=*/true); });
    // Java's servlet response (not the request's).
    constexpr std::string_view kSetEncoding = "response.setcharacterencoding";
    Each(kSetEncoding,
         [&](size_t at) { Name(at + kSetEncoding.size(), /*call=*/true); });
    Each("pageencoding", [&](size_t at) {
      if (at > begin_ && IsSpace(text_[at - 1])) Name(at + 12);
    });
    Each("responseencoding", [&](size_t at) {  // ASP.NET's <%@ Page %>.
      if (at > begin_ && IsSpace(text_[at - 1])) Name(at + 16);
    });
    // PHP's ini_set('default_charset', 'NAME'): the charset of the header
    // it sends.
    Each("default_charset", [&](size_t at) {
      size_t value = at + 15;
      if (value == text_.size() ||
          (text_[value] != '\'' && text_[value] != '"'))
        return;
      for (++value; value < text_.size() && IsSpace(text_[value]);) ++value;
      if (value < text_.size() && text_[value] == ',')
        Name(value + 1, /*call=*/true);
    });
    // An XML declaration the code writes out, as the start of the page, and
    // a <meta> declaring the encoding: its charset, or its content's.
    Each("<?xml", [&](size_t at) { XmlDeclaration(at + 5); });
    Each("<meta", [&](size_t at) {
      if (at + 5 < text_.size() && IsSpace(text_[at + 5]))
        WrittenAttribute(at + 5, "charset", /*bare=*/true);
    });
    if (!loaded_files_charset_.empty()) {
      Each("<script", [&](size_t at) { LoadingTag(at + 7, /*script=*/true); });
      Each("<link", [&](size_t at) { LoadingTag(at + 5, /*script=*/false); });
    }
    Each("codepage", [&](size_t at) {
      const bool directive =
          at >= begin_ + 3 && text_.substr(at - 3, 3) == "<%@";
      if (directive ||
          (at > begin_ && (IsSpace(text_[at - 1]) || text_[at - 1] == '.')))
        Number(at + 8);
    });
  }

  // The encoding an XML declaration the code writes names, from `at` (past
  // "<?xml").
  void XmlDeclaration(size_t at) {
    WrittenAttribute(at, "encoding", /*bare=*/false);
  }

 private:
  // Names the loaded files' charset in a <script> or <link> the code writes
  // (`at` past its name), if it loads a script from a file (src), not a
  // module, or a style sheet (href, stylesheet), and names none.
  void LoadingTag(size_t at, bool script) {
    if (at == text_.size() || !IsSpace(text_[at])) return;
    const std::string_view ahead = text_.substr(at, kLongestTag);
    const size_t close = ahead.find('>');
    if (close == npos) return;
    const std::string_view tag = ahead.substr(0, close);
    auto has = [&](std::string_view word) {
      return FindAscii(tag, target_, word, 0, /*ignore_case=*/true) != npos;
    };
    if (has("charset") || !has(script ? "src" : "href") ||
        (script ? has("module") : !has("stylesheet")))
      return;
    // A pattern that code reads pages with loads nothing:
    // preg_match('/<script src="([^"]+)"/', $page).
    for (const std::string_view pattern : kPatternMarks)
      if (has(pattern)) return;
    edits_.push_back({at, 0, " charset=" + std::string(loaded_files_charset_)});
  }

  // Renames the label of the first attribute `name` of a tag or declaration
  // the code writes, from `at` (past its name) to its '>': after white space
  // or ';' (a content type's "; charset="), '=' and the value, quoted as the
  // code's string needs it ('encoding="gbk"', "encoding=\"gbk\"", VBScript's
  // "encoding=""gbk"""), or bare where `bare` allows.
  void WrittenAttribute(size_t at, std::string_view name, bool bare) {
    const std::string_view ahead = text_.substr(at, kLongestTag);
    const size_t close = ahead.find('>');
    const std::string_view tag =
        text_.substr(0, at + (close == npos ? ahead.size() : close));
    for (;
         (at = FindAscii(tag, target_, name, at, /*ignore_case=*/true)) != npos;
         at += name.size()) {
      if (!IsSpace(tag[at - 1]) && tag[at - 1] != ';') continue;
      size_t value = at + name.size();
      while (value < tag.size() && IsSpace(tag[value])) ++value;
      if (value == tag.size() || tag[value] != '=') continue;
      ++value;
      while (value < tag.size() && IsSpace(tag[value])) ++value;
      size_t quotes = 0;
      for (; quotes < 2 && value < tag.size() &&
             (tag[value] == '"' || tag[value] == '\'' || tag[value] == '\\');
           ++quotes)
        ++value;
      // Browsers take the label without the white space around it.
      while (value < tag.size() && IsSpace(tag[value])) ++value;
      if (quotes != 0 || bare) Label(value);
      return;
    }
  }

  template <typename Found>
  void Each(std::string_view name, const Found& found) {
    for (size_t at = begin_; (at = FindAscii(text_, target_, name, at,
                                             /*ignore_case=*/true)) != npos;
         at += name.size())
      found(at);
  }

  // Whether the content type that holds "charset" at `at` is the page's:
  // a little after PHP's header(, the response's AddHeader or setHeader,
  // or a name of the page's content type (JSP's contentType=, ASP's
  // Response.ContentType, Java's setContentType), on the same line, with no
  // ')' between that would end the call.
  bool SetsContentType(size_t at) {
    if (!anchored_) FindAnchors();
    const auto after = std::upper_bound(anchors_.begin(), anchors_.end(), at);
    if (after == anchors_.begin()) return false;
    const size_t anchor = *std::prev(after);
    if (at - anchor > kMostAfterAnchor) return false;
    const std::string_view between = text_.substr(anchor, at - anchor);
    return between.find_first_of(")\n") == std::string_view::npos;
  }

  // Where the names that set the page's content type are, in order.
  void FindAnchors() {
    anchored_ = true;
    for (const std::string_view name :
         {"header", "contenttype", "response.addheader",
          "response.setheader"}) {
      Each(name, [&](size_t found) {
        if (name == "header") {
          if (found > begin_ && IsLabelChar(text_[found - 1]) &&
              text_[found - 1] != '-')
            return;  // setRequestHeader(, my_header(
          size_t after = found + name.size();
          while (after < text_.size() && IsSpace(text_[after])) ++after;
          if (after == text_.size() || text_[after] != '(') return;
        }
        anchors_.push_back(found);
      });
    }
    std::sort(anchors_.begin(), anchors_.end());
  }

  // Where the value after a name at `at` starts: past white space, '='
  // (with `call`, or '(' or nothing), white space and a quote; npos
  // without one of those before it.
  size_t ValueAfter(size_t at, bool call = false) const {
    while (at < text_.size() && IsSpace(text_[at])) ++at;
    if (at < text_.size() && (text_[at] == '=' || (call && text_[at] == '(')))
      ++at;
    else if (!call)
      return npos;
    while (at < text_.size() && IsSpace(text_[at])) ++at;
    if (at < text_.size() && (text_[at] == '"' || text_[at] == '\'')) {
      ++at;
    } else if (call) {
      return npos;  // Response.Charset x: not a name given.
    }
    return at;
  }

  void Name(size_t after_name, bool call = false) {
    const size_t at = ValueAfter(after_name, call);
    if (at != npos) Label(at);
  }

  // The label at `at`, if it names one of our encodings.
  void Label(size_t at) {
    size_t end = at;
    bool lower = true;
    while (end < text_.size() && IsLabelChar(text_[end])) {
      lower = lower && !(text_[end] >= 'A' && text_[end] <= 'Z');
      ++end;
    }
    const std::string_view label = text_.substr(at, end - at);
    if (label.empty() || !EncodingFromLabel(label)) return;
    std::string name(ServerNamesOf(target_).name);
    if (lower) {
      for (char& c : name)
        c = static_cast<char>(c | (IsLower(c | 0x20) ? 0x20 : 0));
    }
    edits_.push_back({at, end - at, std::move(name)});
  }

  void Number(size_t after_name) {
    const size_t at = ValueAfter(after_name);
    if (at == npos) return;
    size_t end = at;
    while (end < text_.size() && IsDigit(text_[end])) ++end;
    // 9360 or 936a is another number; VBScript's ':' ends a statement.
    if (end < text_.size() && IsLabelChar(text_[end]) && text_[end] != ':')
      return;
    if (!IsOurCodePage(text_.substr(at, end - at))) return;
    edits_.push_back(
        {at, end - at, std::string(ServerNamesOf(target_).code_page)});
  }

  // A tag is short: one that does not end soon is not read far, which
  // would take time for each of many.
  static constexpr size_t kLongestTag = 256;
  // How far past its anchor a content type's charset may be.
  static constexpr size_t kMostAfterAnchor = 256;

  std::string_view text_;
  size_t begin_;
  Encoding target_;
  std::string_view loaded_files_charset_;
  std::vector<DeclarationEdit>& edits_;
  std::vector<size_t> anchors_;
  bool anchored_ = false;
};

// The first "<%" or "<?" at or after `from`, npos if none. '<', '%' and
// '?' are never a byte of a character but the first. Pages hold many '<'
// and few of these, so both bytes are matched sixteen at a time.
size_t FindServerOpening(std::string_view text, size_t from) {
  const size_t n = text.size();
  size_t at = from;
#if defined(__SSE2__)
  const __m128i lt = _mm_set1_epi8('<'), percent = _mm_set1_epi8('%'),
                question = _mm_set1_epi8('?');
  for (; at + 17 <= n; at += 16) {
    const __m128i here =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
    const __m128i next =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at + 1));
    const __m128i opens = _mm_and_si128(
        _mm_cmpeq_epi8(here, lt), _mm_or_si128(_mm_cmpeq_epi8(next, percent),
                                               _mm_cmpeq_epi8(next, question)));
    if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(opens)))
      return at + static_cast<size_t>(std::countr_zero(mask));
  }
#endif
  for (; at + 1 < n; ++at) {
    if (text[at] == '<' && (text[at + 1] == '%' || text[at + 1] == '?'))
      return at;
  }
  return npos;
}

}  // namespace

std::vector<DeclarationEdit> FindServerDeclarationEdits(
    std::string_view text, Encoding target,
    std::string_view loaded_files_charset) {
  std::vector<DeclarationEdit> edits;
  // Whether only server code and white space came before: what the page
  // sends then begins at the next piece.
  bool only_code = true;
  size_t blocks = 0;
  PhpReading php;
  for (size_t at = 0, last_end = ByteOrderMarkLength(text, target);
       (at = FindServerOpening(text, at)) != npos; ++blocks) {
    while (only_code && last_end < at) only_code = IsSpace(text[last_end++]);
    // Instructions to the browser (<?xml ...?>, <?xml:namespace ... />) are
    // no server code, but what the page sends.
    const bool instruction = OpensInstruction(text, at);
    const size_t end = ServerCodeEnd(
        text, at, [](char) { return false; }, php);  // PHP's bytes.
    ServerCode code(text, at, end, target, loaded_files_charset, edits);
    if (!instruction) {
      code.Read();
    } else {
      // The XML declaration at the very top is the page's own
      // (RewriteDeclarations reads it); one after server code that sends
      // nothing is, too.
      if (only_code && blocks != 0 && at + 5 < text.size() &&
          IsSpace(text[at + 5]))
        code.XmlDeclaration(at + 5);
      only_code = false;
    }
    at = last_end = std::min(end + 2, text.size());
  }
  // Each name above was looked for on its own; the edits go in text order,
  // and apart, as they are applied in one pass.
  std::sort(edits.begin(), edits.end(),
            [](const DeclarationEdit& a, const DeclarationEdit& b) {
              return a.pos < b.pos;
            });
  edits.erase(
      std::unique(edits.begin(), edits.end(),
                  [](const DeclarationEdit& a, const DeclarationEdit& b) {
                    return b.pos < a.pos + a.length;
                  }),
      edits.end());
  return edits;
}

}  // namespace tovenrak::core
