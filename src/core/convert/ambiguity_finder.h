// Finding the places where a conversion chose among several outputs for a
// character, so that people can check them.

#pragma once

#include <string_view>
#include <vector>

#include "core/convert/ambiguity_point.h"
#include "core/convert/chain_level.h"
#include "core/convert/converter.h"
#include "core/convert/opencc_dictionaries.h"
#include "core/result.h"

namespace tovenrak::core {

// The ambiguity points of one configuration. A character is a point where a
// conversion of the chain has it as a key listing more than one output
// (ConversionPlan::candidates) and
//   1. converted it by that key alone (the character table decided), or
//   2. converted it by a phrase that overlaps another key of the same
//      conversion, matching the text there and giving the character another
//      output (去干|扰 against 干扰, 头发|生 against 发生); a key inside the
//      phrase is a word of it, which the phrase settles (制台 in 控制台);
// or where it converted it by a phrase that the dictionary lists with
// several outputs differing there (干了: 幹了 乾了).
// A phrase that nothing overlaps is trusted, even where it overrides the
// character's usual reading (头发 gives 頭髮): reporting every such phrase
// would bury the doubtful places under the certain ones. So is a phrase of a
// later conversion that writes over the character (剪貼板 gives 剪貼簿), or
// a character that an earlier one wrote as part of another word (線上 gives
// 在線): the phrase chose. A place whose candidates the later conversions
// make one offers no choice.
// A phrase whose output differs in length from its key yields no points. A
// character is reported once, at the first conversion where it is a point.
// Const and thread-safe once built.
class AmbiguityFinder {
 public:
  // Without `skip_plain`, every stretch is looked at, even one that holds
  // no character that could lead to a point (slower; the same points).
  explicit AmbiguityFinder(const ConversionPlan& plan, bool skip_plain = true);

  // Appends the points of `text`, converted as OpenCC converts it, to
  // `points` in order, their index counted in `text`. `chosen` is what the
  // whole chain writes for the character; the candidates are passed through
  // the conversions after the one that decided, without repeats. A
  // placeholder (IsPlaceholder) ends a phrase, as in Converter::Convert.
  void Find(std::u32string_view text,
            std::vector<AmbiguityPoint>& points) const;

 private:
  struct Level {
    ChainLevel conversion;
    Candidates candidates;
    PhraseCandidates phrases;
  };
  struct Match {
    size_t length = 1;
    std::u32string_view output;
    bool found = false;
  };

  Match MatchAt(const Level& level, std::u32string_view text) const;
  // Whether `level` converts `c`, standing alone or in a phrase, to `out`.
  bool Converts(const Level& level, char32_t c, char32_t out) const;
  bool Overlapped(const Level& level, std::u32string_view text,
                  size_t phrase_start, size_t phrase_length, size_t at,
                  char32_t output) const;
  void FindInStretch(std::u32string_view text, size_t base,
                     std::vector<AmbiguityPoint>& points) const;
  // Marks in leads_ every code point without which a text has no points.
  void NoteLeads();

  CompiledDictionaryPtr segmentation_;
  std::vector<Level> levels_;
  bool cut_at_line_feeds_ = true;  // No key holds a line feed.
  // Indexed by code point: a text in which none of the marked ones occurs
  // has no points; empty when every stretch is looked at.
  std::vector<bool> leads_;
};

// The finder of the configuration that does `how`, loaded from OpenCC's data
// at its first use (some tens of milliseconds) and kept for the process.
// Fails as LoadConversionPlan does, each time it is asked for.
Result<const AmbiguityFinder*> SharedAmbiguityFinder(ScriptConversion how);

}  // namespace tovenrak::core
