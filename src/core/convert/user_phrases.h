// People's own phrases, applied before OpenCC's dictionaries: read from
// lists in OpenCC's text dictionary form and kept per user.

#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/converter.h"
#include "core/convert/phrase_trie.h"
#include "core/result.h"

namespace tovenrak::core {

// Phrases by what they replace: FROM -> TO.
using PhraseList = std::map<std::u32string, std::u32string>;

// A phrase list ready for longest-match lookups. Const and thread-safe.
class UserPhrases {
 public:
  UserPhrases() = default;
  explicit UserPhrases(PhraseList phrases);

  bool empty() const { return phrases_.empty(); }
  // Some FROM holds a break (IsBreak): a space, a form feed or punctuation
  // that ends a sentence (a line holds no tab or line break).
  bool HoldBreaks() const { return hold_breaks_; }
  // Every TO is as long as its FROM.
  bool KeepLengths() const { return keep_lengths_; }
  // Some TO holds a character that markup reads (kMarkupCharacters).
  bool ToHoldsMarkup() const { return to_holds_markup_; }

  // The longest FROM that begins `text`: its length (0 when none) and TO.
  struct Match {
    size_t length = 0;
    std::u32string_view to;
  };
  Match LongestMatch(std::u32string_view text) const;

 private:
  std::vector<std::pair<std::u32string, std::u32string>> phrases_;
  PhraseTrie trie_;
  bool hold_breaks_ = false;
  bool keep_lengths_ = true;
  bool to_holds_markup_ = false;
};

// What HTML and XML read as markup in text and in quoted values.
inline constexpr std::u32string_view kMarkupCharacters = U"&<>\"'";

// Appends `to` as text of a page: each of kMarkupCharacters as its
// reference (R&D as R&amp;D), so that a phrase never ends a value or makes
// a tag.
void AppendForMarkup(std::u32string_view to, std::u32string& out);

// Adds the phrases of `text` to `list`, a later FROM replacing an earlier
// one. The form is OpenCC's: UTF-8, one "FROM<TAB>TO" line per phrase (TO
// may list more outputs after spaces; the first is taken, but all of TO
// where FROM holds a space), lines starting
// with '#' and blank lines ignored, a CR before the line feed and a UTF-8
// byte-order mark allowed. Fails with kInvalidInput, `list` unchanged, on
// the first bad line: "line N: " and what is wrong with it.
Status ReadPhrases(std::string_view text, PhraseList& list);

// Reads the phrase file at `path` into `list` as ReadPhrases does. Fails as
// ReadDocument does, or as ReadPhrases with the error's path `path`.
Status LoadPhraseFile(const std::filesystem::path& path, PhraseList& list);

// The user's own list for conversions into the script `to`, one list for
// each direction: a phrase chosen going to traditional Chinese, such as
// 干 -> 乾, would put traditional characters into simplified text. In
// $XDG_CONFIG_HOME/tovenrak, else $HOME/.config/tovenrak: phrases.txt for
// traditional, phrases-simplified.txt for simplified; empty when neither
// variable is set.
std::filesystem::path PersonalPhrasesPath(Script to);

// The user's own list for `to`; a missing file (or no PersonalPhrasesPath)
// is an empty list. Fails as LoadPhraseFile does otherwise.
Result<PhraseList> LoadPersonalPhrases(Script to);

// The user's own list for `to` ready for a ConversionRequest: null when it
// is empty. Fails as LoadPersonalPhrases does.
Result<std::shared_ptr<const UserPhrases>> LoadSharedPersonalPhrases(Script to);

// Adds "FROM<TAB>TO" to the end of the user's list for `script`, creating
// it and its folder when missing, and saves it safely (SaveDocument): a
// failed save leaves the list as it was. Fails with kInvalidInput when a
// phrase is empty or holds a tab, a line break or a space (TO), or starts
// with '#' (FROM); with kNotFound when there is no PersonalPhrasesPath; and
// as LoadPersonalPhrases, MakeFolders and SaveDocument do.
Status AddPersonalPhrase(std::u32string_view from, std::u32string_view to,
                         Script script);

}  // namespace tovenrak::core
