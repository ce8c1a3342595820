// The texts of tovenrak-convert, each in English and in Simplified Chinese.

#pragma once

#include <span>
#include <string_view>

namespace tovenrak::app {

struct Translation {
  std::string_view english;  // The key, as the code says it.
  std::string_view chinese;  // Simplified characters, UTF-8.
};

// Every text the program says; "{0}", "{1}"... stand for what is filled in.
std::span<const Translation> Translations();

// The help text; "{0}" stands for the default list of extensions.
std::string_view UsageText();

}  // namespace tovenrak::app
