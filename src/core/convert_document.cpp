#include "core/convert_document.h"

#include <new>

#include "core/encoding/big5_detection.h"
#include "core/encoding/rewrite_charset.h"
#include "core/io/file_io.h"

namespace tovenrak::core {

Result<DocumentConversion> ConvertDocument(const Converter& converter,
                                           std::string_view text,
                                           Target target) try {
  const bool to_gb =
      target == Target::kAuto ? MentionsBig5(text) : target == Target::kGb;
  Result<Conversion> converted =
      to_gb ? converter.Big5ToGB(text) : converter.GBToBig5(text);
  if (!converted) return converted.error();
  DocumentConversion result;
  result.text = std::move(converted->text);
  if (auto edit = FindCharsetEdit(result.text,
                                  to_gb ? kGbDeclaration : kBig5Declaration)) {
    result.text.replace(edit->pos, edit->length, edit->replacement);
  }
  result.to_gb = to_gb;
  result.references = converted->references;
  result.invalid_units = converted->invalid_units;
  return result;
} catch (const std::bad_alloc&) {
  return Error{ErrorCode::kTooLarge, "not enough memory to convert it"};
}

Result<DocumentConversion> ConvertFile(const Converter& converter,
                                       const std::filesystem::path& source,
                                       const std::filesystem::path& destination,
                                       Target target) {
  Result<std::string> text = ReadDocument(source);
  if (!text) return text.error();
  Result<DocumentConversion> converted =
      ConvertDocument(converter, *text, target);
  if (!converted) {
    Error error = converted.error();
    if (error.path.empty()) error.path = source.string();
    return error;
  }
  if (Status saved = SaveDocument(destination, converted->text); !saved)
    return saved.error();
  return converted;
}

}  // namespace tovenrak::core
