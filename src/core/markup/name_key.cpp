#include "core/markup/name_key.h"

namespace tovenrak::core {

template <typename Char>
NameKey NameKey::KeyOf(std::basic_string_view<Char> name) {
  NameKey key;
  if (name.size() > 16) return key;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] >= 0x80) return NameKey();
    key.Put(i, name[i] >= 'A' && name[i] <= 'Z' ? name[i] + 32 : name[i]);
  }
  return key;
}

NameKey NameKey::Of(std::u32string_view name) { return KeyOf(name); }
NameKey NameKey::Of(std::u8string_view name) { return KeyOf(name); }

}  // namespace tovenrak::core
