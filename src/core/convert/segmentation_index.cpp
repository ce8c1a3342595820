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
  slots_.assign(size, Pair());
  mask_ = size - 1;
  filter_.assign((size_t{1} << kFilterBits) / 64, 0);
  for (uint32_t i = root.first; i < root.first + root.count; ++i) {
    const PhraseTrie::Node& a = trie.node(i);
    for (uint32_t j = a.first; j < a.first + a.count; ++j) {
      const PhraseTrie::Node& b = trie.node(j);
      // Code points and the count of a node's children (distinct code
      // points) fit their bits.
      const uint64_t key = uint64_t{a.label} << 21 | b.label;
      size_t k = Hash(key);
      while (slots_[k].key_ != 0) k = (k + 1) & mask_;
      Pair& pair = slots_.at(k);
      pair.key_ = key << Pair::kCountBits | (b.count + 1);
      pair.value_ = b.value;
      pair.first_ = b.first;
      const size_t bit = FilterBit(key);
      filter_.at(bit / 64) |= uint64_t{1} << (bit % 64);
    }
  }
  const size_t count = tables.chain().PhraseCount();
  outputs_.assign(count, Output());
  for (uint32_t v = 0; v < count; ++v) {
    const std::u32string_view phrase = tables.chain().PhraseOutput(v);
    Output& o = outputs_.at(v);
    o.size = static_cast<uint32_t>(phrase.size());
    if (phrase.size() <= kInline) {
      phrase.copy(o.inline_cps, phrase.size());
    } else {
      o.inline_cps[0] = static_cast<char32_t>(overflow_.size());
      overflow_.append(phrase);
    }
  }
}

void SegmentationIndex::Save(TableWriter& out) const {
  out.Put(slots_);
  out.Put(filter_);
  out.Put(static_cast<uint64_t>(mask_));
  out.Put(outputs_);
  out.Put(overflow_);
}

std::unique_ptr<SegmentationIndex> SegmentationIndex::Load(
    TableReader& in, const ConversionTables& tables) {
  std::unique_ptr<SegmentationIndex> index(new SegmentationIndex());
  uint64_t mask = 0;
  if (!in.Get(index->slots_) || !in.Get(index->filter_) || !in.Get(mask) ||
      !in.Get(index->outputs_) || !in.Get(index->overflow_))
    return nullptr;
  // What the engine follows without a check must stay inside the tables,
  // and a search must meet an empty slot.
  const size_t size = index->slots_.size();
  if (size < 64 || (size & (size - 1)) != 0 || mask != size - 1 ||
      index->filter_.size() != (size_t{1} << kFilterBits) / 64 ||
      index->outputs_.size() != tables.chain().PhraseCount())
    return nullptr;
  index->mask_ = mask;
  if (in.checked()) return index;
  const size_t nodes = tables.chain().segmentation().NodeCount();
  size_t used = 0;
  for (const Pair& pair : index->slots_) {
    if (pair.key_ == 0) continue;
    ++used;
    if (pair.count() > nodes || pair.first_ > nodes - pair.count() ||
        (pair.value_ != PhraseTrie::kNoValue &&
         pair.value_ >= index->outputs_.size()))
      return nullptr;
  }
  if (used == size) return nullptr;
  for (const Output& o : index->outputs_) {
    if (o.size > kInline &&
        uint64_t{o.inline_cps[0]} + o.size > index->overflow_.size())
      return nullptr;
  }
  return index;
}

}  // namespace tovenrak::core
