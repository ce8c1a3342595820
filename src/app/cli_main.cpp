// tovenrak-convert: converts Chinese web pages and text files from the
// command line.

#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "app/cli_messages.h"
#include "app/cli_options.h"
#include "app/cli_run.h"
#include "core/convert/fast_converter.h"
#include "core/encoding/encoding.h"

int main(int argc, char** argv) {
  using namespace tovenrak;
  std::ios::sync_with_stdio(false);
  // The C library's own texts (the OS's reasons) in the user's language and
  // character set where it has them; nothing else here depends on the locale.
  std::setlocale(LC_CTYPE, "");
  std::setlocale(LC_MESSAGES, "");
  const app::MessageLocale locale = app::MessageLocaleFrom(
      std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
  // Chinese messages under a character set that has no Chinese (only
  // LC_MESSAGES set): the C library would write its texts as "?????". Its
  // messages' own locale gives them their characters, else they stay English.
  if (locale.language != app::Language::kEnglish &&
      core::EncodingFromLabel(nl_langinfo(CODESET)) != locale.encoding) {
    const char* messages = std::getenv("LC_MESSAGES");
    if (messages == nullptr || std::setlocale(LC_CTYPE, messages) == nullptr)
      std::setlocale(LC_MESSAGES, "C");
  }
  // Each conversion's tables are mapped when a file first needs them: a run
  // mostly converts one way, and the other way's tables would cost as much
  // as converting a small page. Messages in traditional characters are
  // converted by the same converter.
  const std::unique_ptr<core::Converter> converter = core::MakeFastConverter();
  const app::Messages say(locale, converter.get());
  auto options =
      app::ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc),
                           ::isatty(STDIN_FILENO) == 1, say);
  if (!options) {
    std::cerr << "tovenrak-convert: " << say.Shown(options.error().Message())
              << "\n"
              << say("Try 'tovenrak-convert --help' for more information.")
              << "\n";
    return 2;
  }
  // Help that did not reach its reader failed, as coreutils' does.
  if (options->help) {
    std::cout << app::CliUsage(say);
    return std::cout.flush() ? 0 : 1;
  }
  if (options->version) {
    std::cout << "tovenrak-convert (Zemlorin Tovenrak) " TOVENRAK_VERSION "\n";
    return std::cout.flush() ? 0 : 1;
  }
  app::CliStreams streams{std::cin, std::cout, std::cerr,
                          ::isatty(STDERR_FILENO) == 1};
  return app::RunCli(*options, *converter, streams, say);
}
