#include "core/encoding/document_text.h"

#include <gtest/gtest.h>

#include <random>

#include "core/encoding/big5_detection.h"

namespace tovenrak::core {
namespace {

TEST(DocumentTextTest, AnyBytesRoundTripThroughUnits) {
  std::mt19937 rng(20261206);
  // Bytes biased toward lead and trail values so that every kind of unit,
  // and lone bytes at the end, come up often.
  const unsigned char interesting[] = {0x00, 0x3E, 0x40, 0x7E, 0x7F, 0x80, 0x81,
                                       0xA1, 0xA4, 0xFE, 0xFF, 'a',  '\n'};
  for (int iteration = 0; iteration < 2000; ++iteration) {
    std::string bytes(rng() % 64, '\0');
    for (char& b : bytes) {
      b = static_cast<char>(rng() % 2 ? interesting[rng() % sizeof interesting]
                                      : rng() % 256);
    }
    const std::vector<Unit> units = BytesToUnits(bytes);
    ASSERT_EQ(UnitsToBytes(units), bytes) << "iteration " << iteration;
    ASSERT_EQ(CountUnits(bytes), units.size()) << "iteration " << iteration;
  }
}

TEST(DocumentTextTest, SplitsUnitsByLeadAndTrailRanges) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<Unit> units;
  } cases[] = {
      {"ascii", "ab", {'a', 'b'}},
      {"pair with ascii trail", "\xA4@x", {0xA440, 'x'}},
      {"pair with high trail", "\x81\x80", {0x8180}},
      {"lead before invalid trail", "\x81\x7F", {0x81, 0x7F}},
      {"lone lead at end", "a\xA4", {'a', 0xA4}},
      {"0x80 and 0xFF stand alone", "\x80\xFF", {0x80, 0xFF}},
      {"0xFF is no trail", "\xA4\xFF", {0xA4, 0xFF}},
      {"three leads", "\xA4\xA4\xA4", {0xA4A4, 0xA4}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(BytesToUnits(c.bytes), c.units) << c.name;
}

TEST(DocumentTextTest, FindNeverMatchesInsideDoubleByteCharacters) {
  // 0xA4 0x62 is one character whose trail byte is "b".
  const std::string text =
      "\xA4"
      "big5 and BIG5";
  EXPECT_EQ(FindAscii(text, "big5", 0, true), 10u);
  EXPECT_EQ(FindAscii(text, "ig5"), 2u);
  EXPECT_EQ(FindAscii(text, "big5"), std::string_view::npos);
  EXPECT_EQ(FindAscii(text, "big5", 10, true), 10u);
  EXPECT_EQ(FindAscii(text, "big5", 11, true), std::string_view::npos);
  EXPECT_EQ(FindAscii("", "x"), std::string_view::npos);
}

TEST(Big5DetectionTest, MentionOfBig5AnywhereInAnyCase) {
  struct Case {
    const char* text;
    bool big5;
  } cases[] = {
      {"<meta charset=big5>", true},
      {"BIG5 in body", true},
      {"xBiG5y", true},
      {"big 5", false},
      {"", false},
      {"b\xA4"
       "ig5",
       false},
      {"\xA4\x62ig5", false},
      {"\xA4\xA4"
       "big5",
       true},
  };
  for (const Case& c : cases) EXPECT_EQ(MentionsBig5(c.text), c.big5) << c.text;
}

}  // namespace
}  // namespace tovenrak::core
