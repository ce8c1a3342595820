// What the conversion engine looks up at every code point that begins
// segmentation keys, laid out for one cache miss each: the trie node after a
// key's first two code points, and each key's output.

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/conversion_tables.h"

namespace tovenrak::core {

// Built from a ConversionTables' accessors and then only read; valid as
// long as those tables are. Costs about 1.5 MiB for OpenCC's configurations
// and a millisecond to make. On a page dense in phrases, the engine spent
// most of its time in cache misses: the pair bitmap, the binary search among
// the first code point's children, then three dependent loads to reach the
// key's output; here it is one probe and one load.
class SegmentationIndex {
 public:
  explicit SegmentationIndex(const ConversionTables& tables);

  // The segmentation trie's node reached by `a`, `b`, or PhraseTrie::kNoNode
  // when no key begins with them.
  uint32_t PairNode(char32_t a, char32_t b) const {
    for (size_t i = Hash(a, b);; i = (i + 1) & mask_) {
      const Slot slot = slots_[i];
      if (slot.node == PhraseTrie::kNoNode) return PhraseTrie::kNoNode;
      if (slot.first == a && trie_.node(slot.node).label == b) return slot.node;
    }
  }

  // What the segmentation key with trie value `v` converts to.
  std::u32string_view Phrase(uint32_t v) const {
    const Output& o = outputs_[v];
    if (o.size <= kInline) return std::u32string_view(o.inline_cps, o.size);
    return std::u32string_view(overflow_).substr(o.inline_cps[0], o.size);
  }

 private:
  static constexpr uint32_t kInline = 3;

  // Sixteen bytes: most outputs are two or three code points.
  struct Output {
    char32_t inline_cps[kInline];  // The output, or its offset in overflow_.
    uint32_t size = 0;
  };

  // A pair's first code point and the node it leads to with its second
  // (whose label is that code point); node kNoNode for an empty slot.
  struct Slot {
    char32_t first = 0;
    uint32_t node = PhraseTrie::kNoNode;
  };

  size_t Hash(char32_t a, char32_t b) const {
    const uint64_t key = uint64_t{a} << 32 | b;
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15u) >> 32) & mask_;
  }

  const PhraseTrie& trie_;
  std::vector<Slot> slots_;
  size_t mask_ = 0;
  std::vector<Output> outputs_;
  std::u32string overflow_;
};

}  // namespace tovenrak::core
