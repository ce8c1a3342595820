// The converter built on OpenCC's own conversion (tw2s and s2tw), run on the
// Unicode form of each stretch of double-byte characters.

#pragma once

#include <memory>

#include "core/convert/converter.h"

namespace tovenrak::core {

// Loads OpenCC's installed "tw2s" and "s2tw" configurations. Fails with
// kNotFound when OpenCC or its data cannot be loaded.
Result<std::unique_ptr<Converter>> MakeOpenccConverter();

}  // namespace tovenrak::core
