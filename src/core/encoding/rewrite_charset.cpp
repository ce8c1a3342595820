#include "core/encoding/rewrite_charset.h"

#include <algorithm>
#include <cstring>

#include "core/encoding/codec.h"
#include "core/encoding/declarations.h"
#include "core/encoding/document_text.h"
#include "core/encoding/server_declarations.h"
#include "core/markup/html_tokenizer.h"
#include "core/markup/meta_tags.h"

namespace tovenrak::core {

namespace {

void Apply(const DeclarationEdit& edit, std::string& text) {
  text.replace(edit.pos, edit.length, edit.replacement);
}

// Applies `edits` (in text order, apart) in place and in one pass: one at a
// time, a page of many would move its tail once for each, and a copy would
// take its size again. The text kept between the edits moves left or right
// by what the edits before it added; the pieces moving left move first, from
// the start, then those moving right, from the end, so that none is written
// over before it has moved. The replacements go in last.
void ApplyAll(const std::vector<DeclarationEdit>& edits, std::string& text) {
  if (edits.empty()) return;  // Most pages.
  struct Kept {
    size_t from, to, length;
  };
  std::vector<Kept> kept;
  kept.reserve(edits.size() + 1);
  size_t from = 0, to = 0;
  for (const DeclarationEdit& edit : edits) {
    kept.push_back({from, to, edit.pos - from});
    to += edit.pos - from + edit.replacement.size();
    from = edit.pos + edit.length;
  }
  kept.push_back({from, to, text.size() - from});
  const size_t size = to + text.size() - from;
  if (size > text.size()) text.resize(size);
  auto move = [&text](const Kept& piece) {
    if (piece.length != 0 && piece.from != piece.to)
      std::memmove(text.data() + piece.to, text.data() + piece.from,
                   piece.length);
  };
  for (const Kept& piece : kept)
    if (piece.to <= piece.from) move(piece);
  for (auto piece = kept.rbegin(); piece != kept.rend(); ++piece)
    if (piece->to > piece->from) move(*piece);
  for (size_t i = 0; i < edits.size(); ++i) {
    const std::string& replacement = edits[i].replacement;
    std::copy(
        replacement.begin(), replacement.end(),
        text.begin() + static_cast<ptrdiff_t>(kept[i].to + kept[i].length));
  }
  text.resize(size);
}

}  // namespace

std::optional<DeclarationEdit> FindCharsetEdit(std::string_view text,
                                               Encoding target) {
  // Most texts hold no declaration at all, and are not decoded.
  const size_t first =
      FindAscii(text, target, "charset", 0, /*ignore_case=*/true);
  if (first == std::string_view::npos) return std::nullopt;
  // A page declares its encoding near its start: the text up to a little
  // past the first "charset=" is read first. A declaring tag that ends
  // before the end of that part is the one a reading of the whole finds,
  // since markup is read from left to right; otherwise a part eight times
  // as long is read, and so on up to the whole. Most pages are a few KiB,
  // and their tag is found without decoding the rest of them.
  DecodedText decoded;
  const size_t start = ByteOrderMarkLength(text, target);
  decoded.byte_order_mark = start != 0;
  std::optional<CharsetDeclaration> found;
  for (size_t margin = 1024, read = start;; margin *= 8) {
    const size_t end =
        margin < text.size() - first ? first + margin : text.size();
    read = DecodeSome(text, read, end - std::min(end, read), target, decoded);
    found = FindCharsetDeclaration(decoded.text);
    if (read >= text.size() ||
        (found && found->close + 1 < decoded.text.size()))
      break;
  }
  if (!found) return std::nullopt;

  // Code point offsets to byte offsets, after the byte-order mark that
  // Decode leaves out. Each unit of `target` is one code point, or two (a
  // letter and a combining mark in Big5); the places wanted are ASCII.
  size_t byte = decoded.byte_order_mark ? ByteOrderMark(target).size() : 0;
  size_t point = 0;
  auto to_byte = [&](size_t wanted) {
    while (point < wanted) {
      point += CodePointsOfUnit(text, byte, target);
      byte += UnitLengthIn(text, byte, target);
    }
    return byte;
  };
  const size_t name = to_byte(found->name);
  const size_t name_end = to_byte(found->name_end);
  DeclarationEdit edit{name, name_end - name,
                       std::string(DeclaredName(target))};
  if (!found->needs_http_equiv) return edit;
  // A content value without an http-equiv: browsers read it once it has
  // one, after the value.
  const size_t value_end = to_byte(found->value_end);
  edit.length = value_end - name;
  edit.replacement += text.substr(name_end, value_end - name_end);
  // Quoted as the content value is, which XHTML needs.
  edit.replacement += " http-equiv=";
  if (found->quote != 0) edit.replacement += static_cast<char>(found->quote);
  edit.replacement += "Content-Type";
  if (found->quote != 0) edit.replacement += static_cast<char>(found->quote);
  // An unquoted value runs on to white space or '>': "/>" would end it.
  if (text[value_end] != '>' && !IsHtmlSpace(text[value_end]))
    edit.replacement += ' ';
  return edit;
}

std::optional<DeclarationEdit> FindXmlEncodingEdit(std::string_view text,
                                                   Encoding target) {
  const std::optional<XmlEncoding> xml = FindXmlEncoding(text);
  if (!xml) return std::nullopt;
  // XML parsers other than browsers' (feed readers, libxml2, Java) read
  // "gb2312" as GB 2312 alone, and refuse GBK's other characters.
  return DeclarationEdit{
      xml->name, xml->name_length,
      std::string(target == Encoding::kGbk ? "gbk" : DeclaredName(target))};
}

void RewriteDeclarations(std::string& text, Encoding target,
                         std::string_view loaded_files_charset) {
  ApplyAll(FindServerDeclarationEdits(text, target, loaded_files_charset),
           text);
  if (auto edit = FindCharsetEdit(text, target)) Apply(*edit, text);
  if (auto edit = FindXmlEncodingEdit(text, target)) Apply(*edit, text);
}

std::string RewriteCharset(std::string_view text, Encoding target) {
  std::string out(text);
  RewriteDeclarations(out, target);
  return out;
}

}  // namespace tovenrak::core
