#include "support/opencc_converter.h"

#include <map>
#include <mutex>
#include <opencc/Exception.hpp>
#include <opencc/SimpleConverter.hpp>

#include "core/encoding/codec.h"
#include "core/encoding/utf8.h"

namespace tovenrak::core {

namespace {

class OpenccConverter : public Converter {
 public:
  Status Convert(std::u32string_view text, ScriptConversion how,
                 std::u32string& out) const override {
    try {
      const opencc::SimpleConverter& converter = Get(OpenccConfigName(how));
      size_t start = 0;
      for (size_t pos = 0; pos <= text.size(); ++pos) {
        if (pos < text.size() && !IsPlaceholder(text[pos]) && text[pos] != 0)
          continue;
        Run(converter, text.substr(start, pos - start), out);
        if (pos < text.size()) out += text[pos];
        start = pos + 1;
      }
      return {};
    } catch (const opencc::Exception& e) {
      return Error{ErrorCode::kNotFound, std::string("OpenCC: ") + e.what()};
    } catch (const std::exception& e) {
      return Error{ErrorCode::kNotFound, std::string("OpenCC: ") + e.what()};
    }
  }

 private:
  static void Run(const opencc::SimpleConverter& converter,
                  std::u32string_view stretch, std::u32string& out) {
    if (stretch.empty()) return;
    std::string utf8;
    for (const char32_t cp : stretch) AppendUtf8(cp, utf8);
    const std::string converted = converter.Convert(utf8.data(), utf8.size());
    for (size_t pos = 0; pos < converted.size();)
      out += NextUtf8(converted, pos);
  }

  const opencc::SimpleConverter& Get(const std::string& config) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = converters_.find(config);
    if (it == converters_.end())
      it = converters_
               .emplace(config,
                        std::make_unique<opencc::SimpleConverter>(config))
               .first;
    return *it->second;
  }

  mutable std::mutex mutex_;
  mutable std::map<std::string, std::unique_ptr<opencc::SimpleConverter>>
      converters_;
};

}  // namespace

std::unique_ptr<Converter> MakeOpenccConverter() {
  return std::make_unique<OpenccConverter>();
}

}  // namespace tovenrak::core
