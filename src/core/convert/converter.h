// The converter between Big5 and GB document text.

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/result.h"

namespace tovenrak::core {

// A converted document text and what happened on the way.
struct Conversion {
  std::string text;
  // Characters with no code in the target encoding, written as "&#N;".
  size_t references = 0;
  // Units that are not valid codes of the source encoding, passed through.
  size_t invalid_units = 0;
};

// Converts whole document texts between Big5 (traditional characters) and GBK
// (simplified characters). For both directions:
//  - single-byte units come back unchanged and in order;
//  - the argument is not modified;
//  - a unit that is not a valid code of the source encoding (a lone byte, an
//    unmapped code) passes through unchanged and is counted in invalid_units;
//  - a character with no code in the target encoding becomes the decimal HTML
//    reference "&#N;" and is counted in references.
// Fails only when the conversion machinery itself fails. The members are
// const and safe to call from several threads at once.
class Converter {
 public:
  Converter() = default;
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  virtual ~Converter() = default;

  virtual Result<Conversion> Big5ToGB(std::string_view big5_text) const = 0;
  virtual Result<Conversion> GBToBig5(std::string_view gb_text) const = 0;
};

}  // namespace tovenrak::core
