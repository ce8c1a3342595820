#include "core/convert/opencc_dictionaries.h"

#include <map>
#include <opencc/Config.hpp>
#include <opencc/Conversion.hpp>
#include <opencc/ConversionChain.hpp>
#include <opencc/Converter.hpp>
#include <opencc/DictGroup.hpp>
#include <opencc/Exception.hpp>
#include <opencc/Lexicon.hpp>
#include <opencc/MaxMatchSegmentation.hpp>
#include <unordered_map>
#include <unordered_set>

#include "core/encoding/utf8.h"

namespace tovenrak::core {

namespace {

void ToCodePoints(const std::string& utf8, std::u32string& cps) {
  cps.clear();
  for (size_t pos = 0; pos < utf8.size();) cps += NextUtf8(utf8, pos);
}

class PlanReader {
 public:
  DictionaryPtr Read(const opencc::DictPtr& dict) {
    auto [it, fresh] = cache_.try_emplace(dict.get());
    if (!fresh) return it->second;
    auto entries = std::make_shared<Dictionary>();
    Singles& singles = singles_[entries.get()];
    std::u32string key, value;
    for (const auto& entry : *dict->GetLexicon()) {
      ToCodePoints(entry->Key(), key);
      ToCodePoints(entry->GetDefault(), value);
      entries->Add(key, value);
      if (key.size() != 1 && entry->NumValues() < 2) continue;
      std::vector<std::u32string>& values =
          key.size() == 1 ? singles[key[0]] : phrases_[entries.get()][key];
      for (const std::string& v : entry->Values()) {
        ToCodePoints(v, value);
        values.push_back(value);
      }
    }
    it->second = entries;
    return entries;
  }

  // The candidates of a conversion that looks up `level` in order: a code
  // point's first single key decides, even when it lists one output.
  Candidates CandidatesOf(const std::vector<DictionaryPtr>& level) const {
    Candidates candidates;
    std::unordered_map<char32_t, bool> seen;
    for (const DictionaryPtr& d : level) {
      for (const auto& [cp, values] : singles_.at(d.get())) {
        if (!seen.emplace(cp, true).second) continue;
        if (values.size() > 1) candidates.emplace(cp, values);
      }
    }
    return candidates;
  }

  // The phrases with several outputs of a conversion that looks up `level`
  // in order: a phrase's first dictionary with it as a key decides.
  PhraseCandidates PhraseCandidatesOf(
      const std::vector<DictionaryPtr>& level) const {
    PhraseCandidates listed;
    for (const DictionaryPtr& d : level) {
      const auto it = phrases_.find(d.get());
      if (it != phrases_.end())
        listed.insert(it->second.begin(), it->second.end());
    }
    PhraseCandidates candidates;
    if (listed.empty()) return candidates;
    std::unordered_set<std::u32string> decided;
    for (const DictionaryPtr& d : level) {
      const auto own = phrases_.find(d.get());
      for (size_t i = 0; i < d->size(); ++i) {
        if (d->key(i).size() < 2) continue;
        const std::u32string key(d->key(i));
        if (!listed.contains(key) || !decided.insert(key).second) continue;
        // This dictionary has the phrase first: it decides.
        if (own == phrases_.end()) continue;
        if (const auto values = own->second.find(key);
            values != own->second.end())
          candidates.emplace(key, values->second);
      }
    }
    return candidates;
  }

  // A group answers with its first member that matches, so nested groups
  // flatten into one list in the same order.
  void Flatten(const opencc::DictPtr& dict, std::vector<DictionaryPtr>& out) {
    if (auto group = std::dynamic_pointer_cast<opencc::DictGroup>(dict)) {
      for (const opencc::DictPtr& member : group->GetDicts())
        Flatten(member, out);
    } else {
      out.push_back(Read(dict));
    }
  }

 private:
  using Singles = std::unordered_map<char32_t, std::vector<std::u32string>>;
  std::map<const opencc::Dict*, DictionaryPtr> cache_;
  std::map<const Dictionary*, Singles> singles_;
  std::map<const Dictionary*, PhraseCandidates> phrases_;
};

Result<ConversionPlan> Load(const std::string& config_name) {
  opencc::Config config;
  const opencc::ConverterPtr converter = config.NewFromFile(config_name);
  auto segmentation = std::dynamic_pointer_cast<opencc::MaxMatchSegmentation>(
      converter->GetSegmentation());
  if (!segmentation) {
    return Error{ErrorCode::kInvalidInput,
                 "OpenCC configuration " + config_name +
                     " uses a segmentation this converter does not know"};
  }
  PlanReader reader;
  ConversionPlan plan;
  std::vector<DictionaryPtr> flat;
  reader.Flatten(segmentation->GetDict(), flat);
  if (flat.size() == 1) {
    plan.segmentation = flat.front();
  } else {
    // A grouped segmentation dictionary would need first-match semantics
    // during segmentation too; the installed configurations never use one.
    return Error{ErrorCode::kInvalidInput,
                 "OpenCC configuration " + config_name +
                     " segments with a dictionary group"};
  }
  for (const opencc::ConversionPtr& conversion :
       converter->GetConversionChain()->GetConversions()) {
    std::vector<DictionaryPtr> level;
    reader.Flatten(conversion->GetDict(), level);
    plan.candidates.push_back(reader.CandidatesOf(level));
    plan.phrase_candidates.push_back(reader.PhraseCandidatesOf(level));
    plan.chain.push_back(std::move(level));
  }
  return plan;
}

}  // namespace

void Dictionary::Add(std::u32string_view key, std::u32string_view value) {
  Entry entry;
  entry.key = static_cast<uint32_t>(text_.size());
  entry.key_size = static_cast<uint32_t>(key.size());
  text_.append(key);
  entry.value = static_cast<uint32_t>(text_.size());
  entry.value_size = static_cast<uint32_t>(value.size());
  text_.append(value);
  entries_.push_back(entry);
}

void Dictionary::Save(TableWriter& out) const {
  out.Put(text_);
  out.Put(entries_);
}

bool Dictionary::Load(TableReader& in) {
  if (!in.Get(text_) || !in.Get(entries_)) return false;
  if (in.checked()) return true;
  const uint64_t size = text_.size();
  for (const Entry& e : entries_) {
    if (uint64_t{e.key} + e.key_size > size ||
        uint64_t{e.value} + e.value_size > size)
      return false;
  }
  return true;
}

Result<ConversionPlan> LoadConversionPlan(const std::string& config_name) {
  try {
    return Load(config_name);
  } catch (const opencc::Exception& e) {
    return Error{ErrorCode::kNotFound, "cannot load OpenCC configuration " +
                                           config_name + ": " + e.what()};
  } catch (const std::exception& e) {
    return Error{ErrorCode::kNotFound, "cannot load OpenCC configuration " +
                                           config_name + ": " + e.what()};
  }
}

}  // namespace tovenrak::core
