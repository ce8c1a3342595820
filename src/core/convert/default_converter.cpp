#include "core/convert/default_converter.h"

#include "core/convert/fast_converter.h"

namespace tovenrak::core {

Result<std::unique_ptr<Converter>> MakeDefaultConverter() {
  std::unique_ptr<Converter> converter = MakeFastConverter();
  for (const Script to : {Script::kSimplified, Script::kTraditional}) {
    std::u32string ignored;
    if (Status s = converter->Convert(U"", {to, Variant::kTw}, ignored); !s)
      return s.error();
  }
  return converter;
}

}  // namespace tovenrak::core
