// OpenCC's conversion of a text, reproduced over code points: longest-match
// segmentation, then the conversion chain over every segment.

#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/chain_level.h"
#include "core/convert/opencc_dictionaries.h"
#include "core/convert/phrase_trie.h"

namespace tovenrak::core {

// The segmentation splits a text into segments: at each position the longest
// segmentation key there is a segment of its own; the code points between
// such keys form one segment ("a run"). Each conversion of the chain then
// works on each segment separately, so no match crosses a segment boundary.
//
// A segment that is a key always converts to the same text, so that text is
// computed once here. The first conversion sees a run as it stands in the
// text, where no key of the segmentation dictionary can match (it would have
// been a segment), so such keys are dropped from it for runs. Const and
// thread-safe once built.
class SegmentedChain {
 public:
  explicit SegmentedChain(const ConversionPlan& plan);

  // Converts `text` as a whole and appends the result to `out`.
  void Convert(std::u32string_view text, std::u32string& out) const;

  // Converts `text` as Convert does, and moves `places`, positions of
  // `text` in increasing order, to where they stand in what it appends (see
  // PlaceMover). A key's output is known only as a whole: inside a key that
  // keeps its length, each character is taken to keep its place, as it does
  // in every key of OpenCC's dictionaries.
  void ConvertPlacing(std::u32string_view text, std::u32string& out,
                      std::span<size_t> places) const;

  // Converts `run`, a segment that holds no segmentation key, and appends the
  // result to `out`.
  void ConvertRun(std::u32string_view run, std::u32string& out) const;

  // Converts the longest prefix of `text` it can prove to convert alike
  // whatever follows `text`, appends its result to `out`, and returns its
  // length (0 when none was found, `out` then unchanged). What follows the
  // prefix converts on its own. This is how a long stretch that the fast
  // path cannot cut, such as one character repeated a million times, is
  // converted in bounded pieces.
  size_t ConvertPrefix(std::u32string_view text, std::u32string& out) const;

  const PhraseTrie& segmentation() const { return segmentation_->trie; }
  // What the key whose segmentation trie value is `value` converts to.
  std::u32string_view PhraseOutput(uint32_t value) const {
    return phrase_text_.view().substr(
        phrase_outputs_[value],
        phrase_outputs_[value + 1] - phrase_outputs_[value]);
  }
  size_t PhraseCount() const { return phrase_outputs_.size() - 1; }

  // The conversions as they apply inside runs.
  const std::vector<ChainLevel>& run_levels() const { return run_levels_; }

  // Writes the chain in its flat form (each dictionary once), and reads it
  // back; Load fails on a damaged form.
  void Save(TableWriter& out) const;
  static std::optional<SegmentedChain> Load(TableReader& in);

 private:
  SegmentedChain() = default;

  // Calls `run(begin, end)` for each run of `text` (which may be empty)
  // and `key(length, output)` for each segmentation key, in order.
  template <typename Run, typename Key>
  void Segment(std::u32string_view text, Run run, Key key) const;

  // Tells the first level of a run about the second (ChainLevel::
  // JoinNextLevel).
  void JoinLevels();

  CompiledDictionaryPtr segmentation_;
  std::vector<ChainLevel> run_levels_;
  // Output of phrase v: phrase_text_[phrase_outputs_[v], phrase_outputs_[v+1]).
  TableArray<char32_t> phrase_text_;
  TableArray<uint32_t> phrase_outputs_;
};

}  // namespace tovenrak::core
