// The converter the program and the command-line tool use.

#pragma once

#include <memory>

#include "core/convert/converter.h"

namespace tovenrak::core {

// Returns the product's converter. Fails with kNotFound when its data (the
// installed OpenCC dictionaries) cannot be loaded.
Result<std::unique_ptr<Converter>> MakeDefaultConverter();

}  // namespace tovenrak::core
