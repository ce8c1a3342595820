#include "core/convert/segmented_chain.h"

#include <algorithm>
#include <map>
#include <utility>

namespace tovenrak::core {

namespace {

// Runs `text` through `levels` and appends the result to `out`; `scratch`
// holds the steps in between. Returns false when some level's result
// depends on what would follow `text` (see ChainLevel::Convert).
bool RunLevels(const std::vector<ChainLevel>& levels, std::u32string_view text,
               std::u32string& out, std::u32string (&scratch)[2]) {
  if (levels.empty()) {
    out += text;
    return true;
  }
  bool closed = true;
  for (size_t i = 0; i < levels.size(); ++i) {
    std::u32string& next = i + 1 == levels.size() ? out : scratch[i % 2];
    if (&next != &out) next.clear();
    closed =
        levels[i].Convert(
            i == 0 ? text : std::u32string_view(scratch[(i - 1) % 2]), next) &&
        closed;
  }
  return closed;
}

// RunLevels, with `places` of `text` moved through every level to where
// they stand in what it appends.
void RunLevelsPlacing(const std::vector<ChainLevel>& levels,
                      std::u32string_view text, std::u32string& out,
                      std::span<size_t> places) {
  std::u32string scratch[2];
  std::u32string_view in = text;
  for (size_t i = 0; i < levels.size(); ++i) {
    std::u32string& next = i + 1 == levels.size() ? out : scratch[i % 2];
    if (&next != &out) next.clear();
    PlaceMover mover(places);
    levels[i].Convert(in, next, &mover);
    mover.Finish();
    in = next;
  }
  if (levels.empty()) out += text;
}

}  // namespace

SegmentedChain::SegmentedChain(const ConversionPlan& plan) {
  // The same dictionary often serves the segmentation and a conversion.
  std::map<const Dictionary*, CompiledDictionaryPtr> compiled;
  auto compile = [&](const DictionaryPtr& d) {
    auto [it, fresh] = compiled.try_emplace(d.get());
    if (fresh) it->second = CompileDictionary(d);
    return it->second;
  };
  segmentation_ = compile(plan.segmentation);

  std::vector<ChainLevel> full_levels;
  for (size_t i = 0; i < plan.chain.size(); ++i) {
    std::vector<CompiledDictionaryPtr> full, run;
    for (const DictionaryPtr& d : plan.chain[i]) {
      full.push_back(compile(d));
      if (i > 0) {
        run.push_back(full.back());
      } else if (d == plan.segmentation) {
        run.push_back(
            std::make_shared<CompiledDictionary>(CompiledDictionary{{}, d}));
      } else {
        run.push_back(CompileDictionary(d, &segmentation_->trie));
      }
    }
    full_levels.emplace_back(std::move(full));
    run_levels_.emplace_back(std::move(run));
  }
  JoinLevels();

  const Dictionary& keys = *plan.segmentation;
  std::u32string scratch[2], text;
  phrase_outputs_.reserve(keys.size() + 1);
  for (size_t i = 0; i < keys.size(); ++i) {
    phrase_outputs_.push_back(static_cast<uint32_t>(text.size()));
    RunLevels(full_levels, keys.key(i), text, scratch);
  }
  phrase_outputs_.push_back(static_cast<uint32_t>(text.size()));
  phrase_text_.append(text);
}

void SegmentedChain::Save(TableWriter& out) const {
  // Dictionaries and their tries are shared between levels: each is written
  // once and referred to by number.
  std::vector<const CompiledDictionary*> compiled;
  std::vector<const Dictionary*> dictionaries;
  auto number = [](auto& list, auto* item) {
    const auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end()) return static_cast<uint32_t>(it - list.begin());
    list.push_back(item);
    return static_cast<uint32_t>(list.size() - 1);
  };
  std::vector<uint32_t> refs;  // Per level: its size, then its dictionaries.
  const uint32_t segmentation = number(compiled, segmentation_.get());
  for (const ChainLevel& level : run_levels_) {
    refs.push_back(static_cast<uint32_t>(level.dictionaries().size()));
    for (const CompiledDictionaryPtr& d : level.dictionaries())
      refs.push_back(number(compiled, d.get()));
  }
  std::vector<uint32_t> compiled_dictionary;
  for (const CompiledDictionary* c : compiled)
    compiled_dictionary.push_back(number(dictionaries, c->dictionary.get()));
  out.Put(static_cast<uint64_t>(dictionaries.size()));
  for (const Dictionary* d : dictionaries) d->Save(out);
  out.Put(compiled_dictionary);
  for (const CompiledDictionary* c : compiled) c->trie.Save(out);
  out.Put(segmentation);
  out.Put(static_cast<uint64_t>(run_levels_.size()));
  out.Put(refs);
  out.Put(phrase_text_);
  out.Put(phrase_outputs_);
  for (const ChainLevel& level : run_levels_) level.Save(out);
}

std::optional<SegmentedChain> SegmentedChain::Load(TableReader& in) {
  uint64_t count = 0;
  if (!in.Get(count) || count > 1000) return std::nullopt;
  std::vector<DictionaryPtr> dictionaries;
  for (uint64_t i = 0; i < count; ++i) {
    auto d = std::make_shared<Dictionary>();
    if (!d->Load(in)) return std::nullopt;
    dictionaries.push_back(std::move(d));
  }
  std::vector<uint32_t> compiled_dictionary;
  if (!in.Get(compiled_dictionary)) return std::nullopt;
  std::vector<CompiledDictionaryPtr> compiled;
  for (const uint32_t d : compiled_dictionary) {
    auto c = std::make_shared<CompiledDictionary>();
    if (d >= dictionaries.size() || !c->trie.Load(in)) return std::nullopt;
    c->dictionary = dictionaries[d];
    compiled.push_back(std::move(c));
  }
  SegmentedChain chain;
  uint32_t segmentation = 0;
  uint64_t levels = 0;
  std::vector<uint32_t> refs;
  if (!in.Get(segmentation) || segmentation >= compiled.size() ||
      !in.Get(levels) || !in.Get(refs) || !in.Get(chain.phrase_text_) ||
      !in.Get(chain.phrase_outputs_) || chain.phrase_outputs_.empty())
    return std::nullopt;
  chain.segmentation_ = compiled[segmentation];
  size_t r = 0;
  for (uint64_t level = 0; level < levels; ++level) {
    if (r >= refs.size() || refs[r] > refs.size() - r - 1) return std::nullopt;
    std::vector<CompiledDictionaryPtr> members;
    for (uint32_t i = 0, n = refs[r++]; i < n; ++i) {
      if (refs[r] >= compiled.size()) return std::nullopt;
      members.push_back(compiled[refs[r++]]);
    }
    std::optional<ChainLevel> loaded =
        ChainLevel::Load(std::move(members), level == 0 && levels > 1, in);
    if (!loaded) return std::nullopt;
    chain.run_levels_.push_back(std::move(*loaded));
  }
  if (in.checked()) return chain;
  for (const uint32_t offset : chain.phrase_outputs_) {
    if (offset > chain.phrase_text_.size()) return std::nullopt;
  }
  return chain;
}

void SegmentedChain::JoinLevels() {
  // Only the first level's matches are looked up along the text, where the
  // engine asks how far they reach.
  if (run_levels_.size() > 1) run_levels_[0].JoinNextLevel(run_levels_[1]);
}

void SegmentedChain::ConvertRun(std::u32string_view run,
                                std::u32string& out) const {
  // The fast path calls here for a few code points at a time, many times:
  // the steps between levels keep their room from call to call, unless a
  // rare long run made it large.
  constexpr size_t kKept = size_t{1} << 16;
  thread_local std::u32string scratch[2];
  if (!run.empty()) RunLevels(run_levels_, run, out, scratch);
  for (std::u32string& s : scratch) {
    if (s.capacity() > kKept) std::u32string().swap(s);
  }
}

template <typename Run, typename Key>
void SegmentedChain::Segment(std::u32string_view text, Run run, Key key) const {
  const PhraseTrie& trie = segmentation_->trie;
  size_t run_start = 0;
  for (size_t pos = 0; pos < text.size();) {
    const PhraseTrie::Match m =
        trie.LongestMatch(text.data() + pos, text.size() - pos);
    if (m.length == 0) {
      ++pos;
      continue;
    }
    run(run_start, pos);
    key(m.length, PhraseOutput(m.value));
    pos += m.length;
    run_start = pos;
  }
  run(run_start, text.size());
}

void SegmentedChain::Convert(std::u32string_view text,
                             std::u32string& out) const {
  Segment(
      text,
      [&](size_t begin, size_t end) {
        ConvertRun(text.substr(begin, end - begin), out);
      },
      [&](size_t, std::u32string_view output) { out += output; });
}

void SegmentedChain::ConvertPlacing(std::u32string_view text,
                                    std::u32string& out,
                                    std::span<size_t> places) const {
  PlaceMover mover(places);
  Segment(
      text,
      [&](size_t begin, size_t end) {
        const std::span<size_t> inside = mover.Enter(end - begin);
        const size_t before = out.size();
        if (end > begin)
          RunLevelsPlacing(run_levels_, text.substr(begin, end - begin), out,
                           inside);
        mover.Leave(out.size() - before);
      },
      [&](size_t length, std::u32string_view output) {
        out += output;
        mover.Step(length, output.size());
      });
  mover.Finish();
}

// Segmentation decides each position from the text ahead of it, and so does
// each level of a run; a decision that looked no further than the end of
// what it was given is the same in any longer text. So a cut after every
// decided segment is safe, and so is a cut inside a run where every level
// decided the run's first part without looking past the cut: what follows
// then starts afresh at every step, as a text of its own would.
size_t SegmentedChain::ConvertPrefix(std::u32string_view text,
                                     std::u32string& out) const {
  const PhraseTrie& trie = segmentation_->trie;
  const size_t start_size = out.size();
  size_t pos = 0, run_start = 0, decided = 0, decided_size = out.size();
  std::u32string scratch[2];
  while (pos < text.size()) {
    const PhraseTrie::Match m =
        trie.LongestMatch(text.data() + pos, text.size() - pos);
    if (m.open) break;
    if (m.length == 0) {
      ++pos;
      continue;
    }
    RunLevels(run_levels_, text.substr(run_start, pos - run_start), out,
              scratch);
    out += PhraseOutput(m.value);
    pos += m.length;
    run_start = decided = pos;
    decided_size = out.size();
  }
  // The run still open at `pos`: the latest cut in it that every level
  // decided alone, within a few tries, since each try converts the run.
  constexpr size_t kTries = 16;
  for (size_t cut = pos; cut > run_start && pos - cut < kTries; --cut) {
    if (RunLevels(run_levels_, text.substr(run_start, cut - run_start), out,
                  scratch))
      return cut;
    out.resize(decided_size);
  }
  if (decided == 0) out.resize(start_size);
  return decided;
}

}  // namespace tovenrak::core
