// Converting the pieces of a document that a MarkupScanner reads: what
// people read between scripts, what machines follow kept as it is.

#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/converter.h"
#include "core/convert/text_breaks.h"
#include "core/markup/character_reference.h"
#include "core/markup/html_tokenizer.h"
#include "core/markup/language_tag.h"
#include "core/markup/markup_scanner.h"
#include "core/markup/sentence_parts.h"
#include "core/markup/text_batch.h"
#include "core/result.h"

namespace tovenrak::core {

// Converts the pieces a MarkupScanner reads. What is kept stays where it
// is in the text; each piece converted, or run of them, becomes an edit: a
// span of the text and what replaces it. Emit writes the text with its
// edits, over the text itself when every edit keeps its length, as nearly
// all do. A run of text and inline tags is converted once it ends, so the
// last run read stays pending until more pieces or Finish end it.
class MarkupConverter {
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
    // Where parts and the characters of references begin and end, in order:
    // the places of `phrase` its conversion must keep apart.
    std::vector<size_t> places;
    PlacedConversion whole, part;
    // Where each character of `phrase` is in the document, when points are
    // looked for.
    std::vector<size_t> origin;
  };

  // A span of text_ and what replaces it: out_[from, from + size) when
  // `job` is kOut, else the part [from, from + size) of text `job` of
  // batch_, as converted.
  struct Edit {
    size_t begin, end;
    size_t job, from, size;
  };

 public:
  // With `batch`, texts are converted together (a TextBatch); the text
  // read must then hold no TextBatch::kSeparator. `enough` code points waiting
  // to be converted make the converter full().
  MarkupConverter(const Converter& converter, ScriptConversion how,
                  std::vector<AmbiguityPoint>* points, bool batch,
                  size_t enough = size_t{1} << 15)
      : converter_(converter),
        how_(how),
        points_(points),
        batch_ok_(batch),
        enough_(enough),
        cut_long_runs_(!converter.KeysHoldBreaks()),
        keeps_lengths_(converter.KeepsLengths(how)) {}

  // A run at least this long (code points, tags included) is cut after its
  // next text that ends with a break (IsBreak), where cuts_long_runs().
  static constexpr size_t kLongRun = size_t{1} << 16;
  bool cuts_long_runs() const { return cut_long_runs_; }

  // Reads from `text`, all of the document read so far (it may have grown
  // and moved since the last call), and with `writable` the same text, which
  // Prepare may write edits over.
  void Text(std::u32string_view text, char32_t* writable) {
    text_ = text;
    writable_ = writable;
  }

  // Takes the next piece read. A run of text and inline tags stays pending
  // until a piece that is neither, or Finish, ends it.
  Status Add(const MarkupPiece& piece) {
    ready_ = false;
    if (piece.kind == PieceKind::kText || piece.inline_tag) {
      // A long run is converted in parts, each ending with a break: where
      // no key holds one, the parts convert as the whole would, and a page
      // with no break holds no more than a part.
      const bool cut =
          cut_long_runs_ && !run_.empty() && !run_.back().inline_tag &&
          run_.back().span.end - run_.front().span.begin >= kLongRun &&
          IsBreak(View(run_.back().span).back());
      if (cut) {
        if (Status done = FlushRun(); !done) return done;
      }
      run_.push_back(piece);
      ready_ = cut && full();
      return {};
    }
    if (Status done = FlushRun(); !done) return done;
    if (piece.kind != PieceKind::kMarkup) {
      if (Status done = EmitPiece(piece, scratch_[0]); !done) return done;
    }
    ready_ = full();
    return {};
  }

  // The last piece added ended a run or a piece, and enough text waits to be
  // converted that it is worth doing now: Emit up to Needed, between tokens.
  bool ready() const { return ready_; }
  // Enough text waits to be converted.
  bool full() const { return batch_.size() + out_.size() >= enough_; }

  // Converts the pending run: the document has ended.
  Status Finish() { return FlushRun(); }

  // The first code point still needed when the next piece begins at
  // `position`: the start of the pending run, if any. Everything before it
  // can be emitted.
  size_t Needed(size_t position) const {
    return run_.empty() ? position : run_.front().span.begin;
  }

  // Hands the text from where the last Emit stopped to `limit`, its edits
  // made, to `sink` (which takes std::u32string_view), in one or a few
  // pieces. REQUIRES: every piece read before `limit` is converted (limit
  // <= Needed).
  template <typename Sink>
  Status Emit(size_t limit, Sink&& sink) {
    if (Status done = Prepare(); !done) return done;
    EmitTo(limit, sink);
    Clear();
    return {};
  }

  // Emit in steps: Prepare converts what the pieces added so far hold; each
  // EmitTo hands the text on to a further `limit`; Clear ends the steps.
  // REQUIRES: as for Emit, with the last limit.
  Status Prepare() {
    if (Status done = batch_.Convert(converter_, how_); !done) return done;
    in_place_ = writable_ != nullptr;
    std::optional<SentenceParts> sentences;
    size_t sentences_job = kOut;
    for (Edit& e : edits_) {
      if (e.job != kOut) {
        const std::u32string_view in = batch_.In(e.job);
        if (e.size == in.size()) {
          e.size = batch_.Out(e.job).size();
        } else if (!keeps_lengths_ || batch_.Out(e.job).size() != in.size()) {
          // A run whose tags may not keep their places: by its sentences.
          if (sentences_job != e.job) {
            JobPlaces(e);
            sentences.emplace(converter_, how_, in, job_places_,
                              batch_.Out(e.job));
            sentences_job = e.job;
          }
          const size_t begin = out_.size();
          if (Status done = sentences->Append(e.from, e.size, out_); !done)
            return done;
          e.job = kOut;
          e.from = begin;
          e.size = out_.size() - begin;
        }
      }
      in_place_ = in_place_ && e.size == e.end - e.begin;
    }
    if (in_place_) {
      for (const Edit& e : edits_) {
        const std::u32string_view r = Replacement(e);
        std::copy(r.begin(), r.end(), writable_ + e.begin);
      }
    }
    next_edit_ = 0;
    return {};
  }

  template <typename Sink>
  void EmitTo(size_t limit, Sink&& sink) {
    if (in_place_) {
      sink(text_.substr(emitted_, limit - emitted_));
    } else {
      merged_.clear();
      size_t from = emitted_;
      for (; next_edit_ < edits_.size() && edits_[next_edit_].begin < limit;
           ++next_edit_) {
        const Edit& e = edits_[next_edit_];
        merged_.append(text_.substr(from, e.begin - from));
        merged_.append(Replacement(e));
        from = e.end;
      }
      merged_.append(text_.substr(from, limit - from));
      sink(std::u32string_view(merged_));
    }
    emitted_ = limit;
  }

  void Clear() {
    edits_.clear();
    batch_.Clear();
    out_.clear();
  }

  // Forgets the first `count` code points of the text, which the next Text
  // gives no more; points still count them. REQUIRES: the text is emitted
  // up to `count`, which is at most Needed.
  void Drop(size_t count) {
    for (MarkupPiece& p : run_) {
      p.span.begin -= count;
      p.span.end -= count;
    }
    offset_ += count;
    emitted_ -= count;
  }

  // The code points dropped so far, which points count before the text.
  size_t dropped() const { return offset_; }

 private:
  std::u32string_view View(TextSpan span) const {
    return text_.substr(span.begin, span.size());
  }

  // Where the parts of a job begin and end in its text, from its first
  // part, `first`, on: into job_places_.
  void JobPlaces(const Edit& first) {
    job_places_.assign(1, first.from);
    const size_t size = batch_.In(first.job).size();
    for (auto e = edits_.begin() + (&first - edits_.data());
         e != edits_.end() && job_places_.back() < size; ++e) {
      if (e->job == first.job) job_places_.push_back(e->from + e->size);
    }
  }

  // What replaces an edit's span, once Prepare has converted it.
  std::u32string_view Replacement(const Edit& e) const {
    return (e.job == kOut ? std::u32string_view(out_) : batch_.Out(e.job))
        .substr(e.from, e.size);
  }

  Status Convert(std::u32string_view text, std::u32string& out) const {
    return converter_.Convert(text, how_, out);
  }

  // Adds the text pieces of `run` to the batch as one text.
  size_t NewJob(std::span<const MarkupPiece> run) {
    const size_t job = batch_.Begin();
    for (const MarkupPiece& p : run)
      if (!p.inline_tag) batch_.input().text.append(View(p.span));
    batch_.End();
    return job;
  }

  // Records the points of `text`, converted and written, whose character i
  // is at origin[base + i] in the document, or at base + i without `origin`
  // (base then counted in the text given, not in the document).
  Status Note(std::u32string_view text, const std::vector<size_t>* origin,
              size_t base) {
    if (points_ == nullptr) return {};
    const size_t first = points_->size();
    Status found = converter_.FindAmbiguities(text, how_, *points_);
    for (size_t i = first; i < points_->size(); ++i) {
      size_t& index = (*points_)[i].index;
      index =
          origin != nullptr ? (*origin)[base + index] : offset_ + base + index;
    }
    return found;
  }

  Status FlushRun() {
    if (run_.empty()) return {};
    const MarkupPiece& first = run_.front();
    if (run_.size() == 1 && !first.inline_tag && !first.has_ampersand &&
        batch_ok_ && points_ == nullptr) {
      // Most runs are one text: what ConvertRun does with it, in short.
      edits_.push_back({first.span.begin, first.span.end, NewJob(run_), 0,
                        first.span.size()});
      run_.clear();
      return {};
    }
    Status done = ConvertRun(run_, /*references=*/true, scratch_[0]);
    run_.clear();
    return done;
  }

  // A piece outside a phrase. Pieces inside a run's tags use `scratch`,
  // which the run's own phrase does not. While a run is written whole to
  // out_ (immediate_), every piece goes there.
  Status EmitPiece(const MarkupPiece& piece, Scratch& scratch) {
    switch (piece.kind) {
      case PieceKind::kMarkup:
        if (immediate_) out_.append(View(piece.span));
        return {};
      case PieceKind::kLanguage:
        if (auto tag = FollowScript(View(piece.span), how_)) {
          const size_t begin = out_.size();
          out_.append(*tag);
          if (!immediate_)
            edits_.push_back(
                {piece.span.begin, piece.span.end, kOut, begin, tag->size()});
        } else if (immediate_) {
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
    if (!immediate_ && batch_ok_ && !has_reference && points_ == nullptr) {
      const size_t job = NewJob(run);
      size_t offset = 0;
      for (const MarkupPiece& p : run) {
        if (p.inline_tag) {
          if (Status done = EmitPiece(p, nested); !done) return done;
          continue;
        }
        edits_.push_back(
            {p.span.begin, p.span.end, job, offset, p.span.size()});
        offset += p.span.size();
      }
      return {};
    }
    if (!immediate_) {
      // The run written whole to out_, one edit.
      const size_t begin = out_.size();
      immediate_ = true;
      Status done = ConvertRun(run, references, s);
      immediate_ = false;
      edits_.push_back({run.front().span.begin, run.back().span.end, kOut,
                        begin, out_.size() - begin});
      return done;
    }
    if (parts <= 1 && !has_reference) {
      for (const MarkupPiece& p : run) {
        Status done;
        if (p.inline_tag) {
          done = EmitPiece(p, nested);
        } else {
          done = Convert(View(p.span), out_);
          if (done) done = Note(View(p.span), nullptr, p.span.begin);
        }
        if (!done) return done;
      }
      return {};
    }

    s.phrase.clear();
    s.references.clear();
    s.parts.clear();
    s.places.clear();
    s.origin.clear();
    auto place = [&] {
      if (s.places.empty() || s.places.back() != s.phrase.size())
        s.places.push_back(s.phrase.size());
    };
    auto take = [&](TextSpan span) {
      s.phrase.append(View(span));
      if (points_ == nullptr) return;
      for (size_t i = span.begin; i < span.end; ++i)
        s.origin.push_back(offset_ + i);
    };
    for (const MarkupPiece& p : run) {
      if (p.inline_tag) continue;
      const size_t begin = s.phrase.size();
      place();
      size_t pos = p.span.begin;
      for (size_t amp = pos; references && p.has_ampersand && amp < p.span.end;
           ++amp) {
        const size_t found = View({amp, p.span.end}).find(U'&');
        amp = found == text_.npos ? p.span.end : amp + found;
        // A numeric reference converts as its character; a named one
        // (&copy;), whose name a phrase of one's own might match, is
        // written back as it is.
        const std::u32string_view rest = View({amp, p.span.end});
        const std::optional<CharacterReference> ref = ReadReference(rest);
        const size_t named = ref ? 0 : NamedReferenceLength(rest);
        if (ref || named != 0) {
          take({pos, amp});
          place();
          const size_t length = ref ? ref->length : named;
          s.references.push_back({s.phrase.size(),
                                  {amp, amp + length},
                                  ref ? ref->form : ReferenceForm{}});
          s.phrase += ref ? ref->value : kNamedReferenceMark;
          place();
          if (points_ != nullptr) s.origin.push_back(offset_ + amp);
          pos = amp + length;
          amp = pos - 1;
        }
      }
      take({pos, p.span.end});
      place();
      s.parts.push_back({begin, s.phrase.size()});
    }
    if (Status done = s.whole.Convert(converter_, how_, s.phrase, 0,
                                      s.phrase.size(), s.places);
        !done)
      return done;
    const bool mapped = s.whole.mapped();
    if (mapped) {
      if (Status done = Note(s.phrase, &s.origin, 0); !done) return done;
    }

    size_t part = 0, next_reference = 0;
    SentenceParts sentences(converter_, how_, s.phrase, s.places);
    for (const MarkupPiece& p : run) {
      Status done;
      if (p.inline_tag) {
        done = EmitPiece(p, nested);
      } else if (mapped) {
        EmitMapped(s.whole, s.parts[part++], s, next_reference);
      } else {
        done = ConvertBySentence(s.parts[part++], s, next_reference, sentences);
      }
      if (!done) return done;
    }
    return {};
  }

  // A part of a run whose conversion does not place all its tags, sentence
  // by sentence as SentenceParts converts it, references in their forms.
  Status ConvertBySentence(TextSpan range, Scratch& s, size_t& next_reference,
                           SentenceParts& sentences) {
    for (size_t at = range.begin; at < range.end;) {
      bool fresh = false;
      if (Status done = sentences.Reach(at, &fresh); !done) return done;
      const PlacedConversion& sentence = sentences.sentence();
      if (fresh && sentence.mapped()) {
        const std::u32string_view text(s.phrase);
        if (Status done = Note(text.substr(sentence.begin(),
                                           sentence.end() - sentence.begin()),
                               &s.origin, sentence.begin());
            !done)
          return done;
      }
      const TextSpan piece{at, std::min(range.end, sentence.end())};
      if (sentence.mapped()) {
        EmitMapped(sentence, piece, s, next_reference);
      } else if (Status done = ConvertPart(piece, s, next_reference); !done) {
        return done;
      }
      at = piece.end;
    }
    return {};
  }

  // Writes the phrase characters `range` as `converted` has them, each
  // reference in its form. REQUIRES: converted.mapped(), and the edges of
  // `range` and of the references in it are its edges or places.
  void EmitMapped(const PlacedConversion& converted, TextSpan range,
                  const Scratch& s, size_t& next_reference) {
    size_t at = range.begin;
    for (; next_reference < s.references.size() &&
           s.references[next_reference].index < range.end;
         ++next_reference) {
      const PhraseReference& ref = s.references[next_reference];
      out_.append(converted.Between(at, ref.index));
      const std::u32string_view c = converted.Between(ref.index, ref.index + 1);
      if (c.size() == 1 && c[0] == s.phrase[ref.index]) {
        out_.append(View(ref.span));
      } else {
        for (const char32_t each : c) AppendReference(each, ref.form, out_);
      }
      at = ref.index + 1;
    }
    out_.append(converted.Between(at, range.end));
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
    Status done = s.part.Convert(converter_, how_, phrase, range.begin,
                                 range.end, s.places);
    if (!done) return done;
    if (s.part.mapped()) {
      EmitMapped(s.part, range, s, next_reference);
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

  static constexpr size_t kOut = SIZE_MAX;

  const Converter& converter_;
  std::u32string_view text_;
  char32_t* writable_ = nullptr;
  size_t offset_ = 0;   // Code points of the document dropped before text_.
  size_t emitted_ = 0;  // Where the next Emit begins in text_.
  const ScriptConversion how_;
  std::vector<AmbiguityPoint>* points_;  // Null when not looked for.
  const bool batch_ok_;
  const size_t enough_;
  const bool cut_long_runs_;  // No key holds white space.
  const bool keeps_lengths_;  // Converter::KeepsLengths.
  bool immediate_ = false;
  bool ready_ = false;
  bool in_place_ = false;         // Prepare wrote the edits over the text.
  size_t next_edit_ = 0;          // The first edit EmitTo has not written.
  std::vector<MarkupPiece> run_;  // Text and inline tags since the last break.
  std::array<Scratch, 2> scratch_;
  // Replacements written so far, and the runs written whole.
  std::u32string out_;

  TextBatch batch_;

  std::vector<Edit> edits_;         // In the order of the text.
  std::vector<size_t> job_places_;  // JobPlaces.
  std::u32string merged_;  // The text and edits, when they change length.
};

}  // namespace tovenrak::core
