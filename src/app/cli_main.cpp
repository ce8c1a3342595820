// tovenrak-convert: converts Chinese web pages and text files from the
// command line.

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>

#include "app/cli_messages.h"
#include "app/cli_options.h"
#include "app/cli_run.h"
#include "core/convert/default_converter.h"
#include "core/io/escape_for_terminal.h"

int main(int argc, char** argv) {
  using namespace tovenrak;
  std::ios::sync_with_stdio(false);
  // The C library's own texts (the OS's reasons) in the user's language and
  // character set where it has them; nothing else here depends on the locale.
  std::setlocale(LC_CTYPE, "");
  std::setlocale(LC_MESSAGES, "");
  const app::MessageLocale locale = app::MessageLocaleFrom(
      std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
  // Messages in traditional characters are converted by the converter, so
  // it is made first for them; else only once there are files to convert.
  std::optional<core::Result<std::unique_ptr<core::Converter>>> converter;
  if (locale.language == app::Language::kTaiwan ||
      locale.language == app::Language::kHongKong) {
    converter = core::MakeDefaultConverter();
  }
  const app::Messages say(
      locale, converter && *converter ? (*converter)->get() : nullptr);
  auto options =
      app::ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc),
                           ::isatty(STDIN_FILENO) == 1, say);
  if (!options) {
    std::cerr << "tovenrak-convert: "
              << core::EscapeForTerminal(options.error().Message()) << "\n"
              << say("Try 'tovenrak-convert --help' for more information.")
              << "\n";
    return 2;
  }
  if (options->help) {
    std::cout << app::CliUsage(say);
    return 0;
  }
  if (options->version) {
    std::cout << "tovenrak-convert (Zemlorin Tovenrak) " TOVENRAK_VERSION "\n";
    return 0;
  }
  if (!converter) converter = core::MakeDefaultConverter();
  if (!*converter) {
    std::cerr << "tovenrak-convert: "
              << core::EscapeForTerminal(converter->error().Message()) << "\n";
    return 1;
  }
  app::CliStreams streams{std::cin, std::cout, std::cerr,
                          ::isatty(STDERR_FILENO) == 1};
  return app::RunCli(*options, *converter->value(), streams, say);
}
