// The command-line parser on any argument list (the input split at NUL
// bytes): bad usage is an error with a message, never a crash; the inputs
// are arguments given, in their order; and options written back in their
// long form parse to the same options.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/cli_options.h"
#include "fuzz_check.h"

namespace {

using namespace tovenrak;

const char* TargetName(core::Target target) {
  switch (target) {
    case core::Target::kGb:
      return "gb";
    case core::Target::kBig5:
      return "big5";
    case core::Target::kAuto:
      break;
  }
  return "auto";
}

// The options as a command line in long form, inputs after "--".
std::vector<std::string> Render(const app::CliOptions& o) {
  std::vector<std::string> args = {std::string("--to=") + TargetName(o.target),
                                   "--output=" + o.output_dir.string()};
  if (o.jobs != 0) args.push_back("--jobs=" + std::to_string(o.jobs));
  if (o.overwrite) args.push_back("--overwrite");
  if (o.help) args.push_back("--help");
  if (o.version) args.push_back("--version");
  args.push_back("--");
  args.insert(args.end(), o.inputs.begin(), o.inputs.end());
  return args;
}

bool IsSubsequence(const std::vector<std::string>& part,
                   const std::vector<std::string>& whole) {
  size_t i = 0;
  for (const std::string& s : whole) {
    if (i < part.size() && s == part[i]) ++i;
  }
  return i == part.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args;
  if (size > 0) {
    args.emplace_back();
    for (size_t i = 0; i < size; ++i) {
      if (data[i] == 0) {
        args.emplace_back();
      } else {
        args.back() += static_cast<char>(data[i]);
      }
    }
  }

  const core::Result<app::CliOptions> options = app::ParseCliOptions(args);
  if (!options) {
    FUZZ_CHECK(options.error().code == core::ErrorCode::kInvalidInput,
               "bad usage reported with the wrong error code");
    FUZZ_CHECK(!options.error().Message().empty(),
               "bad usage without a message");
    return 0;
  }
  const app::CliOptions& o = *options;
  FUZZ_CHECK(o.jobs <= 1024, "a job count out of range was accepted");
  FUZZ_CHECK(!o.output_dir.empty(), "an empty output folder was accepted");
  FUZZ_CHECK(!o.inputs.empty() || o.help || o.version,
             "no input and nothing else to do was accepted");
  FUZZ_CHECK(IsSubsequence(o.inputs, args),
             "the inputs are not arguments given, in their order");

  const core::Result<app::CliOptions> again = app::ParseCliOptions(Render(o));
  FUZZ_CHECK(again.has_value(), "options written back do not parse");
  FUZZ_CHECK(again->target == o.target && again->output_dir == o.output_dir &&
                 again->jobs == o.jobs && again->overwrite == o.overwrite &&
                 again->help == o.help && again->version == o.version &&
                 again->inputs == o.inputs,
             "options written back parse to different options");
  return 0;
}
