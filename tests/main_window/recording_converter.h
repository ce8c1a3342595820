// A converter that passes calls to the product's converter, records each
// argument and fails on demand.

#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/converter.h"
#include "core/convert/default_converter.h"

namespace tovenrak::testing {

struct RecordingConverter : core::Converter {
  struct Call {
    std::string member;  // "Big5ToGB" or "GBToBig5"
    std::string argument;
  };

  RecordingConverter()
      : real(std::move(core::MakeDefaultConverter().value())) {}

  core::Result<core::Conversion> Big5ToGB(
      std::string_view text) const override {
    calls.push_back({"Big5ToGB", std::string(text)});
    if (fail)
      return core::Error{core::ErrorCode::kInvalidInput, "dictionary gone"};
    return real->Big5ToGB(text);
  }
  core::Result<core::Conversion> GBToBig5(
      std::string_view text) const override {
    calls.push_back({"GBToBig5", std::string(text)});
    if (fail)
      return core::Error{core::ErrorCode::kInvalidInput, "dictionary gone"};
    return real->GBToBig5(text);
  }

  std::unique_ptr<core::Converter> real;
  mutable std::vector<Call> calls;
  bool fail = false;
};

}  // namespace tovenrak::testing
