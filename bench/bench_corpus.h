// Generated Chinese web pages for the benchmarks: paragraphs of dictionary
// phrases and common characters in HTML markup, in GBK and in Big5.

#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/convert/converter.h"

namespace tovenrak::bench {

// Builds pages from the simplified phrases and characters of OpenCC's s2tw
// data; only pieces that both encodings can hold are used.
class PageMaker {
 public:
  // Fails (empty pieces) when the OpenCC data cannot be loaded.
  PageMaker(const core::Converter& converter, uint32_t seed);

  bool ok() const { return !phrases_.empty() && !characters_.empty(); }

  // A GBK page of about `bytes` bytes with a gb2312 charset declaration.
  std::string GbkPage(size_t bytes);

  // The Big5 form of a GBK page, declaration rewritten to big5.
  std::string ToBig5Page(const std::string& gbk_page) const;

 private:
  std::string Sentence();
  size_t Pick(size_t n) {
    return std::uniform_int_distribution<size_t>(0, n - 1)(rng_);
  }

  const core::Converter& converter_;
  std::mt19937 rng_;
  std::vector<std::string> phrases_;     // GBK bytes.
  std::vector<std::string> characters_;  // GBK bytes.
};

}  // namespace tovenrak::bench
