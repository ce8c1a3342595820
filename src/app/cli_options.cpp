#include "app/cli_options.h"

#include <charconv>

namespace tovenrak::app {

namespace {

core::Error Usage(std::string message) {
  return core::Error{core::ErrorCode::kInvalidInput, std::move(message)};
}

core::Result<core::Target> ParseTarget(const std::string& value) {
  if (value == "gb") return core::Target::kGb;
  if (value == "big5") return core::Target::kBig5;
  if (value == "auto") return core::Target::kAuto;
  return Usage("invalid argument '" + value +
               "' for '--to' (valid: gb, big5, auto)");
}

core::Result<unsigned> ParseJobs(const std::string& value) {
  unsigned jobs = 0;
  const char* end = value.data() + value.size();
  auto [ptr, ec] = std::from_chars(value.data(), end, jobs);
  if (value.empty() || ec != std::errc() || ptr != end || jobs == 0 ||
      jobs > 1024) {
    return Usage("invalid number of jobs '" + value + "' (1 to 1024)");
  }
  return jobs;
}

}  // namespace

core::Result<CliOptions> ParseCliOptions(const std::vector<std::string>& args) {
  CliOptions options;
  bool only_files = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (only_files || arg == "-" || arg.empty() || arg[0] != '-') {
      options.inputs.push_back(arg);
      continue;
    }
    if (arg == "--") {
      only_files = true;
      continue;
    }

    // Options that take a value accept "--name VALUE", "--name=VALUE" and,
    // for the short forms, "-xVALUE".
    std::string name = arg, value;
    bool has_value = false;
    if (arg.rfind("--", 0) == 0) {
      if (size_t eq = arg.find('='); eq != std::string::npos) {
        name = arg.substr(0, eq);
        value = arg.substr(eq + 1);
        has_value = true;
      }
    } else if (arg.size() > 2) {
      name = arg.substr(0, 2);
      value = arg.substr(2);
      has_value = true;
    }
    auto take_value = [&]() -> core::Result<std::string> {
      if (has_value) return value;
      if (i + 1 >= args.size())
        return Usage("option '" + name + "' requires an argument");
      return args[++i];
    };
    auto no_value = [&]() -> core::Status {
      if (has_value)
        return Usage("option '" + name + "' doesn't allow an argument");
      return {};
    };

    if (name == "--to" || name == "-t") {
      auto v = take_value();
      if (!v) return v.error();
      auto target = ParseTarget(*v);
      if (!target) return target.error();
      options.target = *target;
    } else if (name == "--output" || name == "-o") {
      auto v = take_value();
      if (!v) return v.error();
      if (v->empty()) return Usage("empty output folder");
      options.output_dir = *v;
    } else if (name == "--jobs" || name == "-j") {
      auto v = take_value();
      if (!v) return v.error();
      auto jobs = ParseJobs(*v);
      if (!jobs) return jobs.error();
      options.jobs = *jobs;
    } else if (name == "--overwrite") {
      if (auto s = no_value(); !s) return s.error();
      options.overwrite = true;
    } else if (name == "--help" || name == "-h") {
      if (auto s = no_value(); !s) return s.error();
      options.help = true;
    } else if (name == "--version") {
      if (auto s = no_value(); !s) return s.error();
      options.version = true;
    } else if (arg.rfind("--", 0) == 0) {
      return Usage("unrecognized option '" + name + "'");
    } else {
      return Usage("invalid option -- '" + arg.substr(1, 1) + "'");
    }
  }
  if (options.inputs.empty() && !options.help && !options.version) {
    return Usage("missing file operand");
  }
  return options;
}

std::string CliUsage() {
  return R"(Usage: tovenrak-convert [OPTION]... FILE...
Convert Chinese web pages and text files between Big5 and GB (GBK), and
rewrite each page's charset declaration to name its new encoding.

With FILE of -, read standard input and write the result to standard output.
Each other FILE is written under its own name into the output folder.

  -t, --to=WHICH      gb, big5 or auto (default): auto converts a file that
                        mentions "big5" anywhere to GB, any other to Big5
  -o, --output=DIR    write converted files into DIR (default: the current
                        folder); DIR must exist
  -j, --jobs=N        convert N files at a time (default: one per core)
      --overwrite     allow writing over an input file
  -h, --help          display this help and exit
      --version       output version information and exit

Characters with no code in the target encoding are written as HTML
references (&#N;); bytes that are not valid in the source encoding are
kept unchanged. A failed file is reported and never half written.

Exit status:
 0  if all files were converted,
 1  if some files failed,
 2  if the command line was wrong.
)";
}

}  // namespace tovenrak::app
