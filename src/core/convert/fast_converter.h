// The product's converter: OpenCC's configurations compiled into tables over
// code points.

#pragma once

#include <memory>

#include "core/convert/converter.h"

namespace tovenrak::core {

// Returns the fast converter. Each configuration is loaded from the installed
// OpenCC data and compiled at its first use (a few tens of milliseconds);
// a configuration that cannot be loaded fails that conversion with
// kNotFound, each time it is asked for.
std::unique_ptr<Converter> MakeFastConverter();

}  // namespace tovenrak::core
