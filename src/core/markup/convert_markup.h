// Converting an HTML or XML document between scripts as people read it,
// keeping links, scripts and styles exactly as they are.

#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/converter.h"
#include "core/encoding/codec.h"
#include "core/markup/markup_scanner.h"
#include "core/result.h"

namespace tovenrak::core {

// True when a document is best converted as markup: its file name ends in
// .htm, .html, .shtml, .xhtml, .asp, .aspx, .jsp, .php, .inc, .tpl, .xml,
// .rss or .atom (any letter case), or `text`, after white space and a
// byte-order mark, begins as a page does: with "<!doctype", "<html" or
// "<?xml", or, but for a file named .txt, with "<!--", "<?", "<%" or a tag
// of HTML ("<p>", "<div class=...", "<table"). A chat log's "<alice> ..." is
// text.
bool LooksLikeMarkup(std::string_view file_name, std::u32string_view text);

// Appends `text` converted as `how` says to `out`, reading it as markup
// (MarkupScanner says which pieces are converted and which are kept):
//
// - Kept pieces come out as the same code points.
// - A text split only by inline tags is converted as one text, so that
//   "头<b>发</b>" becomes "頭<b>髮</b>", each tag kept at its character
//   position. When that conversion changes the number of characters (only
//   OpenCC's twp phrases do), each piece between the tags is converted on its
//   own instead. A run whose phrases both grow and shrink by the same count
//   keeps its length, and a tag in it may then move by that many characters;
//   the text read is the conversion all the same.
// - A numeric character reference in text or a read value (&#22836;,
//   &#x5934;) is converted as the character it stands for; a changed
//   character is written as a reference of the same form (decimal or hex,
//   the case of "x" and of the hex digits, at least as many digits), an
//   unchanged one stays as it was written.
// - A language tag follows the script (FollowScript).
//
// With `points`, the ambiguity points of each text converted and written
// (Converter::FindAmbiguities; comments have none) are appended to it, each
// index counted in `text`, not necessarily in order. A character written as
// a reference counts as the characters it is written with, its point being
// at its '&'.
//
// Fails with kInvalidInput, `out` as it was, when the text cannot be read as
// markup: a comment, script, style, tag, declaration or <% %> runs to the
// end of the text (the reason names which and its line); the caller may then
// convert the text as a whole. Fails with the converter's failures, when
// `out` may hold part of the result.
//
// `read_from` is the encoding `text` was decoded from: PHP code ends where
// PHP, reading those bytes, ends it (server_code.h).
Status ConvertMarkup(const Converter& converter, std::u32string_view text,
                     ScriptConversion how, std::u32string& out,
                     std::vector<AmbiguityPoint>* points = nullptr,
                     Encoding read_from = Encoding::kUtf8);

// Appends the bytes `bytes` in `source`, read as markup and converted as
// ConvertMarkup converts them, to `out` in `target`, and adds to `counts`:
// what Decode, ConvertMarkup and Encode give (a UTF-8 page keeps its
// byte-order mark, no other target gets one), except that inside a
// JavaScript or JSON script and a CSS style sheet a character that `target`
// lacks is written as that language's escape ("\u9555", "\009555"), counted
// as a reference: a reference "&#N;" would stay there as it is written; and
// that in PHP code a string's character whose last byte is '\' in one of
// `source` and `target` and not in the other gains or loses the '\' after
// it, so that the string keeps its value, PHP reading bytes. The
// markup is read from the bytes as they are: kept pieces are copied (their
// ASCII bytes) or re-encoded, and only the pieces converted are decoded,
// about `piece` code points of them at a time.
//
// Fails with kInvalidInput, `out` and `counts` as they were, when the text
// cannot be read as markup (see ConvertMarkup), and with the converter's
// failures, when `out` may hold part of the result.
//
// `consumed`, when given, is called as the conversion goes on, each time
// with an offset of `bytes` before which nothing is read again, so that the
// caller may free what lies there. Bytes of a page that cannot be read as
// markup are read again to say on which line it fails.
//
// With `points`, the ambiguity points ConvertMarkup finds are appended to it
// in order, located (LocatePoints) in the text the bytes decode to; none
// are on kInvalidInput.
//
// Without `how` nothing is converted between scripts: every piece is kept,
// and only re-encoded, and no points are found.
//
// With an `external_charset` (an encoding's label), each tag that loads a
// script or a style sheet from a file without naming its encoding (a
// <script src=...> but type=module, a <link rel=stylesheet href=...>; no
// charset attribute) gets ' charset="external_charset"' right after its
// name. A browser reads such a file in the encoding of the page that loads
// it; naming the encoding the page had keeps it reading the file as before,
// once the page itself is in another encoding.
//
// Bytes not `from_start` are a part of a page that begins after its start
// (MarkupCuts), and are read as HTML (BasicMarkupScanner).
//
// With `unended`, a comment, script, style, tag, declaration or <% %> that
// runs to the end of the bytes is read to the end as browsers read it
// (BasicHtmlTokenizer::ReadUnendedToEnd) instead of failing, and *unended
// says which and on what line (std::nullopt when all ended).
//
// The default piece keeps the working buffers to a few tens of KiB: a
// mebibyte of tag-dense pages took 580 page faults with pieces of 32 Ki code
// points and 310 with these (the output alone takes 280), and a third less
// time in a fresh process.
inline constexpr size_t kRecodePiece = size_t{1} << 12;
Status RecodeMarkup(const Converter& converter, std::string_view bytes,
                    Encoding source, Encoding target,
                    std::optional<ScriptConversion> how, std::string& out,
                    EncodeCounts& counts, size_t piece = kRecodePiece,
                    const std::function<void(size_t)>& consumed = {},
                    std::vector<AmbiguityPoint>* points = nullptr,
                    std::string_view external_charset = {},
                    bool from_start = true,
                    std::optional<Error>* unended = nullptr);

// Re-encodes `bytes`, a whole script file (kScript) or style sheet
// (kStyle), in `target`, as a page's own scripts and style sheets are: its
// characters kept, each the target lacks written as the language's escape
// and counted as a reference. Bytes not valid in `source` pass through and
// are counted; `consumed` as for RecodeMarkup. For a robots.txt (kAddress),
// its comments are converted as `how` says.
Status RecodeCode(const Converter& converter, std::string_view bytes,
                  Encoding source, Encoding target, Escapes escapes,
                  std::optional<ScriptConversion> how, std::string& out,
                  EncodeCounts& counts,
                  const std::function<void(size_t)>& consumed = {});

// Where `bytes` in `source` may be cut, about every `part` bytes, so that
// RecodeMarkup of the parts, one after another, gives what RecodeMarkup of
// the whole gives: before a tag that ends a run of text (not an inline tag)
// and is not inside a script, style, comment or other tag. The cuts are in
// order, each after 0 and before bytes.size(). std::nullopt when RecodeMarkup
// cannot read the page as markup to its end. With `threads` of two or more,
// a page of four parts or more is read on two threads; the cuts may then
// differ, but they are as good.
std::optional<std::vector<size_t>> MarkupCuts(std::string_view bytes,
                                              Encoding source, size_t part,
                                              unsigned threads = 1);

}  // namespace tovenrak::core
