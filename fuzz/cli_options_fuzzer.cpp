// The command-line parser on any argument list (the input split at NUL
// bytes): bad usage is an error with a message, never a crash, and the
// inputs are arguments given, in their order.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/cli_options.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tovenrak;
  std::vector<std::string> args;
  if (size > 0) args.emplace_back();
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back() += static_cast<char>(data[i]);
    }
  }

  const core::Result<app::CliOptions> options = app::ParseCliOptions(args);
  if (!options) {
    FUZZ_CHECK(options.error().code == core::ErrorCode::kInvalidInput &&
                   !options.error().Message().empty(),
               "bad usage without the right code or a message");
    return 0;
  }
  FUZZ_CHECK(options->jobs <= 1024 && !options->output_dir.empty(),
             "a job count or output folder out of range was accepted");
  FUZZ_CHECK(!options->inputs.empty() || options->help || options->version,
             "no input and nothing else to do was accepted");
  size_t found = 0;
  for (const std::string& arg : args) {
    if (found < options->inputs.size() && arg == options->inputs[found])
      ++found;
  }
  FUZZ_CHECK(found == options->inputs.size(),
             "the inputs are not arguments given, in their order");
  return 0;
}
