// The texts of a run whose tags cannot all be placed in its conversion,
// converted sentence by sentence. A run's texts (those split only by inline
// tags) convert as one phrase, each tag kept at its character's position;
// where a phrase that changes length (博客 to 部落格) covers a tag, which
// character stands where is not known. Such a phrase leaves the rest of its
// paragraph mapped still: each sentence (here, the stretch up to a space or
// a punctuation mark that ends a clause) whose tags all have their places
// keeps them there, and only in the others is each text converted alone.

#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/converter.h"
#include "core/convert/text_breaks.h"
#include "core/result.h"

namespace tovenrak::core {

// The end of the sentence of `text` that holds text[at]: just past the next
// break (IsBreak: white space, or what ends a sentence or a clause), or the
// end of the text. No key holds one, so a sentence converts on its own as
// it does in the text.
inline size_t SentenceEnd(std::u32string_view text, size_t at) {
  while (at < text.size() && !IsBreak(text[at])) ++at;
  return at < text.size() ? at + 1 : at;
}

// The beginning of the sentence of `text` that holds text[at].
inline size_t SentenceBegin(std::u32string_view text, size_t at) {
  while (at > 0 && !IsBreak(text[at - 1])) --at;
  return at;
}

// A stretch of a text converted with the places inside it that a caller
// needs followed (the edges of the pieces it writes apart): mapped() when
// each of them stands somewhere in the conversion.
class PlacedConversion {
 public:
  // Converts text[begin, end), following the places of `places` (in
  // increasing order) that lie strictly inside it.
  Status Convert(const Converter& converter, ScriptConversion how,
                 std::u32string_view text, size_t begin, size_t end,
                 std::span<const size_t> places) {
    begin_ = begin;
    end_ = end;
    const auto first = std::upper_bound(places.begin(), places.end(), begin);
    inside_ = {first, std::lower_bound(first, places.end(), end)};
    moved_.clear();
    for (const size_t p : inside_) moved_.push_back(p - begin);
    converted_.clear();
    if (Status done = converter.ConvertPlacing(text.substr(begin, end - begin),
                                               how, converted_, moved_);
        !done)
      return done;
    mapped_ = std::find(moved_.begin(), moved_.end(), kNoPlace) == moved_.end();
    return {};
  }

  // Takes `converted`, the conversion of all of `text`, as it is, where
  // each piece of `text` between the places converts on its own to what
  // that holds there; says whether it did.
  Status TakeIfPiecesAgree(const Converter& converter, ScriptConversion how,
                           std::u32string_view text,
                           std::span<const size_t> places,
                           std::u32string_view converted, bool& taken) {
    taken = false;
    converted_.clear();
    moved_.clear();
    begin_ = 0;
    end_ = text.size();
    const auto first = std::upper_bound(places.begin(), places.end(), 0);
    inside_ = {first, std::lower_bound(first, places.end(), end_)};
    size_t from = 0;
    for (const size_t p : inside_) {
      if (Status done =
              converter.Convert(text.substr(from, p - from), how, converted_);
          !done)
        return done;
      moved_.push_back(converted_.size());
      from = p;
    }
    if (Status done = converter.Convert(text.substr(from), how, converted_);
        !done)
      return done;
    taken = mapped_ = converted_ == converted;
    if (!taken) end_ = 0;  // Holds no sentence.
    return {};
  }

  size_t begin() const { return begin_; }
  size_t end() const { return end_; }
  bool mapped() const { return mapped_; }
  std::u32string_view converted() const { return converted_; }

  // What text[from, to) converted to. REQUIRES: mapped(); `from` and `to`
  // are begin(), end() or places followed.
  std::u32string_view Between(size_t from, size_t to) const {
    const size_t out_from = Where(from);
    return std::u32string_view(converted_)
        .substr(out_from, Where(to) - out_from);
  }

 private:
  size_t Where(size_t at) const {
    if (at == begin_) return 0;
    if (at == end_) return converted_.size();
    return moved_[std::lower_bound(inside_.begin(), inside_.end(), at) -
                  inside_.begin()];
  }

  size_t begin_ = 0, end_ = 0;
  std::span<const size_t> inside_;
  std::vector<size_t> moved_;
  std::u32string converted_;
  bool mapped_ = false;
};

// Converts the texts of one run, given in order, by its sentences.
class SentenceParts {
 public:
  // `run`: the run's texts, one after another; `places`: in increasing
  // order, every place of the run where a part asked for begins or ends,
  // and any other a caller asks Between about. With `converted`, the run's
  // conversion, the run is first taken whole if each part converts on its
  // own to what that holds, as most do.
  SentenceParts(const Converter& converter, ScriptConversion how,
                std::u32string_view run, std::span<const size_t> places,
                std::optional<std::u32string_view> converted = std::nullopt)
      : converter_(converter),
        how_(how),
        run_(run),
        places_(places),
        whole_(converter.KeysHoldBreaks()),
        converted_(converted) {}

  // Appends the conversion of run[from, from + size): each part of it in a
  // sentence as the sentence's conversion has it, where each of the
  // sentence's places stands somewhere in that, else converted alone.
  // Parts are asked for in order, so each sentence is converted once.
  Status Append(size_t from, size_t size, std::u32string& out) {
    for (size_t at = from, end = from + size; at < end;) {
      if (Status done = Reach(at); !done) return done;
      const size_t stop = std::min(end, sentence_.end());
      if (sentence_.mapped()) {
        out.append(sentence_.Between(at, stop));
      } else if (Status done =
                     converter_.Convert(run_.substr(at, stop - at), how_, out);
                 !done) {
        return done;
      }
      at = stop;
    }
    return {};
  }

  // Converts the sentence that holds run[at], unless the last one asked for
  // does; with `fresh`, says whether it converted one.
  Status Reach(size_t at, bool* fresh = nullptr) {
    if (converted_) {
      bool taken = false;
      Status done = sentence_.TakeIfPiecesAgree(converter_, how_, run_, places_,
                                                *converted_, taken);
      converted_.reset();
      if (!done || taken) {
        if (fresh != nullptr) *fresh = true;
        return done;
      }
    }
    if (fresh != nullptr) *fresh = at >= sentence_.end();
    if (at < sentence_.end()) return {};
    // Where a key holds what ends a sentence, the run is one sentence.
    return sentence_.Convert(
        converter_, how_, run_, whole_ ? 0 : SentenceBegin(run_, at),
        whole_ ? run_.size() : SentenceEnd(run_, at), places_);
  }
  // The sentence reached last, converted.
  const PlacedConversion& sentence() const { return sentence_; }

 private:
  const Converter& converter_;
  const ScriptConversion how_;
  const std::u32string_view run_;
  const std::span<const size_t> places_;
  const bool whole_;
  std::optional<std::u32string_view> converted_;  // Until tried.
  PlacedConversion sentence_;
};

}  // namespace tovenrak::core
