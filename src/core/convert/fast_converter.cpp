#include "core/convert/fast_converter.h"

#include <new>

#include "core/convert/direction_tables.h"
#include "core/convert/opencc_dictionaries.h"
#include "core/convert/table_conversion.h"

namespace tovenrak::core {

namespace {

class FastConverter : public Converter {
 public:
  FastConverter(std::unique_ptr<DirectionTables> to_gb,
                std::unique_ptr<DirectionTables> to_big5)
      : to_gb_(std::move(to_gb)), to_big5_(std::move(to_big5)) {}

  Result<Conversion> Big5ToGB(std::string_view big5_text) const override {
    return Convert(*to_gb_, big5_text);
  }
  Result<Conversion> GBToBig5(std::string_view gb_text) const override {
    return Convert(*to_big5_, gb_text);
  }

 private:
  static Result<Conversion> Convert(const DirectionTables& tables,
                                    std::string_view text) {
    try {
      return ConvertWithTables(tables, text);
    } catch (const std::bad_alloc&) {
      return Error{ErrorCode::kTooLarge,
                   "not enough memory to convert a text of " +
                       std::to_string(text.size()) + " bytes"};
    }
  }

  std::unique_ptr<DirectionTables> to_gb_;
  std::unique_ptr<DirectionTables> to_big5_;
};

}  // namespace

Result<std::unique_ptr<Converter>> MakeFastConverter() {
  Result<ConversionPlan> to_gb = LoadConversionPlan("tw2s.json");
  if (!to_gb) return to_gb.error();
  Result<ConversionPlan> to_big5 = LoadConversionPlan("s2tw.json");
  if (!to_big5) return to_big5.error();
  try {
    return std::unique_ptr<Converter>(std::make_unique<FastConverter>(
        std::make_unique<DirectionTables>(*to_gb, Encoding::kBig5,
                                          Encoding::kGbk),
        std::make_unique<DirectionTables>(*to_big5, Encoding::kGbk,
                                          Encoding::kBig5)));
  } catch (const std::bad_alloc&) {
    return Error{ErrorCode::kTooLarge,
                 "not enough memory to compile the conversion tables"};
  }
}

}  // namespace tovenrak::core
