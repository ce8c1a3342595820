// The product's converter: OpenCC's tw2s and s2tw conversions compiled into
// tables over document units.

#pragma once

#include <memory>
#include <string_view>

#include "core/converter.h"
#include "core/direction_tables.h"

namespace tovenrak::core {

// Converts `text` (units of `tables.source`) with the compiled tables. The
// result equals, byte for byte and in its counts, what ConvertStretches gives
// with OpenCC's own conversion for the same plan.
Conversion ConvertWithTables(const DirectionTables& tables,
                             std::string_view text);

// Loads OpenCC's installed "tw2s" and "s2tw" configurations and compiles
// them. Fails with kNotFound when OpenCC or its data cannot be loaded.
Result<std::unique_ptr<Converter>> MakeFastConverter();

}  // namespace tovenrak::core
