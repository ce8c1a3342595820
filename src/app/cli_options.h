// Command-line options of tovenrak-convert.

#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/cli_messages.h"
#include "core/convert_document.h"
#include "core/io/document_tree.h"
#include "core/result.h"

namespace tovenrak::app {

enum class Verbosity : uint8_t {
  kQuiet,    // Failures only.
  kNormal,   // Failures, warnings and the summary.
  kVerbose,  // Also a line per file: encodings, why, counts; skipped files.
};

struct CliOptions {
  core::ConversionRequest request;  // The default request is "auto".
  std::filesystem::path output_dir = ".";
  unsigned jobs = 0;  // 0: one per core.
  bool overwrite = false;
  bool recursive = false;     // Folders are converted as trees.
  bool output_given = false;  // --output was on the command line.
  // --ambiguities: request.find_ambiguities is set and the points listed.
  bool list_ambiguities = false;
  std::vector<std::string> phrase_files;  // In order; a later one wins.
  // Of the files converted in folders, lower case, without the dot.
  std::vector<std::string> extensions = core::DocumentExtensions();
  Verbosity verbosity = Verbosity::kNormal;
  bool help = false;
  bool version = false;
  std::vector<std::string> inputs;  // "-" stands for standard input.
};

// Parses the arguments after the program name. With no file named, standard
// input is the input, unless `stdin_is_terminal`. Fails with kInvalidInput
// and a message in the GNU style ("unrecognized option '--x'"), as `say`
// words it, on bad usage.
core::Result<CliOptions> ParseCliOptions(std::vector<std::string> args,
                                         bool stdin_is_terminal = true,
                                         const Messages& say = Messages());

// The text printed by --help, as `say` words it.
std::string CliUsage(const Messages& say = Messages());

}  // namespace tovenrak::app
