#include "core/convert/table_conversion.h"

#include <algorithm>
#include <bit>

#include "core/encoding/codec.h"

namespace tovenrak::core {

namespace {

class Engine {
 public:
  Engine(const ConversionTables& tables, std::u32string_view text,
         std::u32string& out)
      : t_(tables),
        trie_(tables.chain().segmentation()),
        in_(text.data()),
        size_(text.size()),
        out_(out) {}

  void Run();

 private:
  // The entry of the code point at `pos`, or null at the end of a stretch
  // (end of text, a placeholder).
  const CodeEntry* At(size_t pos) const {
    if (pos >= size_ || IsPlaceholder(in_[pos])) return nullptr;
    return &t_.Entry(in_[pos]);
  }
  // Writes the output of the code point at `pos` converting alone.
  void PutOwn(const CodeEntry& e, size_t pos) {
    if (e.identity) {
      out_ += in_[pos];
    } else if (e.single) {
      out_ += e.out;
    } else {
      out_ += t_.span(e.out);
    }
  }

  size_t SegmentStart(size_t pos, const CodeEntry& entry);
  size_t Careful(size_t pos, const CodeEntry& entry);
  bool RunComplex(size_t pos, const CodeEntry& entry) const;
  bool MayBeginSegmentationKey(size_t pos, const CodeEntry& entry) const;
  size_t Region(size_t pos);

  const ConversionTables& t_;
  const PhraseTrie& trie_;
  const char32_t* in_;
  const size_t size_;
  std::u32string& out_;
};

void Engine::Run() {
  size_t pos = 0;
  while (pos < size_) {
    const char32_t c = in_[pos];
    if (IsPlaceholder(c)) {
      out_ += c;
      ++pos;
      continue;
    }
    const CodeEntry& e = t_.Entry(c);
    switch (e.kind) {
      case CodeKind::kPlain:
        PutOwn(e, pos);
        ++pos;
        break;
      case CodeKind::kSegmentStart:
        pos = SegmentStart(pos, e);
        break;
      case CodeKind::kCareful:
        pos = Careful(pos, e);
        break;
    }
  }
}

// The steps below all start where everything before `pos` has been written
// and no match of the segmentation or of any conversion crosses `pos`.

// A code point that begins segmentation keys and otherwise converts alone.
size_t Engine::SegmentStart(size_t pos, const CodeEntry& entry) {
  uint32_t first = entry.segmentation_first;
  uint32_t count = entry.segmentation_count;
  uint32_t best_value = PhraseTrie::kNoValue;
  size_t best_end = pos;
  size_t p = pos + 1;
  if (p < size_ && !t_.MayPair(in_[pos], in_[p])) count = 0;
  for (; p < size_ && count != 0 && !IsPlaceholder(in_[p]); ++p) {
    const uint32_t child = trie_.FindChild(first, count, in_[p]);
    if (child == PhraseTrie::kNoNode) break;
    const PhraseTrie::Node& node = trie_.node(child);
    if (node.value != PhraseTrie::kNoValue) {
      best_value = node.value;
      best_end = p + 1;
    }
    first = node.first;
    count = node.count;
  }
  if (best_value != PhraseTrie::kNoValue) {
    out_ += t_.phrase(best_value);
    return best_end;
  }
  PutOwn(entry, pos);
  return pos + 1;
}

// A code point that may take part in a longer match of a run's conversions.
size_t Engine::Careful(size_t pos, const CodeEntry& entry) {
  if (MayBeginSegmentationKey(pos, entry) || RunComplex(pos, entry))
    return Region(pos);
  out_ += t_.span(t_.info(entry.info).single_output);
  return pos + 1;
}

// Whether the code point at `pos`, inside a run, might take part in a match
// longer than itself.
bool Engine::RunComplex(size_t pos, const CodeEntry& entry) const {
  if (entry.kind != CodeKind::kCareful) return false;
  const CodeInfo& info = t_.info(entry.info);
  if (info.hard) return true;
  const CodeEntry* next = At(pos + 1);
  if (next == nullptr) return false;
  const std::vector<ChainLevel>& levels = t_.chain().run_levels();
  for (uint32_t bits = info.soft_levels; bits != 0; bits &= bits - 1) {
    const auto k = static_cast<size_t>(std::countr_zero(bits));
    if (t_.clean_levels(*next) < k) return true;
    if (levels[k].BeginsLongKey(t_.last(k, entry, in_[pos]),
                                t_.first(k, *next, in_[pos + 1])))
      return true;
  }
  return false;
}

bool Engine::MayBeginSegmentationKey(size_t pos, const CodeEntry& entry) const {
  const uint32_t node = entry.segmentation_node;
  if (node == PhraseTrie::kNoNode) return false;
  if (trie_.Value(node) != PhraseTrie::kNoValue) return true;
  return At(pos + 1) != nullptr &&
         trie_.Child(node, in_[pos + 1]) != PhraseTrie::kNoNode;
}

// Converts exactly, as OpenCC does, the part of the stretch from `pos` up to
// the first position that no possible match crosses, and returns that
// position. A segmentation key starting at q ends by q plus the longest key
// beginning with that code point; a longer match of a run's conversions by q
// plus run_reach. Where all those reaches have been passed, every scan is
// back in step and the fast path can go on.
size_t Engine::Region(size_t pos) {
  size_t reach = 0;
  size_t p = pos;
  for (const CodeEntry* e = At(p); e != nullptr && (p == pos || p < reach);
       e = At(++p)) {
    if (MayBeginSegmentationKey(p, *e))
      reach =
          std::max(reach, p + trie_.LongestKeyThrough(e->segmentation_node));
    if (RunComplex(p, *e)) reach = std::max(reach, p + t_.run_reach());
  }
  t_.chain().Convert(std::u32string_view(in_ + pos, p - pos), out_);
  return p;
}

}  // namespace

void ConvertWithTables(const ConversionTables& tables, std::u32string_view text,
                       std::u32string& out) {
  Engine(tables, text, out).Run();
}

}  // namespace tovenrak::core
