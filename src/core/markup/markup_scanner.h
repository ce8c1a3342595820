// Splits an HTML or XML document, as code points or units that stand for
// them (see html_tokenizer.h), into what people read, which is converted
// between scripts, and what machines follow, which is kept as it is.

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/markup/html_tokenizer.h"
#include "core/result.h"

namespace tovenrak::core {

enum class PieceKind : uint8_t {
  // Kept as it is: tag and attribute names and syntax; every attribute value
  // not named below (href, src, action, style, on*, class...); the contents
  // of <script> and <style>; <% %> and <? ?> anywhere, also inside a read
  // value; declarations; conditional comments (<!--[if ...]>) and server
  // side includes (<!--#include ...-->) whole; a text that is one absolute
  // address (http://..., www...., mailto:..., tag:...), as a feed's <link>
  // and <id> hold; the text of a feed's <guid> and <id>, and of an
  // <email>, <author>, <managingEditor> or <webMaster> that holds an '@';
  // the tags written as text in a feed's HTML (<description>&lt;a
  // href="..."&gt;...), each from "&lt;" and a letter, '/' or '!' to the
  // "&gt;" that ends it outside quotes.
  kMarkup,
  // Text content. Numeric references are the characters they stand for. It
  // joins the text around it across inline tags into one phrase.
  kText,
  // A value people read, converted on its own, references read: the
  // attributes title, alt, placeholder, aria-label, aria-description,
  // aria-valuetext, aria-placeholder, label, summary, abbr, standby and
  // prompt; the value of an <input> of type button, submit or reset; the
  // content of <meta name=description|keywords|author|copyright> and of the
  // tags that give a shared link's card (og:title, twitter:title and the
  // like, by name or property); the contents of <title> and <textarea>. A
  // value that looks like an address
  // (no white space, and a scheme, a leading "/", "./", "../" or "www.", or
  // a file extension such as .htm or .jpg) is kept instead.
  kValue,
  // The body of a comment, converted on its own; references are not read.
  kComment,
  // The value of a lang or xml:lang attribute, or of <meta
  // http-equiv=Content-Language content=...> or <meta property=og:locale
  // content=...> (zh_CN): a language tag that follows the script (see
  // FollowScript).
  kLanguage,
};

// What a character that the target encoding lacks becomes in a kept piece:
// a reference "&#N;", which markup reads, or inside a script or a style
// sheet, where a reference would stay as it is written, that language's own
// escape; in a list of addresses (a robots.txt), its UTF-8 bytes
// percent-encoded, as an address writes them; inside a CDATA section of an
// XML document, which reads no references, a reference between the end of
// the section and the start of another ("]]>&#N;<![CDATA["), in converted
// pieces too. kWholeAddress: an address holding such a character, all of
// whose characters but ASCII are percent-encoded, so that it is in one form.
// kQuery: the query of an address on another site, read from the page's
// bytes: a browser sends a query in its page's encoding, so its bytes above
// 0x7F are written percent-encoded as they are, and the converted page
// sends what the page sent before.
enum class Escapes : uint8_t {
  kReference,
  kScript,
  kStyle,
  kAddress,
  kWholeAddress,
  kCdata,
  kQuery
};

struct MarkupPiece {
  TextSpan span;
  PieceKind kind = PieceKind::kMarkup;
  // Part of an inline tag (a, abbr, b, bdi, bdo, big, cite, code, dfn, em,
  // font, i, ins, kbd, mark, q, s, samp, small, span, strong, sub, sup,
  // time, u, var, wbr, and the older acronym, nobr, strike and tt): such a
  // tag does not end a text. Every other tag, comment or kept piece does.
  bool inline_tag = false;
  // A text or value that holds a '&', and so may hold references.
  bool has_ampersand = false;
  // A text of ASCII characters alone (always false for other pieces).
  bool ascii = false;
  // kScript or kStyle for the contents of a JavaScript (or JSON) script or a
  // CSS style sheet; kCdata for the other pieces inside a CDATA section of
  // an XML document (one whose first element is no <html>, after an XML
  // declaration, or a feed's <rss>, <feed> or <rdf:RDF>) or of an <svg> or
  // <math> in a page. Elsewhere in an HTML page, "<![CDATA[" opens nothing
  // but a comment that ends at the next '>'.
  Escapes escapes = Escapes::kReference;
  // In the first piece of a tag that loads a script or a style sheet from a
  // file without naming its encoding (a <script src=...> but type=module,
  // which is always UTF-8; a <link rel=stylesheet href=...>), which browsers
  // then read in the page's encoding: where a charset attribute would go,
  // right after the tag's name, counted from the piece's start. Likewise
  // in a <form> whose action names another site's host, which gets the
  // page's encoding from browsers to send in: where an accept-charset
  // attribute would go. 0 for other pieces, and from a scanner not told to
  // (LabelExternalFiles).
  uint8_t charset_at = 0;
  // How the charset's value is quoted: as the tag's first value is ('"',
  // '\'', or 0 for none). A tag that server code writes in one of its strings
  // ("<script src=\"a.js\">" in PHP) then gets no quote that would end it.
  char charset_quote = 0;
  // Server code (<?php ... ?>, <% ... %>) or a server side include, kept
  // whole: a server reads it, and no reference written in it.
  bool server = false;
};

// Whether a tag of this name is inline (see MarkupPiece::inline_tag).
bool IsInlineTag(NameKey name);

// Whether a page's bytes may hold an address on another site whose query
// holds a byte above 0x7F or a numeric reference (Escapes::kQuery), looked
// for without reading its markup: false means that none does.
bool MayHoldForeignQuery(std::string_view bytes);

// Reads a document's pieces one by one, in order; together they cover the
// whole text. Linear in the length of the text.
template <typename Char>
class BasicMarkupScanner {
 public:
  using View = std::basic_string_view<Char>;

  // `read_from` as BasicHtmlTokenizer takes it; for bytes, the encoding they
  // are in, where a CDATA section's end is looked for ("]" may be the last
  // byte of a character).
  // A scanner not `from_start` reads a part that begins after the start of
  // its document, as HTML (BasicHtmlTokenizer::ReadFromMiddle).
  explicit BasicMarkupScanner(View text, Encoding read_from = Encoding::kUtf8,
                              bool from_start = true);

  // Marks the pieces that begin a tag that loads a file without naming its
  // charset (MarkupPiece::charset_at).
  void LabelExternalFiles() { label_files_ = true; }

  // Reads what does not end as browsers do (see
  // BasicHtmlTokenizer::ReadUnendedToEnd).
  void ReadUnendedToEnd() { tokenizer_.ReadUnendedToEnd(); }
  const std::optional<typename BasicHtmlTokenizer<Char>::Unended>& unended()
      const {
    return tokenizer_.unended();
  }

  // Reads the next piece into `piece`. Returns false at the end of the text,
  // and when the rest of the text cannot be read as markup (see
  // HtmlTokenizer::Next); problem() then says why.
  bool Next(MarkupPiece& piece) {
    if (!NextPiece(piece)) return false;
    if (in_cdata_) InCdata(piece);
    return true;
  }

  // Where the next piece begins, once the last token's pieces are read.
  size_t position() const { return tokenizer_.position(); }
  // The last token's pieces are read.
  bool between_tokens() const { return next_ >= pending_.size(); }

  // Why reading stopped before the end, as kInvalidInput; std::nullopt while
  // it did not.
  const std::optional<Error>& problem() const { return tokenizer_.problem(); }

 private:
  bool NextPiece(MarkupPiece& piece);
  // Notes whether the document is XML and where its CDATA sections begin,
  // from a token read.
  void NoteXml(const HtmlToken& token);
  // Marks a piece inside a CDATA section, up to the "]]>" that ends the
  // section, which becomes a piece of its own, with the rest of the piece
  // after it.
  void InCdata(MarkupPiece& piece);
  // Pushes the pieces of the contents of a <title> of an XML document or of
  // an <svg>.
  void SplitCdataValue(TextSpan span);
  size_t CdataEnd(size_t from, size_t to) const;

  // Splits a tag into pieces in pending_ and returns true, or returns false
  // when it is one piece: `piece`, whose inline_tag it sets.
  bool SplitTag(const HtmlToken& token, MarkupPiece& piece);
  void Push(TextSpan span, PieceKind kind, bool inline_tag,
            bool has_ampersand = false);
  void PushValue(TextSpan span, PieceKind kind, bool inline_tag);
  Escapes EscapesOfContents() const;
  uint8_t CharsetAt(const HtmlToken& token, char& quote) const;
  // Splits a script's contents at the tags it writes that load a file
  // without naming its charset, into pending_, and returns true; false when
  // it writes none.
  bool LabelWrittenTags(const HtmlToken& token);
  static constexpr size_t kLongestWrittenTag = 256;
  // What a feed's element makes of the text right after its start tag.
  enum class FeedText : uint8_t {
    kOrdinary,
    kEscapedHtml,
    kName,
    kMail,
    kLanguage
  };
  FeedText FeedTextOf() const;
  void SplitEscapedHtml(const HtmlToken& token);

  View text_;
  Encoding read_from_;
  BasicHtmlTokenizer<Char> tokenizer_;
  enum class Xml : uint8_t { kUnknown, kYes, kNo };
  Xml xml_ = Xml::kUnknown;  // Known at the first start tag.
  bool in_cdata_ = false;
  size_t foreign_ = 0;  // The <svg> and <math> elements open.
  // A CDATA section in a <title> left open: the tokens after it are in it.
  bool cdata_goes_on_ = false;
  // The escapes of the contents of the last start tag, when they are raw.
  Escapes raw_escapes_ = Escapes::kReference;
  std::vector<MarkupPiece> pending_;  // Pieces of the last token.
  size_t next_ = 0;
  bool label_files_ = false;
  FeedText feed_text_ = FeedText::kOrdinary;  // Set by the last token.
};

using MarkupScanner = BasicMarkupScanner<char32_t>;
extern template class BasicMarkupScanner<char32_t>;
extern template class BasicMarkupScanner<char8_t>;

}  // namespace tovenrak::core
