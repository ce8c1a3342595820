// The reference converter: OpenCC's own conversion, run on the UTF-8 form of
// each stretch between placeholders.

#pragma once

#include <memory>

#include "core/convert/converter.h"

namespace tovenrak::core {

// Returns a converter that hands each stretch of text between placeholders
// (and between NUL characters, where OpenCC's C strings end) to OpenCC's
// SimpleConverter for the configuration. Configurations are loaded at first
// use; one that cannot be loaded fails with kNotFound.
std::unique_ptr<Converter> MakeOpenccConverter();

}  // namespace tovenrak::core
