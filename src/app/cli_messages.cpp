#include "app/cli_messages.h"

#include <strings.h>

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "app/cli_catalogue.h"
#include "core/encoding/codec.h"
#include "core/io/escape_for_terminal.h"

namespace tovenrak::app {

namespace {

std::string_view Region(std::string_view locale) {
  // language[_territory][.codeset][@modifier]
  const size_t end = locale.find_first_of(".@");
  locale = locale.substr(0, end);
  const size_t underscore = locale.find('_');
  return underscore == std::string_view::npos ? ""
                                              : locale.substr(underscore + 1);
}

}  // namespace

MessageLocale MessageLocaleFrom(const char* lc_all, const char* lc_messages,
                                const char* lang) {
  std::string_view locale;
  for (const char* value : {lc_all, lc_messages, lang}) {
    if (value != nullptr && *value != '\0') {
      locale = value;
      break;
    }
  }
  MessageLocale chosen;
  if (!(locale.starts_with("zh") && (locale.size() == 2 || locale[2] == '_' ||
                                     locale[2] == '.' || locale[2] == '@')))
    return chosen;
  const std::string_view region = Region(locale);
  chosen.language = region == "TW"                     ? Language::kTaiwan
                    : region == "HK" || region == "MO" ? Language::kHongKong
                                                       : Language::kSimplified;
  if (const size_t dot = locale.find('.'); dot != std::string_view::npos) {
    std::string_view codeset = locale.substr(dot + 1);
    codeset = codeset.substr(0, codeset.find('@'));
    // glibc names Hong Kong's Big5 "big5hkscs", which is no web label.
    if (auto encoding = core::EncodingFromLabel(codeset)) {
      chosen.encoding = *encoding;
    } else if (codeset.size() == 9 &&
               strncasecmp(codeset.data(), "big5hkscs", 9) == 0) {
      chosen.encoding = core::Encoding::kBig5;
    }
  }
  return chosen;
}

Messages::Messages(MessageLocale locale, const core::Converter* converter)
    : locale_(locale), converter_(converter) {
  if (locale.language == Language::kEnglish) return;
  if (converter != nullptr && locale.language != Language::kSimplified) {
    how_ = core::ScriptConversion{core::Script::kTraditional,
                                  locale.language == Language::kTaiwan
                                      ? core::Variant::kTwp
                                      : core::Variant::kHk};
  }
  for (const Translation& t : Translations())
    texts_.emplace(t.english, Localized(t.chinese));
}

std::optional<std::string> Messages::Chinese(
    std::string_view simplified) const {
  if (locale_.language == Language::kEnglish) return std::nullopt;
  return Localized(simplified);
}

std::string Messages::InLocaleCharset(std::string_view utf8) const {
  if (locale_.language == Language::kEnglish ||
      locale_.encoding == core::Encoding::kUtf8)
    return std::string(utf8);
  std::string encoded;
  core::EncodeCounts counts;
  core::Encode(core::Decode(utf8, core::Encoding::kUtf8).text, locale_.encoding,
               encoded, counts);
  return encoded;
}

std::string Messages::Shown(std::string_view text) const {
  return core::EscapeForTerminal(text, locale_.encoding == core::Encoding::kUtf8
                                           ? core::OtherBytes::kEscaped
                                           : core::OtherBytes::kDoubleByte);
}

std::string Messages::Localized(std::string_view simplified) const {
  std::string text(simplified);
  if (how_) {
    auto converted = converter_->Recode(text, core::Encoding::kUtf8,
                                        core::Encoding::kUtf8, how_);
    if (converted) text = std::move(converted->text);
  }
  if (locale_.encoding != core::Encoding::kUtf8) {
    std::string encoded;
    core::EncodeCounts counts;
    core::Encode(core::Decode(text, core::Encoding::kUtf8).text,
                 locale_.encoding, encoded, counts);
    text = std::move(encoded);
  }
  return text;
}

namespace {

// The things the messages count, after their number, and one of each.
constexpr std::pair<std::string_view, std::string_view> kCountedNouns[] = {
    {" characters written as references", " character written as a reference"},
    {" characters", " character"},
    {" references", " reference"},
    {" invalid byte sequences", " invalid byte sequence"},
    {" other files", " other file"},
    {" files", " file"},
};

}  // namespace

std::string Messages::operator()(
    std::string_view english,
    std::initializer_list<std::string_view> args) const {
  std::string_view text = english;
  const auto it = texts_.find(english);
  if (it != texts_.end()) text = it->second;
  std::string said;
  said.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '{' && i + 2 < text.size() && text[i + 2] == '}' &&
        text[i + 1] >= '0' &&
        static_cast<size_t>(text[i + 1] - '0') < args.size()) {
      const std::string_view arg = args.begin()[text[i + 1] - '0'];
      said += arg;
      i += 2;
      // English counts one of a thing: "1 character", not "1 characters".
      if (arg == "1" && it == texts_.end()) {
        for (const auto& [plural, one] : kCountedNouns) {
          if (text.substr(i + 1).starts_with(plural)) {
            said += one;
            i += plural.size();
            break;
          }
        }
      }
    } else {
      said += text[i];
    }
  }
  return said;
}

}  // namespace tovenrak::app
