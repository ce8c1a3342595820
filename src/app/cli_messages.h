// What tovenrak-convert says, in the user's language.

#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "core/convert/converter.h"
#include "core/encoding/encoding.h"

namespace tovenrak::app {

enum class Language : uint8_t { kEnglish, kSimplified, kTaiwan, kHongKong };

struct MessageLocale {
  Language language = Language::kEnglish;
  core::Encoding encoding = core::Encoding::kUtf8;  // The terminal's.
};

// The locale of messages as the C library picks it: the first of `lc_all`,
// `lc_messages` and `lang` (the variables LC_ALL, LC_MESSAGES and LANG) that
// is set and not empty. "zh_TW" gives kTaiwan, "zh_HK" and "zh_MO"
// kHongKong, any other "zh" kSimplified, the rest kEnglish; a codeset after
// the dot that names one of the Chinese encodings ("zh_TW.Big5",
// "zh_CN.GBK") is the encoding messages are written in.
MessageLocale MessageLocaleFrom(const char* lc_all, const char* lc_messages,
                                const char* lang);

class Messages {
 public:
  // The English texts.
  Messages() = default;

  // The texts for `locale`. The Chinese ones are written in simplified
  // characters and, for kTaiwan and kHongKong, converted by `converter` with
  // Taiwan characters and idioms or Hong Kong characters (they stay
  // simplified without a converter or if it fails); then they are encoded in
  // locale.encoding, a character it lacks as "&#N;".
  Messages(MessageLocale locale, const core::Converter* converter);

  // `english`, a text of the catalogue (cli_catalogue.h), in the chosen
  // language, with "{0}", "{1}"... replaced by `args`. A text missing from
  // the catalogue is given in English. Safe to call from several threads.
  std::string operator()(
      std::string_view english,
      std::initializer_list<std::string_view> args = {}) const;

  // `simplified`, a text in Simplified Chinese made elsewhere, as the chosen
  // locale writes it; std::nullopt when messages are in English.
  std::optional<std::string> Chinese(std::string_view simplified) const;

  // `utf8` in the character set of a Chinese locale (a character it lacks
  // as "&#N;"), where the messages are written: a terminal of that locale
  // reads the two alike. As it is in any other locale.
  std::string InLocaleCharset(std::string_view utf8) const;

  // A file name or a system's message made safe for a terminal of the
  // locale (core::EscapeForTerminal): a name in GBK or Big5 shows as it is
  // in a locale of theirs, its bytes as \xHH in any other.
  std::string Shown(std::string_view text) const;

 private:
  std::string Localized(std::string_view simplified) const;

  MessageLocale locale_;
  const core::Converter* converter_ = nullptr;
  std::optional<core::ScriptConversion> how_;
  std::map<std::string_view, std::string> texts_;  // Empty for English.
};

}  // namespace tovenrak::app
