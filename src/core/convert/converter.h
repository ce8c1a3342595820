// The converter between traditional and simplified characters, and the
// conversions of whole documents between encodings built on it.

#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/ambiguity_point.h"
#include "core/convert/place_mover.h"
#include "core/encoding/code_point_writer.h"
#include "core/encoding/encoding.h"
#include "core/result.h"

namespace tovenrak::core {

enum class Script : uint8_t { kSimplified, kTraditional };

// OpenCC's configuration families: which regional standard the traditional
// side follows.
enum class Variant : uint8_t {
  kTw,   // Taiwan characters: tw2s, s2tw.
  kTwp,  // Taiwan characters and idioms: tw2sp, s2twp.
  kHk,   // Hong Kong characters: hk2s, s2hk.
  kStd,  // OpenCC's own standard: t2s, s2t.
};

// One conversion between scripts: toward `to`, in the family `variant`.
struct ScriptConversion {
  Script to = Script::kSimplified;
  Variant variant = Variant::kTw;
  // The text is a page's, read as markup: a person's phrase is written as
  // markup reads it (AppendForMarkup).
  bool in_markup = false;
};

// The file name of the OpenCC configuration that does `how`, such as
// "tw2s.json".
const char* OpenccConfigName(ScriptConversion how);

// A converted document text and what happened on the way.
struct Conversion {
  std::string text;
  // Characters with no code in the target encoding, written as "&#N;".
  size_t references = 0;
  // Units that are not valid in the source encoding, passed through.
  size_t invalid_units = 0;
  // Of `references`, those written inside server code (PHP, ASP, server
  // side includes), which the server reads as they are written.
  size_t server_references = 0;
  // Characters written in Big5 codes that Windows' code page 950 does not
  // read (EncodeCounts::beyond_cp950), and the first of them.
  size_t beyond_cp950 = 0;
  char32_t first_beyond_cp950 = 0;
};

// The error of a conversion that ran out of memory on a text of `size`
// `units` ("bytes", "characters").
Error NoMemoryToConvert(size_t size, std::string_view units);

// Converts text between scripts exactly as OpenCC's configuration for the
// conversion does. Members are const and safe to call from several threads
// at once.
class Converter {
 public:
  Converter() = default;
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  virtual ~Converter() = default;

  // Appends `text` converted as `how` says to `out`. A placeholder of an
  // undecodable unit (IsPlaceholder) is copied as it is and ends a phrase:
  // no match reaches across it. Fails with kNotFound when the
  // configuration's data cannot be loaded and with kTooLarge when memory
  // runs out; `out` may then hold part of the result.
  virtual Status Convert(std::u32string_view text, ScriptConversion how,
                         std::u32string& out) const = 0;

  // Converts as Convert does, and moves each of `places`, positions of
  // `text` in increasing order, to where it stands in what was appended,
  // counted from the first code point appended, or to kNoPlace where a
  // phrase whose conversion changed its length covers it (see PlaceMover).
  // The default knows only a conversion's ends, unless KeepsLengths.
  virtual Status ConvertPlacing(std::u32string_view text, ScriptConversion how,
                                std::u32string& out,
                                std::span<size_t> places) const;

  // True when every phrase converts to as many code points as it has, so
  // that every character keeps its place. False when the converter cannot
  // tell (the default) or its data cannot be loaded. OpenCC's
  // configurations with Taiwan idioms have phrases that do not.
  virtual bool KeepsLengths(ScriptConversion /*how*/) const { return false; }

  // Appends to `points`, in order, the places where converting `text` as
  // `how` says chooses among several outputs for a character (see
  // AmbiguityFinder), each index counted in `text`. Apart from Convert, and
  // only when asked: the dictionaries with all their outputs are loaded at
  // the first call for a configuration. Fails with kNotFound when they
  // cannot be loaded and with kTooLarge when memory runs out.
  virtual Status FindAmbiguities(std::u32string_view text, ScriptConversion how,
                                 std::vector<AmbiguityPoint>& points) const;

  // True when every text made only of ASCII characters converts to itself,
  // so that a reader may copy such texts as they are. False when the
  // converter cannot tell (the default) or its data cannot be loaded.
  virtual bool KeepsAsciiText(ScriptConversion how) const;

  // True when a key may hold a break (IsBreak: white space or the end of a
  // sentence), so that a text cut after one may convert otherwise than the
  // whole. OpenCC's dictionaries hold none: false, the default.
  virtual bool KeysHoldBreaks() const { return false; }

  // Converts the bytes `text` from `source` to `target`, and between scripts
  // as `how` says (or not at all). Bytes not valid in `source` pass through
  // unchanged and are counted; a character `target` lacks becomes "&#N;".
  // Single-byte units come back unchanged and in order; the argument is not
  // modified. Works in pieces of bounded size, whatever the text; a
  // converter may do it faster its own way, with the same result.
  // `consumed`, when given, is called as it goes with an offset of `text`
  // before which nothing is read again, so that the caller may free what
  // lies there.
  Result<Conversion> Recode(
      std::string_view text, Encoding source, Encoding target,
      std::optional<ScriptConversion> how,
      const std::function<void(size_t)>& consumed = {}) const;

  // The same, appended to `out` (so that room already made is used again),
  // the counts added to `counts`. On failure `out` may hold part of it.
  virtual Status RecodeInto(
      std::string_view text, Encoding source, Encoding target,
      std::optional<ScriptConversion> how, std::string& out,
      EncodeCounts& counts,
      const std::function<void(size_t)>& consumed = {}) const;

  // Big5 (traditional) to GB (simplified), and back, Taiwan standard.
  Result<Conversion> Big5ToGB(std::string_view big5_text) const {
    return Recode(big5_text, Encoding::kBig5, Encoding::kGbk,
                  ScriptConversion{Script::kSimplified, Variant::kTw});
  }
  Result<Conversion> GBToBig5(std::string_view gb_text) const {
    return Recode(gb_text, Encoding::kGbk, Encoding::kBig5,
                  ScriptConversion{Script::kTraditional, Variant::kTw});
  }
};

}  // namespace tovenrak::core
