// The texts of a run whose conversion changed its length, converted
// sentence by sentence. A run's texts (those split only by inline tags)
// convert as one phrase, each tag kept at its character's position; where
// that changes the length, which character stands where is no longer
// known. A phrase that changes length (博客 to 部落格) leaves the rest of its
// paragraph mapped still when the sentences around it keep theirs: each
// sentence that does keeps its tags in their places, and only in the others
// is each text converted alone.

#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "core/convert/converter.h"
#include "core/convert/text_breaks.h"
#include "core/result.h"

namespace tovenrak::core {

// The end of the sentence of `text` that holds text[at]: just past the next
// character that ends one, or the end of the text.
inline size_t SentenceEnd(std::u32string_view text, size_t at) {
  while (at < text.size() && !EndsSentence(text[at])) ++at;
  return at < text.size() ? at + 1 : at;
}

// The beginning of the sentence of `text` that holds text[at].
inline size_t SentenceBegin(std::u32string_view text, size_t at) {
  while (at > 0 && !EndsSentence(text[at - 1])) --at;
  return at;
}

// Converts the texts of one run, given in order, by its sentences.
class SentenceParts {
 public:
  // `run`: the run's texts, one after another.
  SentenceParts(const Converter& converter, ScriptConversion how,
                std::u32string_view run)
      : converter_(converter),
        how_(how),
        run_(run),
        whole_(converter.KeysHoldBreaks()) {}

  // Appends the conversion of run[from, from + size): each part of it in a
  // sentence as the sentence's conversion has it, where that keeps the
  // sentence's length, else converted alone. Parts are asked for in order,
  // so each sentence is converted once.
  Status Append(size_t from, size_t size, std::u32string& out) {
    for (size_t at = from, end = from + size; at < end;) {
      if (Status done = Reach(at); !done) return done;
      const size_t stop = std::min(end, end_);
      if (mapped_) {
        out.append(converted().substr(at - begin_, stop - at));
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
    if (fresh != nullptr) *fresh = at >= end_;
    if (at < end_) return {};
    // Where a key holds what ends a sentence, the run is one sentence.
    begin_ = whole_ ? 0 : SentenceBegin(run_, at);
    end_ = whole_ ? run_.size() : SentenceEnd(run_, at);
    converted_.clear();
    if (Status done = converter_.Convert(sentence(), how_, converted_); !done)
      return done;
    mapped_ = converted_.size() == end_ - begin_;
    return {};
  }
  // The sentence reached last, where it is, and its conversion.
  std::u32string_view sentence() const {
    return run_.substr(begin_, end_ - begin_);
  }
  size_t begin() const { return begin_; }
  size_t end() const { return end_; }
  std::u32string_view converted() const { return converted_; }
  bool mapped() const { return mapped_; }  // It kept its length.

 private:
  const Converter& converter_;
  const ScriptConversion how_;
  const std::u32string_view run_;
  const bool whole_;
  size_t begin_ = 0, end_ = 0;
  std::u32string converted_;
  bool mapped_ = false;
};

}  // namespace tovenrak::core
