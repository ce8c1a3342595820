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
#include <random>
#include <sstream>

#include "core/convert/direction_tables.h"
#include "core/convert/run_conversion.h"
#include "core/convert/table_conversion.h"
#include "core/encoding/utf8.h"

namespace tovenrak::core {
namespace {

using Pairs = std::map<std::u32string, std::u32string>;

std::string Utf8(std::u32string_view cps) {
  std::string out;
  for (char32_t cp : cps) AppendUtf8(cp, out);
  return out;
}

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

struct Alphabet {
  std::vector<char32_t> cps;       // Code points that keys and values use.
  std::vector<std::string> units;  // Source units that texts use.
};

// Both directions share the alphabet; each brings a few units of its own.
Alphabet MakeAlphabet(Encoding source) {
  Alphabet a;
  for (char32_t cp : std::u32string_view(U"一二三四五六七八人大"))
    a.cps.push_back(cp);
  if (source == Encoding::kBig5) {
    // U+2027 has no GBK code. 0x8862 decodes to U+00CA U+0304.
    a.cps.push_back(0x2027);
    a.cps.push_back(0x00CA);
    a.cps.push_back(0x0304);
    a.units.push_back("\x88\x62");
  } else {
    // U+E000 (GBK 0xAAA1) has no Big5 code.
    a.cps.push_back(0xE000);
  }
  for (char32_t cp : a.cps) {
    std::string unit;
    size_t references = 0;
    AppendEncoded(Utf8(std::u32string(1, cp)), source, unit, references);
    if (references == 0 && unit.size() == 2) a.units.push_back(unit);
  }
  return a;
}

class TinyPlanMaker {
 public:
  TinyPlanMaker(const Alphabet& alphabet, uint32_t seed)
      : alphabet_(alphabet), rng_(seed) {}

  std::u32string Word(int min, int max) {
    std::u32string w(Pick(min, max), U'\0');
    for (char32_t& cp : w)
      cp = alphabet_.cps[Pick(0, static_cast<int>(alphabet_.cps.size()) - 1)];
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
  const Alphabet& alphabet_;
  std::mt19937 rng_;
};

struct TinyConversion {
  opencc::ConverterPtr opencc;
  ConversionPlan plan;
  std::string description;
};

TinyConversion MakeConversion(TinyPlanMaker& maker) {
  TinyConversion c;
  std::ostringstream d;
  auto describe = [&d](const Pairs& pairs) {
    for (const auto& [k, v] : pairs) d << " " << Utf8(k) << "=" << Utf8(v);
    d << "\n";
  };
  const Pairs segmentation = maker.Entries(6, 1);
  d << "segmentation:";
  describe(segmentation);
  TinyDictionary seg = MakeDictionary(segmentation);
  c.plan.segmentation = seg.plan;
  std::list<opencc::ConversionPtr> conversions;
  for (int level = maker.Pick(1, 3); level > 0; --level) {
    std::list<opencc::DictPtr> group;
    std::vector<DictionaryPtr> plan_group;
    for (int n = maker.Pick(1, 3); n > 0; --n) {
      d << "level " << c.plan.chain.size() << " dictionary:";
      // Sometimes the segmentation dictionary itself, as the installed
      // configurations do.
      if (maker.Pick(0, 5) == 0) {
        group.push_back(seg.opencc);
        plan_group.push_back(seg.plan);
        d << " (segmentation)\n";
        continue;
      }
      const Pairs pairs = maker.Entries(8, maker.Pick(0, 6) == 0 ? 0 : 1);
      describe(pairs);
      TinyDictionary dict = MakeDictionary(pairs);
      group.push_back(dict.opencc);
      plan_group.push_back(dict.plan);
    }
    conversions.push_back(std::make_shared<opencc::Conversion>(
        std::make_shared<opencc::DictGroup>(group)));
    c.plan.chain.push_back(plan_group);
  }
  c.opencc = std::make_shared<opencc::Converter>(
      "tiny", std::make_shared<opencc::MaxMatchSegmentation>(seg.opencc),
      std::make_shared<opencc::ConversionChain>(conversions));
  c.description = d.str();
  return c;
}

std::string RandomText(TinyPlanMaker& maker, const Alphabet& alphabet) {
  std::string text;
  for (int i = maker.Pick(1, 40); i > 0; --i) {
    const int kind = maker.Pick(0, 30);
    if (kind == 0) {
      text += "<";
    } else if (kind == 1) {
      text += "\x80";  // A byte that is never part of a unit.
    } else if (kind == 2) {
      text += "\xFE\x40";  // A pair neither encoding maps.
    } else {
      text += alphabet.units[maker.Pick(
          0, static_cast<int>(alphabet.units.size()) - 1)];
    }
  }
  return text;
}

std::string Hex(std::string_view bytes) {
  std::ostringstream out;
  out << std::hex;
  for (unsigned char b : bytes) out << static_cast<int>(b) << ' ';
  return out.str();
}

// TOVENRAK_DIFFERENTIAL_PLANS sets how many random plans each direction
// gets, for a longer run.
int PlanCount() {
  const char* value = std::getenv("TOVENRAK_DIFFERENTIAL_PLANS");
  return value != nullptr ? std::atoi(value) : 150;
}

void CheckDirection(Encoding source, Encoding target, uint32_t seed) {
  const Alphabet alphabet = MakeAlphabet(source);
  TinyPlanMaker maker(alphabet, seed);
  const int plans = PlanCount();
  for (int plan = 0; plan < plans; ++plan) {
    const TinyConversion c = MakeConversion(maker);
    const DirectionTables tables(c.plan, source, target);
    for (int iteration = 0; iteration < 40; ++iteration) {
      const std::string text = RandomText(maker, alphabet);
      Result<Conversion> expected =
          ConvertStretches(text, source, target,
                           [&c](std::string_view utf8) -> Result<std::string> {
                             return c.opencc->Convert(std::string(utf8));
                           });
      ASSERT_TRUE(expected.has_value());
      const Conversion actual = ConvertWithTables(tables, text);
      ASSERT_EQ(actual.text, expected->text)
          << "seed " << seed << " plan " << plan << " iteration " << iteration
          << "\ninput: " << Hex(text) << "\n"
          << c.description;
      ASSERT_EQ(actual.references, expected->references)
          << "seed " << seed << " plan " << plan << " iteration " << iteration;
      ASSERT_EQ(actual.invalid_units, expected->invalid_units)
          << "seed " << seed << " plan " << plan << " iteration " << iteration;
    }
  }
}

// A conversion from fixed dictionaries: `levels[i]` is the group of level i.
TinyConversion FixedConversion(const Pairs& segmentation,
                               const std::vector<std::vector<Pairs>>& levels) {
  TinyConversion c;
  TinyDictionary seg = MakeDictionary(segmentation);
  c.plan.segmentation = seg.plan;
  std::list<opencc::ConversionPtr> conversions;
  for (const std::vector<Pairs>& level : levels) {
    std::list<opencc::DictPtr> group;
    c.plan.chain.emplace_back();
    for (const Pairs& pairs : level) {
      TinyDictionary dict = MakeDictionary(pairs);
      group.push_back(dict.opencc);
      c.plan.chain.back().push_back(dict.plan);
    }
    conversions.push_back(std::make_shared<opencc::Conversion>(
        std::make_shared<opencc::DictGroup>(group)));
  }
  c.opencc = std::make_shared<opencc::Converter>(
      "fixed", std::make_shared<opencc::MaxMatchSegmentation>(seg.opencc),
      std::make_shared<opencc::ConversionChain>(conversions));
  return c;
}

TEST(TinyDictionaryDifferentialTest, EmptyOutputsDoNotHideAMatchAcrossThem) {
  // 二 vanishes at level 0, so 一 and 三 meet at level 1 however many 二
  // stood between them; random texts rarely hold a row that long.
  const TinyConversion c = FixedConversion(
      {{U"大大", U"大"}}, {{{{U"二", U""}}}, {{{U"一三", U"人"}}}});
  const DirectionTables tables(c.plan, Encoding::kGbk, Encoding::kBig5);
  const std::string one = "\xD2\xBB", two = "\xB6\xFE", three = "\xC8\xFD";
  for (int twos = 0; twos < 40; ++twos) {
    std::string text = one;
    for (int i = 0; i < twos; ++i) text += two;
    text += three;
    Result<Conversion> expected =
        ConvertStretches(text, Encoding::kGbk, Encoding::kBig5,
                         [&c](std::string_view utf8) -> Result<std::string> {
                           return c.opencc->Convert(std::string(utf8));
                         });
    ASSERT_TRUE(expected.has_value());
    EXPECT_EQ(ConvertWithTables(tables, text).text, expected->text)
        << twos << " vanishing characters";
    EXPECT_EQ(expected->text, "\xA4H") << twos << " vanishing characters";
  }
}

TEST(TinyDictionaryDifferentialTest, Big5ToGbkMatchesOpencc) {
  CheckDirection(Encoding::kBig5, Encoding::kGbk, 20240611);
}

TEST(TinyDictionaryDifferentialTest, GbkToBig5MatchesOpencc) {
  CheckDirection(Encoding::kGbk, Encoding::kBig5, 20240612);
}

}  // namespace
}  // namespace tovenrak::core
