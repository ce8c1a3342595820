// The converter the program and the command-line tool use.

#pragma once

#include <memory>

#include "core/convert/converter.h"

namespace tovenrak::core {

// Returns the product's converter with the Taiwan-standard configurations
// (the windows' GB and Big5) ready, so that missing OpenCC data is found at
// start. Fails with kNotFound when they cannot be loaded.
Result<std::unique_ptr<Converter>> MakeDefaultConverter();

}  // namespace tovenrak::core
