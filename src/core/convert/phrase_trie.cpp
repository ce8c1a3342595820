#include "core/convert/phrase_trie.h"

#include <algorithm>

namespace tovenrak::core {

namespace {

// Below this many children a node is searched linearly, which beats a binary
// search on short arrays.
constexpr uint32_t kLinearSearchLimit = 8;
// A root with more children than this gets a direct table for the BMP.
constexpr uint32_t kRootTableThreshold = 64;

bool KeyLess(const PhraseTrie::Entry& a, const PhraseTrie::Entry& b) {
  return a.key < b.key;
}

}  // namespace

PhraseTrie::PhraseTrie() : nodes_(1, Node()), longest_(1, 0) {}

PhraseTrie PhraseTrie::Build(std::vector<Entry> entries) {
  std::erase_if(entries, [](const Entry& e) { return e.key.empty(); });
  // Dictionaries usually arrive sorted already (UTF-8 byte order is code
  // point order), so the sort is mostly skipped.
  if (!std::is_sorted(entries.begin(), entries.end(), KeyLess))
    std::stable_sort(entries.begin(), entries.end(), KeyLess);
  entries.erase(std::unique(entries.begin(), entries.end(),
                            [](const Entry& a, const Entry& b) {
                              return a.key == b.key;
                            }),
                entries.end());

  PhraseTrie trie;
  trie.key_count_ = entries.size();
  size_t total = 1;
  for (const Entry& e : entries) total += e.key.size();
  trie.nodes_.reserve(total);
  trie.longest_.reserve(total);
  trie.BuildNodes(entries);
  const Node& root = trie.nodes_[0];
  if (root.count > kRootTableThreshold) {
    trie.root_bmp_.assign(0x10000, kNoNode);
    for (uint32_t i = root.first; i < root.first + root.count; ++i) {
      if (trie.nodes_[i].label < 0x10000)
        trie.root_bmp_.at(trie.nodes_[i].label) = i;
    }
  }
  return trie;
}

// Builds the trie below the root from `entries`, sorted and unique, with a
// stack of its own: a key may be as long as a user makes it, too long to
// recurse once for each of its code points.
void PhraseTrie::BuildNodes(const std::vector<Entry>& entries) {
  // A node whose children are being built: entries[start, hi) share its
  // first `depth` code points, and `child` is the slot of the next child.
  struct Open {
    uint32_t node;
    size_t start, hi, depth;
    uint32_t child;
  };
  std::vector<Open> open;
  auto begin = [&](uint32_t node, size_t lo, size_t hi, size_t depth) {
    if (lo < hi && entries[lo].key.size() == depth) {
      nodes_.at(node).value = entries[lo].value;
      longest_.at(node) = static_cast<uint32_t>(depth);
      ++lo;
    }
    // Children are allocated together so that they sit side by side.
    uint32_t count = 0;
    for (size_t i = lo; i < hi; ++i) {
      if (i == lo || entries[i].key[depth] != entries[i - 1].key[depth])
        ++count;
    }
    const auto first = static_cast<uint32_t>(nodes_.size());
    nodes_.at(node).first = first;
    nodes_.at(node).count = count;
    nodes_.resize(nodes_.size() + count);
    longest_.resize(nodes_.size());
    open.push_back({node, lo, hi, depth, first});
  };
  begin(0, 0, entries.size(), 0);
  while (!open.empty()) {
    Open& top = open.back();
    if (top.start == top.hi) {
      const uint32_t done = top.node;
      open.pop_back();
      if (!open.empty()) {
        const uint32_t parent = open.back().node;
        longest_.at(parent) = std::max(longest_[parent], longest_[done]);
      }
      continue;
    }
    const size_t start = top.start, depth = top.depth;
    const char32_t label = entries[start].key[depth];
    size_t end = start + 1;
    while (end < top.hi && entries[end].key[depth] == label) ++end;
    const uint32_t child = top.child++;
    top.start = end;
    nodes_.at(child).label = label;
    begin(child, start, end, depth + 1);
  }
}

uint32_t PhraseTrie::Child(uint32_t node, char32_t cp) const {
  if (node == 0 && !root_bmp_.empty() && cp < 0x10000) return root_bmp_[cp];
  return FindChild(nodes_[node].first, nodes_[node].count, cp);
}

uint32_t PhraseTrie::FindChild(uint32_t first, uint32_t count,
                               char32_t cp) const {
  const Node* base = nodes_.data() + first;
  if (count <= kLinearSearchLimit) {
    for (uint32_t i = 0; i < count; ++i) {
      if (base[i].label == cp) return first + i;
    }
    return kNoNode;
  }
  // A binary search without branches on the data: the comparisons of a text
  // against a node's labels are too irregular to predict.
  while (count > 1) {
    const uint32_t half = count / 2;
    base = base[half].label <= cp ? base + half : base;
    count -= half;
  }
  return base->label == cp ? static_cast<uint32_t>(base - nodes_.data())
                           : kNoNode;
}

void PhraseTrie::Save(TableWriter& out) const {
  out.Put(nodes_);
  out.Put(longest_);
  out.Put(root_bmp_);
  out.Put(static_cast<uint64_t>(key_count_));
}

bool PhraseTrie::Load(TableReader& in) {
  uint64_t keys = 0;
  if (!in.Get(nodes_) || !in.Get(longest_) || !in.Get(root_bmp_) ||
      !in.Get(keys))
    return false;
  key_count_ = keys;
  const size_t n = nodes_.size();
  if (n == 0 || longest_.size() != n ||
      (!root_bmp_.empty() && root_bmp_.size() != 0x10000))
    return false;
  if (in.checked()) return true;
  for (const Node& node : nodes_) {
    if (node.first > n || node.count > n - node.first) return false;
  }
  for (const uint32_t child : root_bmp_) {
    if (child >= n) return false;
  }
  return true;
}

PhraseTrie::Match PhraseTrie::LongestMatch(const char32_t* text,
                                           size_t size) const {
  Match match;
  uint32_t node = 0;
  for (size_t i = 0; i < size; ++i) {
    node = Child(node, text[i]);
    if (node == kNoNode) return match;
    if (nodes_[node].value != kNoValue) match = {i + 1, nodes_[node].value};
  }
  match.open = HasChildren(node);
  return match;
}

}  // namespace tovenrak::core
