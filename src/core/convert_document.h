// The per-file rule: detect the encoding, convert, rewrite the declaration,
// save. Shared by the command-line converter and the batch window.

#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/convert/converter.h"

namespace tovenrak::core {

// Which way to convert: by detection (a text that mentions big5 goes to GB,
// any other to Big5), or always one way.
enum class Target { kAuto, kGb, kBig5 };

struct DocumentConversion {
  std::string text;
  bool to_gb = false;  // Converted Big5 -> GB (else GB -> Big5).
  size_t references = 0;
  size_t invalid_units = 0;
};

// Converts `text` toward `target` and rewrites its charset declaration to name
// the new encoding. Fails when the converter fails, or with kTooLarge when
// memory runs out.
Result<DocumentConversion> ConvertDocument(const Converter& converter,
                                           std::string_view text,
                                           Target target);

// Reads `source`, converts it as ConvertDocument does and saves the result
// safely to `destination` (see SaveDocument). A source that cannot be read
// or converted writes nothing, and its error's path is `source`; a failed
// save leaves any file at `destination` untouched, and its error's path is
// `destination`.
Result<DocumentConversion> ConvertFile(const Converter& converter,
                                       const std::filesystem::path& source,
                                       const std::filesystem::path& destination,
                                       Target target);

}  // namespace tovenrak::core
