// Conversion of a document text through the compiled tables of one
// direction.

#pragma once

#include <string_view>

#include "core/convert/converter.h"
#include "core/convert/direction_tables.h"

namespace tovenrak::core {

// Converts `text` (units of `tables.source`) with the compiled tables. The
// result equals, byte for byte and in its counts, what ConvertStretches gives
// with OpenCC's own conversion for the same plan. Most units are converted by
// one table lookup; only around segmentation keys and possible longer matches
// of the chain does it look further, and where matches could overlap it runs
// the exact conversion over the smallest part of the text that holds them.
Conversion ConvertWithTables(const DirectionTables& tables,
                             std::string_view text);

}  // namespace tovenrak::core
