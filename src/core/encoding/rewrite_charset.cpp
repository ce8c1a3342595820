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

// The edits that make `found`, in order, name DeclaredName(target): places
// counted in the bytes after the byte-order mark (`in_units`), or in the
// decoded text.
std::vector<DeclarationEdit> EditsAt(
    std::string_view text, size_t start, Encoding target,
    const std::vector<CharsetDeclaration>& found, bool in_units) {
  // Code point offsets to byte offsets. Each unit of `target` is one code
  // point, or two (a letter and a combining mark in Big5); the places
  // wanted are ASCII, and come in order.
  size_t byte = start;
  size_t point = 0;
  auto to_byte = [&](size_t wanted) {
    if (in_units) return start + wanted;
    while (point < wanted) {
      point += CodePointsOfUnit(text, byte, target);
      byte += UnitLengthIn(text, byte, target);
    }
    return byte;
  };
  std::vector<DeclarationEdit> edits;
  for (const CharsetDeclaration& declaration : found) {
    const size_t name = to_byte(declaration.name);
    const size_t name_end = to_byte(declaration.name_end);
    DeclarationEdit& edit = edits.emplace_back(DeclarationEdit{
        name, name_end - name, std::string(DeclaredName(target))});
    if (!declaration.needs_http_equiv) continue;
    // A content value without an http-equiv: browsers read it once it has
    // one, after the value.
    const size_t value_end = to_byte(declaration.value_end);
    edit.length = value_end - name;
    edit.replacement += text.substr(name_end, value_end - name_end);
    // Quoted as the content value is, which XHTML needs.
    edit.replacement += " http-equiv=";
    if (declaration.quote != 0)
      edit.replacement += static_cast<char>(declaration.quote);
    edit.replacement += "Content-Type";
    if (declaration.quote != 0)
      edit.replacement += static_cast<char>(declaration.quote);
    // An unquoted value runs on to white space or '>': "/>" would end it.
    if (text[value_end] != '>' && !IsHtmlSpace(text[value_end]))
      edit.replacement += ' ';
  }
  return edits;
}

}  // namespace

std::vector<DeclarationEdit> FindCharsetEdits(std::string_view text,
                                              Encoding target) {
  // Most texts hold no declaration at all, and are not read.
  if (FindAscii(text, target, "charset", 0, /*ignore_case=*/true) ==
      std::string_view::npos)
    return {};
  // The tags are read from the bytes, as the recoder reads them: '<',
  // quotes, '=', '>' and white space are never a byte of a character but
  // the first in any encoding here, so the tags, their names and values are
  // where decoding would find them. Only a character's trail byte might be
  // read as a letter of the "charset=" looked for in a value; a place found
  // inside a character is then found again in the decoded text. Decoding a
  // page whose declaration is far in, or in none of its tags, would hold
  // four times its size.
  const size_t start = ByteOrderMarkLength(text, target);
  const std::u8string_view units(
      reinterpret_cast<const char8_t*>(text.data()) + start,
      text.size() - start);
  std::vector<CharsetDeclaration> found = FindCharsetDeclarations(units);
  if (found.empty()) return {};
  if (target != Encoding::kUtf8) {
    // Where the "charset" before each name begins, as the bytes read it.
    constexpr std::string_view kKey = "charset";
    size_t at = start;
    for (const CharsetDeclaration& declaration : found) {
      size_t key = declaration.name;
      while (key > 0 &&
             !EqualsIgnoringCase(units.substr(key, kKey.size()), kKey))
        --key;
      key += start;
      while (at < key) at += UnitLengthIn(text, at, target);
      if (at != key) {
        found = FindCharsetDeclarations(Decode(text, target).text);
        return EditsAt(text, start, target, found, /*in_units=*/false);
      }
    }
  }
  return EditsAt(text, start, target, found, /*in_units=*/true);
}

namespace {

// The name an XML declaration gives `target`. XML parsers other than
// browsers' (feed readers, libxml2, Java) read "gb2312" as GB 2312 alone,
// and refuse GBK's other characters.
std::string XmlName(Encoding target) {
  return std::string(target == Encoding::kGbk ? "gbk" : DeclaredName(target));
}

}  // namespace

std::optional<DeclarationEdit> FindMissingXmlDeclarationEdit(
    std::string_view text, Encoding target) {
  const size_t top = ByteOrderMarkLength(text, target);
  const size_t first = text.find_first_not_of(" \t\r\n", top);
  if (target == Encoding::kUtf8 || first == std::string_view::npos ||
      text[first] != '<')
    return std::nullopt;
  // A declaration is "<?xml" and white space (<?xml-stylesheet?> is an
  // instruction after it). Server code first writes the document itself, a
  // declaration or a header that nothing may come before.
  std::string opening(text.substr(first, 6));
  for (char& c : opening)
    c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  if ((opening.starts_with("<?xml") &&
       (opening.size() == 5 || IsHtmlSpace(opening[5]))) ||
      opening.starts_with("<?php") || opening.starts_with("<?=") ||
      opening.starts_with("<%") ||
      (opening.starts_with("<?") &&
       (opening.size() == 2 || IsHtmlSpace(opening[2]))))
    return std::nullopt;
  // Its line ends as the document's lines do.
  const size_t line_end = text.find('\n', top);
  const bool crlf = line_end != std::string_view::npos && line_end > 0 &&
                    text[line_end - 1] == '\r';
  return DeclarationEdit{top, 0,
                         "<?xml version=\"1.0\" encoding=\"" + XmlName(target) +
                             "\"?>" + (crlf ? "\r\n" : "\n")};
}

std::optional<DeclarationEdit> FindXmlEncodingEdit(std::string_view text,
                                                   Encoding target) {
  const std::string name = XmlName(target);
  if (const std::optional<XmlAttribute> xml = FindXmlEncoding(text))
    return DeclarationEdit{xml->value, xml->length, name};
  // A declaration without one declares UTF-8: one goes after its version.
  // One whose encoding could not be read is left as it is.
  const std::optional<XmlAttribute> version = FindXmlAttribute(text, "version");
  if (target == Encoding::kUtf8 || !version ||
      text.substr(0, text.find('>')).find("encoding") != std::string_view::npos)
    return std::nullopt;
  const char quote = version->quote;
  const size_t place = version->value + version->length + 1;
  return DeclarationEdit{place, 0,
                         " encoding=" + std::string(1, quote) + name + quote};
}

std::optional<DeclarationEdit> FindStyleSheetCharsetEdit(std::string_view text,
                                                         Encoding target) {
  constexpr std::string_view kRule = "@charset \"";
  const size_t begin = ByteOrderMarkLength(text, target) + kRule.size();
  if (text.compare(begin - kRule.size(), kRule.size(), kRule) != 0)
    return std::nullopt;
  size_t end = begin;
  while (end < text.size() && text[end] != '"' && IsLabelChar(text[end])) ++end;
  if (end == begin || text.compare(end, 2, "\";") != 0) return std::nullopt;
  return DeclarationEdit{begin, end - begin, std::string(DeclaredName(target))};
}

void RewriteDeclarations(std::string& text, Encoding target,
                         std::string_view loaded_files_charset) {
  ApplyAll(FindServerDeclarationEdits(text, target, loaded_files_charset),
           text);
  ApplyAll(FindCharsetEdits(text, target), text);
  if (auto edit = FindXmlEncodingEdit(text, target)) Apply(*edit, text);
}

std::string RewriteCharset(std::string_view text, Encoding target) {
  std::string out(text);
  RewriteDeclarations(out, target);
  return out;
}

}  // namespace tovenrak::core
