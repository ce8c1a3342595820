// Reading a page as markup straight from its encoded bytes: the tags and
// other kept pieces are read and copied as bytes, and only what people read
// is decoded, converted and encoded.

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "core/encoding/codec.h"
#include "core/markup/convert_markup.h"
#include "core/markup/markup_converter.h"
#include "core/markup/markup_scanner.h"

namespace tovenrak::core {

namespace {

// Where the first byte above 0x7F of bytes[from, to) is, or `to`.
size_t FindNonAscii(std::string_view bytes, size_t from, size_t to) {
  constexpr uint64_t kHigh = 0x8080808080808080u;
  for (; from + 8 <= to; from += 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + from, 8);
    if (word & kHigh) break;
  }
  while (from < to && static_cast<unsigned char>(bytes[from]) < 0x80) ++from;
  return from;
}

// The number of units (code points once decoded) of bytes[from, to).
// REQUIRES: both are where units start.
size_t CountUnits(std::string_view bytes, size_t from, size_t to,
                  Encoding encoding) {
  size_t count = 0;
  while (from < to) {
    const size_t ascii = FindNonAscii(bytes, from, to);
    count += ascii - from;
    if (ascii == to) break;
    from = ascii + UnitLengthIn(bytes, ascii, encoding);
    ++count;
  }
  return count;
}

// Reads the pieces of a page from its bytes and writes the page converted.
// Pieces that nothing changes are copied from the bytes: kept markup, and
// text, values and comments of ASCII characters alone (no reference in
// them) when the converter keeps such text. The rest is decoded into
// decoded_ and converted by a MarkupConverter, which sees those pieces as a
// document of their own; segments_ say in which order the copied bytes and
// the converted text are written.
class MarkupRecoder {
 public:
  MarkupRecoder(const Converter& converter, std::string_view bytes,
                Encoding source, Encoding target, ScriptConversion how,
                size_t enough, std::string& out, EncodeCounts& counts)
      : bytes_(bytes),
        source_(source),
        target_(target),
        out_(out),
        counts_(counts),
        markup_(converter, how, nullptr, /*batch=*/true, enough),
        ascii_kept_(converter.KeepsAsciiText(how)) {}

  // Takes the next piece, its span counted in bytes.
  Status Add(const MarkupPiece& piece) {
    const TextSpan span = piece.span;
    auto ascii = [&] {
      return piece.kind == PieceKind::kText
                 ? piece.ascii
                 : FindNonAscii(bytes_, span.begin, span.end) == span.end;
    };
    const bool converts = piece.kind == PieceKind::kLanguage ||
                          (piece.kind != PieceKind::kMarkup &&
                           (!ascii_kept_ || piece.has_ampersand || !ascii()));
    if (piece.kind == PieceKind::kText || piece.inline_tag) {
      // The cut a MarkupConverter makes in a long run, made here first. Its
      // length is in code points, never more than in bytes.
      if (run_ends_with_space_ &&
          span.begin - run_.front().span.begin >= MarkupConverter::kLongRun) {
        run_code_points_ +=
            CountUnits(bytes_, run_counted_, span.begin, source_);
        run_counted_ = span.begin;
        if (run_code_points_ >= MarkupConverter::kLongRun) {
          if (Status done = FlushRun(); !done) return done;
        }
      }
      if (run_.empty()) run_counted_ = span.begin;
      run_.push_back(piece);
      run_converts_ = run_converts_ || converts;
      // A trail byte is never white space.
      run_ends_with_space_ = !piece.inline_tag && span.size() != 0 &&
                             IsHtmlSpace(bytes_[span.end - 1]);
      return {};
    }
    if (Status done = FlushRun(); !done) return done;
    return converts ? Convert({&piece, 1}) : Keep(span);
  }

  // The page has ended: converts and writes what is left.
  Status Finish() {
    if (Status done = FlushRun(); !done) return done;
    return Write();
  }

 private:
  struct Segment {
    size_t begin, end;  // Bytes of the page, or code points of decoded_.
    bool decoded;
  };
  // Past this many segments, or a full MarkupConverter, they are written.
  static constexpr size_t kSegments = 4096;

  Status FlushRun() {
    if (run_.empty()) return {};
    const Status done =
        run_converts_ ? Convert(run_)
                      : Keep({run_.front().span.begin, run_.back().span.end});
    run_.clear();
    run_code_points_ = 0;
    run_converts_ = false;
    run_ends_with_space_ = false;
    return done;
  }

  Status Keep(TextSpan span) {
    if (!segments_.empty() && !segments_.back().decoded &&
        segments_.back().end == span.begin) {
      segments_.back().end = span.end;
      return {};
    }
    segments_.push_back({span.begin, span.end, false});
    return segments_.size() >= kSegments ? Write() : Status{};
  }

  // Decodes `pieces`, one piece or one run, and hands them to markup_.
  Status Convert(std::span<const MarkupPiece> pieces) {
    const size_t begin = decoded_.text.size();
    decoded_spans_.clear();
    for (const MarkupPiece& p : pieces) {
      const size_t from = decoded_.text.size();
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
    if (!segments_.empty() && segments_.back().decoded) {
      segments_.back().end = decoded_.text.size();
    } else {
      segments_.push_back({begin, decoded_.text.size(), true});
    }
    if (markup_.full() || segments_.size() >= kSegments) return Write();
    return {};
  }

  // Writes the segments: kept bytes as the target encodes them, converted
  // text with its edits.
  Status Write() {
    if (Status done = markup_.Prepare(); !done) return done;
    auto encode = [&](std::u32string_view text) {
      Encode(text, target_, out_, counts_);
    };
    for (const Segment& s : segments_) {
      if (s.decoded) {
        markup_.EmitTo(s.end, encode);
        continue;
      }
      // ASCII bytes are the same in every encoding; the rest is decoded
      // and encoded again.
      const size_t ascii = FindNonAscii(bytes_, s.begin, s.end);
      out_.append(bytes_.substr(s.begin, ascii - s.begin));
      if (ascii == s.end) continue;
      scratch_.text.clear();
      DecodeSome(bytes_, ascii, s.end - ascii, source_, scratch_);
      Encode(scratch_.text, target_, out_, counts_);
    }
    markup_.Clear();
    markup_.Drop(decoded_.text.size());
    decoded_.text.clear();
    segments_.clear();
    return {};
  }

  const std::string_view bytes_;
  const Encoding source_, target_;
  std::string& out_;
  EncodeCounts& counts_;
  MarkupConverter markup_;
  const bool ascii_kept_;
  std::vector<MarkupPiece> run_;  // Spans in bytes.
  // The code points of the run before run_counted_, once it is long.
  size_t run_code_points_ = 0;
  size_t run_counted_ = 0;
  bool run_converts_ = false;
  bool run_ends_with_space_ = false;
  DecodedText decoded_;
  std::vector<MarkupPiece> decoded_spans_;
  std::vector<Segment> segments_;
  DecodedText scratch_;
};

}  // namespace

Status RecodeMarkup(const Converter& converter, std::string_view bytes,
                    Encoding source, Encoding target, ScriptConversion how,
                    std::string& out, EncodeCounts& counts, size_t piece) {
  const size_t start = out.size();
  const EncodeCounts counted = counts;
  size_t pos = 0;
  const std::string_view mark = ByteOrderMark(source);
  if (!mark.empty() && bytes.starts_with(mark)) {
    pos = mark.size();
    // A UTF-8 page keeps its byte-order mark; no other target gets one.
    if (target == Encoding::kUtf8) out += ByteOrderMark(target);
  }
  const std::u8string_view units(
      reinterpret_cast<const char8_t*>(bytes.data()) + pos, bytes.size() - pos);
  BasicMarkupScanner<char8_t> scanner(units);
  MarkupRecoder recoder(converter, bytes, source, target, how, piece, out,
                        counts);
  MarkupPiece read;
  while (scanner.Next(read)) {
    read.span.begin += pos;
    read.span.end += pos;
    if (Status done = recoder.Add(read); !done) return done;
  }
  if (scanner.problem()) {
    out.resize(start);
    counts = counted;
    return *scanner.problem();
  }
  return recoder.Finish();
}

}  // namespace tovenrak::core
