// The fast converter against OpenCC itself, on the installed dictionaries of
// every configuration: every key and value of the dictionaries, one per line
// and glued together, and random documents.
// TOVENRAK_DIFFERENTIAL_CHARS sets how many random characters each
// configuration gets (default 300,000) for a longer run.

#include "core/convert/fast_converter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <random>
#include <thread>

#include "core/convert/opencc_dictionaries.h"
#include "core/convert/table_conversion.h"
#include "core/encoding/codec.h"
#include "support/opencc_converter.h"
#include "support/text.h"

namespace tovenrak::core {
namespace {

using testing::Utf8;

std::vector<ScriptConversion> AllConversions() {
  std::vector<ScriptConversion> all;
  for (Variant v : {Variant::kTw, Variant::kTwp, Variant::kHk, Variant::kStd})
    for (Script s : {Script::kSimplified, Script::kTraditional})
      all.push_back({s, v});
  return all;
}

// Where two texts first differ, with some characters around it.
std::string FirstDifference(std::u32string_view a, std::u32string_view b) {
  const size_t i = std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first -
                   a.begin(),
               from = i < 8 ? 0 : i - 8;
  return "at character " + std::to_string(i) + "\n  " +
         Utf8(a.substr(from, 16)) + "\n  " + Utf8(b.substr(from, 16));
}

// Every key and value of the configuration's dictionaries.
std::vector<std::u32string> Phrases(ScriptConversion how) {
  std::vector<std::u32string> phrases;
  Result<ConversionPlan> plan = LoadConversionPlan(OpenccConfigName(how));
  EXPECT_TRUE(plan.has_value()) << OpenccConfigName(how);
  if (!plan) return phrases;
  std::vector<DictionaryPtr> dictionaries = {plan->segmentation};
  for (const auto& level : plan->chain)
    dictionaries.insert(dictionaries.end(), level.begin(), level.end());
  for (const DictionaryPtr& d : dictionaries) {
    for (size_t i = 0; i < d->size(); ++i) {
      phrases.emplace_back(d->key(i));
      phrases.emplace_back(d->value(i));
    }
  }
  return phrases;
}

// Markup, ASCII, dictionary phrases, random CJK and astral code points, and
// placeholders of undecodable bytes.
std::u32string RandomDocument(std::mt19937& rng,
                              const std::vector<std::u32string>& phrases,
                              size_t size) {
  auto pick = [&rng](size_t lo, size_t hi) {
    return std::uniform_int_distribution<size_t>(lo, hi)(rng);
  };
  static const std::u32string kMarkup[] = {U"<p>", U"</p>\r\n", U"&nbsp;"};
  std::u32string doc;
  while (doc.size() < size) {
    const size_t kind = pick(0, 9);
    if (kind == 0) doc += kMarkup[pick(0, std::size(kMarkup) - 1)];
    if (kind == 1) doc += static_cast<char32_t>(pick(0x20, 0x7E));
    if (kind == 2) doc += static_cast<char32_t>(pick(0x4E00, 0x9FFF));
    if (kind == 3)
      doc += static_cast<char32_t>(pick(0, 3) == 0 ? pick(0x110000, 0x11FFFF)
                                                   : pick(0x20000, 0x2A6DF));
    if (kind > 3) doc += phrases[pick(0, phrases.size() - 1)];
  }
  return doc;
}

class FastConverterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fast_ = MakeFastConverter().release();
    reference_ = MakeOpenccConverter().release();
  }
  static void TearDownTestSuite() {
    delete fast_;
    delete reference_;
  }
  static void ExpectSame(ScriptConversion how, std::u32string_view text,
                         const std::string& what) {
    std::u32string fast, reference;
    ASSERT_TRUE(fast_->Convert(text, how, fast)) << what;
    ASSERT_TRUE(reference_->Convert(text, how, reference)) << what;
    ASSERT_TRUE(fast == reference) << OpenccConfigName(how) << " " << what
                                   << ": " << FirstDifference(fast, reference);
    // Following every place of the text, it converts alike, and the places
    // stay in order; all stay where every phrase keeps its length.
    std::vector<size_t> places(text.size() + 1);
    std::iota(places.begin(), places.end(), size_t{0});
    std::u32string placed;
    ASSERT_TRUE(fast_->ConvertPlacing(text, how, placed, places)) << what;
    ASSERT_TRUE(placed == reference)
        << OpenccConfigName(how) << " " << what << ": "
        << FirstDifference(placed, reference);
    std::erase(places, kNoPlace);
    EXPECT_TRUE(std::ranges::is_sorted(places) && places.front() == 0 &&
                places.back() == placed.size())
        << what;
    if (fast_->KeepsLengths(how)) EXPECT_EQ(places.size(), text.size() + 1);
  }
  static Converter* fast_;
  static Converter* reference_;
};
Converter* FastConverterTest::fast_ = nullptr;
Converter* FastConverterTest::reference_ = nullptr;

TEST_F(FastConverterTest, MatchesOpenccOnEveryDictionaryPhrase) {
  std::mt19937 rng(20240613);
  for (const ScriptConversion how : AllConversions()) {
    std::vector<std::u32string> phrases = Phrases(how);
    ASSERT_GT(phrases.size(), 5000u) << OpenccConfigName(how);
    std::u32string lines, glued;
    for (const std::u32string& p : phrases) lines += p + U"\n";
    ExpectSame(how, lines, "one phrase per line");
    // Glued, the end of one phrase and the start of the next make other keys.
    std::shuffle(phrases.begin(), phrases.end(), rng);
    for (const std::u32string& p : phrases)
      glued += rng() % 8 == 0 ? p + U"\r\n" : p;
    ExpectSame(how, glued, "phrases glued together");
  }
}

TEST_F(FastConverterTest, MatchesOpenccOnRandomDocuments) {
  const char* env = std::getenv("TOVENRAK_DIFFERENTIAL_CHARS");
  const size_t total = env ? std::strtoull(env, nullptr, 10) : 300000;
  uint32_t seed = 20240614;
  for (const ScriptConversion how : AllConversions()) {
    const std::vector<std::u32string> phrases = Phrases(how);
    std::mt19937 rng(++seed);
    std::u32string all;
    while (all.size() < total) {
      const std::u32string text =
          RandomDocument(rng, phrases, 1 + rng() % 20000);
      ExpectSame(
          how, text,
          "seed " + std::to_string(seed) + " at " + std::to_string(all.size()));
      if (HasFatalFailure()) return;
      all += text;
    }
    // Back to back as one UTF-8 text, which the fast converter cuts into
    // pieces wherever it finds a clean position.
    std::string utf8;
    EncodeCounts counts;
    Encode(all, Encoding::kUtf8, utf8, counts);
    auto fast = fast_->Recode(utf8, Encoding::kUtf8, Encoding::kUtf8, how);
    auto reference =
        reference_->Recode(utf8, Encoding::kUtf8, Encoding::kUtf8, how);
    ASSERT_TRUE(fast.has_value() && reference.has_value());
    EXPECT_TRUE(fast->text == reference->text) << "seed " << seed;
  }
}

TEST_F(FastConverterTest, StopsOnlyWhereTheRestConvertsOnItsOwn) {
  // Cut random documents anywhere: the converted prefix up to where it
  // stopped, then the rest, must give the whole.
  uint32_t seed = 20240620;
  for (const ScriptConversion how : AllConversions()) {
    Result<ConversionPlan> plan = LoadConversionPlan(OpenccConfigName(how));
    ASSERT_TRUE(plan.has_value());
    const ConversionTables tables(*plan);
    const std::vector<std::u32string> phrases = Phrases(how);
    std::mt19937 rng(++seed);
    for (int document = 0; document < 300; ++document) {
      const std::u32string text =
          RandomDocument(rng, phrases, 50 + rng() % 400);
      const std::u32string_view view = text;
      std::u32string whole, halves;
      ConvertWithTables(tables, text, whole);
      const size_t cut = rng() % text.size();
      const size_t stop =
          ConvertPrefixWithTables(tables, view.substr(0, cut), halves);
      ASSERT_LE(stop, cut);
      ConvertWithTables(tables, view.substr(stop), halves);
      ASSERT_TRUE(halves == whole)
          << OpenccConfigName(how) << " seed " << seed << " document "
          << document << " cut " << cut << " stop " << stop << ": "
          << FirstDifference(halves, whole);
    }
  }
}

TEST_F(FastConverterTest, GivesTheSameResultsFromSeveralThreads) {
  // The first use of a configuration compiles it: threads race for that too.
  const std::unique_ptr<Converter> fresh = MakeFastConverter();
  const ScriptConversion how{Script::kTraditional, Variant::kHk};
  std::mt19937 rng(20240616);
  const std::u32string text = RandomDocument(rng, Phrases(how), 40000);
  std::u32string expected;
  ASSERT_TRUE(reference_->Convert(text, how, expected));
  std::vector<int> same(8, 0);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < same.size(); ++i) {
    threads.emplace_back([&, i] {
      std::u32string out;
      same[i] = fresh->Convert(text, how, out).has_value() && out == expected;
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(same, std::vector<int>(8, 1));
}

}  // namespace
}  // namespace tovenrak::core
