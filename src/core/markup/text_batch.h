// Many short texts converted in one call to the converter: pages hold many
// texts, and a call for each costs more than converting them.

#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/converter.h"
#include "core/encoding/codec.h"
#include "core/result.h"

namespace tovenrak::core {

// The texts go to the converter one after another, a kSeparator between
// two, which ends every phrase, so that each converts as it would alone.
class TextBatch {
 public:
  // The separator, a placeholder. Decode never gives it: a four-byte
  // placeholder begins with a GB18030 lead byte, below 0xFF. A text added
  // must not hold it.
  static constexpr char32_t kSeparator = 0xFFFFFFFF;

  // Begins the next text, which the caller appends to input().text, and
  // returns its number.
  size_t Begin() {
    if (!texts_.empty()) input_.text.push_back(kSeparator);
    texts_.push_back({input_.text.size(), 0, 0, 0});
    return texts_.size() - 1;
  }
  // Ends the text begun last.
  void End() { texts_.back().size = input_.text.size() - texts_.back().in; }
  // The texts so far, as Begin and End delimit them.
  DecodedText& input() { return input_; }

  bool empty() const { return texts_.empty(); }
  size_t size() const { return input_.text.size(); }

  // Converts the texts, then In and Out give each as it was and converted.
  Status Convert(const Converter& converter, ScriptConversion how) {
    if (texts_.empty()) return {};
    output_.clear();
    if (Status done = converter.Convert(input_.text, how, output_); !done)
      return done;
    // As many separators come out as went in; when each stands where it
    // went in, every text kept its length.
    bool aligned = output_.size() == input_.text.size();
    for (size_t i = 1; aligned && i < texts_.size(); ++i)
      aligned = output_[texts_[i].in - 1] == kSeparator;
    for (size_t at = 0; Text & t : texts_) {
      const size_t end =
          aligned ? t.in + t.size
                  : std::min(output_.find(kSeparator, at), output_.size());
      t.out = at;
      t.out_size = end - at;
      at = end + 1;
    }
    return {};
  }
  std::u32string_view In(size_t i) const {
    return std::u32string_view(input_.text)
        .substr(texts_[i].in, texts_[i].size);
  }
  std::u32string_view Out(size_t i) const {
    return std::u32string_view(output_).substr(texts_[i].out,
                                               texts_[i].out_size);
  }

  void Clear() {
    texts_.clear();
    input_.text.clear();
  }

 private:
  struct Text {
    size_t in, size;       // In input_.
    size_t out, out_size;  // In output_, once converted.
  };
  std::vector<Text> texts_;
  DecodedText input_;
  std::u32string output_;
};

}  // namespace tovenrak::core
