// One conversion of a chain: dictionaries looked up in priority order.

#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/opencc_dictionaries.h"
#include "core/convert/phrase_trie.h"

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
  explicit ChainLevel(std::vector<CompiledDictionaryPtr> dictionaries);

  // Converts the segment `text` and appends the result to `out`. Returns
  // false when some match was decided at the end of `text` while a longer
  // key was still possible: had the segment gone on, the result could differ.
  bool Convert(std::u32string_view text, std::u32string& out) const;

  // The result for the single code point `cp` as a segment of its own.
  std::u32string ConvertOne(char32_t cp) const;

  // Whether a key of two or more code points starts with `cp`.
  bool BeginsLongKey(char32_t cp) const;
  // The length of the longest key that starts with `first`, `second`, or 0
  // when none does.
  size_t LongestKeyBeginning(char32_t first, char32_t second) const;

  // The length of the longest key of two or more code points, of any
  // dictionary, that `text` begins with, or 0 when none is; sets `open` when
  // the text ended while a longer key was still possible.
  size_t LongestLongKeyAt(std::u32string_view text, bool& open) const;

  // The longest key of any dictionary, in code points (at least 1).
  size_t MaxKeyLength() const { return max_key_length_; }

  // Appends to `out` the first code point of every key, in no set order and
  // possibly more than once.
  void AppendKeyStarts(std::vector<char32_t>& out) const;

  const std::vector<CompiledDictionaryPtr>& dictionaries() const {
    return dictionaries_;
  }

 private:
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

  // Those with a key of two or more code points: a character table has
  // none, and the questions about long keys pass it by.
  std::vector<const PhraseTrie*> long_keyed_;
  size_t max_key_length_ = 1;
  // Bit PairBit(a, b) is set for the first two code points of each long
  // key.
  static constexpr int kPairBits = 16;
  std::vector<uint64_t> pair_bits_;
};

}  // namespace tovenrak::core
