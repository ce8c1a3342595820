// The flat binary form in which compiled tables are written to a file and
// read back, or used where they lie: arrays of plain values, one after
// another.

#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tovenrak::core {

// One array of a compiled table: either owned, while the tables are built or
// when they were read by copying, or a view into a table file mapped into
// memory, which it keeps mapped. Reading an element costs the same either
// way: a plain pointer. The build methods apply to an owned array only.
template <typename T>
class TableArray {
 public:
  TableArray() = default;
  TableArray(size_t size, const T& value) : owned_(size, value) { Sync(); }
  // A view of `size` elements at `data`, kept alive by `backing`.
  TableArray(const T* data, size_t size, std::shared_ptr<const void> backing)
      : data_(data), size_(size), backing_(std::move(backing)) {}

  TableArray(const TableArray& other)
      : owned_(other.owned_), backing_(other.backing_) {
    data_ = backing_ ? other.data_ : owned_.data();
    size_ = other.size_;
  }
  TableArray(TableArray&& other) noexcept
      : owned_(std::move(other.owned_)),
        data_(other.data_),
        size_(other.size_),
        backing_(std::move(other.backing_)) {
    other.data_ = nullptr;
    other.size_ = 0;
  }
  TableArray& operator=(TableArray other) noexcept {
    std::swap(owned_, other.owned_);
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(backing_, other.backing_);
    return *this;
  }

  const T* data() const { return data_; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const T& operator[](size_t i) const { return data_[i]; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }
  const T& back() const { return data_[size_ - 1]; }
  // For arrays of code points.
  std::basic_string_view<T> view() const { return {data_, size_}; }

  T& at(size_t i) { return owned_[i]; }
  void push_back(const T& value) {
    owned_.push_back(value);
    Sync();
  }
  void append(std::basic_string_view<T> values) {
    owned_.insert(owned_.end(), values.begin(), values.end());
    Sync();
  }
  void resize(size_t size) {
    owned_.resize(size);
    Sync();
  }
  void assign(size_t size, const T& value) {
    owned_.assign(size, value);
    Sync();
  }
  void reserve(size_t size) {
    owned_.reserve(size);
    Sync();
  }

 private:
  void Sync() {
    data_ = owned_.data();
    size_ = owned_.size();
  }

  std::vector<T> owned_;
  const T* data_ = nullptr;
  size_t size_ = 0;
  std::shared_ptr<const void> backing_;  // Set for a view.
};

// Appends values and arrays to a byte string. Every array starts at a
// multiple of 8 bytes from the start, so that a reader of a suitably aligned
// copy can use the arrays where they lie.
class TableWriter {
 public:
  template <typename T>
  void Put(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
  }
  // Padding, the size, then the elements.
  template <typename T>
  void PutArray(const T* data, size_t size) {
    static_assert(std::is_trivially_copyable_v<T> && alignof(T) <= 8);
    Align();
    Put(static_cast<uint64_t>(size));
    if (size != 0)
      bytes_.append(reinterpret_cast<const char*>(data), size * sizeof(T));
  }
  template <typename T>
  void Put(const std::vector<T>& v) {
    PutArray(v.data(), v.size());
  }
  template <typename T>
  void Put(const TableArray<T>& v) {
    PutArray(v.data(), v.size());
  }
  // Zero bytes up to the next multiple of 8.
  void Align() { bytes_.resize((bytes_.size() + 7) / 8 * 8, '\0'); }

  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// Reads back what a TableWriter wrote, in the same order. Each Get returns
// false, once and for all, when the bytes run out or a size is impossible,
// so that a damaged file is refused rather than read past its end. Given a
// `backing` that keeps `bytes` in place, arrays are read as views into
// `bytes` wherever their elements are aligned, instead of being copied.
class TableReader {
 public:
  // `checked`: the bytes are ones this program wrote and read whole before,
  // every range in them checked then, and unchanged since.
  explicit TableReader(std::string_view bytes,
                       std::shared_ptr<const void> backing = nullptr,
                       bool checked = false)
      : bytes_(bytes), backing_(std::move(backing)), checked_(checked) {}

  template <typename T>
  bool Get(T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    if (!Take(sizeof value)) return false;
    std::memcpy(&value, bytes_.data() + pos_ - sizeof value, sizeof value);
    return true;
  }
  template <typename T>
  bool Get(std::vector<T>& v) {
    const T* data = nullptr;
    size_t size = 0;
    if (!GetArray(data, size)) return false;
    v.resize(size);
    if (size != 0) std::memcpy(v.data(), data, size * sizeof(T));
    return true;
  }
  template <typename T>
  bool Get(TableArray<T>& v) {
    const T* data = nullptr;
    size_t size = 0;
    if (!GetArray(data, size)) return false;
    if (backing_ && reinterpret_cast<uintptr_t>(data) % alignof(T) == 0) {
      v = TableArray<T>(data, size, backing_);
    } else {
      v.resize(size);
      if (size != 0) std::memcpy(&v.at(0), data, size * sizeof(T));
    }
    return true;
  }

  // Whether the ranges in what is read need no checking again (reading
  // them all would touch every page of a file that a conversion mostly
  // leaves untouched). Sizes are checked all the same.
  bool checked() const { return checked_; }

  bool ok() const { return ok_; }
  bool at_end() const { return ok_ && pos_ == bytes_.size(); }

 private:
  bool Take(size_t n) {
    if (!ok_ || bytes_.size() - pos_ < n) return ok_ = false;
    pos_ += n;
    return true;
  }
  // Where the next array's elements lie, unaligned perhaps: only ever
  // memcpy'd from or viewed after an alignment check.
  template <typename T>
  bool GetArray(const T*& data, size_t& size) {
    static_assert(std::is_trivially_copyable_v<T> && alignof(T) <= 8);
    uint64_t count = 0;
    if (!Take((8 - pos_ % 8) % 8) || !Get(count) ||
        count > (bytes_.size() - pos_) / sizeof(T) || !Take(count * sizeof(T)))
      return ok_ = false;
    data = reinterpret_cast<const T*>(bytes_.data() + pos_ - count * sizeof(T));
    size = count;
    return true;
  }

  std::string_view bytes_;
  std::shared_ptr<const void> backing_;
  bool checked_ = false;
  size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace tovenrak::core
