// The product's converter: OpenCC's tw2s and s2tw conversions compiled into
// tables over document units.

#pragma once

#include <memory>

#include "core/convert/converter.h"

namespace tovenrak::core {

// Loads OpenCC's installed "tw2s" and "s2tw" configurations and compiles
// them, which takes a few tens of milliseconds. Fails with kNotFound when
// OpenCC or its data cannot be loaded. A conversion fails only with
// kTooLarge, when memory runs out.
Result<std::unique_ptr<Converter>> MakeFastConverter();

}  // namespace tovenrak::core
