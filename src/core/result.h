// Errors as values: Result<T> and Status, with std::expected's member names.

#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace tovenrak::core {

enum class ErrorCode {
  kNotFound,
  kUnreadable,
  kNotWritable,
  kTooLarge,
  kInvalidInput
};

// What went wrong, kept in parts so that each front-end words it its own way.
struct Error {
  ErrorCode code;
  std::string reason;     // Why, in plain words; for files the OS's own.
  std::string path = {};  // The file concerned, or empty.

  // "path: reason", or the reason alone when no file is concerned.
  std::string Message() const {
    return path.empty() ? reason : path + ": " + reason;
  }
};

// Holds either a value or an Error.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::move(value)) {}      // NOLINT: implicit on purpose
  Result(Error error) : v_(std::move(error)) {}  // NOLINT

  bool has_value() const { return v_.index() == 0; }
  explicit operator bool() const { return has_value(); }

  // REQUIRES: has_value()
  T& value() & {
    assert(has_value());
    return std::get<0>(v_);
  }
  const T& value() const& {
    assert(has_value());
    return std::get<0>(v_);
  }
  T&& value() && {
    assert(has_value());
    return std::get<0>(std::move(v_));
  }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }

  // REQUIRES: !has_value()
  const Error& error() const {
    assert(!has_value());
    return std::get<1>(v_);
  }

 private:
  std::variant<T, Error> v_;
};

// Success, or an Error.
// Success costs no more than a flag: hot loops pass many.
class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(Error error) : error_(std::move(error)) {}  // NOLINT

  bool has_value() const { return !error_.has_value(); }
  explicit operator bool() const { return has_value(); }
  // REQUIRES: !has_value()
  const Error& error() const {
    assert(error_.has_value());
    return *error_;
  }

 private:
  std::optional<Error> error_;
};

}  // namespace tovenrak::core
