// The compiled tables of one OpenCC configuration: what each code point
// becomes on its own, and what the fast path must know to stay exact.
//
// Why a code point can be converted on its own. OpenCC first splits a text
// by longest match over the segmentation dictionary: each match is a segment
// of its own, the code points between matches form one segment (a run). Then
// each level of the conversion chain converts every segment, by longest
// match among its dictionaries. Call a position clean when everything before
// it has been written and no match of the segmentation or of any level
// crosses it. At a clean position p holding code point c, c converts alone,
// and p + 1 is clean again, when
//   1. no segmentation key starts at p (a key of c alone counts too), and
//   2. within the run, at every level k, no key of two or more code points
//      starts inside c's output of the level before (outputs[k]); for its
//      last code point this depends on what follows (a "soft" level), and is
//      decided by the next code point's first output code point at level k,
//      known when that code point passed levels 0..k-1 alone ("clean
//      levels").
// Code points that meet 1 and 2 by themselves (most) are kPlain and cost
// one table lookup; kSegmentStart and kCareful look at their neighbours;
// where matches could overlap, the exact chain runs over the smallest stretch
// that holds them. A code point that begins no key of any dictionary passes
// every level unchanged and needs no compiled entry at all.
//
// Speed choices: the direct table for the BMP (one load per code point
// instead of a hash lookup), the output code point held in the entry (no
// span for the common one-to-one case), and the segmentation index (one
// probe for a key's first two code points and its output).

#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/convert/segmented_chain.h"

namespace tovenrak::core {

class SegmentationIndex;

// Code points kept in ConversionTables::pool.
struct Span {
  uint32_t offset = 0;
  uint32_t size = 0;
};

enum class CodeKind : uint8_t {
  kPlain,         // Converts alone, whatever surrounds it.
  kSegmentStart,  // Begins segmentation keys of two or more code points;
                  // where none matches it converts alone.
  kCareful,       // May take part in a longer match of the chain: needs a
                  // look at its neighbours.
};

// Eight bytes, so that the entries of the characters a text uses stay in the
// cache; what only the slower paths need is in CodeInfo.
class CodeEntry {
 public:
  static constexpr uint32_t kNoInfo = (uint32_t{1} << 24) - 1;

  CodeEntry() = default;
  CodeEntry(CodeKind kind, bool single, char32_t out, uint32_t info)
      : out_(out),
        bits_(info | static_cast<uint32_t>(kind) << 24 |
              (single ? kSingle : 0)) {}

  // The entry of a code point that no dictionary knows.
  static CodeEntry Identity(char32_t cp) {
    return CodeEntry(CodeKind::kPlain, true, cp, kNoInfo);
  }

  CodeKind kind() const { return static_cast<CodeKind>(bits_ >> 24 & 3); }
  // kPlain and single(): the one case of the fast path.
  bool plain_single() const { return (bits_ & kKindAndSingle) == kSingle; }
  // No dictionary knows the code point: it stays as it is (single(), out()
  // being the code point), and it has no CodeInfo.
  bool identity() const { return info() == kNoInfo; }
  // The output alone is the one code point out(); else it is the Span with
  // index out().
  bool single() const { return (bits_ & kSingle) != 0; }
  char32_t out() const { return out_; }
  // Index into ConversionTables::infos.
  uint32_t info() const { return bits_ & kNoInfo; }

 private:
  static constexpr uint32_t kSingle = uint32_t{1} << 26;
  static constexpr uint32_t kKindAndSingle = uint32_t{7} << 24;

  char32_t out_ = 0;
  uint32_t bits_ = kNoInfo;  // kPlain, identity.
};
static_assert(sizeof(CodeEntry) == 8);

// What the careful path needs about a code point that some dictionary
// knows. Its output passes through the levels of a run one after another:
// outputs[0] is the code point, outputs[k + 1] is level k's result for
// outputs[k] as a segment of its own.
struct CodeInfo {
  // Never converts alone inside a run: an empty output at an inner level,
  // or a code point inside an output that begins a longer key of the next
  // level.
  bool hard = false;
  // How many levels the code point passes through alone, so that the first
  // code point of outputs[k] is known for k <= clean_levels.
  uint8_t clean_levels = 0;
  // How many levels leave it as it is when it converts alone: outputs[k]
  // is the code point itself for k <= kept_levels.
  uint8_t kept_levels = 0;
  // Bit k: the last code point of outputs[k] begins a key of two or more
  // code points at level k; whether it matches depends on what follows.
  uint32_t soft_levels = 0;
  uint32_t single_output = 0;  // Span index of the output alone.
  // The segmentation trie's child of the root for the code point, or
  // PhraseTrie::kNoNode.
  uint32_t segmentation_node = 0;
};

// Everything one configuration needs, built once and then only read.
class ConversionTables {
 public:
  explicit ConversionTables(const ConversionPlan& plan);
  ~ConversionTables();

  // Writes the tables in their flat form, and reads them back; Load returns
  // null for a form that is damaged (see TableReader) or does not hold
  // together.
  void Save(TableWriter& out) const;
  static std::unique_ptr<ConversionTables> Load(TableReader& in);

  const SegmentedChain& chain() const { return chain_; }
  // The segmentation keys as the engine looks them up.
  const SegmentationIndex& index() const { return *index_; }

  // An ASCII code point that converts to itself whatever surrounds it: no
  // key of two or more code points begins with it. Most of a page's markup
  // and white space, which the engine copies in runs.
  bool KeepsAlone(char32_t cp) const {
    return cp < 0x80 && (ascii_kept_[cp >> 6] >> (cp & 63) & 1) != 0;
  }
  // Every ASCII code point does: a text of ASCII characters alone converts
  // to itself, and is never part of a phrase.
  bool KeepsAscii() const {
    return ascii_kept_[0] == ~uint64_t{0} && ascii_kept_[1] == ~uint64_t{0};
  }

  // The entry of `cp`; a placeholder's is that of a code point no
  // dictionary knows.
  CodeEntry Entry(char32_t cp) const {
    if (cp < 0x10000) return bmp_[cp];
    if (cp > 0x10FFFF) return CodeEntry::Identity(cp);  // A placeholder.
    const auto it = astral_.find(cp);
    return it == astral_.end() ? CodeEntry::Identity(cp) : it->second;
  }
  const CodeInfo& info(uint32_t i) const { return infos_[i]; }
  std::u32string_view span(uint32_t i) const {
    return pool_.view().substr(spans_[i].offset, spans_[i].size);
  }
  // First and last code point of outputs[level] of the code point `cp`.
  char32_t first(size_t level, const CodeEntry& e, char32_t cp) const {
    return e.identity() ? cp : firsts_[e.info() * levels() + level];
  }
  char32_t last(size_t level, const CodeEntry& e, char32_t cp) const {
    return e.identity() ? cp : lasts_[e.info() * levels() + level];
  }
  uint8_t clean_levels(const CodeEntry& e) const {
    return e.identity() ? static_cast<uint8_t>(levels())
                        : infos_[e.info()].clean_levels;
  }
  uint8_t kept_levels(const CodeEntry& e) const {
    return e.identity() ? static_cast<uint8_t>(levels())
                        : infos_[e.info()].kept_levels;
  }
  // Whether every key of two or more code points of `level` is also a
  // segmentation key. Inside a run, such a key can then match only where
  // the levels before have changed the text: as the text stands, the
  // segmentation would have taken it.
  bool keys_segmented(size_t level) const {
    return level < 64 && (keys_segmented_ >> level & 1) != 0;
  }

  size_t levels() const { return chain_.run_levels().size(); }
  // A code point that may take part in a longer match inside a run reaches
  // at most this many code points ahead: the sum of the levels' longest keys.
  size_t run_reach() const { return run_reach_; }
  // The sum of the longest keys of the levels after `level`: how far past a
  // match of `level` the matches it may bring about in those levels reach;
  // 0 from the last level on.
  size_t reach_after(size_t level) const {
    return level < reach_after_.size() ? reach_after_[level] : 0;
  }
  // How far past a position the fast path may look before it knows what to
  // write there, except in the exact path (which says when it needs more).
  size_t lookahead() const {
    return std::max(run_reach_, chain_.segmentation().MaxKeyLength()) + 1;
  }

 private:
  explicit ConversionTables(SegmentedChain chain);

  void SumReaches();
  void NoteAsciiKept();
  void NoteSegmentedLevels();

  uint32_t AddSpan(std::u32string_view cps);
  void Compile(char32_t cp, CodeEntry& entry);

  SegmentedChain chain_;
  TableArray<CodeEntry> bmp_;  // 0x10000 entries.
  std::unordered_map<char32_t, CodeEntry> astral_;
  TableArray<CodeInfo> infos_;
  // Per info, levels() entries each.
  TableArray<char32_t> firsts_, lasts_;
  TableArray<Span> spans_;
  TableArray<char32_t> pool_;
  size_t run_reach_ = 1;
  std::vector<size_t> reach_after_;
  uint64_t keys_segmented_ = 0;      // Bit k: keys_segmented(k).
  uint64_t ascii_kept_[2] = {0, 0};  // Bit c: KeepsAlone(c).
  std::unique_ptr<SegmentationIndex> index_;
};

}  // namespace tovenrak::core
