#include "core/convert/table_conversion.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/convert/segmentation_index.h"
#include "core/encoding/code_point_writer.h"
#include "core/encoding/codec.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tovenrak::core {

namespace {

// Where the run of ASCII code points from in[pos] ends, at `limit` at most:
// eight code points at a time where the processor has SSE2 (every x86-64).
// Pages are mostly ASCII markup, which the engine copies in such runs.
size_t AsciiCodePointsEnd(const char32_t* in, size_t pos, size_t limit) {
#if defined(__SSE2__)
  const __m128i above = _mm_set1_epi32(~0x7F);
  for (; pos + 8 <= limit; pos += 8) {
    const __m128i a =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + pos));
    const __m128i b =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + pos + 4));
    const __m128i high = _mm_and_si128(_mm_or_si128(a, b), above);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(high, _mm_setzero_si128())) != 0xFFFF)
      break;
  }
#endif
  while (pos < limit && in[pos] < 0x80) ++pos;
  return pos;
}

// Appends code points to a code point string.
class Writer {
 public:
  Writer(std::u32string& out, size_t expected) : to_(out, expected) {}

  void Put(char32_t c) {
    char32_t* o = to_.Room(1);
    *o = c;
    to_.Advance(o + 1);
  }
  // A loop rather than memcpy: most spans are a few code points.
  void Put(std::u32string_view s) {
    char32_t* o = to_.Room(s.size());
    for (const char32_t c : s) *o++ = c;
    to_.Advance(o);
  }
  void PutAscii(const char32_t* s, size_t n) {
    if (n < 16) return Put({s, n});
    char32_t* o = to_.Room(n);
    std::memcpy(o, s, n * sizeof(char32_t));
    to_.Advance(o + n);
  }

 private:
  StringAppender<std::u32string> to_;
};

// Appends code points encoded in kTarget to a byte string.
template <Encoding kTarget>
class ByteWriter {
 public:
  ByteWriter(std::string& out, size_t expected, EncodeCounts& counts)
      : out_(out, expected), counts_(counts) {}

  void Put(char32_t c) {
    out_.Advance(WriteEncoded<kTarget>(c, out_.Room(), counts_));
  }
  void Put(std::u32string_view s) {
    char* o = out_.Room(s.size() * code_point_writer::kMaxBytes);
    for (const char32_t c : s) o = WriteEncoded<kTarget>(c, o, counts_);
    out_.Advance(o);
  }
  // ASCII is the same byte in every target.
  void PutAscii(const char32_t* s, size_t n) {
    char* o = out_.Room(n);
    size_t i = 0;
#if defined(__SSE2__)
    // Sixteen at a time: code points below 0x80 pack into bytes unchanged.
    for (; i + 16 <= n; i += 16) {
      auto load = [&](size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at));
      };
      const __m128i low = _mm_packs_epi32(load(i), load(i + 4));
      const __m128i high = _mm_packs_epi32(load(i + 8), load(i + 12));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o + i),
                       _mm_packus_epi16(low, high));
    }
#endif
    for (; i < n; ++i) o[i] = static_cast<char>(s[i]);
    out_.Advance(o + n);
  }

 private:
  ByteAppender out_;
  EncodeCounts& counts_;
};

// Converts code points and hands the output to an Out, a Writer or a
// ByteWriter.
template <typename Out>
class Engine {
 public:
  // `final`: the text ends at text.size(); else more may follow.
  Engine(const ConversionTables& tables, const SegmentationIndex& index,
         std::u32string_view text, bool final, Out& out)
      : t_(tables),
        index_(index),
        trie_(tables.chain().segmentation()),
        in_(text.data()),
        size_(text.size()),
        final_(final),
        // Beyond this, a step might look past the end of what is known.
        limit_(final || text.size() < tables.lookahead()
                   ? (final ? text.size() : 0)
                   : text.size() - tables.lookahead()),
        out_(out),
        ascii_kept_(tables.KeepsAscii()) {}

  // Converts up to a clean position and returns it.
  size_t Run();

 private:
  static constexpr size_t kNeedMore = SIZE_MAX;

  // Whether `pos` holds a code point of the stretch (not the end of the
  // text, not a placeholder); if so, sets `e` to its entry.
  bool At(size_t pos, CodeEntry& e) const {
    if (pos >= size_ || IsPlaceholder(in_[pos])) return false;
    e = t_.Entry(in_[pos]);
    return true;
  }
  // Writes the output of a code point converting alone.
  void PutOwn(const CodeEntry& e) {
    if (e.single()) {
      out_.Put(e.out());
    } else {
      out_.Put(t_.span(e.out()));
    }
  }

  struct Key {
    uint32_t value;  // PhraseTrie::kNoValue when no key matches.
    size_t end;
    // How many code points from the start the segmentation trie follows
    // the text (up to the end of what is known): no key there is longer.
    size_t depth;
  };
  // Inlined in both callers: a call here cost the phrase-dense path a
  // tenth of its speed.
  [[gnu::always_inline]] inline Key LongestSegmentationKey(
      size_t pos, uint32_t value_alone) const;
  size_t SegmentStart(size_t pos, const CodeEntry& entry);
  size_t Careful(size_t pos, const CodeEntry& entry);
  // With kAny, any reach but 0 once one is found.
  template <bool kAny = false>
  size_t RunReach(size_t pos, const CodeEntry& entry, size_t depth) const;
  Key SegmentationKeyAt(size_t pos, const CodeEntry& entry) const;
  bool ReadAsWritten(size_t pos, size_t depth, size_t level) const;
  size_t FirstLevelReach(size_t pos) const;
  // The slow path, kept out of the fast loop.
  [[gnu::noinline]] size_t Region(size_t pos);

  const ConversionTables& t_;
  const SegmentationIndex& index_;
  const PhraseTrie& trie_;
  const char32_t* in_;
  const size_t size_;
  const bool final_;
  const size_t limit_;
  Out& out_;
  const bool ascii_kept_;  // Every ASCII code point KeepsAlone.
  std::u32string region_;  // The exact path's output, before it is written.
  std::vector<Key> keys_;  // The segmentation's keys along the exact path.
};

template <typename Out>
size_t Engine<Out>::Run() {
  size_t pos = 0;
  while (pos < limit_) {
    if (t_.KeepsAlone(in_[pos])) {
      size_t end = pos + 1;
      if (ascii_kept_) {
        end = AsciiCodePointsEnd(in_, end, limit_);
      } else {
        while (end < limit_ && t_.KeepsAlone(in_[end])) ++end;
      }
      out_.PutAscii(in_ + pos, end - pos);
      pos = end;
      continue;
    }
    // A placeholder's entry is plain: it is copied as it is.
    const CodeEntry e = t_.Entry(in_[pos]);
    if (e.plain_single()) {
      out_.Put(e.out());
      ++pos;
      continue;
    }
    switch (e.kind()) {
      case CodeKind::kPlain:
        PutOwn(e);
        ++pos;
        break;
      case CodeKind::kSegmentStart:
        pos = SegmentStart(pos, e);
        break;
      case CodeKind::kCareful: {
        const size_t next = Careful(pos, e);
        if (next == kNeedMore) return pos;
        pos = next;
        break;
      }
    }
  }
  return pos;
}

// The steps below all start where everything before `pos` has been written
// and no match of the segmentation or of any conversion crosses `pos`; they
// look no further than pos + lookahead(), except Region and the lookups of
// keys along the text, which count a text cut short as a possible match.

// The longest segmentation key starting at `pos`, given the value of the key
// of the code point there alone (or kNoValue).
template <typename Out>
typename Engine<Out>::Key Engine<Out>::LongestSegmentationKey(
    size_t pos, uint32_t value_alone) const {
  Key best{value_alone, pos + 1, 1};
  size_t p = pos + 1;
  const SegmentationIndex::Pair* pair =
      p < size_ ? index_.FindPair(in_[pos], in_[p]) : nullptr;
  if (pair == nullptr) return best;
  if (pair->value() != PhraseTrie::kNoValue) {
    best.value = pair->value();
    best.end = p + 1;
  }
  ++p;
  for (uint32_t first = pair->first(), count = pair->count();
       p < size_ && count != 0 && !IsPlaceholder(in_[p]); ++p) {
    const uint32_t child = trie_.FindChild(first, count, in_[p]);
    if (child == PhraseTrie::kNoNode) break;
    const PhraseTrie::Node& node = trie_.node(child);
    if (node.value != PhraseTrie::kNoValue) {
      best.value = node.value;
      best.end = p + 1;
    }
    first = node.first;
    count = node.count;
  }
  best.depth = p - pos;
  return best;
}

// A code point that begins segmentation keys and otherwise converts alone.
template <typename Out>
size_t Engine<Out>::SegmentStart(size_t pos, const CodeEntry& entry) {
  const Key key = LongestSegmentationKey(pos, PhraseTrie::kNoValue);
  if (key.value != PhraseTrie::kNoValue) {
    out_.Put(index_.Phrase(key.value));
    return key.end;
  }
  PutOwn(entry);
  return pos + 1;
}

// A code point that may take part in a longer match of a run's conversions.
// Where a segmentation key matches, it is a segment of its own, converted
// whatever surrounds it; else it is inside a run.
template <typename Out>
size_t Engine<Out>::Careful(size_t pos, const CodeEntry& entry) {
  const CodeInfo& info = t_.info(entry.info());
  size_t depth = 0;
  if (info.segmentation_node != PhraseTrie::kNoNode) {
    const Key key =
        LongestSegmentationKey(pos, trie_.Value(info.segmentation_node));
    if (key.value != PhraseTrie::kNoValue) {
      out_.Put(index_.Phrase(key.value));
      return key.end;
    }
    depth = key.depth;
  }
  if (RunReach</*kAny=*/true>(pos, entry, depth) != 0) return Region(pos);
  out_.Put(t_.span(info.single_output));
  return pos + 1;
}

// How far past `pos` a match of a run's conversions that the code point at
// `pos`, inside a run, may take part in can reach; 0 when it converts alone.
// A key of level k beginning in its output spans at most as many code points
// from `pos` as it is long, as each gives each level at least one (one that
// gives none is hard; one that a lower level joins with others lies in the
// stretch and has a reach of its own). What that match changes may bring
// about matches of the later levels, each no longer than the level's longest
// key. The first level reads the text as it stands, so its keys are looked
// up along the text, and with them their outputs: a key of the second level
// that overlaps one holds one of its code points, and goes on past it no
// further than such a key goes on after that code point (most far less than
// the level's longest key). A later level whose long keys are all
// segmentation keys needs no lookup where it too reads the text as it stands
// (ReadAsWritten): the segmentation has looked there already.
template <typename Out>
template <bool kAny>
size_t Engine<Out>::RunReach(size_t pos, const CodeEntry& entry,
                             size_t depth) const {
  if (entry.kind() != CodeKind::kCareful) return 0;
  const CodeInfo& info = t_.info(entry.info());
  if (info.hard) return t_.run_reach();
  CodeEntry next;
  if (!At(pos + 1, next)) return 0;
  const std::vector<ChainLevel>& levels = t_.chain().run_levels();
  size_t reach = 0;
  for (uint32_t bits = info.soft_levels; bits != 0; bits &= bits - 1) {
    const auto k = static_cast<size_t>(std::countr_zero(bits));
    // Inside a run, the segmentation found no key at `pos`; where level k
    // reads the text as it stands as far as the segmentation trie follows
    // it, no key of level k matches there either.
    if (t_.keys_segmented(k) && ReadAsWritten(pos, depth, k)) continue;
    if (t_.clean_levels(next) < k) return t_.run_reach();
    if (k == 0) {
      reach = std::max(reach, FirstLevelReach(pos));
    } else if (const size_t key = levels[k].LongestKeyBeginning(
                   t_.last(k, entry, in_[pos]),
                   t_.first(k, next, in_[pos + 1]));
               key != 0) {
      reach = std::max(reach, key + t_.reach_after(k));
    }
    if (kAny && reach != 0) break;
  }
  return reach;
}

// The longest segmentation key at `pos`, and how far the segmentation trie
// follows the text from there (see Key).
template <typename Out>
typename Engine<Out>::Key Engine<Out>::SegmentationKeyAt(
    size_t pos, const CodeEntry& entry) const {
  const uint32_t node = entry.identity()
                            ? PhraseTrie::kNoNode
                            : t_.info(entry.info()).segmentation_node;
  if (node == PhraseTrie::kNoNode) return {PhraseTrie::kNoValue, pos + 1, 0};
  return LongestSegmentationKey(pos, trie_.Value(node));
}

// Whether `level`, inside a run, reads the code points from `pos` to
// `pos + depth` (those in the stretch) as they stand in the text: the levels
// before leave each as it is, and no longer key of theirs begins at any.
template <typename Out>
bool Engine<Out>::ReadAsWritten(size_t pos, size_t depth, size_t level) const {
  const std::vector<ChainLevel>& levels = t_.chain().run_levels();
  CodeEntry e, next;
  bool more = At(pos, e);
  for (size_t q = pos; more && q <= pos + depth; ++q, e = next) {
    if (t_.kept_levels(e) < level) return false;
    more = At(q + 1, next);
    if (e.identity()) continue;
    const uint32_t soft =
        t_.info(e.info()).soft_levels & ((uint32_t{1} << level) - 1);
    if (soft == 0) continue;
    if (!more) {
      if (q + 1 >= size_ && !final_) return false;
      continue;
    }
    for (uint32_t bits = soft; bits != 0; bits &= bits - 1) {
      const auto j = static_cast<size_t>(std::countr_zero(bits));
      if (j == 0 ? FirstLevelReach(q) != 0
                 : t_.clean_levels(next) < j ||
                       levels[j].LongestKeyBeginning(
                           in_[q], t_.first(j, next, in_[q + 1])) != 0)
        return false;
    }
  }
  return true;
}

// How far from `pos` a key of two or more code points of the run's first
// level that matches there, which that level reads as it stands in the
// text, reaches with the matches of the later levels it may bring about:
// those of the second level as ChainLevel::LongKeyReachAt bounds them, each
// later one by its longest key. 0 when none matches; the most any match
// there may reach when the text known so far ends too soon to tell.
template <typename Out>
size_t Engine<Out>::FirstLevelReach(size_t pos) const {
  const ChainLevel& level = t_.chain().run_levels()[0];
  bool open = false;
  const size_t reach = level.LongKeyReachAt({in_ + pos, size_ - pos}, open);
  if (open && !final_) return level.MaxKeyLength() + t_.reach_after(0);
  return reach == 0 ? 0 : reach + t_.reach_after(1);
}

// Converts exactly, as OpenCC does, the part of the stretch from `pos` up to
// the first position that no possible match crosses, and returns that
// position. A segmentation key starting at q ends by q plus how far the
// segmentation trie follows the text; a longer match of a run's conversions
// by q plus RunReach. Where all those reaches have been passed, every scan
// is back in step and the fast path can go on. Returns kNeedMore, writing
// nothing, when that position is not within the text known so far.
template <typename Out>
size_t Engine<Out>::Region(size_t pos) {
  size_t reach = 0;
  size_t p = pos;
  keys_.clear();
  keys_.reserve(64);  // An engine lives for one piece of text: grow once.
  for (CodeEntry e; At(p, e) && (p == pos || p < reach); ++p) {
    const Key key = SegmentationKeyAt(p, e);
    keys_.push_back(key);
    reach = std::max({reach, p + key.depth, p + RunReach(p, e, key.depth)});
  }
  // The scan looked at p + 1 at most, but for the trie's walks, and a walk
  // that met the end of the text took the reach there; past the end it
  // would have seen an end that is not there.
  if (!final_ && p + 1 >= size_) return kNeedMore;
  // The stretch is segmented as the chain would segment it alone, with the
  // keys the scan found: no key crosses its end, as the reach covers every
  // walk of the trie.
  region_.clear();
  size_t run = pos;
  for (size_t q = pos; q < p;) {
    const Key& key = keys_[q - pos];
    if (key.value == PhraseTrie::kNoValue) {
      ++q;
      continue;
    }
    if (key.end > p) {  // Never, by the reach; the chain then segments.
      region_.clear();
      t_.chain().Convert({in_ + pos, p - pos}, region_);
      run = p;
      break;
    }
    t_.chain().ConvertRun({in_ + run, q - run}, region_);
    region_ += index_.Phrase(key.value);
    run = q = key.end;
  }
  t_.chain().ConvertRun({in_ + run, p - run}, region_);
  out_.Put(region_);
  return p;
}

}  // namespace

void ConvertWithTables(const ConversionTables& tables, std::u32string_view text,
                       std::u32string& out) {
  Writer writer(out, text.size());
  Engine<Writer>(tables, tables.index(), text, /*final=*/true, writer).Run();
}

size_t ConvertPrefixWithTables(const ConversionTables& tables,
                               std::u32string_view text, std::u32string& out) {
  Writer writer(out, text.size());
  return Engine<Writer>(tables, tables.index(), text, /*final=*/false, writer)
      .Run();
}

size_t ConvertToBytes(const ConversionTables& tables, std::u32string_view text,
                      bool final, Encoding target, std::string& out,
                      EncodeCounts& counts) {
  auto run = [&]<Encoding kTarget>() {
    ByteWriter<kTarget> writer(
        out, text.size() * (kTarget == Encoding::kUtf8 ? 3 : 2), counts);
    return Engine<ByteWriter<kTarget>>(tables, tables.index(), text, final,
                                       writer)
        .Run();
  };
  switch (target) {
    case Encoding::kBig5:
      return run.template operator()<Encoding::kBig5>();
    case Encoding::kGbk:
      return run.template operator()<Encoding::kGbk>();
    case Encoding::kGb18030:
      return run.template operator()<Encoding::kGb18030>();
    case Encoding::kUtf8:
      break;
  }
  return run.template operator()<Encoding::kUtf8>();
}

}  // namespace tovenrak::core
