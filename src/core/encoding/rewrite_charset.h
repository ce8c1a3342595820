// Rewriting a document's declarations of its encoding after its text was
// converted, so that they name the encoding it is now in.

#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/encoding/encoding.h"

namespace tovenrak::core {

// A replacement of `length` bytes at `pos` by `replacement` (bytes of the
// text's encoding).
struct DeclarationEdit {
  size_t pos;
  size_t length;
  std::string replacement;
};

// The edits, in text order, that make the <meta> charset declarations of
// `text` (in `target`) name DeclaredName(target); none when nothing is
// rewritten.
//
// The text is read as markup, as code points (FindCharsetDeclarations): a
// <meta> inside a comment, a script or another tag's value does not count,
// and a quoted value may hold '>'. In each <meta> tag that declares a
// charset (browsers take the first; a page put together from templates may
// repeat it, and should not contradict itself once converted), a "charset="
// (any letter case, and white space around the "=" as HTML allows: charset
// = "big5") counts that stands outside every attribute value, and so does
// the first in the content value of a tag whose http-equiv is Content-Type
// or that has neither an http-equiv nor a name, property or itemprop (<meta
// name=description content="...charset=..."> declares nothing). Just the
// encoding name is replaced, keeping its quotes and the rest of the tag (<meta
// charset="big5">, content="text/html; charset=big5"); a content value in a
// tag without an http-equiv gets " http-equiv=Content-Type" after it, so
// that browsers read it. A text without such a declaration, or whose meta
// tag has no ">", gets no edit; no declaration is ever added. Applying the
// edits and looking again gives edits that change nothing. Linear in the
// length of the text; a text is decoded only as far as needed to find its
// declaring tags.
std::vector<DeclarationEdit> FindCharsetEdits(std::string_view text,
                                              Encoding target);

// The edit that makes the encoding attribute of an XML declaration at the top
// of `text` (FindXmlEncoding) name DeclaredName(target): only the value is
// replaced, its quotes kept. A declaration that names no encoding declares
// UTF-8: for another target it gets an encoding attribute after its
// version, quoted as that is. std::nullopt when there is no declaration,
// which is never added, or nothing to change.
std::optional<DeclarationEdit> FindXmlEncodingEdit(std::string_view text,
                                                   Encoding target);

// The edit that gives an XML document without a declaration one naming
// `target`, at its top (after its byte-order mark, if any): parsers read an
// XML document that declares nothing as UTF-8, so one in another encoding
// needs it. std::nullopt for UTF-8, and for a text whose first character
// after white space begins a declaration ("<?xml") or no markup.
std::optional<DeclarationEdit> FindMissingXmlDeclarationEdit(
    std::string_view text, Encoding target);

// The edit that makes the @charset rule that begins a style sheet, `text`
// (after any byte-order mark), name DeclaredName(target): `@charset "x";`
// exactly, as browsers read it, only the name replaced; std::nullopt when
// there is none.
std::optional<DeclarationEdit> FindStyleSheetCharsetEdit(std::string_view text,
                                                         Encoding target);

// Makes the declarations of `text`, which is in `target`, name `target`, in
// place: those of its server code (FindServerDeclarationEdits, which also
// names `loaded_files_charset` in the tags the code writes), its <meta>
// charsets and its XML declaration. Applying it twice gives the same text as
// once.
void RewriteDeclarations(std::string& text, Encoding target,
                         std::string_view loaded_files_charset = {});

// Returns `text` rewritten as RewriteDeclarations does.
std::string RewriteCharset(std::string_view text, Encoding target);

}  // namespace tovenrak::core
