#include "core/markup/convert_markup.h"

#include <array>
#include <span>
#include <vector>

#include "core/markup/character_reference.h"
#include "core/markup/html_tokenizer.h"
#include "core/markup/language_tag.h"
#include "core/markup/markup_scanner.h"

namespace tovenrak::core {

namespace {

constexpr std::string_view kMarkupExtensions[] = {
    "htm", "html", "shtml", "xhtml", "asp", "aspx",
    "jsp", "php",  "xml",   "rss",   "atom"};

// A reference read inside a phrase.
struct PhraseReference {
  size_t index;   // The character it stands for in the phrase.
  TextSpan span;  // Where it is written in the document.
  ReferenceForm form;
};

// One phrase being converted: the text people read, gathered from the
// pieces of a run.
struct Scratch {
  std::u32string phrase;
  std::u32string converted;
  std::vector<PhraseReference> references;
  std::vector<TextSpan> parts;  // Each text piece's range in `phrase`.
  // Where each character of `phrase` is in the document, when points are
  // looked for.
  std::vector<size_t> origin;
};

class MarkupConverter {
 public:
  MarkupConverter(const Converter& converter, std::u32string_view text,
                  ScriptConversion how, std::u32string& out,
                  std::vector<AmbiguityPoint>* points)
      : converter_(converter),
        text_(text),
        how_(how),
        out_(out),
        points_(points) {}

  Status Run() {
    const size_t start = out_.size();
    out_.reserve(start + text_.size() + text_.size() / 16);
    MarkupScanner scanner(text_);
    MarkupPiece piece;
    while (scanner.Next(piece)) {
      if (piece.kind == PieceKind::kText || piece.inline_tag) {
        run_.push_back(piece);
        continue;
      }
      if (Status done = FlushRun(); !done) return done;
      if (Status done = EmitPiece(piece, scratch_[0]); !done) return done;
    }
    if (scanner.problem()) {
      out_.resize(start);
      return *scanner.problem();
    }
    return FlushRun();
  }

 private:
  std::u32string_view View(TextSpan span) const {
    return text_.substr(span.begin, span.size());
  }

  Status Convert(std::u32string_view text, std::u32string& out) const {
    return converter_.Convert(text, how_, out);
  }

  // Records the points of `text`, converted and written, whose character i
  // is at origin[base + i] in the document, or at base + i without `origin`.
  Status Note(std::u32string_view text, const std::vector<size_t>* origin,
              size_t base) {
    if (points_ == nullptr) return {};
    const size_t first = points_->size();
    Status found = converter_.FindAmbiguities(text, how_, *points_);
    for (size_t i = first; i < points_->size(); ++i) {
      size_t& index = (*points_)[i].index;
      index = origin != nullptr ? (*origin)[base + index] : base + index;
    }
    return found;
  }

  Status FlushRun() {
    Status done = ConvertRun(run_, /*references=*/true, scratch_[0]);
    run_.clear();
    return done;
  }

  // A piece outside a phrase. Pieces inside a run's tags use `scratch`,
  // which the run's own phrase does not.
  Status EmitPiece(const MarkupPiece& piece, Scratch& scratch) {
    switch (piece.kind) {
      case PieceKind::kMarkup:
        out_.append(View(piece.span));
        return {};
      case PieceKind::kLanguage:
        if (auto tag = FollowScript(View(piece.span), how_)) {
          out_.append(*tag);
        } else {
          out_.append(View(piece.span));
        }
        return {};
      case PieceKind::kText:
      case PieceKind::kValue:
      case PieceKind::kComment:
        break;
    }
    MarkupPiece alone = piece;
    alone.inline_tag = false;
    if (piece.kind != PieceKind::kComment)
      return ConvertRun({&alone, 1}, true, scratch);
    std::vector<AmbiguityPoint>* const points = points_;
    points_ = nullptr;
    Status done = ConvertRun({&alone, 1}, false, scratch);
    points_ = points;
    return done;
  }

  // Converts the text pieces of `run` (those outside tags) as one phrase and
  // writes the run with its tags in their places.
  Status ConvertRun(std::span<const MarkupPiece> run, bool references,
                    Scratch& s) {
    size_t parts = 0;
    bool has_reference = false;
    for (const MarkupPiece& p : run) {
      if (p.inline_tag) continue;
      ++parts;
      has_reference = has_reference || (references && p.has_ampersand);
    }
    Scratch& nested = &s == &scratch_[0] ? scratch_[1] : scratch_[0];
    if (parts <= 1 && !has_reference) {
      for (const MarkupPiece& p : run) {
        Status done =
            p.inline_tag ? EmitPiece(p, nested) : Convert(View(p.span), out_);
        if (done && !p.inline_tag)
          done = Note(View(p.span), nullptr, p.span.begin);
        if (!done) return done;
      }
      return {};
    }

    s.phrase.clear();
    s.references.clear();
    s.parts.clear();
    s.origin.clear();
    auto take = [&](TextSpan span) {
      s.phrase.append(View(span));
      if (points_ == nullptr) return;
      for (size_t i = span.begin; i < span.end; ++i) s.origin.push_back(i);
    };
    for (const MarkupPiece& p : run) {
      if (p.inline_tag) continue;
      const size_t begin = s.phrase.size();
      size_t pos = p.span.begin;
      for (size_t amp = pos; references && p.has_ampersand && amp < p.span.end;
           ++amp) {
        const size_t found = View({amp, p.span.end}).find(U'&');
        amp = found == text_.npos ? p.span.end : amp + found;
        if (auto ref = ReadReference(View({amp, p.span.end}))) {
          take({pos, amp});
          s.references.push_back(
              {s.phrase.size(), {amp, amp + ref->length}, ref->form});
          s.phrase += ref->value;
          if (points_ != nullptr) s.origin.push_back(amp);
          pos = amp + ref->length;
          amp = pos - 1;
        }
      }
      take({pos, p.span.end});
      s.parts.push_back({begin, s.phrase.size()});
    }
    s.converted.clear();
    if (Status done = Convert(s.phrase, s.converted); !done) return done;
    const bool same_length = s.converted.size() == s.phrase.size();
    if (same_length) {
      if (Status done = Note(s.phrase, &s.origin, 0); !done) return done;
    }

    size_t part = 0, next_reference = 0;
    for (const MarkupPiece& p : run) {
      Status done;
      if (p.inline_tag) {
        done = EmitPiece(p, nested);
      } else if (same_length) {
        EmitMapped(s.converted, 0, s.parts[part++], s, next_reference);
      } else {
        done = ConvertPart(s.parts[part++], s, next_reference);
      }
      if (!done) return done;
    }
    return {};
  }

  // Writes the phrase characters `range` as `converted` has them, where
  // converted[i - base] stands for phrase[i], each reference in its form.
  void EmitMapped(std::u32string_view converted, size_t base, TextSpan range,
                  const Scratch& s, size_t& next_reference) {
    size_t at = range.begin;
    for (; next_reference < s.references.size() &&
           s.references[next_reference].index < range.end;
         ++next_reference) {
      const PhraseReference& ref = s.references[next_reference];
      out_.append(converted.substr(at - base, ref.index - at));
      const char32_t c = converted[ref.index - base];
      if (c == s.phrase[ref.index]) {
        out_.append(View(ref.span));
      } else {
        AppendReference(c, ref.form, out_);
      }
      at = ref.index + 1;
    }
    out_.append(converted.substr(at - base, range.end - at));
  }

  // One text piece on its own; if its references cannot be mapped to its
  // conversion one to one, each reference is converted alone.
  Status ConvertPart(TextSpan range, Scratch& s, size_t& next_reference) {
    const std::u32string_view phrase = s.phrase;
    auto in_range = [&] {
      return next_reference < s.references.size() &&
             s.references[next_reference].index < range.end;
    };
    const std::u32string_view whole = phrase.substr(range.begin, range.size());
    if (!in_range()) {
      Status done = Convert(whole, out_);
      return done ? Note(whole, &s.origin, range.begin) : done;
    }
    s.converted.clear();
    Status done = Convert(whole, s.converted);
    if (!done) return done;
    if (s.converted.size() == range.size()) {
      EmitMapped(s.converted, range.begin, range, s, next_reference);
      return Note(whole, &s.origin, range.begin);
    }
    size_t at = range.begin;
    for (; in_range(); ++next_reference) {
      const PhraseReference& ref = s.references[next_reference];
      if (!(done = Convert(phrase.substr(at, ref.index - at), out_)) ||
          !(done = Note(phrase.substr(at, ref.index - at), &s.origin, at)))
        return done;
      s.converted.clear();
      if (!(done = Convert(phrase.substr(ref.index, 1), s.converted)) ||
          !(done = Note(phrase.substr(ref.index, 1), &s.origin, ref.index)))
        return done;
      if (s.converted.size() == 1 && s.converted[0] == phrase[ref.index]) {
        out_.append(View(ref.span));
      } else {
        for (const char32_t c : s.converted) AppendReference(c, ref.form, out_);
      }
      at = ref.index + 1;
    }
    if (!(done = Convert(phrase.substr(at, range.end - at), out_))) return done;
    return Note(phrase.substr(at, range.end - at), &s.origin, at);
  }

  const Converter& converter_;
  const std::u32string_view text_;
  const ScriptConversion how_;
  std::u32string& out_;
  std::vector<AmbiguityPoint>* points_;  // Null when not looked for.
  std::vector<MarkupPiece> run_;  // Text and inline tags since the last break.
  std::array<Scratch, 2> scratch_;
};

}  // namespace

bool LooksLikeMarkup(std::string_view file_name, std::u32string_view text) {
  const size_t slash = file_name.find_last_of("/\\");
  if (slash != std::string_view::npos) file_name.remove_prefix(slash + 1);
  if (const size_t dot = file_name.rfind('.'); dot != std::string_view::npos) {
    const std::string_view extension = file_name.substr(dot + 1);
    const std::u32string wide(extension.begin(), extension.end());
    for (const std::string_view known : kMarkupExtensions)
      if (EqualsIgnoringCase(wide, known)) return true;
  }
  for (const char32_t c : text) {
    if (IsHtmlSpace(c) || c == 0xFEFF) continue;
    return c == '<';
  }
  return false;
}

Status ConvertMarkup(const Converter& converter, std::u32string_view text,
                     ScriptConversion how, std::u32string& out,
                     std::vector<AmbiguityPoint>* points) {
  return MarkupConverter(converter, text, how, out, points).Run();
}

}  // namespace tovenrak::core
