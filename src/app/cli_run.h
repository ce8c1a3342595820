// Running tovenrak-convert once its command line is parsed.

#pragma once

#include <iosfwd>

#include "app/cli_options.h"
#include "core/convert/converter.h"

namespace tovenrak::app {

struct CliStreams {
  std::istream& in;   // Read for the input "-".
  std::ostream& out;  // Receives the conversion of "-".
  std::ostream&
      err;  // Failures, the summary and, if `progress`, a progress bar.
  bool progress = false;
};

// Converts every input of `options` with `converter` and reports on
// `streams.err`, worded by `say`: one line per failed input with its reason,
// then a summary (with --quiet, failures only). The output folder is created
// when missing. Files are converted in parallel and saved by
// core::SaveDocument into the output folder under their own names, as
// core::PlanOutputs decides: an input is never written over unless
// options.overwrite (and never by another input's output), two inputs with
// the same name do not overwrite each other's output, and a file listed twice
// is converted once. With options.recursive a folder's documents
// (core::ListDocuments) are written under their paths below it, their
// folders created without following links; other files are counted as
// skipped. A file that fails, even for want of memory, is reported and the
// run goes on; if worker threads cannot be started, fewer do the work. Names
// and OS reasons are printed with control characters escaped
// (core::EscapeForTerminal). Returns the exit status: 0 when every input was
// converted, 1 when some failed. The output folder's file system is synced
// once at the end (core::DeferredSync); if that fails every file written
// counts as failed.
//
// The files of options.phrase_files are read first, into one list of user
// phrases (a later file winning); a file that cannot be read, or a bad line
// in it, is reported and nothing is converted (status 1). With
// options.list_ambiguities each converted input's ambiguity points are
// written to `streams.out`, one core::ListingLine each, named as the input
// is ("-" for standard input, escaped); files are then written only when
// options.output_given, and the conversion of standard input is not written.
// REQUIRES: !options.help && !options.version
int RunCli(const CliOptions& options, const core::Converter& converter,
           CliStreams& streams, const Messages& say = Messages());

}  // namespace tovenrak::app
