#include "core/convert_document.h"

#include <algorithm>
#include <new>
#include <optional>

#include "core/convert/phrased_converter.h"
#include "core/encoding/codec.h"
#include "core/encoding/detection.h"
#include "core/encoding/rewrite_charset.h"
#include "core/encoding/run_encoding.h"
#include "core/encoding/utf8.h"
#include "core/io/document_tree.h"
#include "core/io/file_io.h"
#include "core/io/reserve_large.h"

namespace tovenrak::core {

namespace {

// How many code points of `text` a conversion toward `to` changes, in a
// sample of its beginning.
size_t Changes(const Converter& converter, std::u32string_view text,
               ScriptConversion to) {
  std::u32string out;
  if (!converter.Convert(text, to, out)) return 0;
  size_t changed = text.size() > out.size() ? text.size() - out.size()
                                            : out.size() - text.size();
  for (size_t i = 0; i < std::min(text.size(), out.size()); ++i)
    changed += text[i] != out[i];
  return changed;
}

// The script a UTF-8 text is flipped to: toward traditional when a
// conversion there changes more of it than one toward simplified (so it is
// mostly simplified), and the other way round; none when nothing tells.
std::optional<Script> FlippedScript(const Converter& converter,
                                    std::string_view text, Encoding source,
                                    Variant variant) {
  constexpr size_t kSample = size_t{1} << 16;
  const DecodedText sample =
      Decode(text.substr(0, std::min(text.size(), kSample)), source);
  const size_t to_traditional =
      Changes(converter, sample.text, {Script::kTraditional, variant});
  const size_t to_simplified =
      Changes(converter, sample.text, {Script::kSimplified, variant});
  if (to_traditional == to_simplified) return std::nullopt;
  return to_traditional > to_simplified ? Script::kTraditional
                                        : Script::kSimplified;
}

}  // namespace

void AddMissingXmlDeclaration(std::string& text, std::string_view name,
                              Encoding target) {
  if (!HasExtension(name, {"xml", "rss", "atom", "xhtml", "svg"})) return;
  if (auto edit = FindMissingXmlDeclarationEdit(text, target))
    text.replace(edit->pos, edit->length, edit->replacement);
}

Encoding TargetOf(const ConversionRequest& request, Encoding source) {
  if (request.to) return *request.to;
  switch (source) {
    case Encoding::kBig5:
      return Encoding::kGbk;
    case Encoding::kGbk:
    case Encoding::kGb18030:
      return Encoding::kBig5;
    case Encoding::kUtf8:
      return Encoding::kUtf8;
  }
  return Encoding::kUtf8;
}

Result<DocumentConversion> ConvertDocument(
    const Converter& converter, std::string_view text,
    const ConversionRequest& request, std::string_view name,
    const std::function<void(size_t)>& consumed) try {
  DocumentConversion result;
  // UTF-16 (Windows' "Unicode" text) is read as the UTF-8 it equals, its
  // byte-order mark with it, and converted from there; the bytes given stay
  // whole. UTF-16 that is not well-formed is refused: no encoding could
  // write its bytes back.
  std::optional<std::string> from_utf16;
  const std::function<void(size_t)> keep_all;
  if (request.from && HasUtf16ByteOrderMark(text))
    return Error{ErrorCode::kInvalidInput, std::string(kNamedOverUtf16Reason)};
  if (HasUtf16ByteOrderMark(text)) {
    from_utf16 = Utf8FromUtf16(text);
    if (!from_utf16)
      return Error{ErrorCode::kInvalidInput, std::string(kUtf16Reason)};
    text = *from_utf16;
    result.from_utf16 = true;
  }
  const std::function<void(size_t)>& give_back =
      from_utf16 ? keep_all : consumed;
  // Asked now: a large text's bytes are given back as it is converted.
  const bool page = DocumentIsPage(text, name, request.markup);
  // Binary data is no text in any of the encodings, whatever it might be
  // read as.
  if (text.find('\0') != std::string_view::npos)
    return Error{ErrorCode::kInvalidInput, std::string(kBinaryReason)};
  if (request.from) {
    result.source.encoding =
        *request.from == Encoding::kGbk ? GbReadingOf(text) : *request.from;
    result.source.reason = DetectionReason::kNamed;
  } else {
    result.source = DetectEncoding(text, page);
    if (!result.source.other_declared.empty()) {
      return Error{ErrorCode::kInvalidInput, std::string(kOtherEncodingReason) +
                                                 result.source.other_declared};
    }
    if (result.source.single_byte_letters) {
      return Error{ErrorCode::kInvalidInput,
                   std::string(kSingleByteLettersReason)};
    }
    if (result.source.japanese_or_korean) {
      return Error{ErrorCode::kInvalidInput,
                   std::string(kJapaneseOrKoreanReason)};
    }
    if (result.source.guessed && request.run) {
      FollowRun(result.source, *request.run);
    } else if (result.source.guessed && request.defer_guessed &&
               text.size() <= kMaxDeferredBytes) {
      result.deferred = true;
      return result;
    }
  }
  const Encoding source = result.source.encoding;
  // A file pasted together from several encodings is read in one: the rest
  // is converted into other characters.
  result.other_lines = FindMixedLines(text, source, result.source.reason);
  result.target = TargetOf(request, source);

  switch (request.script) {
    case ScriptChoice::kSimplified:
      result.script = Script::kSimplified;
      break;
    case ScriptChoice::kTraditional:
      result.script = Script::kTraditional;
      break;
    case ScriptChoice::kKeep:
      break;
    case ScriptChoice::kDefault:
      if (result.target == Encoding::kGbk) {
        result.script = Script::kSimplified;
      } else if (result.target == Encoding::kBig5) {
        result.script = Script::kTraditional;
      } else if (!request.to) {
        result.script = FlippedScript(converter, text, source, request.variant);
      }
      break;
  }

  // A script or a style sheet keeps its characters; a robots.txt converts
  // its comments.
  const std::optional<Escapes> kept_code =
      KeptCodeEscapes(name, request.markup);
  if (kept_code && *kept_code != Escapes::kAddress) result.script.reset();
  std::optional<ScriptConversion> how;
  if (result.script) how = ScriptConversion{*result.script, request.variant};
  std::optional<PhrasedConverter> phrased;
  const std::shared_ptr<const UserPhrases>& phrases =
      how && how->to == Script::kSimplified ? request.phrases_to_simplified
                                            : request.phrases_to_traditional;
  if (how && phrases && !phrases->empty()) phrased.emplace(converter, *phrases);
  Result<RecodedDocument> converted = RecodeDocument(
      phrased ? *phrased : converter, text, source, result.target, how,
      request.markup, name, request.find_ambiguities, give_back,
      request.threads, request.label_loaded_files);
  if (!converted) return converted.error();
  result.text = std::move(converted->conversion.text);
  if (page) {
    RewriteDeclarations(result.text, result.target,
                        converted->loaded_files_charset);
    AddMissingXmlDeclaration(result.text, name, result.target);
  } else if (HasExtension(name, {"css"})) {
    // Converted as text too (--markup text), a style sheet in a new
    // encoding names it, or browsers read it in the old one.
    if (auto edit = FindStyleSheetCharsetEdit(result.text, result.target))
      result.text.replace(edit->pos, edit->length, edit->replacement);
  }
  result.references = converted->conversion.references;
  result.invalid_units = converted->conversion.invalid_units;
  result.server_references = converted->conversion.server_references;
  result.beyond_cp950 = converted->conversion.beyond_cp950;
  result.first_beyond_cp950 = converted->conversion.first_beyond_cp950;
  result.as_markup = converted->as_markup;
  result.php_backslash_endings = converted->php_backslash_endings;
  result.quote_escapes = converted->quote_escapes;
  result.markup_problem = std::move(converted->markup_problem);
  result.points = std::move(converted->points);
  return result;
} catch (const std::bad_alloc&) {
  return Error{ErrorCode::kTooLarge, "not enough memory to convert it"};
}

Result<DocumentConversion> ConvertFileBytes(
    const Converter& converter, std::string text,
    const std::filesystem::path& source,
    const std::filesystem::path& destination, const ConversionRequest& request,
    Durability durability, const OpenFolder* folder, uint32_t permissions) {
  // A large document's memory goes back as the conversion passes it, or it
  // would take its size twice over at the end, input and output.
  size_t given = 0;
  std::function<void(size_t)> give_back;
  if (text.size() >= kLargeBytes)
    give_back = [&](size_t end) { given = GiveBack(text, given, end); };
  Result<DocumentConversion> converted = ConvertDocument(
      converter, text, request, source.filename().string(), give_back);
  if (!converted) {
    Error error = converted.error();
    if (error.path.empty()) error.path = source.string();
    return error;
  }
  if (converted->deferred) {
    converted->text = std::move(text);
    return converted;
  }
  if (Status saved = folder
                         ? SaveDocument(*folder, destination, converted->text,
                                        durability, permissions)
                         : SaveDocument(destination, converted->text,
                                        durability, permissions);
      !saved)
    return saved.error();
  return converted;
}

}  // namespace tovenrak::core
