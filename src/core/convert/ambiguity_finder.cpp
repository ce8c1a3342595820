#include "core/convert/ambiguity_finder.h"

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>

#include "core/encoding/codec.h"

namespace tovenrak::core {

namespace {

// Past the last code point; placeholders lie above it.
constexpr char32_t kCodePointLimit = 0x110000;

bool HoldsLineFeed(const Dictionary& d) {
  for (size_t i = 0; i < d.size(); ++i)
    if (d.key(i).find(U'\n') != std::u32string_view::npos) return true;
  return false;
}

}  // namespace

AmbiguityFinder::AmbiguityFinder(const ConversionPlan& plan, bool skip_plain)
    : segmentation_(CompileDictionary(plan.segmentation)) {
  // OpenCC's dictionaries, being lines of text, hold none.
  cut_at_line_feeds_ = !HoldsLineFeed(*plan.segmentation);
  for (size_t i = 0; i < plan.chain.size(); ++i) {
    std::vector<CompiledDictionaryPtr> dictionaries;
    for (const DictionaryPtr& d : plan.chain[i]) {
      cut_at_line_feeds_ = cut_at_line_feeds_ && !HoldsLineFeed(*d);
      dictionaries.push_back(d == plan.segmentation ? segmentation_
                                                    : CompileDictionary(d));
    }
    levels_.push_back(
        {ChainLevel(std::move(dictionaries)),
         i < plan.candidates.size() ? plan.candidates[i] : Candidates(),
         i < plan.phrase_candidates.size() ? plan.phrase_candidates[i]
                                           : PhraseCandidates()});
  }
  if (skip_plain) NoteLeads();
}

void AmbiguityFinder::NoteLeads() {
  // A point lies on a candidate of some conversion, in the text as that
  // conversion sees it. Going back from the last conversion: a code point
  // leads to a point at this conversion or a later one when it is a
  // candidate here, when it leads to one later (a conversion may pass it
  // unchanged), or when it begins a key whose output holds a code point
  // that leads to one later (a key matches only where its first code point
  // is). The first conversion sees the text itself.
  leads_.assign(kCodePointLimit, false);
  for (size_t k = levels_.size(); k-- > 0;) {
    std::vector<char32_t> begun;
    for (const CompiledDictionaryPtr& d :
         levels_[k].conversion.dictionaries()) {
      const Dictionary& dictionary = *d->dictionary;
      for (size_t i = 0; i < dictionary.size(); ++i) {
        const std::u32string_view key = dictionary.key(i);
        if (key.empty() || key[0] >= kCodePointLimit) continue;
        for (const char32_t c : dictionary.value(i)) {
          if (c < kCodePointLimit && leads_[c]) {
            begun.push_back(key[0]);
            break;
          }
        }
      }
    }
    for (const char32_t c : begun) leads_[c] = true;
    for (const auto& [c, outputs] : levels_[k].candidates)
      if (c < kCodePointLimit) leads_[c] = true;
    for (const auto& [key, outputs] : levels_[k].phrases)
      if (key[0] < kCodePointLimit) leads_[key[0]] = true;
  }
}

AmbiguityFinder::Match AmbiguityFinder::MatchAt(
    const Level& level, std::u32string_view text) const {
  for (const CompiledDictionaryPtr& d : level.conversion.dictionaries()) {
    const PhraseTrie::Match m = d->trie.LongestMatch(text.data(), text.size());
    if (m.length > 0) return {m.length, d->dictionary->value(m.value), true};
  }
  return {1, text.substr(0, 1), false};
}

bool AmbiguityFinder::Overlapped(const Level& level, std::u32string_view text,
                                 size_t phrase_start, size_t phrase_length,
                                 size_t at, char32_t output) const {
  const size_t reach = level.conversion.MaxKeyLength();
  const size_t first = at + 1 > reach ? at + 1 - reach : 0;
  for (size_t start = first; start <= at; ++start) {
    for (const CompiledDictionaryPtr& d : level.conversion.dictionaries()) {
      uint32_t node = 0;
      for (size_t end = start; end < text.size(); ++end) {
        node = d->trie.Child(node, text[end]);
        if (node == PhraseTrie::kNoNode) break;
        const size_t length = end - start + 1;
        const uint32_t value = d->trie.Value(node);
        // A key inside the phrase is a word of it, which the phrase, the
        // longer match, settles (控制台 holds 制台).
        if (end < at || length < 2 || value == PhraseTrie::kNoValue ||
            (start >= phrase_start && end < phrase_start + phrase_length))
          continue;
        const std::u32string_view other = d->dictionary->value(value);
        if (other.size() == length && other[at - start] != output) return true;
      }
    }
  }
  return false;
}

bool AmbiguityFinder::Converts(const Level& level, char32_t c,
                               char32_t out) const {
  if (out == c) return true;
  if (const auto it = level.candidates.find(c); it != level.candidates.end()) {
    for (const std::u32string& candidate : it->second)
      if (candidate.size() == 1 && candidate[0] == out) return true;
  }
  const Match m = MatchAt(level, std::u32string_view(&c, 1));
  return m.output.size() == 1 && m.output[0] == out;
}

void AmbiguityFinder::FindInStretch(std::u32string_view text, size_t base,
                                    std::vector<AmbiguityPoint>& points) const {
  if (text.empty()) return;
  // The text as each conversion sees it, where each of its code points
  // comes from, and where its segments begin (and the last one ends).
  std::u32string current(text);
  std::vector<size_t> origin(text.size());
  for (size_t i = 0; i < origin.size(); ++i) origin[i] = i;
  // Whether each code point of `current` is a conversion of the one at its
  // origin: not where a phrase wrote other words (線上 gives 在線, 方便麵
  // gives 泡麵), whose code points have no origin of their own.
  std::vector<bool> own(text.size(), true);
  std::vector<size_t> bounds{0};
  for (size_t pos = 0; pos < text.size();) {
    const PhraseTrie::Match m =
        segmentation_->trie.LongestMatch(text.data() + pos, text.size() - pos);
    if (m.length == 0) {
      ++pos;
      continue;
    }
    if (pos != bounds.back()) bounds.push_back(pos);
    pos += m.length;
    bounds.push_back(pos);
  }
  if (bounds.back() != text.size()) bounds.push_back(text.size());

  struct Found {
    size_t index;
    size_t level;
    std::vector<std::u32string> candidates;
  };
  std::vector<Found> found;
  std::vector<bool> reported(text.size());
  std::vector<std::u32string> choices;
  for (size_t k = 0; k < levels_.size(); ++k) {
    const Level& level = levels_[k];
    std::u32string next;
    std::vector<size_t> next_origin, next_bounds{0};
    std::vector<bool> next_own;
    for (size_t b = 0; b + 1 < bounds.size(); ++b) {
      for (size_t pos = bounds[b]; pos < bounds[b + 1];) {
        const std::u32string_view here =
            std::u32string_view(current).substr(pos, bounds[b + 1] - pos);
        const Match m = MatchAt(level, here);
        const bool same_length = m.output.size() == m.length;
        // A phrase the dictionary gives several outputs (干了: 幹了 乾了).
        const std::vector<std::u32string>* outputs = nullptr;
        if (m.found && m.length >= 2 && same_length && !level.phrases.empty()) {
          const auto it =
              level.phrases.find(std::u32string(here.substr(0, m.length)));
          if (it != level.phrases.end()) outputs = &it->second;
        }
        for (size_t j = 0; m.found && same_length && j < m.length; ++j) {
          const size_t at = pos + j;
          if (reported[origin[at]] || !own[at]) continue;
          if (outputs != nullptr) {
            choices.clear();
            for (const std::u32string& output : *outputs) {
              const std::u32string choice = output.substr(j, 1);
              if (output.size() == m.length &&
                  std::find(choices.begin(), choices.end(), choice) ==
                      choices.end())
                choices.push_back(choice);
            }
            if (choices.size() >= 2) {
              reported[origin[at]] = true;
              found.push_back({origin[at], k, choices});
              continue;
            }
          }
          const auto it = level.candidates.find(current[at]);
          if (it == level.candidates.end()) continue;
          if (m.length == 1 ||
              Overlapped(level, current, pos, m.length, at, m.output[j])) {
            reported[origin[at]] = true;
            found.push_back({origin[at], k, it->second});
          }
        }
        for (size_t o = 0; o < m.output.size(); ++o) {
          next_origin.push_back(origin[pos + std::min(o, m.length - 1)]);
          next_own.push_back(same_length && own[pos + o] &&
                             (m.length == 1 ||
                              Converts(level, current[pos + o], m.output[o])));
        }
        next += m.output;
        pos += m.length;
      }
      next_bounds.push_back(next.size());
    }
    current = std::move(next);
    origin = std::move(next_origin);
    bounds = std::move(next_bounds);
    own = std::move(next_own);
  }

  std::sort(found.begin(), found.end(),
            [](const Found& a, const Found& b) { return a.index < b.index; });
  size_t out = 0;
  for (const Found& f : found) {
    AmbiguityPoint point;
    point.index = base + f.index;
    point.source = text[f.index];
    while (out < origin.size() && origin[out] < f.index) ++out;
    for (; out < origin.size() && origin[out] == f.index; ++out)
      point.chosen += current[out];
    for (const std::u32string& candidate : f.candidates) {
      std::u32string converted = candidate;
      for (size_t k = f.level + 1; k < levels_.size(); ++k) {
        std::u32string step;
        for (size_t pos = 0; pos < converted.size();) {
          const Match m =
              MatchAt(levels_[k], std::u32string_view(converted).substr(pos));
          step += m.output;
          pos += m.length;
        }
        converted = std::move(step);
      }
      if (std::find(point.candidates.begin(), point.candidates.end(),
                    converted) == point.candidates.end())
        point.candidates.push_back(std::move(converted));
    }
    // A place that a later conversion's phrase wrote over (剪貼板 gives
    // 剪貼簿), or whose candidates the later conversions made one, offers
    // no choice.
    if (point.candidates.size() < 2 ||
        std::find(point.candidates.begin(), point.candidates.end(),
                  point.chosen) == point.candidates.end())
      continue;
    points.push_back(std::move(point));
  }
}

void AmbiguityFinder::Find(std::u32string_view text,
                           std::vector<AmbiguityPoint>& points) const {
  // A line feed that no key holds is crossed by no match and no overlap, so
  // the text is looked at line by line: the work kept for each code point of
  // a stretch then stays as small as its line, not the whole text.
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && !IsPlaceholder(text[i]) &&
        !(cut_at_line_feeds_ && text[i] == U'\n'))
      continue;
    const std::u32string_view stretch = text.substr(start, i - start);
    // Most stretches of a page (markup, white space, plain words) hold no
    // code point that could lead to a point; they cost one look each.
    if (leads_.empty() ||
        std::any_of(stretch.begin(), stretch.end(), [&](char32_t c) {
          return c < kCodePointLimit && leads_[c];
        }))
      FindInStretch(stretch, start, points);
    start = i + 1;
  }
}

Result<const AmbiguityFinder*> SharedAmbiguityFinder(ScriptConversion how) {
  struct Slot {
    std::once_flag once;
    std::unique_ptr<AmbiguityFinder> finder;
    Error error{ErrorCode::kNotFound, {}};
  };
  static std::array<Slot, 8> slots;
  Slot& slot = slots[static_cast<size_t>(how.variant) * 2 +
                     (how.to == Script::kSimplified ? 0 : 1)];
  std::call_once(slot.once, [&] {
    Result<ConversionPlan> plan = LoadConversionPlan(OpenccConfigName(how));
    if (plan) {
      slot.finder = std::make_unique<AmbiguityFinder>(*plan);
    } else {
      slot.error = plan.error();
    }
  });
  if (!slot.finder) return slot.error;
  return slot.finder.get();
}

}  // namespace tovenrak::core
