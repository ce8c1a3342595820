// tovenrak-convert: converts files between Big5 and GB from the command line.

#include <unistd.h>

#include <iostream>

#include "app/cli_options.h"
#include "app/cli_run.h"
#include "core/convert/default_converter.h"
#include "core/io/escape_for_terminal.h"

int main(int argc, char** argv) {
  using namespace tovenrak;
  std::ios::sync_with_stdio(false);
  auto options =
      app::ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!options) {
    std::cerr << "tovenrak-convert: "
              << core::EscapeForTerminal(options.error().Message()) << "\n"
              << "Try 'tovenrak-convert --help' for more information.\n";
    return 2;
  }
  if (options->help) {
    std::cout << app::CliUsage();
    return 0;
  }
  if (options->version) {
    std::cout << "tovenrak-convert (Zemlorin Tovenrak) 1.0\n";
    return 0;
  }
  auto converter = core::MakeDefaultConverter();
  if (!converter) {
    std::cerr << "tovenrak-convert: "
              << core::EscapeForTerminal(converter.error().Message()) << "\n";
    return 1;
  }
  app::CliStreams streams{std::cin, std::cout, std::cerr,
                          ::isatty(STDERR_FILENO) == 1};
  return app::RunCli(*options, **converter, streams);
}
