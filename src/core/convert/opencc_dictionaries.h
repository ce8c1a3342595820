// Reads an installed OpenCC conversion (segmentation and conversion chain)
// into plain code point dictionaries.

#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/convert/table_file.h"
#include "core/result.h"

namespace tovenrak::core {

// A dictionary's entries in the order OpenCC lists them (not necessarily by
// key), each value being the entry's default (first) value. Keys and values
// sit back to back in one string.
class Dictionary {
 public:
  void Add(std::u32string_view key, std::u32string_view value);

  size_t size() const { return entries_.size(); }
  std::u32string_view key(size_t i) const {
    return View(entries_[i].key, entries_[i].key_size);
  }
  std::u32string_view value(size_t i) const {
    return View(entries_[i].value, entries_[i].value_size);
  }

  // Writes the entries in their flat form, and reads them back; Load fails
  // on entries that reach outside the text.
  void Save(TableWriter& out) const;
  bool Load(TableReader& in);

 private:
  struct Entry {
    uint32_t key, key_size, value, value_size;
  };
  std::u32string_view View(uint32_t offset, uint32_t size) const {
    return text_.view().substr(offset, size);
  }

  TableArray<char32_t> text_;
  TableArray<Entry> entries_;
};
using DictionaryPtr = std::shared_ptr<const Dictionary>;

// The outputs a dictionary lists for single code points that have more than
// one, in its order: the first is the one the conversion writes.
using Candidates = std::unordered_map<char32_t, std::vector<std::u32string>>;
// The outputs a dictionary lists for phrases (keys of two code points or
// more) that have more than one, in its order (干了: 幹了 乾了).
using PhraseCandidates =
    std::unordered_map<std::u32string, std::vector<std::u32string>>;

// What OpenCC does with a text: split it by longest match over
// `segmentation`, then run each conversion of `chain` over every segment in
// turn. A conversion looks up its dictionaries in order and takes the longest
// key of the first dictionary that has any key matching at a position.
// A dictionary used in several places is shared, so it can be compared by
// pointer.
struct ConversionPlan {
  DictionaryPtr segmentation;
  std::vector<std::vector<DictionaryPtr>> chain;
  // Per conversion of `chain`: the candidates of each code point as that
  // conversion's first dictionary with the code point as a key lists them.
  std::vector<Candidates> candidates;
  // Per conversion of `chain`: the phrases' outputs, as its first dictionary
  // with the phrase as a key lists them.
  std::vector<PhraseCandidates> phrase_candidates;
};

// Loads the OpenCC configuration `config_name` (such as "tw2s.json") as
// libopencc finds it. Fails with kNotFound when OpenCC cannot load it, and
// with kInvalidInput when it uses a segmentation other than longest match.
Result<ConversionPlan> LoadConversionPlan(const std::string& config_name);

}  // namespace tovenrak::core
