// The conversions the windows offer: the targets of the main window's convert
// menu and of the batch window's target list, and the variants, in the order
// the windows show them.

#pragma once

#include <cstddef>
#include <iterator>
#include <string>

#include "core/convert/converter.h"
#include "core/convert_document.h"
#include "core/encoding/encoding.h"
#include "platform/settings.h"

namespace tovenrak::platform {

// GB, Big5, UTF-8 简体, UTF-8 繁體, GB18030.
struct TargetChoice {
  core::Encoding to;
  core::ScriptChoice script;
};
inline constexpr TargetChoice kTargetChoices[] = {
    {core::Encoding::kGbk, core::ScriptChoice::kSimplified},
    {core::Encoding::kBig5, core::ScriptChoice::kTraditional},
    {core::Encoding::kUtf8, core::ScriptChoice::kSimplified},
    {core::Encoding::kUtf8, core::ScriptChoice::kTraditional},
    {core::Encoding::kGb18030, core::ScriptChoice::kKeep},
};
inline constexpr int kTargetChoiceCount =
    static_cast<int>(std::size(kTargetChoices));

// 台湾, 台湾惯用词, 香港, 通用; `key` is how the choice is remembered.
struct VariantChoice {
  core::Variant variant;
  const char* key;
};
inline constexpr VariantChoice kVariantChoices[] = {
    {core::Variant::kTw, "tw"},
    {core::Variant::kTwp, "twp"},
    {core::Variant::kHk, "hk"},
    {core::Variant::kStd, "std"},
};
inline constexpr int kVariantChoiceCount =
    static_cast<int>(std::size(kVariantChoices));

// The settings key of the remembered variant.
inline constexpr char kVariantKey[] = "conversion/variant";

// The index in kVariantChoices of the variant `settings` remember: the first
// (Taiwan) when none is remembered or the stored value is not a key.
inline int RememberedVariant(const Settings& settings) {
  const std::string key = settings.Value(kVariantKey);
  for (int i = 0; i < kVariantChoiceCount; ++i) {
    if (key == kVariantChoices[i].key) return i;
  }
  return 0;
}

}  // namespace tovenrak::platform
