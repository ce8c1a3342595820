// The flat binary form in which compiled tables are written to a file and
// read back: arrays of plain values, one after another.

#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tovenrak::core {

// Appends values and arrays to a byte string.
class TableWriter {
 public:
  template <typename T>
  void Put(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
  }
  // The size, then the elements.
  template <typename T>
  void PutArray(const T* data, size_t size) {
    static_assert(std::is_trivially_copyable_v<T>);
    Put(static_cast<uint64_t>(size));
    if (size != 0)
      bytes_.append(reinterpret_cast<const char*>(data), size * sizeof(T));
  }
  template <typename T>
  void Put(const std::vector<T>& v) {
    PutArray(v.data(), v.size());
  }
  void Put(const std::u32string& s) { PutArray(s.data(), s.size()); }

  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// Reads back what a TableWriter wrote, in the same order. Each Get returns
// false, once and for all, when the bytes run out or a size is impossible,
// so that a damaged file is refused rather than read past its end.
class TableReader {
 public:
  explicit TableReader(std::string_view bytes) : bytes_(bytes) {}

  template <typename T>
  bool Get(T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    if (!Take(sizeof value)) return false;
    std::memcpy(&value, bytes_.data() + pos_ - sizeof value, sizeof value);
    return true;
  }
  template <typename T>
  bool Get(std::vector<T>& v) {
    uint64_t size = 0;
    if (!Get(size) || size > (bytes_.size() - pos_) / sizeof(T))
      return ok_ = false;
    v.resize(size);
    return Copy(v.data(), size);
  }
  bool Get(std::u32string& s) {
    uint64_t size = 0;
    if (!Get(size) || size > (bytes_.size() - pos_) / sizeof(char32_t))
      return ok_ = false;
    s.resize(size);
    return Copy(s.data(), size);
  }

  bool ok() const { return ok_; }
  bool at_end() const { return ok_ && pos_ == bytes_.size(); }

 private:
  bool Take(size_t n) {
    if (!ok_ || bytes_.size() - pos_ < n) return ok_ = false;
    pos_ += n;
    return true;
  }
  template <typename T>
  bool Copy(T* to, size_t count) {
    if (!Take(count * sizeof(T))) return false;
    // An empty array may have no storage at all: memcpy must not see it.
    if (count != 0) {
      std::memcpy(to, bytes_.data() + pos_ - count * sizeof(T),
                  count * sizeof(T));
    }
    return true;
  }

  std::string_view bytes_;
  size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace tovenrak::core
