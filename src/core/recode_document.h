// Converting a document's bytes between encodings and scripts, as markup
// when it is a page and as plain text otherwise: the one routine the
// pipeline and the main window share.

#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/ambiguity_point.h"
#include "core/convert/converter.h"
#include "core/encoding/encoding.h"
#include "core/markup/markup_scanner.h"
#include "core/result.h"

namespace tovenrak::core {

// How a document is read when its script is converted.
enum class MarkupMode : uint8_t {
  kAuto,  // As markup when LooksLikeMarkup(name, text) says so.
  kHtml,  // Always as markup.
  kText,  // Always as one whole text, as Converter::Recode converts it.
};

// LooksLikeMarkup(name, Decode(text, source).text), decoding no further than
// the first character that decides it: whether kAuto reads the document as
// markup.
bool DocumentLooksLikeMarkup(std::string_view text, Encoding source,
                             std::string_view name);

// The escapes of a file that keeps its characters when it changes
// encoding, by its name, when `markup` is kAuto: kScript for a script
// (.js) and kStyle for a style sheet (.css), which a run converts with
// their pages, kept as a page's own are; kAddress for a robots.txt, whose
// rules name addresses. std::nullopt for any other document.
std::optional<Escapes> KeptCodeEscapes(std::string_view name,
                                       MarkupMode markup);

// Whether the document is a web page, whose declarations of its encoding
// count, rather than a text file that may quote one: by its name
// (LooksLikeMarkup) or a first character '<' after white space and a
// byte-order mark, or as `markup` says when it is kHtml.
bool DocumentIsPage(std::string_view text, std::string_view name,
                    MarkupMode markup = MarkupMode::kAuto);

struct RecodedDocument {
  Conversion conversion;
  bool as_markup = false;  // Converted by ConvertMarkup.
  // The charset its tags that load files were told (RecodeMarkup's
  // external_charset), for the tags its server code writes; empty when none.
  std::string_view loaded_files_charset;
  // What in a page read as markup ran to the end of the text without its
  // end, read to the end as browsers read it ("unterminated comment from
  // line 3"); std::nullopt otherwise.
  std::optional<std::string> markup_problem;
  // When asked for: the ambiguity points of what was converted, located in
  // the decoded text (see DocumentConversion::points).
  std::vector<AmbiguityPoint> points;
  // Converted as text into another encoding while it holds PHP: how many of
  // its characters, before and after, end in the byte '\', which PHP's
  // strings read as an escape of what follows (as markup they are kept
  // right); 0 otherwise.
  size_t php_backslash_endings = 0;
  // Converted as text into Big5 or GB without PHP: how many more of its
  // characters end in the byte '\' right before a quote or a '\' than did
  // before, which code (a C string, an INI or JSON value) reads as an
  // escape of what follows; 0 otherwise.
  size_t quote_escapes = 0;
};

// Converts the bytes `text` from `source` to `target` and between scripts as
// `how` says, as Converter::Recode does, except that when `markup` is kHtml,
// or kAuto and LooksLikeMarkup(name, decoded text), the decoded text goes
// through ConvertMarkup (as RecodeMarkup reads it, scripts and style sheets
// keeping their own escapes). What does not end there is read to the end
// (RecodeMarkup's `unended`) and recorded.
//
// With `label_loaded_files`, where a browser reads `target` otherwise than
// `source`, a page read as markup names `source` as the charset of each
// script and style sheet it
// loads from a file that names none (RecodeMarkup's `external_charset`):
// those files stay in `source`, and are read as they were. Without `how`, a
// page is read as markup only for that, when it holds "<script" or "<link"
// (any letter case), and its pieces are all kept. With kText, or without
// `how` where no file needs its charset (the same encoding, GBK and
// GB18030, or no such tag), the result is Recode's, byte for byte.
//
// Both convert in pieces (markup through RecodeMarkup), except that with
// `find_ambiguities` and `how` a page read as markup is decoded whole, and
// its points are looked for (Converter::FindAmbiguities) over each text
// ConvertMarkup converts; as text, they are looked for in a pass of their own
// over the decoded text.
//
// Fails as Recode does: with kTooLarge when memory runs out and with the
// converter's failures, and as FindAmbiguities does.
//
// `consumed`, when given, is told which bytes of `text` are not read again,
// as Recode and RecodeMarkup tell it; never when points are looked for,
// which reads the text again. A page is read through first
// (MarkupCuts): one with something that does not end gives nothing back,
// and is converted whole.
//
// With `threads` above one, a document of a few parts or more (kPartBytes)
// is cut where its parts convert apart as the whole would (MarkupCuts,
// TextCuts) and converted on that many threads; the result is the same,
// byte for byte. Not when points are looked for, nor as text when the
// converter's keys hold white space.
Result<RecodedDocument> RecodeDocument(
    const Converter& converter, std::string_view text, Encoding source,
    Encoding target, std::optional<ScriptConversion> how, MarkupMode markup,
    std::string_view name, bool find_ambiguities = false,
    const std::function<void(size_t)>& consumed = {}, unsigned threads = 1,
    bool label_loaded_files = true);

}  // namespace tovenrak::core
