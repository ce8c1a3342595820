#include "core/convert/phrase_trie.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovenrak::core {
namespace {

PhraseTrie Make(const std::vector<std::u32string>& keys) {
  std::vector<PhraseTrie::Entry> entries;
  for (size_t i = 0; i < keys.size(); ++i)
    entries.push_back({keys[i], static_cast<uint32_t>(i)});
  return PhraseTrie::Build(std::move(entries));
}

TEST(PhraseTrieTest, FindsTheLongestKeyThatPrefixesTheText) {
  // Unsorted on purpose; "" is ignored; the second "ab" loses to the first.
  const PhraseTrie trie =
      Make({U"ban", U"a", U"bana", U"", U"ab", U"b", U"ab", U"\U00020000x"});
  struct Case {
    const char* name;
    std::u32string text;
    size_t length;
    uint32_t value;
  } cases[] = {
      {"longest of several", U"banana", 4, 2},
      {"prefix that is no key", U"bx", 1, 5},
      {"first of two equal keys", U"abc", 2, 4},
      {"text shorter than the key", U"ba", 1, 5},
      {"nothing", U"xyz", 0, PhraseTrie::kNoValue},
      {"empty text", U"", 0, PhraseTrie::kNoValue},
      {"astral code point", U"\U00020000xy", 2, 7},
      {"astral code point without its key", U"\U00020000y", 0,
       PhraseTrie::kNoValue},
  };
  for (const Case& c : cases) {
    const PhraseTrie::Match m = trie.LongestMatch(c.text.data(), c.text.size());
    EXPECT_EQ(m.length, c.length) << c.name;
    EXPECT_EQ(m.value, c.value) << c.name;
  }
  EXPECT_EQ(trie.KeyCount(), 6u);
  EXPECT_EQ(trie.MaxKeyLength(), 4u);
}

TEST(PhraseTrieTest, ReportsTheLongestKeyThroughANode) {
  const PhraseTrie trie = Make({U"ab", U"abcd", U"x"});
  const uint32_t a = trie.Child(0, U'a');
  ASSERT_NE(a, PhraseTrie::kNoNode);
  EXPECT_EQ(trie.LongestKeyThrough(a), 4u);
  EXPECT_EQ(trie.Value(a), PhraseTrie::kNoValue);
  EXPECT_EQ(trie.Value(trie.Child(a, U'b')), 0u);
  const uint32_t x = trie.Child(0, U'x');
  EXPECT_EQ(trie.LongestKeyThrough(x), 1u);
  EXPECT_FALSE(trie.HasChildren(x));
  EXPECT_EQ(trie.Child(x, U'a'), PhraseTrie::kNoNode);
}

TEST(PhraseTrieTest, FindsEveryChildOfCrowdedNodes) {
  // Many children take the root table and the binary search; every label
  // must be found and the gaps between them must not.
  std::vector<std::u32string> keys;
  for (char32_t cp = 0x4E00; cp < 0x4E00 + 600; cp += 3) {
    keys.push_back(std::u32string(1, cp));
    keys.push_back(std::u32string{U'\u4E00', cp});
  }
  keys.push_back(U"\U0002A6D6");
  const PhraseTrie trie = Make(keys);
  const uint32_t first = trie.Child(0, U'\u4E00');
  for (char32_t cp = 0x4DFF; cp < 0x4E00 + 602; ++cp) {
    const bool present =
        cp >= 0x4E00 && cp < 0x4E00 + 600 && (cp - 0x4E00) % 3 == 0;
    EXPECT_EQ(trie.Child(0, cp) != PhraseTrie::kNoNode, present)
        << static_cast<uint32_t>(cp);
    EXPECT_EQ(trie.Child(first, cp) != PhraseTrie::kNoNode, present)
        << static_cast<uint32_t>(cp);
  }
  EXPECT_NE(trie.Child(0, U'\U0002A6D6'), PhraseTrie::kNoNode);
  EXPECT_EQ(trie.Child(0, U'\U0002A6D7'), PhraseTrie::kNoNode);
}

TEST(PhraseTrieTest, EmptyTrieMatchesNothing) {
  const PhraseTrie trie;
  const std::u32string text = U"abc";
  EXPECT_EQ(trie.LongestMatch(text.data(), text.size()).length, 0u);
  EXPECT_EQ(trie.Child(0, U'a'), PhraseTrie::kNoNode);
  EXPECT_EQ(trie.MaxKeyLength(), 0u);
}

}  // namespace
}  // namespace tovenrak::core
