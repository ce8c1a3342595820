// Command-line options of tovenrak-convert.

#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/convert_document.h"
#include "core/result.h"

namespace tovenrak::app {

struct CliOptions {
  core::ConversionRequest request;  // The default request is "auto".
  std::filesystem::path output_dir = ".";
  unsigned jobs = 0;  // 0: one per core.
  bool overwrite = false;
  bool verbose = false;  // One line per file: encodings, why, counts.
  bool help = false;
  bool version = false;
  std::vector<std::string> inputs;  // "-" stands for standard input.
};

// Parses the arguments after the program name. Fails with kInvalidInput and a
// message in the GNU style ("unrecognized option '--x'") on bad usage.
core::Result<CliOptions> ParseCliOptions(const std::vector<std::string>& args);

// The text printed by --help.
std::string CliUsage();

}  // namespace tovenrak::app
