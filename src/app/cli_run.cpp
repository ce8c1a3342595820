#include "app/cli_run.h"

#include <algorithm>
#include <atomic>
#include <iostream>
#include <iterator>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "core/encoding/detection.h"
#include "core/encoding/encoding.h"
#include "core/io/deferred_sync.h"
#include "core/io/escape_for_terminal.h"
#include "core/io/file_io.h"
#include "core/io/output_plan.h"

namespace tovenrak::app {

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "tovenrak-convert: ";

struct Job {
  std::string input;
  fs::path destination;
  std::optional<std::string> failure;  // Printable: names escaped.
  size_t references = 0;
  size_t invalid_units = 0;
  std::string report = {};  // What happened to it: --verbose, warnings.
  bool invalid_utf8_output = false;
};

// "Big5 (declaration) -> GB, simplified", with what the file declared when
// its bytes said otherwise.
std::string Describe(const core::DocumentConversion& done) {
  std::string text = std::string(core::DisplayName(done.source.encoding)) +
                     " (" + std::string(core::ReasonName(done.source.reason));
  if (done.source.declared && *done.source.declared != done.source.encoding)
    text +=
        ", declared " + std::string(core::DisplayName(*done.source.declared));
  text += ") -> " + std::string(core::DisplayName(done.target)) + ", ";
  text += !done.script                                ? "script kept"
          : *done.script == core::Script::kSimplified ? "simplified"
                                                      : "traditional";
  text += "; " + std::to_string(done.references) + " references, " +
          std::to_string(done.invalid_units) + " invalid byte sequences";
  return text;
}

void Record(Job& job, const core::DocumentConversion& done) {
  job.references = done.references;
  job.invalid_units = done.invalid_units;
  job.report = Describe(done);
  job.invalid_utf8_output =
      done.target == core::Encoding::kUtf8 && done.invalid_units > 0;
}

std::string Quoted(const std::string& name) {
  return "'" + core::EscapeForTerminal(name) + "'";
}

// Decides each file's destination by the shared output policy; refused
// files carry their reason, a file listed again is left out.
std::vector<Job> PlanJobs(const CliOptions& options) {
  std::vector<fs::path> inputs;
  std::vector<std::string> names;
  for (const std::string& input : options.inputs) {
    if (input == "-") continue;
    inputs.emplace_back(input);
    names.push_back(inputs.back().filename().string());
  }
  const std::vector<core::PlannedOutput> plan =
      core::PlanOutputs(inputs, names, options.output_dir, options.overwrite);
  std::vector<Job> jobs;
  for (size_t i = 0; i < plan.size(); ++i) {
    const std::string& other = inputs[plan[i].other].native();
    Job job{inputs[i].native(), plan[i].output, {}, 0, 0};
    switch (plan[i].verdict) {
      case core::OutputVerdict::kWrite:
        break;
      case core::OutputVerdict::kRepeat:
        continue;
      case core::OutputVerdict::kNoName:
        job.failure = "not a file name";
        break;
      case core::OutputVerdict::kOverInput:
        job.failure = "would write over input file " + Quoted(other) +
                      (plan[i].other == i ? " (use --overwrite)"
                                          : "; output not written");
        break;
      case core::OutputVerdict::kSameOutput:
        job.failure =
            "has the same name as " + Quoted(other) + "; output not written";
        break;
    }
    jobs.push_back(std::move(job));
  }
  return jobs;
}

// The report of a failed conversion: a failed save names the output.
std::string Describe(const core::Error& error, const Job& job) {
  if (error.path.empty() || error.path == job.input)
    return core::EscapeForTerminal(error.reason);
  if (error.path == job.destination.native()) {
    return "cannot write " + Quoted(error.path) + ": " +
           core::EscapeForTerminal(error.reason);
  }
  return core::EscapeForTerminal(error.Message());
}

// A one-line bar redrawn on a terminal.
class ProgressBar {
 public:
  ProgressBar(std::ostream& err, bool enabled, size_t total)
      : err_(err), enabled_(enabled && total > 0), total_(total) {}

  void Advance() {
    if (!enabled_) return;
    std::lock_guard lock(mutex_);
    ++done_;
    const size_t width = 40, filled = done_ * width / total_;
    err_ << "\r[" << std::string(filled, '#')
         << std::string(width - filled, ' ') << "] " << done_ << "/" << total_
         << std::flush;
  }
  void Finish() {
    if (enabled_) err_ << "\r" << std::string(60, ' ') << "\r" << std::flush;
  }

 private:
  std::ostream& err_;
  const bool enabled_;
  const size_t total_;
  size_t done_ = 0;
  std::mutex mutex_;
};

void ConvertJob(Job& job, const CliOptions& options,
                const core::Converter& converter, core::Durability durability) {
  try {
    auto done = core::ConvertFile(converter, job.input, job.destination,
                                  options.request, durability);
    if (done) {
      Record(job, *done);
    } else {
      job.failure = Describe(done.error(), job);
    }
  } catch (const std::exception& e) {
    // Core returns its failures as values; this is the last guard, so that
    // one file's failure never ends the run without its summary.
    job.failure = core::EscapeForTerminal(e.what());
  }
}

void ConvertJobs(std::vector<Job>& jobs, const CliOptions& options,
                 const core::Converter& converter, core::Durability durability,
                 ProgressBar& bar) {
  std::atomic<size_t> next{0};
  auto work = [&]() {
    for (size_t i; (i = next.fetch_add(1)) < jobs.size();) {
      if (!jobs[i].failure) ConvertJob(jobs[i], options, converter, durability);
      bar.Advance();
    }
  };
  unsigned threads =
      options.jobs != 0 ? options.jobs : std::thread::hardware_concurrency();
  threads =
      std::clamp<unsigned>(threads, 1, static_cast<unsigned>(jobs.size()));
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) {
    try {
      pool.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // The workers that started, and this thread, do the rest.
    }
  }
  work();
  for (std::thread& t : pool) t.join();
}

// Converts standard input to standard output.
Job ConvertStandardInput(const CliOptions& options,
                         const core::Converter& converter,
                         CliStreams& streams) {
  Job job{"-", {}, {}, 0, 0};
  std::string text;
  char buffer[1 << 16];
  while (streams.in.read(buffer, sizeof buffer) || streams.in.gcount() > 0) {
    text.append(buffer, static_cast<size_t>(streams.in.gcount()));
    if (text.size() > core::kMaxDocumentBytes) {
      job.failure = "standard input is larger than " +
                    std::to_string(core::kMaxDocumentBytes >> 20) + " MiB";
      return job;
    }
  }
  if (streams.in.bad()) {
    job.failure = "cannot read standard input";
    return job;
  }
  auto done = core::ConvertDocument(converter, text, options.request);
  if (!done) {
    job.failure = core::EscapeForTerminal(done.error().Message());
    return job;
  }
  streams.out.write(done->text.data(),
                    static_cast<std::streamsize>(done->text.size()));
  streams.out.flush();
  if (!streams.out) job.failure = "cannot write standard output";
  Record(job, *done);
  return job;
}

}  // namespace

int RunCli(const CliOptions& options, const core::Converter& converter,
           CliStreams& streams) {
  std::vector<Job> jobs = PlanJobs(options);
  std::error_code ec;
  if (!jobs.empty() && !fs::is_directory(options.output_dir, ec)) {
    streams.err << kProgram << "output folder "
                << Quoted(options.output_dir.native())
                << " does not exist or is not a folder\n";
    return 1;
  }

  std::vector<Job> done;
  const size_t stdin_uses =
      std::count(options.inputs.begin(), options.inputs.end(), "-");
  for (size_t i = 0; i < stdin_uses; ++i) {
    if (i > 0) {
      done.push_back(Job{"-", {}, "standard input was already read", 0, 0});
      continue;
    }
    try {
      done.push_back(ConvertStandardInput(options, converter, streams));
    } catch (const std::exception& e) {
      done.push_back(Job{"-", {}, core::EscapeForTerminal(e.what()), 0, 0});
    }
  }
  // Every output goes into one folder: its file system is synced once, after
  // the last save, instead of once per file. Where the folder cannot be
  // opened for that, each save syncs on its own.
  core::DeferredSync deferred;
  const bool defer = !jobs.empty() && deferred.Add(options.output_dir);
  ProgressBar bar(streams.err, streams.progress, jobs.size());
  ConvertJobs(jobs, options, converter,
              defer ? core::Durability::kDeferred : core::Durability::kNow,
              bar);
  bar.Finish();
  if (defer) {
    if (const core::Status synced = deferred.SyncAll().front(); !synced) {
      for (Job& job : jobs) {
        if (!job.failure) {
          job.failure = "written, but not safely on disk: " +
                        core::EscapeForTerminal(synced.error().reason);
        }
      }
    }
  }
  std::move(jobs.begin(), jobs.end(), std::back_inserter(done));

  size_t converted = 0, failed = 0, references = 0, invalid = 0;
  for (const Job& job : done) {
    if (job.failure) {
      ++failed;
      streams.err << kProgram << core::EscapeForTerminal(job.input) << ": "
                  << *job.failure << "\n";
    } else {
      ++converted;
      references += job.references;
      invalid += job.invalid_units;
      if (options.verbose) {
        streams.err << kProgram << core::EscapeForTerminal(job.input) << ": "
                    << job.report << "\n";
      }
      if (job.invalid_utf8_output) {
        streams.err << kProgram << core::EscapeForTerminal(job.input)
                    << ": warning: output is not valid UTF-8: "
                    << job.invalid_units
                    << " invalid byte sequences kept as they were\n";
      }
    }
  }
  streams.err << kProgram << converted << (converted == 1 ? " file" : " files")
              << " converted, " << failed << " failed, " << references
              << " characters written as references, " << invalid
              << " invalid byte sequences passed through\n";
  return failed == 0 ? 0 : 1;
}

}  // namespace tovenrak::app
