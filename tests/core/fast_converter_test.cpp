// The fast converter against the OpenCC-based reference, on the installed
// dictionaries: the test files, every phrase of the dictionaries, and random
// documents. TOVENRAK_DIFFERENTIAL_CHARS sets how many random characters
// each direction gets (default 1,200,000) for a longer run.

#include "core/convert/fast_converter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <thread>

#include "core/convert/opencc_dictionaries.h"
#include "core/convert/run_conversion.h"
#include "core/encoding/utf8.h"
#include "support/opencc_converter.h"
#include "test_data.h"

namespace tovenrak::core {
namespace {

struct Direction {
  const char* name;
  Encoding source;
  Result<Conversion> (Converter::*convert)(std::string_view) const;
};
const Direction kDirections[] = {
    {"Big5ToGB", Encoding::kBig5, &Converter::Big5ToGB},
    {"GBToBig5", Encoding::kGbk, &Converter::GBToBig5},
};

// Where two outputs first differ, with some bytes around it in hex.
std::string FirstDifference(std::string_view a, std::string_view b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  const size_t from = i < 16 ? 0 : i - 16;
  std::ostringstream out;
  out << "first difference at byte " << i << std::hex;
  out << "\n  fast:";
  for (size_t j = from; j < std::min(a.size(), i + 16); ++j)
    out << ' ' << static_cast<int>(static_cast<unsigned char>(a[j]));
  out << "\n  reference:";
  for (size_t j = from; j < std::min(b.size(), i + 16); ++j)
    out << ' ' << static_cast<int>(static_cast<unsigned char>(b[j]));
  return out.str();
}

class FastConverterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto fast = MakeFastConverter();
    ASSERT_TRUE(fast.has_value()) << fast.error().Message();
    fast_ = std::move(fast.value()).release();
    auto reference = MakeOpenccConverter();
    ASSERT_TRUE(reference.has_value()) << reference.error().Message();
    reference_ = std::move(reference.value()).release();
  }
  static void TearDownTestSuite() {
    delete fast_;
    delete reference_;
  }

  // Converts `text` both ways and expects the same result; `what` names the
  // input in a failure.
  static void ExpectSame(const Direction& d, const std::string& text,
                         const std::string& what) {
    Result<Conversion> fast = (fast_->*d.convert)(text);
    Result<Conversion> reference = (reference_->*d.convert)(text);
    ASSERT_TRUE(fast.has_value()) << what;
    ASSERT_TRUE(reference.has_value()) << what;
    ASSERT_TRUE(fast->text == reference->text)
        << d.name << " " << what << ": "
        << FirstDifference(fast->text, reference->text);
    EXPECT_EQ(fast->references, reference->references) << d.name << " " << what;
    EXPECT_EQ(fast->invalid_units, reference->invalid_units)
        << d.name << " " << what;
  }

  static Converter* fast_;
  static Converter* reference_;
};
Converter* FastConverterTest::fast_ = nullptr;
Converter* FastConverterTest::reference_ = nullptr;

TEST_F(FastConverterTest, MatchesReferenceOnEveryTestFile) {
  namespace fs = std::filesystem;
  size_t files = 0;
  for (const auto& entry :
       fs::recursive_directory_iterator(std::string(TOVENRAK_TEST_DATA))) {
    if (!entry.is_regular_file()) continue;
    const std::string relative =
        fs::relative(entry.path(), TOVENRAK_TEST_DATA).string();
    const std::string text = testing::ReadTestFile(relative);
    for (const Direction& d : kDirections) ExpectSame(d, text, relative);
    ++files;
  }
  EXPECT_GT(files, 0u);
}

// Every key and value of every dictionary of both configurations, written
// in `source` (phrases with a character the encoding lacks are left out).
std::vector<std::string> Phrases(Encoding source) {
  std::vector<std::string> phrases;
  for (const char* config : {"tw2s.json", "s2tw.json"}) {
    Result<ConversionPlan> plan = LoadConversionPlan(config);
    EXPECT_TRUE(plan.has_value()) << config;
    if (!plan) continue;
    std::vector<DictionaryPtr> dictionaries = {plan->segmentation};
    for (const auto& level : plan->chain)
      dictionaries.insert(dictionaries.end(), level.begin(), level.end());
    for (const DictionaryPtr& d : dictionaries) {
      for (size_t i = 0; i < d->size(); ++i) {
        for (std::u32string_view text : {d->key(i), d->value(i)}) {
          std::string utf8, encoded;
          for (char32_t cp : text) AppendUtf8(cp, utf8);
          size_t references = 0;
          AppendEncoded(utf8, source, encoded, references);
          if (references == 0) phrases.push_back(encoded);
        }
      }
    }
  }
  return phrases;
}

TEST_F(FastConverterTest, MatchesReferenceOnEveryDictionaryPhrase) {
  std::mt19937 rng(20240613);
  for (const Direction& d : kDirections) {
    std::vector<std::string> phrases = Phrases(d.source);
    ASSERT_GT(phrases.size(), 50000u) << d.name;
    std::string lines;
    for (const std::string& p : phrases) lines += p + "\n";
    ExpectSame(d, lines, "one phrase per line");
    // Glued together, the end of one phrase and the start of the next can
    // make other keys match.
    std::shuffle(phrases.begin(), phrases.end(), rng);
    std::string glued;
    for (size_t i = 0; i < phrases.size(); ++i) {
      glued += phrases[i];
      if (rng() % 8 == 0) glued += "\r\n";
    }
    ExpectSame(d, glued, "phrases glued together");
  }
}

// Random documents: markup, ASCII, phrases, any code of either encoding,
// and bytes that form no valid unit.
class DocumentMaker {
 public:
  DocumentMaker(uint32_t seed, Encoding source)
      : rng_(seed), phrases_(Phrases(source)) {}

  // A document of about `units` units.
  std::string Make(size_t units) {
    std::string doc;
    while (doc.size() < 2 * units) {
      switch (Pick(0, 9)) {
        case 0:
          doc += kMarkup[Pick(0, std::size(kMarkup) - 1)];
          break;
        case 1:
          doc += static_cast<char>(Pick(0x20, 0x7E));
          break;
        case 2: {
          // Any byte pair with a lead byte: mapped in one encoding or the
          // other, or not at all.
          doc += static_cast<char>(Pick(0x81, 0xFE));
          doc += static_cast<char>(Pick(0x40, 0xFE));
          break;
        }
        case 3:
          if (Pick(0, 9) == 0) doc += static_cast<char>(Pick(0x80, 0xFF));
          break;
        default:
          doc += phrases_[Pick(0, phrases_.size() - 1)];
      }
    }
    return doc;
  }

 private:
  static constexpr const char* kMarkup[] = {"<p>",
                                            "</p>\r\n",
                                            "<meta charset=big5>",
                                            "<a href=\"x.htm\">",
                                            " ",
                                            "\n",
                                            "&nbsp;",
                                            "<br>"};

  size_t Pick(size_t lo, size_t hi) {
    return std::uniform_int_distribution<size_t>(lo, hi)(rng_);
  }

  std::mt19937 rng_;
  std::vector<std::string> phrases_;
};

size_t RandomCharacters() {
  const char* value = std::getenv("TOVENRAK_DIFFERENTIAL_CHARS");
  return value != nullptr ? std::strtoull(value, nullptr, 10) : 1200000;
}

TEST_F(FastConverterTest, MatchesReferenceOnRandomDocuments) {
  const size_t total = RandomCharacters();
  for (const Direction& d : kDirections) {
    const uint32_t seed = d.source == Encoding::kBig5 ? 20240614 : 20240615;
    DocumentMaker maker(seed, d.source);
    std::mt19937 sizes(seed);
    size_t done = 0;
    for (int document = 0; done < total; ++document) {
      const std::string text = maker.Make(1 + sizes() % 20000);
      done += CountUnits(text);
      ExpectSame(d, text,
                 "seed " + std::to_string(seed) + " document " +
                     std::to_string(document));
      if (HasFatalFailure()) return;
    }
  }
}

TEST_F(FastConverterTest, GivesTheSameResultsFromSeveralThreads) {
  const Direction& d = kDirections[1];
  DocumentMaker maker(20240616, d.source);
  std::vector<std::string> documents;
  std::vector<std::string> expected;
  for (int i = 0; i < 8; ++i) {
    documents.push_back(maker.Make(40000));
    expected.push_back((fast_->*d.convert)(documents.back())->text);
  }
  std::vector<int> same(documents.size(), 0);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < documents.size(); ++i) {
    threads.emplace_back([&, i] {
      for (int round = 0; round < 5; ++round) {
        Result<Conversion> r = (fast_->*d.convert)(documents[i]);
        same[i] += r.has_value() && r->text == expected[i];
      }
    });
  }
  for (std::thread& t : threads) t.join();
  for (size_t i = 0; i < documents.size(); ++i)
    EXPECT_EQ(same[i], 5) << "document " << i;
}

}  // namespace
}  // namespace tovenrak::core
