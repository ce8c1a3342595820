#include "core/convert/segmentation_index.h"

namespace tovenrak::core {

SegmentationIndex::SegmentationIndex(const ConversionTables& tables) {
  const PhraseTrie& trie = tables.chain().segmentation();
  // The pairs are the children of the root's children.
  const PhraseTrie::Node& root = trie.node(0);
  size_t pairs = 0;
  for (uint32_t i = root.first; i < root.first + root.count; ++i)
    pairs += trie.node(i).count;
  size_t size = 64;
  while (size < pairs * 2) size *= 2;
  slots_.resize(size);
  mask_ = size - 1;
  for (uint32_t i = root.first; i < root.first + root.count; ++i) {
    const PhraseTrie::Node& a = trie.node(i);
    for (uint32_t j = a.first; j < a.first + a.count; ++j) {
      const PhraseTrie::Node& b = trie.node(j);
      // Code points and the count of a node's children (distinct code
      // points) fit their bits.
      const uint64_t key = uint64_t{a.label} << 21 | b.label;
      size_t k = Hash(key);
      while (slots_[k].key_ != 0) k = (k + 1) & mask_;
      Pair& pair = slots_[k];
      pair.key_ = key << Pair::kCountBits | (b.count + 1);
      pair.value_ = b.value;
      pair.first_ = b.first;
    }
  }
  const size_t count = tables.chain().PhraseCount();
  outputs_.resize(count);
  for (uint32_t v = 0; v < count; ++v) {
    const std::u32string_view phrase = tables.phrase(v);
    Output& o = outputs_[v];
    o.size = static_cast<uint32_t>(phrase.size());
    if (phrase.size() <= kInline) {
      phrase.copy(o.inline_cps, phrase.size());
    } else {
      o.inline_cps[0] = static_cast<char32_t>(overflow_.size());
      overflow_ += phrase;
    }
  }
}

}  // namespace tovenrak::core
