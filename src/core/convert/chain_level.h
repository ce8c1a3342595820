// One conversion of a chain: dictionaries looked up in priority order.

#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/opencc_dictionaries.h"
#include "core/convert/phrase_trie.h"
#include "core/convert/place_mover.h"

namespace tovenrak::core {

// A dictionary compiled for longest-match lookups: the trie's values are
// entry numbers of `dictionary`.
struct CompiledDictionary {
  PhraseTrie trie;
  DictionaryPtr dictionary;
};
using CompiledDictionaryPtr = std::shared_ptr<const CompiledDictionary>;

// Compiles `dictionary`, leaving out every entry whose key is in `excluded`
// (which may be null).
CompiledDictionaryPtr CompileDictionary(DictionaryPtr dictionary,
                                        const PhraseTrie* excluded = nullptr);

// One conversion of the chain. Within a segment it works left to right: at
// each position it takes the longest key of the first dictionary that has a
// key there, writes that key's value and moves past the key; where no
// dictionary has a key it copies one code point. Const and thread-safe.
class ChainLevel {
 public:
  explicit ChainLevel(std::vector<CompiledDictionaryPtr> dictionaries)
      : ChainLevel(std::move(dictionaries), /*note_beginnings=*/true) {}

  // Writes what the level notes about its dictionaries (which begin with
  // each code point, and JoinNextLevel's reaches), and reads it back for
  // the same dictionaries, `joined` when a next level was joined; Load
  // fails on a form that does not fit them.
  void Save(TableWriter& out) const;
  static std::optional<ChainLevel> Load(
      std::vector<CompiledDictionaryPtr> dictionaries, bool joined,
      TableReader& in);

  // Converts the segment `text` and appends the result to `out`. Returns
  // false when some match was decided at the end of `text` while a longer
  // key was still possible: had the segment gone on, the result could differ.
  // With `mover`, tells it of each match and each code point copied.
  bool Convert(std::u32string_view text, std::u32string& out,
               PlaceMover* mover = nullptr) const;

  // The result for the single code point `cp` as a segment of its own.
  std::u32string ConvertOne(char32_t cp) const;

  // Whether a key of two or more code points starts with `cp`.
  bool BeginsLongKey(char32_t cp) const;
  // The length of the longest key that starts with `first`, `second`, or 0
  // when none does.
  size_t LongestKeyBeginning(char32_t first, char32_t second) const;

  // How far from the start of `text` a match of a key of two or more code
  // points that `text` begins with reaches, together with the keys of the
  // next level (see JoinNextLevel) that its output may take part in: the
  // most, over those keys of any dictionary, of the key's length plus the
  // most code points a key of the next level holds from a code point of the
  // key's output on; 0 when no such key begins `text`. Sets `open` when the
  // text ended while a longer key was still possible.
  size_t LongKeyReachAt(std::u32string_view text, bool& open) const;

  // Notes the level that converts this level's output. A key of `next` that
  // overlaps a match's output holds one of its code points, and so reaches
  // past the output no further than it goes on after that code point: for
  // most outputs far less than next's longest key.
  void JoinNextLevel(const ChainLevel& next);

  // The longest key of any dictionary, in code points (at least 1).
  size_t MaxKeyLength() const { return max_key_length_; }

  // Appends to `out` the first code point of every key, in no set order and
  // possibly more than once.
  void AppendKeyStarts(std::vector<char32_t>& out) const;

  const std::vector<CompiledDictionaryPtr>& dictionaries() const {
    return dictionaries_;
  }

 private:
  ChainLevel(std::vector<CompiledDictionaryPtr> dictionaries,
             bool note_beginnings);

  std::vector<CompiledDictionaryPtr> dictionaries_;
  // Whether a long key may begin with `first`, `second`: false for most
  // pairs, answered from a few kilobytes instead of the tries.
  bool MayBeginLongKey(char32_t first, char32_t second) const {
    const size_t bit = PairBit(first, second);
    return (pair_bits_[bit / 64] >> (bit % 64) & 1) != 0;
  }
  static size_t PairBit(char32_t first, char32_t second) {
    return static_cast<size_t>(
        ((uint64_t{first} << 21 | second) * 0x9E3779B97F4A7C15u) >>
        (64 - kPairBits));
  }

  // Whether dictionary `i` may have a key beginning with `cp`. Most code
  // points begin keys of few of a level's dictionaries, or none, and a
  // dictionary that has none is passed by without a walk of its trie.
  bool MayBegin(size_t i, char32_t cp) const {
    return i >= kTabled || cp >= 0x10000 || begins_.empty() ||
           (begins_[cp] >> i & 1) != 0;
  }

  // Bit i of begins_[cp], for the first kTabled dictionaries: dictionary i
  // has a key beginning with `cp`, a code point of the BMP.
  static constexpr size_t kTabled = 8;
  TableArray<uint8_t> begins_;
  // Those with a key of two or more code points: a character table has
  // none, and the questions about long keys pass it by.
  struct LongKeyed {
    const PhraseTrie* trie;
    size_t dictionary;  // Its number in the level.
  };
  std::vector<LongKeyed> long_keyed_;
  // For each of long_keyed_, indexed by node: for the key ending there, the
  // most code points a key of the next level holds from a code point of its
  // output on. Empty while no next level is joined.
  std::vector<TableArray<uint32_t>> joined_;
  size_t max_key_length_ = 1;
  // Bit PairBit(a, b) is set for the first two code points of each long
  // key.
  static constexpr int kPairBits = 16;
  std::vector<uint64_t> pair_bits_;
};

}  // namespace tovenrak::core
