#include "core/default_converter.h"

#include "core/fast_converter.h"

namespace tovenrak::core {

Result<std::unique_ptr<Converter>> MakeDefaultConverter() {
  return MakeFastConverter();
}

}  // namespace tovenrak::core
