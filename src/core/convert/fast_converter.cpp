#include "core/convert/fast_converter.h"

#include <array>
#include <mutex>
#include <new>

#include "core/convert/conversion_tables.h"
#include "core/convert/opencc_dictionaries.h"
#include "core/convert/table_conversion.h"

namespace tovenrak::core {

namespace {

constexpr size_t kVariants = 4;

class FastConverter : public Converter {
 public:
  Status Convert(std::u32string_view text, ScriptConversion how,
                 std::u32string& out) const override {
    Result<const ConversionTables*> tables = Tables(how);
    if (!tables) return tables.error();
    try {
      ConvertWithTables(**tables, text, out);
    } catch (const std::bad_alloc&) {
      return Error{ErrorCode::kTooLarge,
                   "not enough memory to convert a text of " +
                       std::to_string(text.size()) + " characters"};
    }
    return {};
  }

 private:
  struct Slot {
    std::once_flag once;
    std::unique_ptr<ConversionTables> tables;
    Error error{ErrorCode::kNotFound, {}};
  };

  Result<const ConversionTables*> Tables(ScriptConversion how) const {
    Slot& slot = slots_[static_cast<size_t>(how.variant) * 2 +
                        (how.to == Script::kSimplified ? 0 : 1)];
    std::call_once(slot.once, [&] {
      Result<ConversionPlan> plan = LoadConversionPlan(OpenccConfigName(how));
      if (!plan) {
        slot.error = plan.error();
        return;
      }
      try {
        slot.tables = std::make_unique<ConversionTables>(*plan);
      } catch (const std::bad_alloc&) {
        slot.error = Error{ErrorCode::kTooLarge,
                           "not enough memory to compile the conversion "
                           "tables of " +
                               std::string(OpenccConfigName(how))};
      }
    });
    if (!slot.tables) return slot.error;
    return slot.tables.get();
  }

  mutable std::array<Slot, kVariants * 2> slots_;
};

}  // namespace

std::unique_ptr<Converter> MakeFastConverter() {
  return std::make_unique<FastConverter>();
}

}  // namespace tovenrak::core
