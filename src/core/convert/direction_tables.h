// The compiled tables of one conversion direction: what each double-byte
// unit becomes on its own, and what the fast path must know to stay exact.

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/convert/segmented_chain.h"
#include "core/encoding/code_tables.h"
#include "core/encoding/document_text.h"

namespace tovenrak::core {

// Bytes of target text kept in DirectionTables::bytes.
struct ByteSpan {
  uint32_t offset = 0;
  uint32_t size = 0;
  uint32_t references = 0;  // "&#N;" references among the bytes.
};

// The output of a segmentation key, in one record so that writing it costs
// one memory access: up to kInlineBytes bytes are held in place, longer
// outputs are a ByteSpan whose index fills the first four bytes.
struct PhraseOutput {
  static constexpr size_t kInlineBytes = 12;
  uint8_t is_inline = 0;
  uint8_t size = 0;  // Bytes in place when is_inline.
  uint16_t references = 0;
  char bytes[kInlineBytes] = {};
};

// How a unit is handled.
enum class UnitKind : uint8_t {
  kInvalid,       // Not a mapped code of the source: copied and counted.
  kPlain,         // Converts alone, whatever surrounds it: `out` is its output.
  kSegmentStart,  // Begins segmentation keys of two or more code points;
                  // where none matches it converts alone, and `out` is its
                  // output.
  kCareful,  // May take part in a longer match of the chain, or has two code
             // points: needs a look at its neighbours.
};

struct UnitEntry {
  uint32_t out = 0;  // Inline bytes (first byte lowest), or a ByteSpan index.
  uint32_t segmentation_node = 0;  // Child of the root for cp, or 0.
  // That node's children, kept here to spare a step of the walk.
  uint32_t segmentation_first = 0;
  uint32_t segmentation_count = 0;
  char32_t cp = 0;    // The (first) code point.
  uint32_t info = 0;  // Index into DirectionTables::infos (valid units).
  UnitKind kind = UnitKind::kInvalid;
  uint8_t inline_size = 0;  // 1-4: `out` holds the output bytes; else 0.
  uint8_t cp_count = 0;
};

// What the careful path needs about a valid unit. Its code points pass
// through the conversions of a run one level after another: outputs[0] is the
// unit's own code points, outputs[k + 1] is level k's result for outputs[k]
// as a segment of its own.
struct UnitInfo {
  char32_t cps[2] = {0, 0};
  uint8_t cp_count = 0;
  // Never converts alone inside a run: two code points, an empty output at
  // an inner level, or a code point inside an output that begins a longer
  // key of the next level.
  bool hard = false;
  // Bit k: the last code point of outputs[k] begins a key of two or more
  // code points at level k; whether it matches depends on what follows.
  uint32_t soft_levels = 0;
  // How many levels the first code point passes through alone, so that the
  // first code point of outputs[k] is known for k <= clean_levels.
  uint8_t clean_levels = 0;
  uint32_t single_output = 0;  // ByteSpan index of the output alone.
};

// Everything one direction needs, built once and then only read.
struct DirectionTables {
  DirectionTables(const ConversionPlan& plan, Encoding source, Encoding target);

  Encoding source;
  Encoding target;
  SegmentedChain chain;
  std::vector<UnitEntry> units;  // Indexed by Unit; 0x10000 entries.
  std::vector<UnitInfo> infos;
  // first(k, i) and last(k, i): first and last code point of outputs[k] of
  // infos[i], stored as levels() entries per unit.
  std::vector<char32_t> firsts, lasts;
  std::vector<ByteSpan> spans;
  std::vector<PhraseOutput> phrase_outputs;  // By segmentation trie value.
  // Bit PairBit(a, b) is set when some segmentation key starts with a, b:
  // a clear bit spares the search among a's children.
  std::vector<uint64_t> segmentation_pairs;
  static size_t PairBit(char32_t a, char32_t b) {
    return ((a * 0x9E3779B1u) ^ (b * 0x85EBCA77u)) >> 12 & kPairBitMask;
  }
  static constexpr size_t kPairBitMask = (size_t{1} << 20) - 1;
  // Ends with kSpanPadding spare bytes, so that short spans can be copied
  // in one fixed-size move.
  std::string bytes;
  static constexpr size_t kSpanPadding = 16;
  // No output piece is longer than this.
  size_t max_piece = 2;
  // A unit that may take part in a longer match inside a run reaches at most
  // this many code points ahead: the sum of the levels' longest keys.
  size_t run_reach = 1;

  size_t levels() const { return chain.run_levels().size(); }
  char32_t first(size_t level, uint32_t info) const {
    return firsts[info * levels() + level];
  }
  char32_t last(size_t level, uint32_t info) const {
    return lasts[info * levels() + level];
  }

  // Encodes `cps` into `target`: ASCII as is, a character without a code as
  // "&#N;". Adds a ByteSpan and returns its index.
  uint32_t AddSpan(std::u32string_view cps);
};

// Appends `cps` encoded in `target` to `out` and counts references.
void EncodeCodePoints(std::u32string_view cps, Encoding target,
                      std::string& out, size_t& references);

}  // namespace tovenrak::core
