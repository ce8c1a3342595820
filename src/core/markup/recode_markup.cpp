// Reading a page as markup straight from its encoded bytes: the tags and
// other kept pieces are read and copied as bytes, and only what people read
// is decoded, converted and encoded.

#include <algorithm>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "core/convert/byte_breaks.h"
#include "core/encoding/codec.h"
#include "core/encoding/document_text.h"
#include "core/encoding/utf8.h"
#include "core/markup/character_reference.h"
#include "core/markup/convert_markup.h"
#include "core/markup/html_tokenizer.h"
#include "core/markup/markup_converter.h"
#include "core/markup/markup_scanner.h"
#include "core/markup/php_strings.h"
#include "core/markup/sentence_parts.h"
#include "core/markup/text_batch.h"

namespace tovenrak::core {

namespace {

// Where the first byte above 0x7F of bytes[from, to) is, or `to`.
size_t FindNonAscii(std::string_view bytes, size_t from, size_t to) {
  return AsciiRunEnd(bytes.substr(0, to), from);
}

// `c` as JavaScript writes it in a string ("\u9555", a pair of surrogates
// above the BMP), as CSS writes it ("\009555", six digits needing no space
// after them), as an address ("%E9%95%95"), or as a reference outside the
// CDATA section it stands in. `escaped`: an odd run of
// backslashes stands before it, which makes it an escape already, of
// itself; the last of them then begins this escape. `in_php_string`: the
// code is the contents of a PHP string, which reads "\\" as the '\' that
// begins the escape ("\00" would be a byte in octal).
std::string EscapeOf(char32_t c, Escapes escapes, bool escaped,
                     bool in_php_string) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  auto hex = [&](uint32_t value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
      out += kHex[value >> shift & 0xF];
  };
  if (escapes == Escapes::kCdata) {
    out = "]]>&#" + std::to_string(static_cast<uint32_t>(c)) + ";<![CDATA[";
    return out;
  }
  if (escapes == Escapes::kAddress || escapes == Escapes::kWholeAddress) {
    std::string utf8;
    AppendUtf8(c, utf8);
    for (const char byte : utf8) {
      out += '%';
      hex(static_cast<unsigned char>(byte), 2);
    }
    return out;
  }
  if (!escaped) out += in_php_string ? "\\\\" : "\\";
  if (escapes == Escapes::kStyle) {
    hex(c, 6);
    return out;
  }
  out += 'u';
  if (c < 0x10000) {
    hex(c, 4);
    return out;
  }
  hex(0xD800 + ((c - 0x10000) >> 10), 4);
  out += "\\u";
  hex(0xDC00 + ((c - 0x10000) & 0x3FF), 4);
  return out;
}

bool IsCssSpace(char32_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Reads the pieces of a page from its bytes and writes the page converted.
// Pieces that nothing changes are copied from the bytes: kept markup, and
// text, values and comments of ASCII characters alone (no reference in
// them) when the converter keeps such text. Most of the rest are runs of
// text and inline tags with nothing else to read (no reference, no read
// value): their texts are decoded into lane_ and converted together, as
// MarkupConverter would convert them, and their tags copied. The rest is
// decoded into decoded_ and converted by a MarkupConverter, which sees
// those pieces as a document of their own. segments_ say in which order the
// copied bytes and the converted text are written.
class MarkupRecoder {
 public:
  // With `points`, the text begins at bytes[first_unit] (after a
  // byte-order mark).
  //
  // Without `how` it converts nothing: each piece goes to KeepPiece. With an
  // `external_charset`, each tag that loads a file without naming its
  // charset names that one.
  MarkupRecoder(const Converter& converter, std::string_view bytes,
                Encoding source, Encoding target,
                std::optional<ScriptConversion> how, size_t enough,
                std::string& out, EncodeCounts& counts,
                const std::function<void(size_t)>& consumed,
                std::vector<AmbiguityPoint>* points, size_t first_unit,
                std::string_view external_charset)
      : converter_(converter),
        how_(how.value_or(ScriptConversion{})),
        bytes_(bytes),
        source_(source),
        target_(target),
        enough_(enough),
        out_(out),
        counts_(counts),
        markup_(converter, how_, points, /*batch=*/true, enough),
        // A text of ASCII characters alone is converted, and its points
        // looked for, as MarkupConverter would.
        ascii_kept_(points == nullptr && how && converter.KeepsAsciiText(*how)),
        keeps_lengths_(how && converter.KeepsLengths(*how)),
        consumed_(consumed),
        points_(points),
        counted_(first_unit) {
    if (!external_charset.empty()) {
      for (const char quote : {'\0', '"', '\''}) {
        const std::string q = quote != 0 ? std::string(1, quote) : "";
        const std::string value = q + std::string(external_charset) + q;
        charset_[Quotes(quote)] = " charset=" + value;
        charset_[kForm + Quotes(quote)] = " accept-charset=" + value;
      }
    }
  }

  // Takes the next piece, its span counted in bytes. A long text or
  // comment, or a text that makes a run long, is taken in parts that end
  // with a break (white space, or else the end of a sentence), where it has
  // any: no key holds one, so the parts convert as the whole does, and a
  // run is then cut, as MarkupConverter cuts one, before it is decoded whole
  // (Chinese text has line feeds between its inline tags, but seldom spaces
  // at their edges, and a page made into one line has none).
  Status Add(const MarkupPiece& piece) {
    // Most pieces are short, in short runs.
    constexpr size_t kLong = MarkupConverter::kLongRun;
    if ((piece.kind != PieceKind::kText && piece.kind != PieceKind::kComment) ||
        (piece.span.size() < kLong &&
         (run_.empty() || piece.span.end - run_.front().span.begin < kLong)) ||
        !markup_.cuts_long_runs())
      return AddPart(piece);
    MarkupPiece part = piece;
    for (;;) {
      const TextSpan span = part.span;
      // After the first break a run's length on, or the last.
      size_t cut = breaks_.BreakEnd(bytes_, span.begin, span.begin + kLong,
                                    span.end, /*last=*/false, kLong);
      if (cut == span.end && part.kind == PieceKind::kText && !run_.empty() &&
          span.end - run_.front().span.begin >= kLong)
        cut = breaks_.BreakEnd(bytes_, span.begin, span.begin, span.end,
                               /*last=*/true, kLong);
      if (cut == span.end) return AddPart(part);
      MarkupPiece first = part;
      first.span.end = cut;
      part.span.begin = cut;
      if (piece.kind == PieceKind::kText && !piece.ascii) {
        first.ascii = FindNonAscii(bytes_, first.span.begin, cut) == cut;
        part.ascii = FindNonAscii(bytes_, cut, span.end) == span.end;
      }
      if (Status done = AddPart(first); !done) return done;
    }
  }

  // Takes the next piece, to be kept as it is, but for a charset it needs.
  Status KeepPiece(const MarkupPiece& piece) {
    return piece.charset_at != 0
               ? KeepLabelled(piece.span, piece)
               : Keep(piece.span, piece.escapes, piece.server);
  }

  // The page has ended: converts and writes what is left.
  Status Finish() {
    if (Status done = FlushRun(); !done) return done;
    return Write();
  }

 private:
  // Takes the next piece, or part of one.
  Status AddPart(const MarkupPiece& piece) {
    const TextSpan span = piece.span;
    auto ascii = [&] {
      return piece.kind == PieceKind::kText
                 ? piece.ascii
                 : FindNonAscii(bytes_, span.begin, span.end) == span.end;
    };
    const bool converts = piece.kind == PieceKind::kLanguage ||
                          (piece.kind != PieceKind::kMarkup &&
                           (!ascii_kept_ || piece.has_ampersand || !ascii()));
    // A run that would begin with a text of ASCII characters (most often
    // the white space between two block tags) converts as that text and the
    // rest of the run after it: no key begins with an ASCII character. So
    // the text is copied and the run begins after it.
    if (piece.kind == PieceKind::kText && run_.empty() && !converts)
      return Keep(span);
    if (piece.kind == PieceKind::kText || piece.inline_tag) {
      // The cut a MarkupConverter makes in a long run, made here first. Its
      // length is in code points, never more than in bytes.
      if (markup_.cuts_long_runs() && !run_.empty() &&
          span.begin - run_.front().span.begin >= MarkupConverter::kLongRun &&
          RunEndsWithBreak()) {
        run_code_points_ +=
            CountCodePoints(bytes_, run_counted_, span.begin, source_);
        run_counted_ = span.begin;
        if (run_code_points_ >= MarkupConverter::kLongRun) {
          if (Status done = FlushRun(); !done) return done;
        }
      }
      if (run_.empty()) run_counted_ = span.begin;
      run_.push_back(piece);
      run_converts_ = run_converts_ || converts;
      // A run in a CDATA section writes its references otherwise.
      run_plain_ =
          run_plain_ && piece.escapes != Escapes::kCdata &&
          (piece.kind == PieceKind::kText ? !piece.has_ampersand
                                          : piece.kind == PieceKind::kMarkup);
      return {};
    }
    if (Status done = FlushRun(); !done) return done;
    if (piece.charset_at != 0) return KeepLabelled(span, piece);
    return converts ? Convert({&piece, 1})
                    : Keep(span, piece.escapes, piece.server);
  }

  // The run's last piece is a text that ends with a break: a run may be cut
  // there. Asked only of a long run.
  bool RunEndsWithBreak() const {
    const MarkupPiece& last = run_.back();
    return !last.inline_tag && last.span.size() != 0 &&
           breaks_.EndsWithBreak(bytes_, last.span.begin, last.span.end);
  }

  enum class From : uint8_t { kBytes, kDecoded, kLane, kCharset };
  struct Segment {
    // Bytes of the page, code points of decoded_, or the index of a run in
    // lane_runs_ (`end` unused); for charset_, which of its quotings.
    size_t begin, end;
    From from;
    // Of bytes, and of converted text (kReference or kCdata).
    Escapes escapes = Escapes::kReference;
    bool server = false;  // Bytes of server code.
  };
  struct LanePiece {
    TextSpan bytes;
    size_t code_points;  // 0 for a tag, which is copied.
  };
  struct LaneRun {
    size_t first, count;  // Its pieces in lane_pieces_.
    size_t text;          // Its texts, one after another, in lane_.
    size_t texts;         // How many texts.
  };
  // Past this many segments, or a full MarkupConverter, they are written.
  // Few, as the piece is small (kRecodePiece): the buffers that live
  // between two writes are then reused while warm, instead of growing into
  // fresh memory, whose first touch costs more than the work done in it.
  static constexpr size_t kSegments = 128;
  static constexpr size_t kLongText = size_t{1} << 20;   // Bytes.
  static constexpr size_t kKeptPiece = size_t{1} << 16;  // Bytes.

  Status FlushRun() {
    if (run_.empty()) return {};
    // The lane finds no points.
    const Status done =
        !run_converts_ ? Keep({run_.front().span.begin, run_.back().span.end})
        : run_plain_ && points_ == nullptr
            ? (IsLongText(run_) ? RecodeLongText(run_.front().span)
                                : AddToLane())
            : Convert(run_);
    run_.clear();
    run_code_points_ = 0;
    run_converts_ = false;
    run_plain_ = true;
    return done;
  }

  [[gnu::always_inline]] Status Keep(TextSpan span,
                                     Escapes escapes = Escapes::kReference,
                                     bool server = false) {
    covered_ = span.end;
    if (!segments_.empty() && segments_.back().from == From::kBytes &&
        segments_.back().escapes == escapes &&
        segments_.back().server == server &&
        segments_.back().end == span.begin) {
      segments_.back().end = span.end;
      // Megabytes of kept bytes in a row (a page of ASCII text) are
      // written, and their bytes given back, as they come.
      return span.end - segments_.back().begin >= kLongText ? Write()
                                                            : Status{};
    }
    segments_.push_back({span.begin, span.end, From::kBytes, escapes, server});
    return segments_.size() >= kSegments ? Write() : Status{};
  }

  // Keeps the first piece of a tag that loads a file (kept markup, or a
  // script's contents that write one), the file's charset added `at` units
  // into it, after the tag's name.
  Status KeepLabelled(TextSpan span, const MarkupPiece& piece) {
    const size_t at = piece.charset_at;
    if (Status done = Keep({span.begin, span.begin + at}, piece.escapes); !done)
      return done;
    // The first piece of a tag so labelled begins with its name: <form,
    // <link or <script, in any case.
    const bool form = span.size() > 2 && (bytes_[span.begin + 1] | 0x20) == 'f';
    segments_.push_back(
        {(form ? kForm : 0) + Quotes(piece.charset_quote), 0, From::kCharset});
    return Keep({span.begin + at, span.end}, piece.escapes);
  }

  // A run of one text too long to hold decoded (a page of one paragraph
  // with no space to cut it at) converts as its conversion, which is what
  // converting its bytes as a document gives: in pieces cut where no phrase
  // crosses, straight into the page's output.
  bool IsLongText(std::span<const MarkupPiece> run) const {
    return run.size() == 1 && run.front().span.size() >= kLongText &&
           ByteOrderMarkLength(bytes_.substr(run.front().span.begin),
                               source_) == 0;
  }
  [[gnu::noinline]] Status RecodeLongText(TextSpan span) {
    if (Status done = Write(); !done) return done;
    const std::function<void(size_t)> consumed = [&](size_t read) {
      if (consumed_) consumed_(span.begin + read);
    };
    if (Status done = converter_.RecodeInto(
            bytes_.substr(span.begin, span.size()), source_, target_, how_,
            out_, counts_, consumed);
        !done)
      return done;
    covered_ = written_ = span.end;
    return {};
  }

  Status AddToLane() {
    covered_ = run_.back().span.end;
    LaneRun r{lane_pieces_.size(), run_.size(), lane_.Begin(), 0};
    for (const MarkupPiece& p : run_) {
      size_t code_points = 0;
      if (!p.inline_tag) {
        const size_t from = lane_.size();
        DecodeSome(bytes_, p.span.begin, p.span.size(), source_, lane_.input());
        code_points = lane_.size() - from;
        ++r.texts;
      }
      lane_pieces_.push_back({p.span, code_points});
    }
    lane_.End();
    segments_.push_back({lane_runs_.size(), 0, From::kLane});
    lane_runs_.push_back(r);
    if (lane_.size() >= enough_ || segments_.size() >= kSegments)
      return Write();
    return {};
  }

  // Writes a run of the lane: a run of one text as its conversion; else
  // each text as its part of the run's conversion when every phrase keeps
  // its length, or else by the run's sentences (SentenceParts).
  Status WriteLaneRun(const LaneRun& r, TextEncoder& to) {
    const std::u32string_view in = lane_.In(r.text), out = lane_.Out(r.text);
    const bool mapped = keeps_lengths_ && out.size() == in.size();
    std::optional<SentenceParts> sentences;
    size_t at = 0;
    for (size_t i = r.first; i < r.first + r.count; ++i) {
      const LanePiece& p = lane_pieces_[i];
      if (p.code_points == 0) {
        WriteBytes(p.bytes, to);
        continue;
      }
      if (r.texts == 1) {
        to.Put(out);
      } else if (mapped) {
        to.Put(out.substr(at, p.code_points));
      } else {
        if (!sentences) {
          run_places_.assign(1, 0);
          for (size_t j = r.first; j < r.first + r.count; ++j) {
            if (lane_pieces_[j].code_points != 0)
              run_places_.push_back(run_places_.back() +
                                    lane_pieces_[j].code_points);
          }
          sentences.emplace(converter_, how_, in, run_places_, out);
        }
        scratch_.text.clear();
        if (Status done = sentences->Append(at, p.code_points, scratch_.text);
            !done)
          return done;
        to.Put(scratch_.text);
      }
      at += p.code_points;
    }
    return {};
  }

  // Writes bytes of the page as the target encodes them: ASCII bytes are
  // the same in every encoding; the rest is decoded and encoded again, a
  // piece at a time (a kept piece may be megabytes: an address, a tag of
  // endless attributes, a script), each piece's bytes given back once
  // written.
  void WriteBytes(TextSpan span, TextEncoder& to,
                  Escapes escapes = Escapes::kReference) {
    if (escapes == Escapes::kQuery) {
      // GBK's bytes are GB18030's (not the other way round: browsers send
      // no four-byte sequence from a GBK page).
      const bool same_bytes =
          target_ == source_ ||
          (source_ == Encoding::kGbk && target_ == Encoding::kGb18030);
      if (!same_bytes) return WriteQuery(span, to);
      escapes = Escapes::kReference;
    }
    const size_t ascii = FindNonAscii(bytes_, span.begin, span.end);
    if (ascii == span.end)
      return to.PutBytes(bytes_.substr(span.begin, span.size()));
    // PHP in it is read from its start, if its strings may need care ('<'
    // and '?' are never a byte of a character but the first).
    const bool php =
        php_strings_ && bytes_.substr(span.begin, span.size()).find("<?") !=
                            std::string_view::npos;
    // An escape looks at the backslashes before it, which may be ASCII.
    const size_t from =
        escapes == Escapes::kReference && !php ? ascii : span.begin;
    to.PutBytes(bytes_.substr(span.begin, from - span.begin));
    CodeState code;
    auto put = [&](std::u32string_view piece, size_t read,
                   bool in_php_string = false) {
      if (escapes == Escapes::kReference) {
        to.Put(piece);
      } else {
        PutCode(piece, escapes, to, code, in_php_string);
      }
      if (consumed_) consumed_(read);
    };
    if (php) {
      // Nothing before the piece handed on is read again.
      return PutKeepingPhpStrings(
          bytes_.substr(from, span.end - from), source_, target_,
          [&](std::u32string_view piece, size_t handed, bool in_string) {
            put(piece, from + handed, in_string);
          });
    }
    // A unit ends where the span does.
    for (size_t at = from; at < span.end;) {
      scratch_.text.clear();
      at = DecodeSome(bytes_, at, std::min(kKeptPiece, span.end - at), source_,
                      scratch_);
      put(scratch_.text, at);
    }
  }

  // Writes an address's query to another site as a browser sends it from
  // the page: its bytes above 0x7F percent-encoded, a second byte below
  // 0x80 as it is, and a numeric reference to a character beyond ASCII as
  // the page's encoding writes that character, percent-encoded.
  void WriteQuery(TextSpan span, TextEncoder& to) {
    constexpr char kHex[] = "0123456789ABCDEF";
    const std::string_view query = bytes_.substr(span.begin, span.size());
    std::string& out = probe_;
    out.clear();
    std::string character;
    for (size_t i = 0; i < query.size(); ++i) {
      const auto byte = static_cast<unsigned char>(query[i]);
      if (byte >= 0x80) {
        out += {'%', kHex[byte >> 4], kHex[byte & 0xF]};
        continue;
      }
      if (byte == '&' && i + 1 < query.size() && query[i + 1] == '#') {
        // A reference is ASCII, and short.
        std::u32string written;
        for (size_t j = i; j < query.size() && j < i + 48; ++j)
          written += static_cast<char32_t>(query[j] & 0x7F);
        const std::optional<CharacterReference> ref = ReadReference(written);
        EncodeCounts counted;
        character.clear();
        if (ref && ref->value >= 0x80)
          Encode(std::u32string_view(&ref->value, 1), source_, character,
                 counted);
        if (!character.empty() && counted.references == 0) {
          for (const char c : character) {
            const auto b = static_cast<unsigned char>(c);
            out += {'%', kHex[b >> 4], kHex[b & 0xF]};
          }
          i += ref->length - 1;
          continue;
        }
      }
      out += query[i];
    }
    to.PutBytes(out);
  }

  // What writing a script or a style sheet a piece at a time carries from
  // one piece to the next.
  struct CodeState {
    size_t backslashes = 0;     // Just before the next code point.
    bool after_escape = false;  // The last code point became an escape.
  };

  // Writes a piece of the contents of a script or a style sheet: a
  // character that the target lacks becomes the language's escape of it
  // (EscapeOf), since a reference would stay there as it is written. Most
  // pieces of code have none: each is encoded once, and looked at character
  // by character only when some character came out as a reference.
  void PutCode(std::u32string_view code, Escapes escapes, TextEncoder& to,
               CodeState& state, bool in_php_string = false) {
    // CSS takes one white space after an escape as its end, even after six
    // digits: a space that followed the character needs another.
    auto after_escape = [&](char32_t next) {
      if (escapes == Escapes::kStyle && IsCssSpace(next)) to.PutBytes(" ");
    };
    if (state.after_escape && !code.empty()) {
      after_escape(code.front());
      state.after_escape = false;
    }
    constexpr size_t kPiece = 4096;
    size_t& backslashes = state.backslashes;
    for (size_t start = 0; start < code.size(); start += kPiece) {
      const std::u32string_view piece = code.substr(start, kPiece);
      EncodeCounts counted;
      probe_.clear();
      Encode(piece, target_, probe_, counted);
      const bool whole = escapes == Escapes::kWholeAddress;
      if (counted.references == 0 && !whole) {
        counts_.invalid_units += counted.invalid_units;
        if (counts_.beyond_cp950 == 0)
          counts_.first_beyond_cp950 = counted.first_beyond_cp950;
        counts_.beyond_cp950 += counted.beyond_cp950;
        to.PutBytes(probe_);
        const size_t last = piece.find_last_not_of(U'\\');
        backslashes = last == std::u32string_view::npos
                          ? backslashes + piece.size()
                          : piece.size() - 1 - last;
        continue;
      }
      size_t from = 0;
      // References next to each other stand between the same two CDATA
      // sections: the second opens once what follows is written.
      constexpr std::string_view kReopen = "<![CDATA[";
      bool reopen = false;
      for (size_t i = 0; i < piece.size(); ++i) {
        const char32_t c = piece[i];
        const size_t before = backslashes;
        backslashes = c == '\\' ? backslashes + 1 : 0;
        if (c < 0x80 || c > 0x10FFFF) continue;
        EncodeCounts one;
        probe_.clear();
        Encode(piece.substr(i, 1), target_, probe_, one);
        if (one.references == 0 && !whole) continue;
        std::string escape =
            EscapeOf(c, escapes, before % 2 == 1, in_php_string);
        if (reopen && i == from) {
          escape.erase(0, escape.find('&'));
        } else if (reopen) {
          to.PutBytes(kReopen);
        }
        to.Put(piece.substr(from, i - from));
        reopen = escapes == Escapes::kCdata;
        if (reopen) escape.resize(escape.size() - kReopen.size());
        to.PutBytes(escape);
        if (const size_t next = start + i + 1; next < code.size()) {
          after_escape(code[next]);
        } else {
          state.after_escape = true;
        }
        counts_.references += one.references;
        from = i + 1;
      }
      if (reopen) to.PutBytes(kReopen);
      to.Put(piece.substr(from));
    }
  }

  // Decodes `pieces`, one piece or one run, and hands them to markup_.
  Status Convert(std::span<const MarkupPiece> pieces) {
    covered_ = pieces.back().span.end;
    const size_t begin = decoded_.text.size();
    const size_t first_point = points_ ? points_->size() : 0;
    decoded_spans_.clear();
    places_.clear();
    for (const MarkupPiece& p : pieces) {
      const size_t from = decoded_.text.size();
      if (points_) {
        counted_points_ +=
            CountCodePoints(bytes_, counted_, p.span.begin, source_);
        counted_ = p.span.begin;
        places_.push_back({markup_.dropped() + from, counted_points_});
      }
      DecodeSome(bytes_, p.span.begin, p.span.size(), source_, decoded_);
      MarkupPiece at = p;
      at.span = {from, decoded_.text.size()};
      decoded_spans_.push_back(at);
    }
    markup_.Text(decoded_.text, decoded_.text.data());
    for (const MarkupPiece& p : decoded_spans_) {
      if (Status done = markup_.Add(p); !done) return done;
    }
    if (Status done = markup_.Finish(); !done) return done;
    if (points_) PlacePoints(first_point);
    const Escapes escapes = pieces.front().escapes == Escapes::kCdata
                                ? Escapes::kCdata
                                : Escapes::kReference;
    if (!segments_.empty() && segments_.back().from == From::kDecoded &&
        segments_.back().escapes == escapes) {
      segments_.back().end = decoded_.text.size();
    } else {
      segments_.push_back(
          {begin, decoded_.text.size(), From::kDecoded, escapes});
    }
    if (markup_.full() || segments_.size() >= kSegments) return Write();
    return {};
  }

  // Writes the segments: kept bytes as the target encodes them, converted
  // text with its edits.
  Status Write() {
    if (Status done = lane_.Convert(converter_, how_); !done) return done;
    if (Status done = markup_.Prepare(); !done) return done;
    // Room made is filled at once: kept bytes of megabytes (a page of
    // server code) get theirs as they are written.
    TextEncoder to(target_, out_, counts_,
                   std::min(EncodedRoom(covered_ - written_, source_, target_),
                            kKeptPiece) +
                       64);
    written_ = covered_;
    auto encode = [&](std::u32string_view text) { to.Put(text); };
    for (const Segment& s : segments_) {
      switch (s.from) {
        case From::kBytes: {
          const size_t references = counts_.references;
          WriteBytes({s.begin, s.end}, to, s.escapes);
          if (s.server)
            counts_.server_references += counts_.references - references;
          break;
        }
        case From::kDecoded:
          if (s.escapes == Escapes::kCdata) {
            CodeState code;
            markup_.EmitTo(s.end, [&](std::u32string_view text) {
              PutCode(text, Escapes::kCdata, to, code);
            });
          } else {
            markup_.EmitTo(s.end, encode);
          }
          break;
        case From::kLane:
          if (Status done = WriteLaneRun(lane_runs_[s.begin], to); !done)
            return done;
          break;
        case From::kCharset:
          to.PutBytes(charset_[s.begin]);
          break;
      }
    }
    markup_.Clear();
    markup_.Drop(decoded_.text.size());
    decoded_.text.clear();
    lane_.Clear();
    lane_pieces_.clear();
    lane_runs_.clear();
    segments_.clear();
    // What follows written_ is read from pieces not yet added, and from
    // pieces of the run being added, which begin there or after it.
    if (consumed_) consumed_(written_);
    return {};
  }

  // The points from `first` on are counted in code points of the pieces
  // decoded, one after another (as markup_ counts them); each is moved to
  // its place in the document.
  void PlacePoints(size_t first) {
    for (size_t i = first; i < points_->size(); ++i) {
      size_t& index = (*points_)[i].index;
      const Place& in = *std::prev(std::upper_bound(
          places_.begin(), places_.end(), index,
          [](size_t at, const Place& p) { return at < p.decoded; }));
      index = in.document + (index - in.decoded);
    }
  }

  const Converter& converter_;
  const ScriptConversion how_;
  const std::string_view bytes_;
  const Encoding source_, target_;
  // Whether PHP's strings need care (PutKeepingPhpStrings): in a new
  // encoding, a character may gain or lose a last byte '\'.
  const bool php_strings_ = source_ != target_;
  const ByteBreaks breaks_{source_};
  const size_t enough_;
  std::string& out_;
  EncodeCounts& counts_;
  MarkupConverter markup_;
  const bool ascii_kept_;
  const bool keeps_lengths_;  // Converter::KeepsLengths.
  const std::function<void(size_t)>& consumed_;
  std::vector<MarkupPiece> run_;  // Spans in bytes.
  // The code points of the run before run_counted_, once it is long.
  size_t run_code_points_ = 0;
  size_t run_counted_ = 0;
  bool run_converts_ = false;
  bool run_plain_ = true;  // Its texts hold no '&', its tags nothing read.
  DecodedText decoded_;
  std::vector<MarkupPiece> decoded_spans_;
  std::vector<Segment> segments_;
  // The bytes of the page the segments cover end here; those before
  // written_ are written.
  size_t covered_ = 0, written_ = 0;
  TextBatch lane_;  // The texts of the runs of the lane, one for each.
  std::vector<LanePiece> lane_pieces_;
  std::vector<LaneRun> lane_runs_;
  std::vector<size_t> run_places_;  // Where a lane run's texts begin.
  DecodedText scratch_;
  std::string probe_;  // Code encoded to see whether the target has it.
  // ' charset=...', ' charset="..."' and " charset='...'", or empty.
  // For a form, the same as accept-charset, from kForm on.
  static constexpr size_t kForm = 3;
  std::string charset_[6];
  static size_t Quotes(char quote) {
    return quote == '"' ? 1 : quote == '\'' ? 2 : 0;
  }
  // With points: where each piece being converted begins, counted in the
  // code points decoded for markup_ since the start, and in the document.
  struct Place {
    size_t decoded, document;
  };
  std::vector<AmbiguityPoint>* const points_;
  std::vector<Place> places_;
  // The document's code points before the byte counted_.
  size_t counted_, counted_points_ = 0;
};

// Sets the line and column of each point, as LocatePoints does in the text
// the bytes decode to, without decoding it. A line break is an ASCII byte,
// which is a unit of its own in every encoding.
// REQUIRES: the points are sorted by index.
void LocateInBytes(std::string_view bytes, Encoding encoding,
                   std::span<AmbiguityPoint> points) {
  size_t line = 1, line_start = 0, decoded = 0, pos = 0;
  for (AmbiguityPoint& point : points) {
    while (decoded < point.index) {
      const char c = bytes[pos];
      if (static_cast<unsigned char>(c) >= 0x80) {
        decoded += CodePointsOfUnit(bytes, pos, encoding);
        pos += UnitLengthIn(bytes, pos, encoding);
        continue;
      }
      ++pos;
      ++decoded;
      if (c == '\n' ||
          (c == '\r' && (pos == bytes.size() || bytes[pos] != '\n'))) {
        ++line;
        line_start = decoded;
      }
    }
    point.line = line;
    point.column = point.index - line_start + 1;
  }
}

// Whether a line of a robots.txt is an Allow or Disallow rule.
bool IsPathRule(std::string_view line) {
  const size_t at = line.find_first_not_of(" \t");
  if (at == std::string_view::npos) return false;
  const std::u8string_view units(
      reinterpret_cast<const char8_t*>(line.data()) + at, line.size() - at);
  for (const std::string_view field : {"allow", "disallow"}) {
    if (!EqualsIgnoringCase(units.substr(0, field.size()), field)) continue;
    const size_t colon = line.find_first_not_of(" \t", at + field.size());
    return colon != std::string_view::npos && line[colon] == ':';
  }
  return false;
}

}  // namespace

Status RecodeCode(const Converter& converter, std::string_view bytes,
                  Encoding source, Encoding target, Escapes escapes,
                  std::optional<ScriptConversion> how, std::string& out,
                  EncodeCounts& counts,
                  const std::function<void(size_t)>& consumed) {
  const size_t pos = PassByteOrderMark(bytes, source, target, out);
  const bool robots = escapes == Escapes::kAddress;
  MarkupRecoder recoder(converter, bytes, source, target,
                        robots ? how : std::nullopt, kRecodePiece, out, counts,
                        consumed, nullptr, pos, {});
  MarkupPiece code;
  code.escapes = escapes;
  if (!robots) {
    code.span = {pos, bytes.size()};
    if (Status done = recoder.KeepPiece(code); !done) return done;
    return recoder.Finish();
  }
  // A robots.txt: a rule half in the target's bytes and half percent-encoded
  // matches no address, so an Allow or Disallow rule with a character the
  // target lacks is written percent-encoded whole, in UTF-8, as crawlers
  // compare paths. A sitemap's address (whose host a name in Chinese may
  // be) is left as it is. A comment, from '#' (no byte of a character after
  // its first) to the line's end, is text for people, converted as a page's
  // comments are.
  std::string probe;
  for (size_t begin = pos; begin < bytes.size();) {
    const size_t line_feed = bytes.find('\n', begin);
    const size_t end =
        line_feed == std::string_view::npos ? bytes.size() : line_feed + 1;
    const size_t rule_end = std::min(bytes.find('#', begin), end);
    const std::string_view rule = bytes.substr(begin, rule_end - begin);
    EncodeCounts lacking;
    probe.clear();
    // A line longer than any address is no rule, and is not decoded whole.
    constexpr size_t kLongestRule = size_t{1} << 16;
    if (rule.size() <= kLongestRule && IsPathRule(rule) &&
        FindNonAscii(bytes, begin, rule_end) != rule_end)
      Encode(Decode(rule, source).text, target, probe, lacking);
    code.kind = PieceKind::kMarkup;
    code.span = {begin, rule_end};
    code.escapes =
        lacking.references > 0 ? Escapes::kWholeAddress : Escapes::kAddress;
    if (Status done = recoder.Add(code); !done) return done;
    if (rule_end != end) {
      code.kind = PieceKind::kComment;
      code.span = {rule_end, end};
      code.escapes = Escapes::kReference;
      if (Status done = recoder.Add(code); !done) return done;
    }
    begin = end;
  }
  return recoder.Finish();
}

Status RecodeMarkup(const Converter& converter, std::string_view bytes,
                    Encoding source, Encoding target,
                    std::optional<ScriptConversion> how, std::string& out,
                    EncodeCounts& counts, size_t piece,
                    const std::function<void(size_t)>& consumed,
                    std::vector<AmbiguityPoint>* points,
                    std::string_view external_charset, bool from_start,
                    std::optional<Error>* unended) {
  const size_t start = out.size();
  const EncodeCounts counted = counts;
  const size_t first_point = points ? points->size() : 0;
  if (how) how->in_markup = true;
  const size_t pos = PassByteOrderMark(bytes, source, target, out);
  const std::u8string_view units(
      reinterpret_cast<const char8_t*>(bytes.data()) + pos, bytes.size() - pos);
  BasicMarkupScanner<char8_t> scanner(units, source, from_start);
  if (!external_charset.empty()) scanner.LabelExternalFiles();
  // Line feeds of the bytes given back are counted first, for the line
  // of what does not end: a unit of its own in every encoding read here.
  size_t given = 0, lines = 0;
  // Outlives the recoder, which holds it by reference.
  std::function<void(size_t)> handed = consumed;
  if (unended) {
    scanner.ReadUnendedToEnd();
    if (consumed) {
      handed = [&](size_t end) {
        lines += static_cast<size_t>(
            std::count(bytes.begin() + static_cast<ptrdiff_t>(given),
                       bytes.begin() + static_cast<ptrdiff_t>(end), '\n'));
        given = end;
        consumed(end);
      };
    }
  }
  MarkupRecoder recoder(converter, bytes, source, target, how, piece, out,
                        counts, handed, how ? points : nullptr, pos,
                        external_charset);
  MarkupPiece read;
  std::optional<size_t> unended_line;
  while (scanner.Next(read)) {
    // Counted as soon as it is read, before the recoder takes its bytes.
    if (unended && scanner.unended() && !unended_line) {
      const size_t at = pos + scanner.unended()->at;
      unended_line = lines + 1 +
                     static_cast<size_t>(std::count(
                         bytes.begin() + static_cast<ptrdiff_t>(given),
                         bytes.begin() + static_cast<ptrdiff_t>(at), '\n'));
    }
    read.span.begin += pos;
    read.span.end += pos;
    if (Status done = how ? recoder.Add(read) : recoder.KeepPiece(read); !done)
      return done;
  }
  if (scanner.problem()) {
    out.resize(start);
    counts = counted;
    if (points) points->resize(first_point);
    return *scanner.problem();
  }
  if (Status done = recoder.Finish(); !done) return done;
  if (unended_line) {
    *unended =
        Error{ErrorCode::kInvalidInput,
              UnterminatedReason(scanner.unended()->what, *unended_line)};
  }
  if (points) {
    const auto mine = points->begin() + static_cast<ptrdiff_t>(first_point);
    std::stable_sort(mine, points->end(),
                     [](const AmbiguityPoint& a, const AmbiguityPoint& b) {
                       return a.index < b.index;
                     });
    LocateInBytes(bytes.substr(pos), source, std::span(mine, points->end()));
  }
  return {};
}

namespace {

// Reads the tokens of `units` from `from`, a position between tokens where
// the reading of the whole is in its ordinary state (not in the contents of
// a script, style, title or textarea), and adds to `cuts` the cuts of
// MarkupCuts from `next` on, counted in `units`. With `stop`, stops at the
// first token that begins at or after it, and returns whether that token is
// a tag beginning at `stop`: the reading is then in its ordinary state
// there. Without, reads to the end and returns whether it could.
bool CutsFrom(std::u8string_view units, size_t from, size_t next, size_t part,
              std::optional<size_t> stop, std::vector<size_t>& cuts) {
  BasicHtmlTokenizer<char8_t> tokenizer(units.substr(from));
  if (from != 0) tokenizer.ReadFromMiddle();
  HtmlToken token;
  while (tokenizer.Next(token)) {
    const size_t begin = from + token.whole.begin;
    // An XML document is read whole, and so is the start of a page up to
    // its first start tag, which tells: a part read on its own would not
    // know that it is XML.
    if (stop && begin >= *stop) {
      return begin == *stop && !tokenizer.php_failed() &&
             tokenizer.knows_xml() && !tokenizer.xml() &&
             (token.kind == HtmlTokenKind::kStartTag ||
              token.kind == HtmlTokenKind::kEndTag);
    }
    // A tag read here was read from a position between tokens, with nothing
    // pending; one that is not inline ends any run of text before it, so
    // the reader's state is the same there whether the page begins there
    // or not. But the end tag of a script, style, title or textarea ends
    // contents that were read up to it: a part ending before it would not
    // read them so.
    const bool cuts_before = token.kind == HtmlTokenKind::kStartTag ||
                             (token.kind == HtmlTokenKind::kEndTag &&
                              !HoldsRawContents(tokenizer.name()));
    // Nor once the page's PHP read otherwise than it would from here.
    if (begin >= next && begin != 0 && cuts_before &&
        !IsInlineTag(tokenizer.name()) && !tokenizer.php_failed() &&
        tokenizer.knows_xml() && !tokenizer.xml()) {
      cuts.push_back(begin);
      next = begin + part;
    }
  }
  return !stop && !tokenizer.problem();
}

// Where a second reader may start: the first tag after the middle of `units`
// that begins a line. A line feed and a '<' are units of their own in every
// encoding. Whether the whole reading is between tokens there is known only
// once the first reader gets there.
std::optional<size_t> SecondStart(std::u8string_view units) {
  for (size_t at = units.size() / 2;
       (at = units.find(u8"\n<", at)) != std::u8string_view::npos; ++at) {
    const char8_t next = at + 2 < units.size() ? units[at + 2] : u8'\0';
    if (IsAsciiLetter(next) || next == '/') return at + 1;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<size_t>> MarkupCuts(std::string_view bytes,
                                              Encoding source, size_t part,
                                              unsigned threads) {
  const size_t mark = ByteOrderMarkLength(bytes, source);
  const std::u8string_view units(
      reinterpret_cast<const char8_t*>(bytes.data()) + mark,
      bytes.size() - mark);
  std::vector<size_t> cuts;
  auto in_bytes = [&] {
    for (size_t& cut : cuts) cut += mark;
    return cuts;
  };
  // A page of several parts is read from two places at once: from its
  // start, and from a tag near its middle, which the first reader, when it
  // gets there, confirms to be between tokens. Where it is not (a tag in a
  // comment or a script), the first reader reads on alone.
  const std::optional<size_t> second = threads >= 2 && units.size() >= 4 * part
                                           ? SecondStart(units)
                                           : std::nullopt;
  if (second) {
    std::vector<size_t> later;
    // Whether the second reader read to the end; none when it could not
    // finish (no memory), and the first then reads on alone.
    std::optional<bool> later_read;
    // Joined however this thread leaves.
    std::jthread reader;
    try {
      reader = std::jthread([&] {
        try {
          later_read = CutsFrom(units, *second, *second, part, {}, later);
        } catch (...) {
          later_read.reset();
        }
      });
    } catch (const std::system_error&) {
      // No second thread: one reader reads it all.
    }
    const bool met =
        reader.joinable() && CutsFrom(units, 0, part, part, second, cuts);
    if (reader.joinable()) reader.join();
    if (met && later_read) {
      if (!*later_read) return std::nullopt;
      cuts.insert(cuts.end(), later.begin(), later.end());
      return in_bytes();
    }
    cuts.clear();
  }
  if (!CutsFrom(units, 0, part, part, {}, cuts)) return std::nullopt;
  return in_bytes();
}

}  // namespace tovenrak::core
