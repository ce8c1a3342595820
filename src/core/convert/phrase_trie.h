// A longest-match dictionary over code point sequences.

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/table_file.h"

namespace tovenrak::core {

// An immutable trie whose keys are non-empty code point sequences, each with
// a 32-bit value. Nodes are numbered; node 0 is the root (the empty prefix).
// The children of a node are stored contiguously and sorted, so a step is a
// short search in one small array. All members are const after Build and safe
// to call from several threads at once.
class PhraseTrie {
 public:
  static constexpr uint32_t kNoNode = 0;  // The root is never a child.
  static constexpr uint32_t kNoValue = UINT32_MAX;

  struct Entry {
    std::u32string_view key;  // Borrowed for the time of Build.
    uint32_t value;
  };
  struct Match {
    size_t length = 0;  // Code points matched; 0 when no key matched.
    uint32_t value = kNoValue;
    // The text ended while a longer key was still possible: what follows it
    // could give a longer match.
    bool open = false;
  };

  PhraseTrie();  // An empty trie.

  // Builds the trie of `entries`. Empty keys are ignored; when a key occurs
  // more than once, its first entry wins.
  static PhraseTrie Build(std::vector<Entry> entries);

  // The longest key that is a prefix of `text[0, size)`.
  Match LongestMatch(const char32_t* text, size_t size) const;

  // A node with its label, so that finding a child among its siblings also
  // brings in the child's own fields.
  struct Node {
    char32_t label = 0;         // The code point leading to this node.
    uint32_t first = 0;         // Index of the first child; children are
    uint32_t count = 0;         // adjacent and sorted by label.
    uint32_t value = kNoValue;  // Value of the key ending here.
  };

  // The child of `node` along `cp`, or kNoNode.
  uint32_t Child(uint32_t node, char32_t cp) const;
  // The child along `cp` among the `count` siblings starting at `first`.
  uint32_t FindChild(uint32_t first, uint32_t count, char32_t cp) const;
  const Node& node(uint32_t n) const { return nodes_[n]; }
  // The value of the key that ends at `node`, or kNoValue.
  uint32_t Value(uint32_t node) const { return nodes_[node].value; }
  // The length of the longest key that runs through `node`, counted from the
  // root (so a key of 3 code points gives 3 at every node on its path).
  size_t LongestKeyThrough(uint32_t node) const { return longest_[node]; }
  bool HasChildren(uint32_t node) const { return nodes_[node].count != 0; }

  size_t MaxKeyLength() const { return longest_[0]; }
  size_t KeyCount() const { return key_count_; }
  size_t NodeCount() const { return nodes_.size(); }

  // Writes the trie in its flat form, and reads it back; Load fails on a
  // form whose nodes point outside it.
  void Save(TableWriter& out) const;
  bool Load(TableReader& in);

 private:
  void BuildNodes(const std::vector<Entry>& entries);

  TableArray<Node> nodes_;
  TableArray<uint32_t> longest_;
  // Children of the root for code points below 0x10000, for a one-step start.
  TableArray<uint32_t> root_bmp_;
  size_t key_count_ = 0;
};

}  // namespace tovenrak::core
