#include "core/convert_document.h"

#include "core/encoding/detection.h"
#include "core/encoding/rewrite_charset.h"
#include "core/io/file_io.h"

namespace tovenrak::core {

Result<DocumentConversion> ConvertDocument(const Converter& converter,
                                           std::string_view text,
                                           Target target) {
  const bool to_gb =
      target == Target::kAuto ? MentionsBig5(text) : target == Target::kGb;
  Result<Conversion> converted =
      to_gb ? converter.Big5ToGB(text) : converter.GBToBig5(text);
  if (!converted) return converted.error();
  DocumentConversion result;
  result.text = std::move(converted->text);
  RewriteDeclarations(result.text, to_gb ? Encoding::kGbk : Encoding::kBig5);
  result.to_gb = to_gb;
  result.references = converted->references;
  result.invalid_units = converted->invalid_units;
  return result;
}

Result<DocumentConversion> ConvertFile(const Converter& converter,
                                       const std::filesystem::path& source,
                                       const std::filesystem::path& destination,
                                       Target target) {
  Result<std::string> text = ReadDocument(source);
  if (!text) return text.error();
  Result<DocumentConversion> converted =
      ConvertDocument(converter, *text, target);
  if (!converted) return converted.error();
  if (Status saved = SaveDocument(destination, converted->text); !saved)
    return saved.error();
  return converted;
}

}  // namespace tovenrak::core
