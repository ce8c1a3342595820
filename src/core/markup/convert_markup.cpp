#include "core/markup/convert_markup.h"

#include <algorithm>
#include <cctype>

#include "core/markup/html_tokenizer.h"
#include "core/markup/markup_converter.h"
#include "core/markup/markup_scanner.h"

namespace tovenrak::core {

namespace {

// Include files and templates (.inc, .tpl) are pieces of server pages.
constexpr std::string_view kMarkupExtensions[] = {
    "htm", "html", "shtml", "xhtml", "asp", "aspx", "jsp",
    "php", "inc",  "tpl",   "xml",   "rss", "atom"};

// The tags a page or a piece of one (an include file) may begin with.
constexpr std::string_view kPageTags[] = {
    "a",      "b",   "base",     "blockquote", "body",     "br",       "center",
    "div",    "dl",  "font",     "form",       "frameset", "h1",       "h2",
    "h3",     "h4",  "h5",       "h6",         "head",     "hr",       "i",
    "iframe", "img", "input",    "link",       "meta",     "noscript", "ol",
    "p",      "pre", "script",   "section",    "span",     "style",    "svg",
    "table",  "td",  "template", "title",      "tr",       "ul",       "header",
    "footer", "nav", "main",     "article",    "select",   "textarea"};

}  // namespace

bool LooksLikeMarkup(std::string_view file_name, std::u32string_view text) {
  const size_t slash = file_name.find_last_of("/\\");
  if (slash != std::string_view::npos) file_name.remove_prefix(slash + 1);
  std::u32string extension;
  if (const size_t dot = file_name.rfind('.'); dot != std::string_view::npos)
    extension.assign(file_name.begin() + dot + 1, file_name.end());
  for (const std::string_view known : kMarkupExtensions)
    if (EqualsIgnoringCase(extension, known)) return true;
  const size_t first =
      std::find_if(text.begin(), text.end(),
                   [](char32_t c) { return !IsHtmlSpace(c) && c != 0xFEFF; }) -
      text.begin();
  if (first == text.size() || text[first] != '<') return false;
  const std::u32string_view start = text.substr(first);
  for (const std::string_view whole : {"<!doctype", "<html", "<?xml"}) {
    if (EqualsIgnoringCase(start.substr(0, whole.size()), whole)) return true;
  }
  // A chat log begins with '<' too ("<alice> hi"): a file named as no page
  // is one when it begins with a comment, server code or a tag of HTML, and
  // a .txt only when it begins as a whole page does.
  if (EqualsIgnoringCase(extension, "txt")) return false;
  for (const std::string_view code : {"<!--", "<?", "<%"}) {
    if (EqualsIgnoringCase(start.substr(0, code.size()), code)) return true;
  }
  size_t end = 1;
  while (end < start.size() && end < 16 && start[end] < 0x80 &&
         std::isalnum(static_cast<int>(start[end])))
    ++end;
  if (end < start.size() && !IsHtmlSpace(start[end]) && start[end] != '>' &&
      start[end] != '/')
    return false;
  const std::u32string_view name = start.substr(1, end - 1);
  return std::any_of(
      std::begin(kPageTags), std::end(kPageTags),
      [&](std::string_view tag) { return EqualsIgnoringCase(name, tag); });
}

Status ConvertMarkup(const Converter& converter, std::u32string_view text,
                     ScriptConversion how, std::u32string& out,
                     std::vector<AmbiguityPoint>* points, Encoding read_from) {
  const size_t start = out.size();
  out.reserve(start + text.size() + text.size() / 16);
  how.in_markup = true;
  MarkupScanner scanner(text, read_from);
  MarkupConverter markup(
      converter, how, points,
      text.find(TextBatch::kSeparator) == std::u32string_view::npos);
  markup.Text(text, nullptr);
  auto sink = [&](std::u32string_view done) { out.append(done); };
  MarkupPiece piece;
  while (scanner.Next(piece)) {
    if (Status done = markup.Add(piece); !done) return done;
    if (markup.ready() && scanner.between_tokens()) {
      if (Status done = markup.Emit(markup.Needed(scanner.position()), sink);
          !done)
        return done;
    }
  }
  if (scanner.problem()) {
    out.resize(start);
    return *scanner.problem();
  }
  if (Status done = markup.Finish(); !done) return done;
  return markup.Emit(text.size(), sink);
}

}  // namespace tovenrak::core
