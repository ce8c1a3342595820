#include "core/markup/name_key.h"

namespace tovenrak::core {

NameKey NameKey::Of(std::u32string_view name) {
  NameKey key;
  if (name.size() > 16) return key;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] >= 0x80) return NameKey();
    key.Put(i, name[i] >= 'A' && name[i] <= 'Z' ? name[i] + 32 : name[i]);
  }
  return key;
}

}  // namespace tovenrak::core
