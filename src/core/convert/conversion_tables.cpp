#include "core/convert/conversion_tables.h"

#include <algorithm>
#include <stdexcept>

#include "core/convert/segmentation_index.h"

namespace tovenrak::core {

uint32_t ConversionTables::AddSpan(std::u32string_view cps) {
  spans_.push_back(Span{static_cast<uint32_t>(pool_.size()),
                        static_cast<uint32_t>(cps.size())});
  pool_.append(cps);
  return static_cast<uint32_t>(spans_.size() - 1);
}

ConversionTables::ConversionTables(const ConversionPlan& plan)
    : chain_(plan), bmp_(0x10000, CodeEntry()) {
  for (char32_t cp = 0; cp < 0x10000; ++cp)
    bmp_.at(cp) = CodeEntry::Identity(cp);
  const std::vector<ChainLevel>& levels = chain_.run_levels();
  run_reach_ = 0;
  for (const ChainLevel& level : levels) run_reach_ += level.MaxKeyLength();
  run_reach_ = std::max<size_t>(run_reach_, 1);
  SumReaches();
  const PhraseTrie& segmentation = chain_.segmentation();

  std::vector<char32_t> known;
  const PhraseTrie::Node& root = segmentation.node(0);
  for (uint32_t i = root.first; i < root.first + root.count; ++i)
    known.push_back(segmentation.node(i).label);
  for (const ChainLevel& level : levels) level.AppendKeyStarts(known);
  std::sort(known.begin(), known.end());
  known.erase(std::unique(known.begin(), known.end()), known.end());
  for (const char32_t cp : known)
    Compile(cp, cp < 0x10000 ? bmp_.at(cp) : astral_[cp]);
  index_ = std::make_unique<SegmentationIndex>(*this);
  NoteAsciiKept();
  NoteSegmentedLevels();
}

ConversionTables::ConversionTables(SegmentedChain chain)
    : chain_(std::move(chain)) {
  SumReaches();
}

void ConversionTables::NoteAsciiKept() {
  for (char32_t cp = 0; cp < 0x80; ++cp) {
    const CodeEntry e = Entry(cp);
    if (e.plain_single() && e.out() == cp)
      ascii_kept_[cp >> 6] |= uint64_t{1} << (cp & 63);
  }
}

void ConversionTables::NoteSegmentedLevels() {
  const PhraseTrie& segmentation = chain_.segmentation();
  const std::vector<ChainLevel>& levels = chain_.run_levels();
  for (size_t k = 0; k < levels.size() && k < 64; ++k) {
    bool segmented = true;
    for (const CompiledDictionaryPtr& d : levels[k].dictionaries()) {
      const Dictionary& keys = *d->dictionary;
      for (size_t i = 0; i < keys.size() && segmented; ++i) {
        const std::u32string_view key = keys.key(i);
        segmented = key.size() < 2 ||
                    segmentation.LongestMatch(key.data(), key.size()).length ==
                        key.size();
      }
    }
    if (segmented) keys_segmented_ |= uint64_t{1} << k;
  }
}

void ConversionTables::SumReaches() {
  const std::vector<ChainLevel>& levels = chain_.run_levels();
  reach_after_.assign(levels.size(), 0);
  for (size_t k = levels.size(); k-- > 1;)
    reach_after_[k - 1] = reach_after_[k] + levels[k].MaxKeyLength();
}

ConversionTables::~ConversionTables() = default;

void ConversionTables::Save(TableWriter& out) const {
  chain_.Save(out);
  out.Put(bmp_);
  std::vector<char32_t> astral;
  std::vector<CodeEntry> astral_entries;
  for (const auto& [cp, e] : astral_) {
    astral.push_back(cp);
    astral_entries.push_back(e);
  }
  out.Put(astral);
  out.Put(astral_entries);
  out.Put(infos_);
  out.Put(firsts_);
  out.Put(lasts_);
  out.Put(spans_);
  out.Put(pool_);
  out.Put(static_cast<uint64_t>(run_reach_));
  out.Put(keys_segmented_);
  index_->Save(out);
}

std::unique_ptr<ConversionTables> ConversionTables::Load(TableReader& in) {
  std::optional<SegmentedChain> chain = SegmentedChain::Load(in);
  if (!chain) return nullptr;
  std::unique_ptr<ConversionTables> t(new ConversionTables(std::move(*chain)));
  std::vector<char32_t> astral;
  std::vector<CodeEntry> astral_entries;
  uint64_t reach = 0;
  if (!in.Get(t->bmp_) || !in.Get(astral) || !in.Get(astral_entries) ||
      astral.size() != astral_entries.size() || !in.Get(t->infos_) ||
      !in.Get(t->firsts_) || !in.Get(t->lasts_) || !in.Get(t->spans_) ||
      !in.Get(t->pool_) || !in.Get(reach) || !in.Get(t->keys_segmented_))
    return nullptr;
  for (size_t i = 0; i < astral.size(); ++i)
    t->astral_.emplace(astral[i], astral_entries[i]);
  t->run_reach_ = reach;
  // What the engine indexes without a check must be in range.
  const size_t levels = t->levels();
  if (t->bmp_.size() != 0x10000 ||
      t->firsts_.size() != t->infos_.size() * levels ||
      t->lasts_.size() != t->firsts_.size())
    return nullptr;
  auto valid = [&](const CodeEntry& e) {
    return e.identity() || (e.info() < t->infos_.size() &&
                            (e.single() || e.out() < t->spans_.size()));
  };
  if (!in.checked()) {
    for (const Span& s : t->spans_) {
      if (uint64_t{s.offset} + s.size > t->pool_.size()) return nullptr;
    }
    for (const CodeEntry& e : t->bmp_) {
      if (!valid(e)) return nullptr;
    }
    for (const CodeEntry& e : astral_entries) {
      if (!valid(e)) return nullptr;
    }
    for (const CodeInfo& info : t->infos_) {
      if (info.single_output >= t->spans_.size()) return nullptr;
    }
  }
  t->index_ = SegmentationIndex::Load(in, *t);
  if (!t->index_) return nullptr;
  t->NoteAsciiKept();
  return t;
}

void ConversionTables::Compile(char32_t cp, CodeEntry& entry) {
  const std::vector<ChainLevel>& levels = chain_.run_levels();
  const size_t n = levels.size();
  const PhraseTrie& segmentation = chain_.segmentation();

  std::vector<std::u32string> outputs(n + 1);
  outputs[0].assign(1, cp);
  for (size_t k = 0; k < n; ++k) levels[k].Convert(outputs[k], outputs[k + 1]);

  CodeInfo info;
  // soft_levels has one bit per level; longer chains go entirely through the
  // exact path.
  info.hard = n > 32;
  for (size_t k = 0; k < n && !info.hard; ++k) {
    const std::u32string& o = outputs[k];
    if (o.empty()) {
      info.hard = true;
      break;
    }
    for (size_t i = 0; i + 1 < o.size(); ++i)
      info.hard = info.hard || levels[k].BeginsLongKey(o[i]);
    if (levels[k].BeginsLongKey(o.back())) info.soft_levels |= 1u << k;
  }
  uint8_t clean = 0;
  while (clean < n && !outputs[clean].empty() &&
         !levels[clean].BeginsLongKey(outputs[clean][0]) &&
         !levels[clean].ConvertOne(outputs[clean][0]).empty())
    ++clean;
  info.clean_levels = clean;
  uint8_t kept = 0;
  while (kept < n && kept < UINT8_MAX && outputs[kept + 1] == outputs[0])
    ++kept;
  info.kept_levels = kept;
  for (size_t k = 0; k < n; ++k) {
    firsts_.push_back(outputs[k].empty() ? 0 : outputs[k].front());
    lasts_.push_back(outputs[k].empty() ? 0 : outputs[k].back());
  }
  info.single_output = AddSpan(outputs[n]);

  info.segmentation_node = segmentation.Child(0, cp);
  const bool alone = !info.hard && info.soft_levels == 0;
  CodeKind kind;
  // A key of one code point is left to the careful path.
  if (!alone ||
      (info.segmentation_node != PhraseTrie::kNoNode &&
       segmentation.Value(info.segmentation_node) != PhraseTrie::kNoValue)) {
    kind = CodeKind::kCareful;
  } else if (info.segmentation_node != PhraseTrie::kNoNode) {
    kind = CodeKind::kSegmentStart;
  } else {
    kind = CodeKind::kPlain;
  }
  const bool single = outputs[n].size() == 1;
  if (infos_.size() >= CodeEntry::kNoInfo)
    throw std::length_error("too many code points in the dictionaries");
  entry = CodeEntry(kind, single, single ? outputs[n][0] : info.single_output,
                    static_cast<uint32_t>(infos_.size()));
  infos_.push_back(info);
}

}  // namespace tovenrak::core
