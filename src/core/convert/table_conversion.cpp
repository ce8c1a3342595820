#include "core/convert/table_conversion.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tovenrak::core {

namespace {

// The output, written through a raw cursor into a string that grows in large
// steps; Finish trims it to what was written.
class Writer {
 public:
  Writer(std::string& text, size_t expected) : text_(text) {
    text_.resize(std::max<size_t>(expected, 64));
    cursor_ = text_.data();
    end_ = cursor_ + text_.size();
  }
  void Ensure(size_t size) {
    if (static_cast<size_t>(end_ - cursor_) < size) Grow(size);
  }
  // REQUIRES: Ensure(size) since the last write.
  void Put(const void* bytes, size_t size) {
    std::memcpy(cursor_, bytes, size);
    cursor_ += size;
  }
  // Writes the `size` bytes packed into `packed`, first byte lowest.
  // REQUIRES: Ensure(4) since the last write.
  void PutPacked(uint32_t packed, size_t size) {
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(cursor_, &packed, 4);
    } else {
      for (int i = 0; i < 4; ++i)
        cursor_[i] = static_cast<char>(packed >> (8 * i));
    }
    cursor_ += size;
  }
  // Takes back the last `size` bytes written.
  void Back(size_t size) { cursor_ -= size; }
  void Finish() { text_.resize(static_cast<size_t>(cursor_ - text_.data())); }

 private:
  void Grow(size_t size) {
    const auto used = static_cast<size_t>(cursor_ - text_.data());
    text_.resize(std::max(text_.size() + text_.size() / 2, used + size));
    cursor_ = text_.data() + used;
    end_ = text_.data() + text_.size();
  }

  std::string& text_;
  char* cursor_;
  char* end_;
};

class Engine {
 public:
  Engine(const DirectionTables& tables, std::string_view text,
         Conversion& result)
      : t_(tables),
        trie_(tables.chain.segmentation()),
        in_(reinterpret_cast<const unsigned char*>(text.data())),
        size_(text.size()),
        result_(result),
        // Output is about as long as the input; references make it grow.
        out_(result.text, text.size() + text.size() / 64 + 64) {}

  void Run();

 private:
  // The entry of the valid double-byte unit at `pos`, or null at the end of
  // a stretch (end of text, a single-byte unit, an unmapped code).
  const UnitEntry* ValidAt(size_t pos) const {
    if (pos + 1 >= size_ || !IsLeadByte(in_[pos]) || !IsTrailByte(in_[pos + 1]))
      return nullptr;
    const UnitEntry& e = t_.units[(in_[pos] << 8) | in_[pos + 1]];
    return e.kind == UnitKind::kInvalid ? nullptr : &e;
  }
  // REQUIRES: out_.Ensure(kSpanPadding) since the last write.
  void PutSpan(uint32_t span_index) {
    const ByteSpan& span = t_.spans[span_index];
    const char* bytes = t_.bytes.data() + span.offset;
    if (span.size <= DirectionTables::kSpanPadding) {
      out_.Put(bytes, DirectionTables::kSpanPadding);
      out_.Back(DirectionTables::kSpanPadding - span.size);
    } else {
      out_.Ensure(span.size);
      out_.Put(bytes, span.size);
    }
    result_.references += span.references;
  }
  // REQUIRES: out_.Ensure(kInlineBytes) since the last write.
  void PutPhrase(const PhraseOutput& phrase) {
    if (phrase.is_inline) {
      out_.Put(phrase.bytes, PhraseOutput::kInlineBytes);
      out_.Back(PhraseOutput::kInlineBytes - phrase.size);
      result_.references += phrase.references;
    } else {
      uint32_t span;
      std::memcpy(&span, phrase.bytes, sizeof span);
      PutSpan(span);
    }
  }
  // Writes the unit's output when it converts alone.
  void PutOwn(const UnitEntry& e) {
    if (e.inline_size != 0) {
      out_.PutPacked(e.out, e.inline_size);
    } else {
      PutSpan(e.out);
    }
  }

  size_t SegmentStart(size_t pos, const UnitEntry& entry);
  size_t Careful(size_t pos, const UnitEntry& entry);
  bool RunComplex(const UnitEntry& entry, const UnitEntry* next) const;
  bool MayBeginSegmentationKey(const UnitEntry& entry,
                               const UnitEntry* next) const;
  size_t Region(size_t pos);

  const DirectionTables& t_;
  const PhraseTrie& trie_;
  const unsigned char* in_;
  const size_t size_;
  Conversion& result_;
  Writer out_;
};

void Engine::Run() {
  const UnitEntry* units = t_.units.data();
  const size_t slack =
      std::max<size_t>(t_.max_piece, DirectionTables::kSpanPadding);
  size_t pos = 0;
  while (pos < size_) {
    out_.Ensure(slack);
    const unsigned char b = in_[pos];
    if (b < 0x80) {
      const size_t limit = std::min(size_, pos + 4096);
      size_t end = pos + 1;
      while (end < limit && in_[end] < 0x80) ++end;
      out_.Ensure(end - pos);
      out_.Put(in_ + pos, end - pos);
      pos = end;
      continue;
    }
    if (pos + 1 < size_ && IsLeadByte(b) && IsTrailByte(in_[pos + 1])) {
      const UnitEntry& e = units[(b << 8) | in_[pos + 1]];
      switch (e.kind) {
        case UnitKind::kPlain:
          PutOwn(e);
          pos += 2;
          break;
        case UnitKind::kSegmentStart:
          pos = SegmentStart(pos, e);
          break;
        case UnitKind::kInvalid:
          out_.Put(in_ + pos, 2);
          ++result_.invalid_units;
          pos += 2;
          break;
        case UnitKind::kCareful:
          pos = Careful(pos, e);
          break;
      }
      continue;
    }
    out_.Put(in_ + pos, 1);
    ++result_.invalid_units;
    ++pos;
  }
  out_.Finish();
}

// The steps below all start where everything before `pos` has been written
// and no match of the segmentation or of any conversion crosses `pos`.

// A unit that begins segmentation keys and otherwise converts alone.
size_t Engine::SegmentStart(size_t pos, const UnitEntry& entry) {
  uint32_t first = entry.segmentation_first;
  uint32_t count = entry.segmentation_count;
  uint32_t best_value = PhraseTrie::kNoValue;
  size_t best_end = pos;
  size_t p = pos + 2;
  for (const UnitEntry* e = ValidAt(p); e != nullptr && count != 0;
       e = ValidAt(p)) {
    if (p == pos + 2) {
      const size_t bit = DirectionTables::PairBit(entry.cp, e->cp);
      if ((t_.segmentation_pairs[bit / 64] >> (bit % 64) & 1) == 0) break;
    }
    const uint32_t child = trie_.FindChild(first, count, e->cp);
    if (child == PhraseTrie::kNoNode) break;
    // A key could end between the two code points of this unit.
    if (e->cp_count != 1) return Region(pos);
    p += 2;
    const PhraseTrie::Node& node = trie_.node(child);
    if (node.value != PhraseTrie::kNoValue) {
      best_value = node.value;
      best_end = p;
    }
    first = node.first;
    count = node.count;
  }
  if (best_value != PhraseTrie::kNoValue) {
    PutPhrase(t_.phrase_outputs[best_value]);
    return best_end;
  }
  PutOwn(entry);
  return pos + 2;
}

// A unit that may take part in a longer match of a run's conversions.
size_t Engine::Careful(size_t pos, const UnitEntry& entry) {
  const UnitEntry* next = ValidAt(pos + 2);
  if (MayBeginSegmentationKey(entry, next) || RunComplex(entry, next))
    return Region(pos);
  PutSpan(t_.infos[entry.info].single_output);
  return pos + 2;
}

// Whether the unit, inside a run and followed by `next` (null at the end of
// the stretch), might take part in a match longer than its own code points.
bool Engine::RunComplex(const UnitEntry& entry, const UnitEntry* next) const {
  if (entry.kind != UnitKind::kCareful) return false;
  const UnitInfo& info = t_.infos[entry.info];
  if (info.hard) return true;
  if (next == nullptr) return false;
  const UnitInfo& following = t_.infos[next->info];
  const std::vector<ChainLevel>& levels = t_.chain.run_levels();
  for (uint32_t bits = info.soft_levels; bits != 0; bits &= bits - 1) {
    const auto k = static_cast<size_t>(std::countr_zero(bits));
    if (following.clean_levels < k) return true;
    if (levels[k].BeginsLongKey(t_.last(k, entry.info),
                                t_.first(k, next->info)))
      return true;
  }
  return false;
}

bool Engine::MayBeginSegmentationKey(const UnitEntry& entry,
                                     const UnitEntry* next) const {
  const uint32_t node = entry.segmentation_node;
  if (node == PhraseTrie::kNoNode) return false;
  if (trie_.Value(node) != PhraseTrie::kNoValue) return true;
  return next != nullptr && trie_.Child(node, next->cp) != PhraseTrie::kNoNode;
}

// Converts exactly, as OpenCC does, the part of the stretch from `pos` up to
// the first unit boundary that no possible match crosses, and returns that
// boundary. A segmentation key starting at code point q ends by q plus the
// longest key beginning with that code point; a longer match of a run's
// conversions by q plus run_reach. Where all those reaches have been passed,
// every scan is back in step and the fast path can go on.
size_t Engine::Region(size_t pos) {
  std::u32string cps;
  const size_t hard_reach = std::max(trie_.MaxKeyLength(), t_.run_reach);
  size_t reach = 0;
  size_t p = pos;
  for (const UnitEntry* e = ValidAt(p);
       e != nullptr && (p == pos || cps.size() < reach); e = ValidAt(p)) {
    const UnitEntry* next = ValidAt(p + 2);
    const size_t q = cps.size();
    cps.append(t_.infos[e->info].cps, e->cp_count);
    if (e->cp_count != 1) {
      reach = std::max(reach, cps.size() + hard_reach);
    } else {
      if (MayBeginSegmentationKey(*e, next)) {
        reach =
            std::max(reach, q + trie_.LongestKeyThrough(e->segmentation_node));
      }
      if (RunComplex(*e, next)) reach = std::max(reach, q + t_.run_reach);
    }
    p += 2;
  }
  std::u32string converted;
  t_.chain.Convert(cps, converted);
  std::string bytes;
  EncodeCodePoints(converted, t_.target, bytes, result_.references);
  out_.Ensure(bytes.size());
  out_.Put(bytes.data(), bytes.size());
  return p;
}

}  // namespace

Conversion ConvertWithTables(const DirectionTables& tables,
                             std::string_view text) {
  Conversion result;
  Engine(tables, text, result).Run();
  return result;
}

}  // namespace tovenrak::core
