// The encoding a page's server code declares: to the server that reads the
// file, or in the header it sends with the page. A page converted to another
// encoding must name that one there too, or the server reads, or the browser
// is told, the old one.

#pragma once

#include <string_view>
#include <vector>

#include "core/encoding/encoding.h"
#include "core/encoding/rewrite_charset.h"

namespace tovenrak::core {

// The edits that make the declarations in the server code of `text` (in
// `target`) name `target`, in the order they occur, none overlapping
// another. Server code runs before the page is read as HTML, so every
// <% ... %> and <? ... ?> counts wherever it stands (not the XML
// declaration "<?xml"), up to its end (for PHP, where PHP ends it: see
// server_code.h) or to the end of the text. Inside it:
// - the "; charset=NAME" of the page's content type (JSP's <%@ page
//   contentType=...%> and setContentType, ASP's Response.ContentType and
//   Response.AddHeader, PHP's header("Content-Type: ...")), not that of a
//   request or a database connection; Response.Charset = "NAME" (or
//   ("NAME") or "NAME", ASP), pageEncoding="NAME" and
//   response.setCharacterEncoding("NAME") (JSP), ResponseEncoding="NAME"
//   (ASP.NET) and ini_set('default_charset', 'NAME') (PHP), where NAME is a
//   label of one of our encodings: the name is replaced by the server's
//   name of `target` (GBK, Big5, GB18030, UTF-8; in lower case when NAME
//   was);
// - CODEPAGE=N in an ASP directive, Response.CodePage = N and
//   Session.CodePage = N, where N is a code page of ours (936, 950, 54936,
//   65001, 20936): N is replaced by `target`'s;
// - the encoding of an XML declaration the code writes out (PHP's
//   echo '<?xml version="1.0" encoding="NAME"?>', ASP's Response.Write),
//   and of a <meta> it writes (its charset=NAME, or its content's ";
//   charset=NAME"), as NAME above.
// An XML declaration that comes first after server code sending nothing
// but white space (a JSP's <%@ page %> directive) begins what the page
// sends: its encoding is rewritten as well. The one at the very top is the
// page's own, left to RewriteDeclarations.
// Anything else is left alone: a variable named charset, a database's
// character set, a call to iconv.
// With a `loaded_files_charset` (an encoding's label), each <script> with a
// src and each <link> to a style sheet that the code writes without naming
// a charset (nor "module") gets " charset=LABEL" after its name, unquoted,
// which the quotes of no string mind: a browser reads the file it loads in
// the page's encoding, no longer the one it was written in (RecodeMarkup
// names it in the page's own tags).
// Applying the edits and looking again gives edits that change nothing.
std::vector<DeclarationEdit> FindServerDeclarationEdits(
    std::string_view text, Encoding target,
    std::string_view loaded_files_charset = {});

}  // namespace tovenrak::core
