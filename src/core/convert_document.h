// The per-document rule shared by every front-end: detect the encoding,
// decide the target and the script, convert, and make the declarations name
// the new encoding.

#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/convert/ambiguity_point.h"
#include "core/convert/converter.h"
#include "core/convert/user_phrases.h"
#include "core/encoding/detection.h"
#include "core/encoding/run_encoding.h"
#include "core/io/file_io.h"
#include "core/recode_document.h"

namespace tovenrak::core {

enum class ScriptChoice : uint8_t {
  kDefault,
  kSimplified,
  kTraditional,
  kKeep
};

// What the user asked for. The default request is "auto": a Big5 document
// goes to GB, a GB or GB18030 document to Big5, a UTF-8 document stays UTF-8
// with its script flipped.
struct ConversionRequest {
  std::optional<Encoding> from = {};  // Detected when not given.
  std::optional<Encoding> to = {};    // Auto when not given.
  // kDefault: simplified for GB, traditional for Big5, the flipped script for
  // auto, kept for an explicitly named UTF-8 or GB18030 target.
  ScriptChoice script = ScriptChoice::kDefault;
  Variant variant = Variant::kTw;
  // How the text is read when its script is converted (RecodeDocument).
  MarkupMode markup = MarkupMode::kAuto;
  // Applied before the dictionaries (PhrasedConverter) where the script is
  // converted to traditional and to simplified Chinese; none when null or
  // empty, and the conversion is then the converter's own.
  std::shared_ptr<const UserPhrases> phrases_to_traditional = {};
  std::shared_ptr<const UserPhrases> phrases_to_simplified = {};
  // Whether DocumentConversion::points are looked for.
  bool find_ambiguities = false;
  // How many threads one large document may be converted on (see
  // RecodeDocument).
  unsigned threads = 1;
  // Whether a page names its old encoding on the scripts and style sheets
  // it loads (RecodeDocument); not when the same run converts those files
  // (IsScriptOrStyleSheet), which then change encoding with their pages.
  bool label_loaded_files = true;
  // The encodings the other documents of the run are in: a guessed
  // document is read in the one of its readings that more of them are in
  // (FollowRun).
  std::optional<RunEncoding> run = {};
  // Whether a guessed document of at most kMaxDeferredBytes is left
  // unconverted for the run to settle (DocumentConversion::deferred), while
  // `run` is not known yet.
  bool defer_guessed = false;
};

struct DocumentConversion {
  std::string text;
  Detection source;  // reason kNamed when the request named it.
  Encoding target = Encoding::kGbk;
  std::optional<Script> script;  // Converted toward; none when kept.
  size_t references = 0;
  size_t invalid_units = 0;
  size_t server_references = 0;      // Conversion::server_references.
  size_t beyond_cp950 = 0;           // Conversion::beyond_cp950.
  char32_t first_beyond_cp950 = 0;   // Conversion::first_beyond_cp950.
  bool as_markup = false;            // Converted as markup rather than as text.
  bool from_utf16 = false;           // Read from UTF-16 (`source` says UTF-8).
  size_t php_backslash_endings = 0;  // RecodedDocument's.
  size_t quote_escapes = 0;          // RecodedDocument's.
  std::optional<std::string> markup_problem;  // RecodedDocument's.
  // When its encoding was found by its bytes (not named, declared or marked):
  // its lines that read plainly as another encoding, converted all the same
  // as the rest (FindOtherEncodingLines).
  std::optional<OtherEncodingLines> other_lines;
  // When asked for and the script was converted: the ambiguity points of
  // the conversion, in order, located in the decoded source text (after any
  // byte-order mark; an undecodable unit counts as one character). As markup
  // only the texts it converts have points, and a character written as a
  // reference (&#N;) counts as the characters it is written with.
  std::vector<AmbiguityPoint> points;
  // Left unconverted, with only `source` set, for the run to settle
  // (ConversionRequest::defer_guessed); ConvertFileBytes then writes nothing
  // and leaves the bytes it was given in `text`.
  bool deferred = false;
};

// A guessed document is left for its run only up to this size: its bytes
// are kept meanwhile, so that the file is not opened a second time, when it
// may have been replaced by another or by a link.
inline constexpr size_t kMaxDeferredBytes = size_t{1} << 20;

// The encoding `request` converts a document in `source` to.
Encoding TargetOf(const ConversionRequest& request, Encoding source);

// Gives a feed or XHTML document, by its file name `name` (.xml .rss .atom
// .xhtml .svg), going to Big5 or GB the XML declaration it lacks: parsers
// read one that declares nothing as UTF-8.
void AddMissingXmlDeclaration(std::string& text, std::string_view name,
                              Encoding target);

// Why ConvertDocument refuses a text, as Error::reason.
inline constexpr std::string_view kUtf16Reason =
    "it is UTF-16 that is not well-formed (an odd byte at its end, or half "
    "of a character)";
// A text that begins with a UTF-16 byte-order mark, its encoding named as
// another.
inline constexpr std::string_view kNamedOverUtf16Reason =
    "it begins with a UTF-16 byte-order mark, and is no text in the encoding "
    "named";
inline constexpr std::string_view kBinaryReason =
    "it holds binary data (NUL bytes): not a web page or text file";
// Followed by the label it declares (Detection::other_declared).
inline constexpr std::string_view kOtherEncodingReason =
    "it declares an encoding other than Big5, GB and UTF-8: ";
// An undeclared text whose bytes read as Western or Cyrillic letters
// (Detection::single_byte_letters).
inline constexpr std::string_view kSingleByteLettersReason =
    "it declares no encoding and reads as the letters of a Western or "
    "Cyrillic encoding, not as Chinese";
// A text whose bytes read as Japanese or Korean, and confirm no encoding of
// ours it declares (Detection::japanese_or_korean).
inline constexpr std::string_view kJapaneseOrKoreanReason =
    "it reads as Japanese or Korean (kana or hangul), not as Chinese";

// Converts `text` as `request` says, by RecodeDocument with `name` (the
// document's file name, if any, which helps tell a page from plain text), and
// rewrites its charset and XML declarations to name the target. Fails with
// kInvalidInput for a text with a NUL byte, which no page or text file holds
// (converted, a program or a picture would come out as garbage), for UTF-16
// that is not well-formed (well-formed, it is converted as the UTF-8 it
// equals: DocumentConversion::from_utf16) or whose encoding `request` names
// as another, and, unless `request` names the encoding, for a page in another
// encoding that says
// so (Detection::other_declared) or whose bytes read as the letters of another
// (Detection::single_byte_letters). Fails with kTooLarge when memory runs out,
// and with the converter's failures. `consumed`, when given, is told which
// bytes of `text` the conversion reads no more, as RecodeDocument tells it.
Result<DocumentConversion> ConvertDocument(
    const Converter& converter, std::string_view text,
    const ConversionRequest& request, std::string_view name = {},
    const std::function<void(size_t)>& consumed = {});

// Converts `text`, the bytes read from the file `source`, as
// ConvertDocument does (named by its file name, giving back the memory of
// what it has read when the document is large) and saves the result safely
// to `destination` (see SaveDocument). A document that cannot be converted
// writes nothing, and its error's path is `source`; a failed save leaves any
// file at `destination` untouched, and its error's path is `destination`. A
// deferred document writes nothing and leaves `text` in the result's text.
// `durability` is the save's (see SaveDocument); `folder`, when given, is the
// destination's folder open; `permissions`, the source's, which a new
// destination gets no more of (see SaveDocument).
Result<DocumentConversion> ConvertFileBytes(
    const Converter& converter, std::string text,
    const std::filesystem::path& source,
    const std::filesystem::path& destination, const ConversionRequest& request,
    Durability durability = Durability::kNow,
    const OpenFolder* folder = nullptr, uint32_t permissions = 0777);

}  // namespace tovenrak::core
