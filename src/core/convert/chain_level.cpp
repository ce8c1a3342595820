#include "core/convert/chain_level.h"

#include <algorithm>
#include <unordered_map>

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

ChainLevel::ChainLevel(std::vector<CompiledDictionaryPtr> dictionaries,
                       bool note_beginnings)
    : dictionaries_(std::move(dictionaries)),
      pair_bits_((size_t{1} << kPairBits) / 64) {
  if (note_beginnings && !dictionaries_.empty()) {
    begins_.assign(0x10000, 0);
    for (size_t k = 0; k < std::min(dictionaries_.size(), kTabled); ++k) {
      const PhraseTrie& trie = dictionaries_[k]->trie;
      const PhraseTrie::Node& root = trie.node(0);
      for (uint32_t c = root.first; c < root.first + root.count; ++c) {
        const char32_t label = trie.node(c).label;
        if (label < 0x10000) begins_.at(label) |= static_cast<uint8_t>(1u << k);
      }
    }
  }
  for (size_t k = 0; k < dictionaries_.size(); ++k) {
    const PhraseTrie& trie = dictionaries_[k]->trie;
    max_key_length_ = std::max(max_key_length_, trie.MaxKeyLength());
    if (trie.MaxKeyLength() < 2) continue;
    long_keyed_.push_back({&trie, k});
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

void ChainLevel::Save(TableWriter& out) const {
  out.Put(begins_);
  out.Put(static_cast<uint64_t>(joined_.size()));
  for (const TableArray<uint32_t>& joined : joined_) out.Put(joined);
}

std::optional<ChainLevel> ChainLevel::Load(
    std::vector<CompiledDictionaryPtr> dictionaries, bool joined,
    TableReader& in) {
  ChainLevel level(std::move(dictionaries), /*note_beginnings=*/false);
  uint64_t count = 0;
  // Reaches left out would let the engine cut a match short.
  if (!in.Get(level.begins_) ||
      (level.begins_.size() != 0 && level.begins_.size() != 0x10000) ||
      !in.Get(count) || count != (joined ? level.long_keyed_.size() : 0))
    return std::nullopt;
  level.joined_.resize(count);
  for (size_t t = 0; t < count; ++t) {
    if (!in.Get(level.joined_[t]) ||
        level.joined_[t].size() != level.long_keyed_[t].trie->NodeCount())
      return std::nullopt;
  }
  return level;
}

bool ChainLevel::Convert(std::u32string_view text, std::u32string& out,
                         PlaceMover* mover) const {
  bool closed = true;
  for (size_t pos = 0; pos < text.size();) {
    bool matched = false;
    for (size_t i = 0; i < dictionaries_.size(); ++i) {
      if (!MayBegin(i, text[pos])) continue;
      const CompiledDictionary* d = dictionaries_[i].get();
      const PhraseTrie::Match m =
          d->trie.LongestMatch(text.data() + pos, text.size() - pos);
      // A dictionary that could match longer, or match at all, with more
      // text leaves this one undecided.
      closed = closed && !m.open;
      if (m.length > 0) {
        const std::u32string_view value = d->dictionary->value(m.value);
        out += value;
        if (mover != nullptr) mover->Step(m.length, value.size());
        pos += m.length;
        matched = true;
        break;
      }
    }
    if (!matched) {
      out += text[pos++];
      if (mover != nullptr) mover->Step(1, 1);
    }
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
  for (const LongKeyed& d : long_keyed_) {
    const uint32_t node = d.trie->Child(0, cp);
    if (node != PhraseTrie::kNoNode && d.trie->HasChildren(node)) return true;
  }
  return false;
}

size_t ChainLevel::LongestKeyBeginning(char32_t first, char32_t second) const {
  if (!MayBeginLongKey(first, second)) return 0;
  size_t longest = 0;
  for (const LongKeyed& d : long_keyed_) {
    const uint32_t node = d.trie->Child(0, first);
    if (node == PhraseTrie::kNoNode) continue;
    const uint32_t child = d.trie->Child(node, second);
    if (child != PhraseTrie::kNoNode)
      longest = std::max(longest, d.trie->LongestKeyThrough(child));
  }
  return longest;
}

size_t ChainLevel::LongKeyReachAt(std::u32string_view text, bool& open) const {
  if (text.size() >= 2 && !MayBeginLongKey(text[0], text[1])) return 0;
  size_t reach = 0;
  for (size_t t = 0; t < long_keyed_.size(); ++t) {
    if (!text.empty() && !MayBegin(long_keyed_[t].dictionary, text[0]))
      continue;
    const PhraseTrie& trie = *long_keyed_[t].trie;
    const uint32_t* joined = joined_.empty() ? nullptr : joined_[t].data();
    uint32_t node = 0;
    size_t i = 0;
    for (; i < text.size(); ++i) {
      node = trie.Child(node, text[i]);
      if (node == PhraseTrie::kNoNode) break;
      if (i > 0 && trie.Value(node) != PhraseTrie::kNoValue)
        reach = std::max<size_t>(reach, i + 1 + (joined ? joined[node] : 0));
    }
    open = open || (i == text.size() && trie.HasChildren(node));
  }
  return reach;
}

void ChainLevel::JoinNextLevel(const ChainLevel& next) {
  // For each code point, the most code points that a key of `next` holds
  // from it on, itself included.
  std::unordered_map<char32_t, uint32_t> rest;
  for (const CompiledDictionaryPtr& d : next.dictionaries_) {
    const Dictionary& dictionary = *d->dictionary;
    for (size_t i = 0; i < dictionary.size(); ++i) {
      const std::u32string_view key = dictionary.key(i);
      for (size_t at = 0; at < key.size(); ++at) {
        uint32_t& longest = rest[key[at]];
        longest = std::max(longest, static_cast<uint32_t>(key.size() - at));
      }
    }
  }
  joined_.clear();
  for (const LongKeyed& d : long_keyed_) {
    const PhraseTrie& trie = *d.trie;
    const Dictionary& dictionary = *dictionaries_[d.dictionary]->dictionary;
    TableArray<uint32_t>& joined = joined_.emplace_back(trie.NodeCount(), 0);
    for (uint32_t n = 1; n < trie.NodeCount(); ++n) {
      const uint32_t v = trie.Value(n);
      if (v == PhraseTrie::kNoValue) continue;
      // An empty output lets a key of `next` join what stood on both sides.
      const std::u32string_view out =
          v < dictionary.size() ? dictionary.value(v) : std::u32string_view();
      uint32_t longest =
          out.empty() ? static_cast<uint32_t>(next.MaxKeyLength()) : 0;
      for (const char32_t c : out) {
        const auto it = rest.find(c);
        if (it != rest.end()) longest = std::max(longest, it->second);
      }
      joined.at(n) = longest;
    }
  }
}

}  // namespace tovenrak::core
