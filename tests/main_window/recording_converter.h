// A converter that passes calls to the product's converter, records each
// argument and fails on demand.

#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/converter.h"
#include "core/convert/default_converter.h"
#include "core/encoding/codec.h"

namespace tovenrak::testing {

struct RecordingConverter : core::Converter {
  struct Call {
    std::string member;  // "Big5ToGB" or "GBToBig5"
    std::string argument;
  };

  RecordingConverter()
      : real(std::move(core::MakeDefaultConverter().value())) {}

  // Records a conversion to simplified as "Big5ToGB" of the Big5 bytes, one
  // to traditional as "GBToBig5" of the GB bytes.
  core::Status Convert(std::u32string_view text, core::ScriptConversion how,
                       std::u32string& out) const override {
    const bool to_gb = how.to == core::Script::kSimplified;
    std::string bytes;
    core::EncodeCounts counts;
    core::Encode(text, to_gb ? core::Encoding::kBig5 : core::Encoding::kGbk,
                 bytes, counts);
    calls.push_back({to_gb ? "Big5ToGB" : "GBToBig5", bytes});
    if (fail)
      return core::Error{core::ErrorCode::kInvalidInput, "dictionary gone"};
    return real->Convert(text, how, out);
  }

  std::unique_ptr<core::Converter> real;
  mutable std::vector<Call> calls;
  bool fail = false;
};

}  // namespace tovenrak::testing
