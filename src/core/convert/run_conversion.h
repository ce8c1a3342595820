// The frame shared by converters: splitting a document into stretches of
// double-byte characters, and writing Unicode text back as units.

#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/convert/converter.h"
#include "core/encoding/code_tables.h"

namespace tovenrak::core {

// Converts `text` from `source` to `target`: each maximal stretch of valid
// double-byte codes of `source` is decoded to UTF-8, handed to `convert`, and
// its result encoded in `target`. Single-byte and invalid units are copied as
// they are. The first failure of `convert` is returned.
Result<Conversion> ConvertStretches(
    std::string_view text, Encoding source, Encoding target,
    const std::function<Result<std::string>(std::string_view utf8)>& convert);

// Appends `utf8` encoded in `target` to `out`; a character with no code there
// becomes "&#N;" and is counted in `references`.
void AppendEncoded(std::string_view utf8, Encoding target, std::string& out,
                   size_t& references);

// Appends `cp` encoded in `target`, or as "&#N;" counted in `references`
// when `target` has no code for it.
void AppendEncodedCodePoint(char32_t cp, Encoding target, std::string& out,
                            size_t& references);

// Appends "&#N;" for `cp`.
void AppendReference(char32_t cp, std::string& out);

}  // namespace tovenrak::core
