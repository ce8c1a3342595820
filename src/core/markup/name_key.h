// Tag and attribute names packed into two integers, and fixed sets of them
// looked up in one step: pages hold many tags, and comparing their names as
// strings, one list entry after another, costs more than the rest of reading
// a tag.

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tovenrak::core {

// A name of up to 16 ASCII characters, in lower case.
class NameKey {
 public:
  constexpr NameKey() = default;
  // The key of `lower`, an ASCII name in lower case.
  constexpr explicit NameKey(std::string_view lower) {
    if (lower.size() > 16) return;
    for (size_t i = 0; i < lower.size(); ++i)
      Put(i, static_cast<unsigned char>(lower[i]));
  }
  // The key of `name` in any letter case; a name that is longer or not ASCII
  // gets the key of "".
  static NameKey Of(std::u32string_view name) { return KeyOf(name); }
  static NameKey Of(std::u8string_view name) { return KeyOf(name); }

  friend constexpr bool operator==(NameKey a, NameKey b) {
    return ((a.low_ ^ b.low_) | (a.high_ ^ b.high_)) == 0;
  }

  // A hash of the key with `multiplier`, below 2^bits.
  constexpr size_t Hash(uint64_t multiplier, int bits) const {
    return static_cast<size_t>(
        ((low_ ^ (high_ * 0x9E3779B97F4A7C15u)) * multiplier) >> (64 - bits));
  }

  // A key that no name has (its bytes are not ASCII).
  static constexpr NameKey None() {
    NameKey key;
    key.low_ = ~uint64_t{0};
    return key;
  }

 private:
  template <typename Char>
  static NameKey KeyOf(std::basic_string_view<Char> name) {
    NameKey key;
    if (name.size() > 16) return key;
    for (size_t i = 0; i < name.size(); ++i) {
      if (name[i] >= 0x80) return NameKey();
      key.Put(i, name[i] >= 'A' && name[i] <= 'Z' ? name[i] + 32 : name[i]);
    }
    return key;
  }
  constexpr void Put(size_t i, uint64_t c) {
    (i < 8 ? low_ : high_) |= c << (8 * (i % 8));
  }
  uint64_t low_ = 0;
  uint64_t high_ = 0;
};

// A fixed set of names, each in its own slot of a table found at compile
// time, so that a lookup is one hash and one comparison.
// REQUIRES: fewer than 32 distinct names.
template <size_t N>
class NameSet {
 public:
  consteval explicit NameSet(const std::string_view (&names)[N]) {
    // Try multipliers until every name has a slot of its own; with at most
    // 31 names in 128 slots a few dozen tries do.
    for (uint64_t seed = 1;; ++seed) {
      multiplier_ = (seed * 0xD6E8FEB86659FD93u) | 1;
      slots_.fill(NameKey::None());
      bool clash = false;
      for (const std::string_view name : names) {
        NameKey& slot = slots_[NameKey(name).Hash(multiplier_, kBits)];
        clash = clash || !(slot == NameKey::None());
        slot = NameKey(name);
      }
      if (!clash) return;
    }
  }

  constexpr bool Contains(NameKey key) const {
    return slots_[key.Hash(multiplier_, kBits)] == key;
  }

 private:
  static constexpr int kBits = 7;
  static_assert(N < 32);
  uint64_t multiplier_ = 0;
  std::array<NameKey, size_t{1} << kBits> slots_{};
};

}  // namespace tovenrak::core
