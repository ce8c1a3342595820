// The compiled tables against OpenCC's own segmentation and conversion chain,
// both built from the same small random dictionaries. The installed
// dictionaries rarely make matches overlap across conversions; these do it
// all the time, over a small alphabet.

#include <gtest/gtest.h>

#include <cstdlib>
#include <list>
#include <map>
#include <opencc/Conversion.hpp>
#include <opencc/ConversionChain.hpp>
#include <opencc/Converter.hpp>
#include <opencc/DictGroup.hpp>
#include <opencc/Lexicon.hpp>
#include <opencc/MarisaDict.hpp>
#include <opencc/MaxMatchSegmentation.hpp>
#include <opencc/TextDict.hpp>
#include <optional>
#include <random>

#include "core/convert/ambiguity_finder.h"
#include "core/convert/conversion_tables.h"
#include "core/convert/table_conversion.h"
#include "core/encoding/codec.h"
#include "support/text.h"

namespace tovenrak::core {
namespace {

using Pairs = std::map<std::u32string, std::u32string>;
using testing::U32;
using testing::Utf8;

// The same dictionary for OpenCC and for the plan.
struct TinyDictionary {
  opencc::DictPtr opencc;
  DictionaryPtr plan;
};

TinyDictionary MakeDictionary(const Pairs& pairs) {
  auto lexicon = std::make_shared<opencc::Lexicon>();
  auto plan = std::make_shared<Dictionary>();
  for (const auto& [key, value] : pairs) {
    lexicon->Add(opencc::DictEntryFactory::New(Utf8(key), Utf8(value)));
    plan->Add(key, value);
  }
  lexicon->Sort();
  opencc::TextDict text(lexicon);
  return {opencc::MarisaDict::NewFromDict(text), plan};
}

// Code points that keys, values and texts use: CJK, ASCII letters (some
// configurations have keys such as "U盤"), an astral code point, and a
// letter with a combining mark.
const std::u32string kAlphabet =
    U"一二三四五六七八人大ab\U00020000\u00CA\u0304";

class TinyPlanMaker {
 public:
  explicit TinyPlanMaker(uint32_t seed) : rng_(seed) {}

  std::u32string Word(int min, int max) {
    std::u32string w(Pick(min, max), U'\0');
    for (char32_t& cp : w)
      cp = kAlphabet[Pick(0, static_cast<int>(kAlphabet.size()) - 1)];
    return w;
  }
  Pairs Entries(int max_entries, int min_value) {
    Pairs pairs;
    for (int i = Pick(1, max_entries); i > 0; --i) {
      // Short keys mostly, so that matches meet often.
      const int longest = Pick(0, 3) == 0 ? 4 : 2;
      pairs[Word(Pick(0, 4) == 0 ? 1 : 2, longest)] = Word(min_value, 3);
    }
    return pairs;
  }
  int Pick(int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng_);
  }

 private:
  std::mt19937 rng_;
};

struct TinyConversion {
  opencc::ConverterPtr opencc;
  ConversionPlan plan;
};

// Each level is a group of dictionaries; std::nullopt stands for the
// segmentation dictionary itself, as the installed configurations use it.
using Level = std::vector<std::optional<Pairs>>;

// The same conversion for OpenCC and as a plan.
TinyConversion Build(const Pairs& segmentation,
                     const std::vector<Level>& levels) {
  TinyConversion c;
  const TinyDictionary seg = MakeDictionary(segmentation);
  c.plan.segmentation = seg.plan;
  std::list<opencc::ConversionPtr> conversions;
  for (const Level& level : levels) {
    std::list<opencc::DictPtr> group;
    c.plan.chain.emplace_back();
    for (const std::optional<Pairs>& pairs : level) {
      const TinyDictionary dict = pairs ? MakeDictionary(*pairs) : seg;
      group.push_back(dict.opencc);
      c.plan.chain.back().push_back(dict.plan);
    }
    conversions.push_back(std::make_shared<opencc::Conversion>(
        std::make_shared<opencc::DictGroup>(group)));
  }
  c.opencc = std::make_shared<opencc::Converter>(
      "tiny", std::make_shared<opencc::MaxMatchSegmentation>(seg.opencc),
      std::make_shared<opencc::ConversionChain>(conversions));
  return c;
}

TinyConversion MakeConversion(TinyPlanMaker& maker) {
  const Pairs segmentation = maker.Entries(6, 1);
  std::vector<Level> levels(maker.Pick(1, 3));
  for (Level& level : levels) {
    for (int n = maker.Pick(1, 3); n > 0; --n) {
      level.push_back(
          maker.Pick(0, 5) == 0
              ? std::nullopt
              : std::optional(maker.Entries(8, maker.Pick(0, 6) == 0 ? 0 : 1)));
    }
  }
  TinyConversion c = Build(segmentation, levels);
  // A few code points of each level with more than one output, for the
  // ambiguity finder; the conversion itself does not use them.
  for (size_t k = 0; k < levels.size(); ++k) {
    Candidates& candidates = c.plan.candidates.emplace_back();
    for (int n = maker.Pick(0, 3); n > 0; --n)
      candidates[maker.Word(1, 1)[0]] = {maker.Word(1, 2), maker.Word(1, 2)};
  }
  return c;
}

// The points of `text` as "INDEX:CHOSEN:CANDIDATE,...;" for each.
std::string PointsOf(const AmbiguityFinder& finder, std::u32string_view text) {
  std::vector<AmbiguityPoint> points;
  finder.Find(text, points);
  std::string listed;
  for (const AmbiguityPoint& p : points) {
    listed += std::to_string(p.index) + ":" + Utf8(p.chosen) + ":";
    for (const std::u32string& c : p.candidates) listed += Utf8(c) + ",";
    listed += ";";
  }
  return listed;
}

std::u32string RandomText(TinyPlanMaker& maker) {
  std::u32string text;
  for (int i = maker.Pick(1, 40); i > 0; --i) {
    const int kind = maker.Pick(0, 30);
    if (kind == 0) {
      text += U'<';
    } else if (kind == 1) {
      text += char32_t{0x110080};  // The placeholder of a stray byte.
    } else {
      text += kAlphabet[maker.Pick(0, static_cast<int>(kAlphabet.size()) - 1)];
    }
  }
  return text;
}

// What OpenCC gives, stretch by stretch between placeholders.
std::u32string Expected(const TinyConversion& c, std::u32string_view text) {
  std::u32string out;
  size_t start = 0;
  for (size_t pos = 0; pos <= text.size(); ++pos) {
    if (pos < text.size() && !IsPlaceholder(text[pos])) continue;
    if (pos > start)
      out += U32(c.opencc->Convert(Utf8(text.substr(start, pos - start))));
    if (pos < text.size()) out += text[pos];
    start = pos + 1;
  }
  return out;
}

TEST(TinyDictionaryDifferentialTest, TablesMatchOpenccOnRandomPlans) {
  const uint32_t seed = 20240611;
  TinyPlanMaker maker(seed);
  // TOVENRAK_DIFFERENTIAL_PLANS sets how many random plans, for a longer run.
  const char* env = std::getenv("TOVENRAK_DIFFERENTIAL_PLANS");
  const int plans = env ? std::atoi(env) : 150;
  for (int plan = 0; plan < plans; ++plan) {
    const TinyConversion c = MakeConversion(maker);
    const ConversionTables compiled(c.plan);
    // The tables as the cache gives them back: written in their flat form
    // and read again, every odd plan.
    TableWriter flat;
    compiled.Save(flat);
    TableReader reader(flat.bytes());
    const std::unique_ptr<ConversionTables> loaded =
        plan % 2 == 1 ? ConversionTables::Load(reader) : nullptr;
    ASSERT_TRUE(plan % 2 == 0 || loaded) << "plan " << plan;
    const ConversionTables& tables = loaded ? *loaded : compiled;
    const AmbiguityFinder finder(c.plan), unskipping(c.plan, false);
    // The finder skips only stretches that hold no point; short texts are
    // where a skip would most often be wrong.
    for (const char32_t a : kAlphabet) {
      for (const char32_t b : kAlphabet) {
        const std::u32string text{a, b};
        ASSERT_EQ(PointsOf(finder, text), PointsOf(unskipping, text))
            << "plan " << plan << " input: " << Utf8(text);
      }
    }
    for (int iteration = 0; iteration < 40; ++iteration) {
      const std::u32string text = RandomText(maker);
      std::u32string actual;
      ConvertWithTables(tables, text, actual);
      ASSERT_EQ(Utf8(actual), Utf8(Expected(c, text)))
          << "seed " << seed << " plan " << plan << " iteration " << iteration
          << "\ninput: " << Utf8(text);
      ASSERT_EQ(PointsOf(finder, text), PointsOf(unskipping, text))
          << "plan " << plan << " input: " << Utf8(text);
      // A cut that the exact chain finds in the text's start, not knowing
      // what follows, is as safe as one made knowing the whole text.
      const size_t seen = maker.Pick(0, static_cast<int>(text.size()));
      std::u32string pieces;
      const size_t cut =
          tables.chain().ConvertPrefix(text.substr(0, seen), pieces);
      ConvertWithTables(tables, text.substr(cut), pieces);
      ASSERT_EQ(Utf8(pieces), Utf8(actual))
          << "plan " << plan << " cut at " << cut << " of " << Utf8(text);
      // So is the one the tables find there.
      pieces.clear();
      const size_t clean =
          ConvertPrefixWithTables(tables, text.substr(0, seen), pieces);
      ConvertWithTables(tables, text.substr(clean), pieces);
      ASSERT_EQ(Utf8(pieces), Utf8(actual))
          << "plan " << plan << " tables' cut at " << clean << " of "
          << Utf8(text);
    }
  }
}

TEST(TinyDictionaryDifferentialTest, EmptyOutputsDoNotHideAMatchAcrossThem) {
  // 二, or the phrase 二四, vanishes at level 0, so 一 and 三 meet at level
  // 1 however many stood between them; random texts rarely hold a row that
  // long.
  for (const std::u32string vanishing : {U"二", U"二四"}) {
    const TinyConversion c =
        Build({{U"大大", U"大"}},
              {{Pairs{{vanishing, U""}}}, {Pairs{{U"一三", U"人"}}}});
    const ConversionTables tables(c.plan);
    for (int rows = 0; rows < 40; ++rows) {
      std::u32string text = U"一";
      for (int i = 0; i < rows; ++i) text += vanishing;
      text += U"三";
      std::u32string actual;
      ConvertWithTables(tables, text, actual);
      EXPECT_EQ(Utf8(actual), "人") << rows << " times " << Utf8(vanishing);
      EXPECT_EQ(Utf8(Expected(c, text)), "人")
          << rows << " times " << Utf8(vanishing);
    }
  }
}

}  // namespace
}  // namespace tovenrak::core
