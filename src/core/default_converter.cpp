#include "core/default_converter.h"

#include "core/opencc_converter.h"

namespace tovenrak::core {

Result<std::unique_ptr<Converter>> MakeDefaultConverter() {
  return MakeOpenccConverter();
}

}  // namespace tovenrak::core
