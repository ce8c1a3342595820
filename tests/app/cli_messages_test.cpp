// The converter's messages in the user's language: which locale picks
// which, and the texts as a Chinese user reads them.

#include "app/cli_messages.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/cli_options.h"
#include "core/convert/default_converter.h"
#include "core/encoding/utf8.h"

namespace tovenrak::app {
namespace {

using core::Encoding;

TEST(CliMessagesTest, TheLocaleVariablesPickLanguageAndEncoding) {
  struct Case {
    const char *lc_all, *lc_messages, *lang;
    Language language;
    Encoding encoding;
  } cases[] = {
      {nullptr, nullptr, nullptr, Language::kEnglish, Encoding::kUtf8},
      {nullptr, nullptr, "zh_CN.GB18030", Language::kSimplified,
       Encoding::kGb18030},
      {nullptr, nullptr, "zh_SG.GBK", Language::kSimplified, Encoding::kGbk},
      {nullptr, nullptr, "zh_TW.Big5", Language::kTaiwan, Encoding::kBig5},
      {nullptr, nullptr, "zh_HK.big5hkscs", Language::kHongKong,
       Encoding::kBig5},
      {nullptr, nullptr, "zh_HK.UTF-8@stroke", Language::kHongKong,
       Encoding::kUtf8},
      {nullptr, nullptr, "zu_ZA.UTF-8", Language::kEnglish, Encoding::kUtf8},
      {"", "zh_TW.UTF-8", "C", Language::kTaiwan, Encoding::kUtf8},
      {"C", "zh_TW.UTF-8", "zh_CN.UTF-8", Language::kEnglish, Encoding::kUtf8},
  };
  for (const Case& c : cases) {
    const std::string name = std::string(c.lc_all ? c.lc_all : "-") + " " +
                             (c.lc_messages ? c.lc_messages : "-") + " " +
                             (c.lang ? c.lang : "-");
    const MessageLocale locale =
        MessageLocaleFrom(c.lc_all, c.lc_messages, c.lang);
    EXPECT_EQ(locale.language, c.language) << name;
    EXPECT_EQ(locale.encoding, c.encoding) << name;
  }
}

TEST(CliMessagesTest, ChineseTextsInEachScriptAndEncoding) {
  auto converter = core::MakeDefaultConverter();
  ASSERT_TRUE(converter.has_value()) << converter.error().Message();
  struct Case {
    MessageLocale locale;
    bool with_converter;
    std::string said;
  } cases[] = {
      {{Language::kSimplified, Encoding::kGbk},
       true,
       "\xCE\xDE\xB7\xA8\xB4\xB4\xBD\xA8\xCE\xC4\xBC\xFE\xBC\xD0 'a'\xA3\xBA"
       "b"},
      // Taiwan's and Hong Kong's words for "folder" as well as characters.
      {{Language::kTaiwan, Encoding::kUtf8}, true, "無法建立資料夾 'a'：b"},
      {{Language::kHongKong, Encoding::kUtf8}, true, "無法創建文件夾 'a'：b"},
      {{Language::kTaiwan, Encoding::kUtf8}, false, "无法创建文件夹 'a'：b"},
  };
  for (const Case& c : cases) {
    const Messages say(c.locale, c.with_converter ? converter->get() : nullptr);
    EXPECT_EQ(say("cannot create folder {0}: {1}", {"'a'", "b"}), c.said)
        << static_cast<int>(c.locale.language);
    // A name in GBK (产) is shown as it is where the terminal reads GBK.
    EXPECT_EQ(say.Shown("\xB2\xFA\x1B"), c.locale.encoding == Encoding::kGbk
                                             ? "\xB2\xFA\\x1B"
                                             : "\\xB2\\xFA\\x1B");
  }
}

// Terminals are 80 columns wide at least; CJK characters take two.
TEST(CliMessagesTest, TheHelpFitsEightyColumnsInEachLanguage) {
  auto converter = core::MakeDefaultConverter();
  ASSERT_TRUE(converter.has_value()) << converter.error().Message();
  for (const Language language : {Language::kEnglish, Language::kSimplified,
                                  Language::kTaiwan, Language::kHongKong}) {
    const Messages say({language, Encoding::kUtf8}, converter->get());
    std::istringstream help(CliUsage(say));
    for (std::string line; std::getline(help, line);) {
      size_t columns = 0;
      for (size_t i = 0; i < line.size();) {
        const char32_t c = core::NextUtf8(line, i);
        columns += c >= 0x2E80 ? 2 : 1;  // CJK and full-width signs.
      }
      EXPECT_LE(columns, 80u) << line;
    }
  }
}

}  // namespace
}  // namespace tovenrak::app
