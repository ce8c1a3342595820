#include "core/convert/chain_level.h"

#include <algorithm>

namespace tovenrak::core {

CompiledDictionaryPtr CompileDictionary(DictionaryPtr dictionary,
                                        const PhraseTrie* excluded) {
  auto compiled = std::make_shared<CompiledDictionary>();
  std::vector<PhraseTrie::Entry> keys;
  keys.reserve(dictionary->size());
  for (size_t i = 0; i < dictionary->size(); ++i) {
    const std::u32string_view key = dictionary->key(i);
    if (excluded != nullptr &&
        excluded->LongestMatch(key.data(), key.size()).length == key.size())
      continue;
    keys.push_back({key, static_cast<uint32_t>(i)});
  }
  compiled->trie = PhraseTrie::Build(std::move(keys));
  compiled->dictionary = std::move(dictionary);
  return compiled;
}

ChainLevel::ChainLevel(std::vector<CompiledDictionaryPtr> dictionaries)
    : dictionaries_(std::move(dictionaries)),
      pair_bits_((size_t{1} << kPairBits) / 64) {
  for (const CompiledDictionaryPtr& d : dictionaries_) {
    max_key_length_ = std::max(max_key_length_, d->trie.MaxKeyLength());
    if (d->trie.MaxKeyLength() < 2) continue;
    const PhraseTrie& trie = d->trie;
    long_keyed_.push_back(&trie);
    const PhraseTrie::Node& root = trie.node(0);
    for (uint32_t i = root.first; i < root.first + root.count; ++i) {
      const PhraseTrie::Node& a = trie.node(i);
      for (uint32_t j = a.first; j < a.first + a.count; ++j) {
        const size_t bit = PairBit(a.label, trie.node(j).label);
        pair_bits_[bit / 64] |= uint64_t{1} << (bit % 64);
      }
    }
  }
}

bool ChainLevel::Convert(std::u32string_view text, std::u32string& out) const {
  bool closed = true;
  for (size_t pos = 0; pos < text.size();) {
    bool matched = false;
    for (const CompiledDictionaryPtr& d : dictionaries_) {
      const PhraseTrie::Match m =
          d->trie.LongestMatch(text.data() + pos, text.size() - pos);
      // A dictionary that could match longer, or match at all, with more
      // text leaves this one undecided.
      closed = closed && !m.open;
      if (m.length > 0) {
        out += d->dictionary->value(m.value);
        pos += m.length;
        matched = true;
        break;
      }
    }
    if (!matched) out += text[pos++];
  }
  return closed;
}

std::u32string ChainLevel::ConvertOne(char32_t cp) const {
  std::u32string out;
  Convert(std::u32string_view(&cp, 1), out);
  return out;
}

void ChainLevel::AppendKeyStarts(std::vector<char32_t>& out) const {
  for (const CompiledDictionaryPtr& d : dictionaries_) {
    const PhraseTrie::Node& root = d->trie.node(0);
    for (uint32_t i = root.first; i < root.first + root.count; ++i)
      out.push_back(d->trie.node(i).label);
  }
}

bool ChainLevel::BeginsLongKey(char32_t cp) const {
  for (const PhraseTrie* trie : long_keyed_) {
    const uint32_t node = trie->Child(0, cp);
    if (node != PhraseTrie::kNoNode && trie->HasChildren(node)) return true;
  }
  return false;
}

size_t ChainLevel::LongestKeyBeginning(char32_t first, char32_t second) const {
  if (!MayBeginLongKey(first, second)) return 0;
  size_t longest = 0;
  for (const PhraseTrie* trie : long_keyed_) {
    const uint32_t node = trie->Child(0, first);
    if (node == PhraseTrie::kNoNode) continue;
    const uint32_t child = trie->Child(node, second);
    if (child != PhraseTrie::kNoNode)
      longest = std::max(longest, trie->LongestKeyThrough(child));
  }
  return longest;
}

size_t ChainLevel::LongestLongKeyAt(std::u32string_view text,
                                    bool& open) const {
  if (text.size() >= 2 && !MayBeginLongKey(text[0], text[1])) return 0;
  size_t longest = 0;
  for (const PhraseTrie* trie : long_keyed_) {
    const PhraseTrie::Match m = trie->LongestMatch(text.data(), text.size());
    if (m.length >= 2) longest = std::max(longest, m.length);
    open = open || m.open;
  }
  return longest;
}

}  // namespace tovenrak::core
