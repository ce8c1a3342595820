#include "core/convert/segmented_chain.h"

#include <map>
#include <utility>

namespace tovenrak::core {

namespace {

// Runs `text` through `levels` and appends the result to `out`; `scratch`
// holds the steps in between.
void RunLevels(const std::vector<ChainLevel>& levels, std::u32string_view text,
               std::u32string& out, std::u32string (&scratch)[2]) {
  if (levels.empty()) {
    out += text;
    return;
  }
  for (size_t i = 0; i < levels.size(); ++i) {
    std::u32string& next = i + 1 == levels.size() ? out : scratch[i % 2];
    if (&next != &out) next.clear();
    levels[i].Convert(i == 0 ? text : std::u32string_view(scratch[(i - 1) % 2]),
                      next);
  }
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

  const Dictionary& keys = *plan.segmentation;
  std::u32string scratch[2];
  phrase_outputs_.reserve(keys.size() + 1);
  for (size_t i = 0; i < keys.size(); ++i) {
    phrase_outputs_.push_back(static_cast<uint32_t>(phrase_text_.size()));
    RunLevels(full_levels, keys.key(i), phrase_text_, scratch);
  }
  phrase_outputs_.push_back(static_cast<uint32_t>(phrase_text_.size()));
}

void SegmentedChain::ConvertRun(std::u32string_view run,
                                std::u32string& out) const {
  std::u32string scratch[2];
  if (!run.empty()) RunLevels(run_levels_, run, out, scratch);
}

void SegmentedChain::Convert(std::u32string_view text,
                             std::u32string& out) const {
  const PhraseTrie& trie = segmentation_->trie;
  size_t run_start = 0;
  for (size_t pos = 0; pos < text.size();) {
    const PhraseTrie::Match m =
        trie.LongestMatch(text.data() + pos, text.size() - pos);
    if (m.length == 0) {
      ++pos;
      continue;
    }
    ConvertRun(text.substr(run_start, pos - run_start), out);
    out += PhraseOutput(m.value);
    pos += m.length;
    run_start = pos;
  }
  ConvertRun(text.substr(run_start), out);
}

}  // namespace tovenrak::core
