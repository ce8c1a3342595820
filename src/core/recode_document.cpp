#include "core/recode_document.h"

#include <algorithm>
#include <initializer_list>
#include <new>

#include "core/encoding/codec.h"
#include "core/encoding/document_text.h"
#include "core/io/document_tree.h"
#include "core/io/reserve_large.h"
#include "core/markup/convert_markup.h"
#include "core/markup/html_tokenizer.h"
#include "core/markup/markup_scanner.h"
#include "core/markup/server_code.h"
#include "core/recode_in_parts.h"

namespace tovenrak::core {

bool DocumentLooksLikeMarkup(std::string_view text, Encoding source,
                             std::string_view name) {
  if (LooksLikeMarkup(name, {})) return true;
  DecodedText head;
  size_t pos = 0;
  for (size_t want = 64;; want *= 2) {
    const size_t from = head.text.size();
    pos = DecodeSome(text, pos, want, source, head);
    // Decided by a few characters from the first that is not white space.
    const auto first =
        std::find_if(head.text.begin() + from, head.text.end(),
                     [](char32_t c) { return !IsHtmlSpace(c) && c != 0xFEFF; });
    const bool decided =
        first != head.text.end() && head.text.end() - first >= 16;
    if (decided || pos == text.size()) return LooksLikeMarkup(name, head.text);
  }
}

std::optional<Escapes> KeptCodeEscapes(std::string_view name,
                                       MarkupMode markup) {
  if (markup != MarkupMode::kAuto) return std::nullopt;
  if (IsRobotsFile(name)) return Escapes::kAddress;
  if (!IsScriptOrStyleSheet(name)) return std::nullopt;
  static const std::vector<std::string> kStyleSheets = {"css"};
  return HasExtension(name, kStyleSheets) ? Escapes::kStyle : Escapes::kScript;
}

bool DocumentIsPage(std::string_view text, std::string_view name,
                    MarkupMode markup) {
  // ASCII reads alike in every encoding, and GB18030 reads its own
  // byte-order mark as the U+FEFF that LooksLikeMarkup passes.
  return markup == MarkupMode::kHtml ||
         DocumentLooksLikeMarkup(
             text.substr(ByteOrderMarkLength(text, Encoding::kUtf8)),
             Encoding::kGb18030, name);
}

namespace {

// Appends the points of `text`, decoded from `source`, located. Where no
// key holds white space, none holds a line feed, and no match or overlap
// crosses one: the text is then decoded and looked at in pieces of whole
// lines, a few hundred KiB at a time, not whole.
Status FindPoints(const Converter& converter, std::string_view text,
                  Encoding source, ScriptConversion how,
                  std::vector<AmbiguityPoint>& points) {
  const size_t piece_bytes =
      converter.KeysHoldBreaks() ? text.size() : size_t{256} << 10;
  size_t pos = ByteOrderMarkLength(text, source);
  // Code points and line breaks before the piece, which begins a line.
  size_t before = 0, lines = 0;
  DecodedText piece;
  std::vector<AmbiguityPoint> found;
  while (pos < text.size()) {
    // A line feed is a unit of its own in every encoding.
    const size_t feed =
        text.find('\n', std::min(pos + piece_bytes, text.size()));
    const size_t end = feed == std::string_view::npos ? text.size() : feed + 1;
    piece.text.clear();
    pos = DecodeSome(text, pos, end - pos, source, piece);
    const std::u32string_view decoded = piece.text;
    found.clear();
    if (Status done = converter.FindAmbiguities(decoded, how, found); !done)
      return done;
    LocatePoints(decoded, found);
    for (AmbiguityPoint& point : found) {
      point.index += before;
      point.line += lines;
      points.push_back(std::move(point));
    }
    before += decoded.size();
    for (size_t i = 0; i < decoded.size(); ++i) {
      lines += decoded[i] == U'\n' ||
               (decoded[i] == U'\r' &&
                (i + 1 == decoded.size() || decoded[i + 1] != U'\n'));
    }
  }
  return {};
}

// The label of `source` when a browser reads a file in `source` otherwise
// than in `target`, as the scripts and style sheets a page loads are read
// in the page's encoding unless their tag names one; empty when it reads it
// alike (GBK and GB18030 are one decoder to browsers).
std::string_view ExternalCharset(Encoding source, Encoding target) {
  auto gb = [](Encoding e) {
    return e == Encoding::kGbk || e == Encoding::kGb18030;
  };
  if (source == target || (gb(source) && gb(target))) return {};
  return DeclaredName(source);
}

// Each thread converting parts holds room for the longest: a page whose
// cuts leave a part this long (a text of many mebibytes, with no tag in it)
// is converted whole, which holds little more than its output.
constexpr size_t kMostPartBytes = 4 * kPartBytes;

size_t LongestPart(const std::vector<size_t>& cuts, size_t size) {
  size_t longest = 0, begin = 0;
  for (const size_t cut : cuts) {
    longest = std::max(longest, cut - begin);
    begin = cut;
  }
  return std::max(longest, size - begin);
}

// Whether `text` in `encoding` holds one of `tags`, any letter case.
bool HoldsAnyOf(std::string_view text, Encoding encoding,
                std::initializer_list<std::string_view> tags) {
  for (const std::string_view tag : tags) {
    if (FindAscii(text, encoding, tag, 0, /*ignore_case=*/true) !=
        std::string_view::npos)
      return true;
  }
  return false;
}

// Whether `text` holds a PHP opening. '<' and '?' are never a byte of a
// character but its first, in any encoding read here.
bool HoldsPhp(std::string_view text) {
  // A page holds far fewer '?' than '<', each found at memchr's speed.
  for (size_t at = text.find('?', 1); at != std::string_view::npos;
       at = text.find('?', at + 1)) {
    if (text[at - 1] == '<' && OpensPhp(text, at - 1)) return true;
  }
  return false;
}

// How many characters of `bytes` end in the byte '\', as Big5's and GBK's
// may (UTF-8's and GB18030's four-byte ones never do).
size_t BackslashEndings(std::string_view bytes, Encoding encoding) {
  if (encoding == Encoding::kUtf8) return 0;
  size_t count = 0;
  for (size_t i = 0; i + 1 < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const auto trail = static_cast<unsigned char>(bytes[i + 1]);
    if (lead < 0x81 || lead == 0xFF) {
      ++i;
    } else if (encoding == Encoding::kGb18030 && trail >= '0' && trail <= '9') {
      i += 4;
    } else {
      count += trail == '\\';
      i += 2;
    }
  }
  return count;
}

// How many characters of `bytes` end in the byte '\' right before a quote
// or another '\'. A byte below 0x30 is no byte of a character after its
// first (GB18030's four-byte ones hold digits): the units read from the
// last such byte, or from where the last '\' looked at was read to, tell
// whether a '\' ends a character. Linear: each byte is read once forward
// and once back.
size_t QuoteEscapes(std::string_view bytes, Encoding encoding) {
  if (encoding == Encoding::kUtf8) return 0;
  size_t count = 0, read_to = 0;
  for (size_t at = bytes.find('\\'); at != std::string_view::npos;
       at = bytes.find('\\', at + 1)) {
    if (at == 0 || at + 1 == bytes.size()) continue;
    const char next = bytes[at + 1];
    if (next != '"' && next != '\'' && next != '\\') continue;
    size_t from = at;
    while (from > read_to &&
           static_cast<unsigned char>(bytes[from - 1]) >= 0x30)
      --from;
    size_t pos = std::max(from, read_to);
    while (pos < at) pos += UnitLengthIn(bytes, pos, encoding);
    count += pos > at;
    read_to = pos;
  }
  return count;
}

// Leaves out of each point the candidates `target` has no code for, which
// could only be written as references, and the points left with one
// candidate: going to GB, 開 -> 开 is no choice because its other
// candidate, 𫔭, is not in GB.
void KeepChoicesTheTargetHas(std::vector<AmbiguityPoint>& points,
                             Encoding target) {
  if (target == Encoding::kUtf8 || target == Encoding::kGb18030) return;
  auto encodable = [target](const std::u32string& candidate) {
    std::string bytes;
    EncodeCounts counts;
    Encode(candidate, target, bytes, counts);
    return counts.references == 0;
  };
  for (AmbiguityPoint& point : points) {
    std::erase_if(point.candidates, [&](const std::u32string& candidate) {
      return candidate != point.chosen && !encodable(candidate);
    });
  }
  std::erase_if(points, [](const AmbiguityPoint& point) {
    return point.candidates.size() < 2;
  });
}

Result<RecodedDocument> RecodeAll(const Converter& converter,
                                  std::string_view text, Encoding source,
                                  Encoding target,
                                  std::optional<ScriptConversion> how,
                                  MarkupMode markup, std::string_view name,
                                  bool find_ambiguities,
                                  const std::function<void(size_t)>& consumed,
                                  unsigned threads, bool label_loaded_files) {
  RecodedDocument result;
  std::vector<AmbiguityPoint>* points =
      how && find_ambiguities ? &result.points : nullptr;
  // A document of a few parts or more goes to several threads at once.
  const bool in_parts = threads > 1 && !points && text.size() >= 2 * kPartBytes;
  const std::string_view external_charset =
      label_loaded_files ? ExternalCharset(source, target) : std::string_view();
  Conversion& out = result.conversion;
  // Converts into the result's text, with room made for it, as `recode`
  // does, and takes its counts.
  auto recode_into = [&](bool as_markup, const auto& recode) -> Status {
    ReserveOutput(out.text, text.size(),
                  EncodedRoom(text.size(), source, target));
    EncodeCounts counts;
    if (Status done = recode(counts); !done) return done;
    out.references = counts.references;
    out.invalid_units = counts.invalid_units;
    out.server_references = counts.server_references;
    out.beyond_cp950 = counts.beyond_cp950;
    out.first_beyond_cp950 = counts.first_beyond_cp950;
    result.as_markup = as_markup;
    if (as_markup) result.loaded_files_charset = external_charset;
    return {};
  };
  auto recode_in_parts = [&](const std::vector<size_t>& cuts, bool as_markup) {
    return recode_into(as_markup, [&](EncodeCounts& counts) {
      return RecodeInParts(converter, text, cuts, as_markup, source, target,
                           how, threads, out.text, counts, consumed,
                           external_charset);
    });
  };
  // A script or a style sheet keeps its characters, as a page's own do: one
  // the target lacks becomes the language's escape, which a reference would
  // not be there. So does a robots.txt, whose rules name addresses; its
  // comments are text.
  if (const std::optional<Escapes> escapes = KeptCodeEscapes(name, markup)) {
    if (Status done = recode_into(
            /*as_markup=*/false,
            [&](EncodeCounts& counts) {
              return RecodeCode(converter, text, source, target, *escapes, how,
                                out.text, counts, consumed);
            });
        !done)
      return done.error();
    return result;
  }
  // A page whose script is kept is read as markup only when it may load
  // files that need their charset, or send a form or a link's query to
  // another site in its encoding, or holds PHP, whose strings may need a
  // '\' more or less in the new encoding, or CDATA sections, which read no
  // references, or scripts and style sheets, which need their language's
  // escape for a character the target lacks, or server code, where a
  // reference in its place is said (it is no character to the server); else
  // it is re-encoded as text.
  std::optional<bool> cdata;  // Looked for once, if at all.
  auto holds_cdata = [&] {
    if (!cdata) cdata = HoldsAnyOf(text, source, {"<![cdata["});
    return *cdata;
  };
  // Each tag is looked for once, at most.
  const bool loads = !external_charset.empty();
  const bool escapes = source != target &&
                       (target == Encoding::kBig5 || target == Encoding::kGbk);
  const bool keep_as_markup =
      !how && (((loads || escapes) && HoldsAnyOf(text, source, {"<script"})) ||
               (loads && HoldsAnyOf(text, source, {"<link", "<form"})) ||
               (escapes && HoldsAnyOf(text, source,
                                      {"<style", "<%", "<!--#", "<!-- #"})) ||
               (source != target && (HoldsPhp(text) || holds_cdata() ||
                                     MayHoldForeignQuery(text))));
  if ((how || keep_as_markup) && markup != MarkupMode::kText) {
    try {
      if (markup == MarkupMode::kHtml ||
          DocumentLooksLikeMarkup(text, source, name)) {
        // A page of several parts is read through first, to cut it where
        // its parts convert apart as the whole does. A part read on its own
        // would not know that it is in an XML document, or inside a CDATA
        // section.
        const bool markup_in_parts = in_parts && !holds_cdata();
        if (markup_in_parts) {
          const std::optional<std::vector<size_t>> cuts =
              MarkupCuts(text, source, kPartBytes, threads);
          if (cuts && !cuts->empty() &&
              LongestPart(*cuts, text.size()) <= kMostPartBytes) {
            if (Status done = recode_in_parts(*cuts, /*as_markup=*/true); !done)
              return done.error();
            return result;
          }
        }
        // Read to its end whatever it holds, it gives back what it has read.
        const bool gives_back = consumed && !points;
        const std::function<void(size_t)> none;
        // What does not end is read to the end, as browsers read it, and
        // said.
        std::optional<Error> unended;
        if (Status done = recode_into(
                /*as_markup=*/true,
                [&](EncodeCounts& counts) {
                  return RecodeMarkup(
                      converter, text, source, target, how, out.text, counts,
                      kRecodePiece, gives_back ? consumed : none, points,
                      external_charset, /*from_start=*/true, &unended);
                });
            !done)
          return done.error();
        if (unended) result.markup_problem = unended->reason;
        return result;
      }
    } catch (const std::bad_alloc&) {
      return NoMemoryToConvert(text.size(), "bytes");
    }
  }
  // PHP converted as text keeps no string's escapes: counted before the
  // conversion, which may give the text's memory back. Only where text was
  // asked for: a page with PHP is read as markup otherwise, and looking
  // for it in every text costs a tenth of converting one.
  const bool php =
      markup == MarkupMode::kText && source != target && HoldsPhp(text);
  if (php) result.php_backslash_endings = BackslashEndings(text, source);
  const size_t quote_escapes =
      php || target == Encoding::kUtf8 ? 0 : QuoteEscapes(text, source);
  auto count_output = [&] {
    if (php)
      result.php_backslash_endings +=
          BackslashEndings(result.conversion.text, target);
    if (!php && target != Encoding::kUtf8) {
      const size_t made = QuoteEscapes(result.conversion.text, target);
      result.quote_escapes = made > quote_escapes ? made - quote_escapes : 0;
    }
  };
  if (in_parts && how && !converter.KeysHoldBreaks()) {
    try {
      if (const std::vector<size_t> cuts = TextCuts(text, source);
          !cuts.empty()) {
        if (Status done = recode_in_parts(cuts, /*as_markup=*/false); !done)
          return done.error();
        count_output();
        return result;
      }
    } catch (const std::bad_alloc&) {
      return NoMemoryToConvert(text.size(), "bytes");
    }
  }
  // Looking for the points below decodes the text again.
  Result<Conversion> recoded =
      converter.Recode(text, source, target, how,
                       points ? std::function<void(size_t)>() : consumed);
  if (!recoded) return recoded.error();
  result.conversion = std::move(*recoded);
  count_output();
  if (points) {
    // The same text Recode converted in pieces; its pieces are cut where
    // converting them apart gives what converting the whole does.
    try {
      if (Status found = FindPoints(converter, text, source, *how, *points);
          !found)
        return found.error();
    } catch (const std::bad_alloc&) {
      return Error{ErrorCode::kTooLarge,
                   "not enough memory to look for ambiguities in a text of " +
                       std::to_string(text.size()) + " bytes"};
    }
  }
  return result;
}

}  // namespace

Result<RecodedDocument> RecodeDocument(
    const Converter& converter, std::string_view text, Encoding source,
    Encoding target, std::optional<ScriptConversion> how, MarkupMode markup,
    std::string_view name, bool find_ambiguities,
    const std::function<void(size_t)>& consumed, unsigned threads,
    bool label_loaded_files) {
  Result<RecodedDocument> done =
      RecodeAll(converter, text, source, target, how, markup, name,
                find_ambiguities, consumed, threads, label_loaded_files);
  if (done) KeepChoicesTheTargetHas(done->points, target);
  return done;
}

}  // namespace tovenrak::core
