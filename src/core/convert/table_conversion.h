// Conversion of a text through the compiled tables of one configuration.

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/convert/conversion_tables.h"
#include "core/encoding/code_point_writer.h"
#include "core/encoding/encoding.h"

namespace tovenrak::core {

// Appends `text` converted with `tables` to `out`: byte for byte what OpenCC
// gives for the same configuration, applied to each stretch between
// placeholders (IsPlaceholder), which are copied as they are. Most code
// points are converted by one table lookup; only around segmentation keys
// and possible longer matches of the chain does it look further, and where
// matches could overlap it runs the exact conversion over the smallest part
// of the text that holds them.
void ConvertWithTables(const ConversionTables& tables, std::u32string_view text,
                       std::u32string& out);

// The same for a text that goes on after `text`: converts and appends to
// `out` only as far as a clean position p (see conversion_tables.h), where
// converting text[0, p) and then text[p, ...) with what follows gives what
// converting the whole would. Returns p, which is 0 when nothing could be
// decided yet (give it more text); it is at least
// text.size() - tables.lookahead() - 1 unless a possible match reaches past
// that point.
size_t ConvertPrefixWithTables(const ConversionTables& tables,
                               std::u32string_view text, std::u32string& out);

// Converts as ConvertWithTables does when `final` (and returns text.size()),
// else as ConvertPrefixWithTables does, but appends the output encoded in
// `target` to `out`, as Encode would write it, and adds to `counts`: no code
// point string is made for the output.
size_t ConvertToBytes(const ConversionTables& tables, std::u32string_view text,
                      bool final, Encoding target, std::string& out,
                      EncodeCounts& counts);

}  // namespace tovenrak::core
