#include "app/cli_run.h"

#include <algorithm>
#include <atomic>
#include <iostream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "core/io/file_io.h"

namespace tovenrak::app {

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "tovenrak-convert: ";

struct Job {
  std::string input;
  fs::path destination;
  std::optional<std::string> failure;  // Set before the run or by it.
  size_t references = 0;
  size_t invalid_units = 0;
};

fs::path Canonical(const fs::path& path) {
  std::error_code ec;
  fs::path canonical = fs::weakly_canonical(path, ec);
  return ec ? fs::absolute(path, ec) : canonical;
}

// Decides each file's destination and refuses those that would write over an
// input or over another input's output.
std::vector<Job> PlanJobs(const CliOptions& options) {
  std::vector<Job> jobs;
  std::map<fs::path, std::string> inputs;
  for (const std::string& input : options.inputs) {
    if (input != "-") inputs.emplace(Canonical(input), input);
  }
  std::map<fs::path, std::string> destinations;
  for (const std::string& input : options.inputs) {
    if (input == "-") continue;
    Job job{input, {}, {}, 0, 0};
    const fs::path name = fs::path(input).filename();
    if (name.empty() || name == "." || name == "..") {
      job.failure = "not a file name";
      jobs.push_back(job);
      continue;
    }
    job.destination = options.output_dir / name;
    const fs::path canonical = Canonical(job.destination);
    if (auto it = inputs.find(canonical);
        it != inputs.end() && !options.overwrite) {
      job.failure =
          "would write over input file '" + it->second + "' (use --overwrite)";
    } else if (auto [it2, fresh] = destinations.emplace(canonical, input);
               !fresh) {
      job.failure =
          "has the same name as '" + it2->second + "'; output not written";
    }
    jobs.push_back(job);
  }
  return jobs;
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

void ConvertJobs(std::vector<Job>& jobs, const CliOptions& options,
                 const core::Converter& converter, ProgressBar& bar) {
  std::atomic<size_t> next{0};
  auto work = [&]() {
    for (size_t i; (i = next.fetch_add(1)) < jobs.size();) {
      Job& job = jobs[i];
      if (!job.failure) {
        auto done = core::ConvertFile(converter, job.input, job.destination,
                                      options.request);
        if (done) {
          job.references = done->references;
          job.invalid_units = done->invalid_units;
        } else {
          job.failure = done.error().Message();
        }
      }
      bar.Advance();
    }
  };
  unsigned threads =
      options.jobs != 0 ? options.jobs : std::thread::hardware_concurrency();
  threads =
      std::clamp<unsigned>(threads, 1, static_cast<unsigned>(jobs.size()));
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
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
    job.failure = done.error().Message();
    return job;
  }
  streams.out.write(done->text.data(),
                    static_cast<std::streamsize>(done->text.size()));
  streams.out.flush();
  if (!streams.out) job.failure = "cannot write standard output";
  job.references = done->references;
  job.invalid_units = done->invalid_units;
  return job;
}

}  // namespace

int RunCli(const CliOptions& options, const core::Converter& converter,
           CliStreams& streams) {
  std::vector<Job> jobs = PlanJobs(options);
  std::error_code ec;
  if (!jobs.empty() && !fs::is_directory(options.output_dir, ec)) {
    streams.err << kProgram << "output folder '" << options.output_dir.string()
                << "' does not exist or is not a folder\n";
    return 1;
  }

  std::vector<Job> done;
  const size_t stdin_uses =
      std::count(options.inputs.begin(), options.inputs.end(), "-");
  for (size_t i = 0; i < stdin_uses; ++i) {
    done.push_back(i == 0
                       ? ConvertStandardInput(options, converter, streams)
                       : Job{"-", {}, "standard input was already read", 0, 0});
  }
  ProgressBar bar(streams.err, streams.progress, jobs.size());
  ConvertJobs(jobs, options, converter, bar);
  bar.Finish();
  std::move(jobs.begin(), jobs.end(), std::back_inserter(done));

  size_t converted = 0, failed = 0, references = 0, invalid = 0;
  for (const Job& job : done) {
    if (job.failure) {
      ++failed;
      // A read failure's reason already begins with the input's path.
      const std::string& reason = *job.failure;
      const bool names_input = reason.rfind(job.input + ":", 0) == 0;
      streams.err << kProgram << (names_input ? "" : job.input + ": ") << reason
                  << "\n";
    } else {
      ++converted;
      references += job.references;
      invalid += job.invalid_units;
    }
  }
  streams.err << kProgram << converted << (converted == 1 ? " file" : " files")
              << " converted, " << failed << " failed, " << references
              << " characters written as references, " << invalid
              << " invalid byte sequences passed through\n";
  return failed == 0 ? 0 : 1;
}

}  // namespace tovenrak::app
