#include "core/markup/convert_markup.h"

#include <algorithm>

#include "core/markup/html_tokenizer.h"
#include "core/markup/markup_converter.h"
#include "core/markup/markup_scanner.h"

namespace tovenrak::core {

namespace {

// Include files and templates (.inc, .tpl) are pieces of server pages.
constexpr std::string_view kMarkupExtensions[] = {
    "htm", "html", "shtml", "xhtml", "asp", "aspx", "jsp",
    "php", "inc",  "tpl",   "xml",   "rss", "atom"};

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
  if (!EqualsIgnoringCase(extension, "txt")) return true;
  for (const std::string_view start : {"<!doctype", "<html", "<?xml"}) {
    if (EqualsIgnoringCase(text.substr(first, start.size()), start))
      return true;
  }
  return false;
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
