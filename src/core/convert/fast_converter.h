// The product's converter: OpenCC's configurations compiled into tables over
// code points.

#pragma once

#include <memory>

#include "core/convert/converter.h"

namespace tovenrak::core {

// Returns the fast converter. Each configuration's tables are made at its
// first use: read from the table cache (TableCacheFolder) in about a
// millisecond, or, when that holds none made from the installed OpenCC data
// as it is now, compiled from that data (some tens of milliseconds) and
// cached. A configuration that cannot be loaded fails that conversion with
// kNotFound, each time it is asked for.
std::unique_ptr<Converter> MakeFastConverter();

}  // namespace tovenrak::core
