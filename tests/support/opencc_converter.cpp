#include "support/opencc_converter.h"

#include <opencc/Exception.hpp>
#include <opencc/SimpleConverter.hpp>

#include "core/convert/run_conversion.h"

namespace tovenrak::core {

namespace {

class OpenccConverter : public Converter {
 public:
  OpenccConverter() : to_gb_("tw2s.json"), to_big5_("s2tw.json") {}

  Result<Conversion> Big5ToGB(std::string_view big5_text) const override {
    return ConvertStretches(
        big5_text, Encoding::kBig5, Encoding::kGbk,
        [this](std::string_view utf8) { return Run(to_gb_, utf8); });
  }
  Result<Conversion> GBToBig5(std::string_view gb_text) const override {
    return ConvertStretches(
        gb_text, Encoding::kGbk, Encoding::kBig5,
        [this](std::string_view utf8) { return Run(to_big5_, utf8); });
  }

 private:
  static Result<std::string> Run(const opencc::SimpleConverter& converter,
                                 std::string_view utf8) {
    try {
      return converter.Convert(utf8.data(), utf8.size());
    } catch (const opencc::Exception& e) {
      return Error{ErrorCode::kInvalidInput,
                   std::string("OpenCC: ") + e.what()};
    } catch (const std::exception& e) {
      return Error{ErrorCode::kInvalidInput,
                   std::string("OpenCC: ") + e.what()};
    }
  }

  opencc::SimpleConverter to_gb_;
  opencc::SimpleConverter to_big5_;
};

}  // namespace

Result<std::unique_ptr<Converter>> MakeOpenccConverter() {
  try {
    return std::unique_ptr<Converter>(std::make_unique<OpenccConverter>());
  } catch (const opencc::Exception& e) {
    return Error{ErrorCode::kNotFound,
                 std::string("cannot load OpenCC: ") + e.what()};
  } catch (const std::exception& e) {
    return Error{ErrorCode::kNotFound,
                 std::string("cannot load OpenCC: ") + e.what()};
  }
}

}  // namespace tovenrak::core
