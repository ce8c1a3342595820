#include "core/convert/default_converter.h"

#include "core/convert/fast_converter.h"

namespace tovenrak::core {

Result<std::unique_ptr<Converter>> MakeDefaultConverter() {
  return MakeFastConverter();
}

}  // namespace tovenrak::core
