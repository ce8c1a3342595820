// What the conversion engine looks up at every code point that begins
// segmentation keys, laid out for one cache miss each: the trie node after a
// key's first two code points, and each key's output.

#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/conversion_tables.h"

namespace tovenrak::core {

// Built from a ConversionTables' accessors when they are compiled, kept in
// the same table file, and then only read. Takes 1.8 MiB for s2tw. On a page
// dense in phrases, the engine spent most of its time in cache misses: the pair
// bitmap, the binary search among the first code point's children, the node,
// then three dependent loads to reach the key's output; here it is one probe
// and one load.
class SegmentationIndex {
 public:
  explicit SegmentationIndex(const ConversionTables& tables);

  // Writes the index in its flat form, and reads it back for `tables`; Load
  // returns null for a form that is damaged or does not fit `tables`.
  void Save(TableWriter& out) const;
  static std::unique_ptr<SegmentationIndex> Load(
      TableReader& in, const ConversionTables& tables);

  // The segmentation trie's node after a key's first two code points: what
  // the engine needs of it, next to the pair itself.
  class Pair {
   public:
    // The value of the key of these two code points (or kNoValue), and the
    // node's children (see PhraseTrie::Node).
    uint32_t value() const { return value_; }
    uint32_t first() const { return first_; }
    uint32_t count() const {
      return static_cast<uint32_t>(key_ & kCountMask) - 1;
    }

   private:
    friend class SegmentationIndex;
    static constexpr int kCountBits = 22;
    static constexpr uint64_t kCountMask = (uint64_t{1} << kCountBits) - 1;

    // a << 21 | b, then the count plus one; 0 in an empty slot.
    uint64_t key_ = 0;
    uint32_t value_ = PhraseTrie::kNoValue;
    uint32_t first_ = 0;
  };

  // The node reached by `a`, `b`, or null when no key begins with them.
  const Pair* FindPair(char32_t a, char32_t b) const {
    if (std::max(a, b) > 0x10FFFF) return nullptr;
    const uint64_t key = uint64_t{a} << 21 | b;
    const uint64_t bit = FilterBit(key);
    if ((filter_[bit / 64] >> (bit % 64) & 1) == 0) return nullptr;
    for (size_t i = Hash(key);; i = (i + 1) & mask_) {
      const Pair& pair = slots_[i];
      if (pair.key_ == 0) return nullptr;
      if (pair.key_ >> Pair::kCountBits == key) return &pair;
    }
  }

  // What the segmentation key with trie value `v` converts to.
  std::u32string_view Phrase(uint32_t v) const {
    const Output& o = outputs_[v];
    if (o.size <= kInline) return std::u32string_view(o.inline_cps, o.size);
    return overflow_.view().substr(o.inline_cps[0], o.size);
  }

 private:
  static constexpr uint32_t kInline = 3;

  // Sixteen bytes: most outputs are two or three code points.
  struct Output {
    char32_t inline_cps[kInline];  // The output, or its offset in overflow_.
    uint32_t size = 0;
  };

  size_t Hash(uint64_t key) const {
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15u) >> 32) & mask_;
  }
  // Most pairs of running text begin no key. A bit for each pair that does,
  // in a table small enough to stay in the cache, answers most of them
  // without a load from the slots.
  static constexpr int kFilterBits = 20;
  static size_t FilterBit(uint64_t key) {
    return static_cast<size_t>((key * 0xC2B2AE3D27D4EB4Fu) >>
                               (64 - kFilterBits));
  }

  SegmentationIndex() = default;

  TableArray<Pair> slots_;
  TableArray<uint64_t> filter_;  // Bit FilterBit(key) of every pair's key.
  size_t mask_ = 0;
  TableArray<Output> outputs_;
  TableArray<char32_t> overflow_;
};

}  // namespace tovenrak::core
