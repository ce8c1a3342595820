#include "app/cli_run.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <iterator>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "core/convert/user_phrases.h"
#include "core/encoding/detection.h"
#include "core/encoding/encoding.h"
#include "core/encoding/run_encoding.h"
#include "core/encoding/utf8.h"
#include "core/io/deferred_sync.h"
#include "core/io/document_tree.h"
#include "core/io/file_io.h"
#include "core/io/held_files.h"
#include "core/io/make_folders.h"
#include "core/io/output_plan.h"
#include "core/io/reserve_large.h"
#include "core/reading_problems.h"

namespace tovenrak::app {

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "tovenrak-convert: ";

// With the system's reason when the failed write left one (a full disk, a
// file size limit, a closed pipe).
std::string CannotWriteStandardOutput(int error, const Messages& say) {
  if (error == 0) return say("cannot write standard output");
  return say("cannot write standard output: {0}",
             {say.Shown(std::strerror(error))});
}

struct Job {
  std::string input;
  fs::path destination;
  std::optional<std::string> failure;  // Printable: names escaped.
  fs::path subfolder = {};  // Below the output folder, for a tree's file.
  size_t references = 0;
  size_t invalid_units = 0;
  size_t server_references = 0;  // Of `references`.
  size_t php_backslash_endings = 0;
  size_t quote_escapes = 0;
  size_t beyond_cp950 = 0;
  char32_t first_beyond_cp950 = 0;
  bool from_utf16 = false;
  core::Encoding target = core::Encoding::kUtf8;
  std::string report = {};  // What happened to it: --verbose, warnings.
  // Into which encoding invalid byte sequences were kept, if any.
  std::optional<core::Encoding> invalid_output = {};
  std::optional<std::string> markup_problem = {};
  std::optional<core::OtherEncodingLines> other_lines = {};
  std::vector<core::AmbiguityPoint> points = {};
  // How its encoding was found, once converted or deferred.
  std::optional<core::Detection> source = {};
  bool deferred = false;  // Left for the run's encoding to settle.
  std::optional<std::string> kept = {};  // The bytes of a deferred file.
  uint32_t permissions = 0777;  // The input's, once read: the output's most.
  // The file system its save left to the run's sync, as core::DeferredSync
  // numbers them.
  std::optional<size_t> file_system = {};
  // The folder it was found in by walking it, open, that folder's path and
  // its own below it; tree is null for a file named on its own.
  std::shared_ptr<const core::OpenFolder> tree = {};
  fs::path tree_path = {};
  fs::path in_tree = {};
};

// The bytes of the job's input, and its permissions into the job's: a file
// of a walked tree through no link.
core::Result<std::string> ReadInput(Job& job) {
  return job.tree ? core::ReadDocumentBelow(
                        *job.tree, job.tree_path, job.in_tree,
                        core::kMaxDocumentBytes, &job.permissions)
                  : core::ReadDocument(job.input, core::kMaxDocumentBytes,
                                       &job.permissions);
}

// "Big5 (declaration) -> GB, simplified", with what the file declared when
// its bytes said otherwise.
std::string Describe(const core::DocumentConversion& done,
                     const Messages& say) {
  const std::string source(
      done.from_utf16 ? "UTF-16" : core::DisplayName(done.source.encoding));
  // The last rule is said as it went for this file, as what settled a tie.
  const std::string reason =
      done.source.reason != core::DetectionReason::kBig5Rule
          ? say(core::ReasonName(done.source.reason))
      : done.source.encoding == core::Encoding::kBig5
          ? say("read as well either way; it mentions big5")
          : say("read as well either way; it does not mention big5");
  // A GBK declaration read as GB18030 by its four-byte characters is
  // followed, not contradicted.
  std::string from =
      done.source.declared && *done.source.declared != done.source.encoding &&
              done.source.reason != core::DetectionReason::kDeclaration
          ? say("{0} ({1}, declared {2})",
                {source, reason, core::DisplayName(*done.source.declared)})
          : say("{0} ({1})", {source, reason});
  const std::string script = !done.script ? say("script kept")
                             : *done.script == core::Script::kSimplified
                                 ? say("simplified")
                                 : say("traditional");
  return say(
      "{0} -> {1}, {2}; {3} references, {4} invalid byte sequences",
      {from, core::DisplayName(done.target),
       script + say(done.as_markup ? ", as markup" : ", as text"),
       std::to_string(done.references), std::to_string(done.invalid_units)});
}

void Record(Job& job, const core::DocumentConversion& done,
            const Messages& say) {
  job.references = done.references;
  job.invalid_units = done.invalid_units;
  job.server_references = done.server_references;
  job.php_backslash_endings = done.php_backslash_endings;
  job.quote_escapes = done.quote_escapes;
  job.beyond_cp950 = done.beyond_cp950;
  job.first_beyond_cp950 = done.first_beyond_cp950;
  job.from_utf16 = done.from_utf16;
  job.target = done.target;
  job.report = Describe(done, say);
  if (done.invalid_units > 0) job.invalid_output = done.target;
  job.markup_problem = done.markup_problem;
  job.other_lines = done.other_lines;
  job.points = done.points;
  job.source = done.source;
}

// Whether converted files are written: not when only the ambiguities are
// listed.
bool WritesFiles(const CliOptions& options) {
  return !options.list_ambiguities || options.output_given;
}

// The user phrases of options.phrase_files, as one list.
core::Result<std::shared_ptr<const core::UserPhrases>> LoadPhrases(
    const CliOptions& options) {
  core::PhraseList list;
  for (const std::string& file : options.phrase_files) {
    if (core::Status loaded = core::LoadPhraseFile(file, list); !loaded)
      return loaded.error();
  }
  return std::make_shared<const core::UserPhrases>(std::move(list));
}

std::string Quoted(const std::string& name, const Messages& say) {
  return "'" + say.Shown(name) + "'";
}

// The inputs of a run once folders are walked.
struct Inputs {
  std::vector<fs::path> paths;
  std::vector<std::string> names;  // Below the output folder.
  // The folder each was found in by walking it, open since before it was
  // walked, else null: it is read below that folder through no link
  // (core::ReadDocumentBelow).
  struct Root {
    std::shared_ptr<const core::OpenFolder> folder;
    fs::path path;  // As given.
  };
  std::vector<Root> roots;
  // Documents of the trees in the output folder, which are not converted.
  std::vector<fs::path> kept;
  std::vector<Job> failed;           // Folders that could not be read.
  std::vector<std::string> skipped;  // Reports of files not converted.
};

Inputs ListInputs(const CliOptions& options, const Messages& say) {
  Inputs inputs;
  for (const std::string& input : options.inputs) {
    if (input == "-") continue;
    std::error_code ec;
    if (!fs::is_directory(input, ec)) {
      inputs.paths.emplace_back(input);
      inputs.names.push_back(inputs.paths.back().filename().string());
      inputs.roots.emplace_back();
      continue;
    }
    if (!options.recursive) {
      inputs.failed.push_back(
          Job{input, {}, say("is a folder (use --recursive)")});
      continue;
    }
    // Opened before it is walked: its files are read below this folder,
    // whatever its path is made to lead to later.
    core::Result<core::OpenFolder> opened = core::OpenExistingFolder(input);
    if (!opened) {
      inputs.failed.push_back(Job{input, {}, say.Shown(opened.error().reason)});
      continue;
    }
    const auto root =
        std::make_shared<const core::OpenFolder>(std::move(*opened));
    core::DocumentTree tree =
        core::ListDocuments(input, options.extensions, options.output_dir);
    for (auto& document : tree.documents) {
      inputs.paths.push_back(std::move(document.path));
      inputs.names.push_back(document.relative.string());
      inputs.roots.push_back({root, input});
    }
    for (const fs::path& kept : tree.kept) {
      inputs.skipped.push_back(say.Shown(kept.string()) + ": " +
                               say("skipped (in the output folder)"));
    }
    inputs.kept.insert(inputs.kept.end(), tree.kept.begin(), tree.kept.end());
    for (const auto& skipped : tree.skipped) {
      inputs.skipped.push_back(
          say.Shown(skipped.path.string()) + ": " +
          say(skipped.why == core::DocumentTree::Skip::kLink
                  ? "skipped (a link; links are not followed)"
                  : "skipped (not a document)"));
    }
    for (const core::Error& error : tree.failures) {
      inputs.failed.push_back(Job{error.path, {}, say.Shown(error.reason)});
    }
  }
  return inputs;
}

// Whether `output` is the very entry `input` names, and that is a link: a
// file saved there replaces the link, whose file keeps its old text while
// the new one is made with the mode of a new file.
bool IsLinkToItself(const fs::path& input, const fs::path& output) {
  struct stat entry {};
  if (::lstat(output.c_str(), &entry) != 0 || !S_ISLNK(entry.st_mode) ||
      input.filename() != output.filename())
    return false;
  std::error_code failed;
  const fs::path in_folder =
      input.parent_path().empty() ? fs::path(".") : input.parent_path();
  const fs::path out_folder =
      output.parent_path().empty() ? fs::path(".") : output.parent_path();
  return fs::equivalent(in_folder, out_folder, failed) && !failed;
}

// Decides each file's destination by the shared output policy; refused
// files carry their reason, a file listed again is left out and reported
// as skipped.
std::vector<Job> PlanJobs(Inputs& inputs, const CliOptions& options,
                          const Messages& say) {
  if (!WritesFiles(options)) {
    std::vector<Job> jobs;
    for (size_t i = 0; i < inputs.paths.size(); ++i) {
      jobs.push_back(Job{inputs.paths[i], {}, {}});
      jobs.back().tree = inputs.roots[i].folder;
      jobs.back().tree_path = inputs.roots[i].path;
      jobs.back().in_tree = inputs.names[i];
    }
    return jobs;
  }
  const std::vector<core::PlannedOutput> plan = core::PlanOutputs(
      inputs.paths, inputs.names, options.output_dir, options.overwrite,
      options.overwrite ? std::vector<fs::path>{} : inputs.kept);
  std::vector<Job> jobs;
  for (size_t i = 0; i < plan.size(); ++i) {
    const std::string& other = inputs.paths[plan[i].other].native();
    Job job{inputs.paths[i].native(),
            plan[i].output,
            {},
            fs::path(inputs.names[i]).parent_path()};
    job.tree = inputs.roots[i].folder;
    job.tree_path = inputs.roots[i].path;
    job.in_tree = inputs.names[i];
    switch (plan[i].verdict) {
      case core::OutputVerdict::kWrite:
        if (core::IsHeldByLock(plan[i].output)) {
          job.failure =
              say("would write over {0}, which a running program holds (a "
                  "window's preview file); output not written",
                  {Quoted(plan[i].output.native(), say)});
        } else if (options.overwrite && !job.tree &&
                   IsLinkToItself(inputs.paths[i], plan[i].output)) {
          job.failure =
              say("a link: --overwrite would replace the link, not convert the "
                  "file it points to; name that file");
        }
        break;
      case core::OutputVerdict::kRepeat:
        inputs.skipped.push_back(
            say.Shown(inputs.paths[i].string()) + ": " +
            say("skipped (the same file as {0})", {Quoted(other, say)}));
        continue;
      case core::OutputVerdict::kNoName:
        job.failure = say("not a file name");
        break;
      case core::OutputVerdict::kOverInput:
        // An input that is not there fails for that, not for its output.
        if (std::error_code missing;
            plan[i].other == i && !fs::exists(inputs.paths[i], missing)) {
          job.failure =
              say.Shown(missing ? missing.message() : std::strerror(ENOENT));
          break;
        }
        job.failure =
            say(plan[i].other == i
                    ? "would write over input file {0} (use --overwrite)"
                    : "would write over input file {0}; output not written",
                {Quoted(other, say)});
        break;
      case core::OutputVerdict::kSameOutput:
        job.failure = say("has the same name as {0}; output not written",
                          {Quoted(other, say)});
        break;
      case core::OutputVerdict::kOverKept:
        job.failure = say(
            "would write over {0}, a file of the folder being converted (use "
            "--overwrite)",
            {Quoted(plan[i].output.native(), say)});
        break;
    }
    jobs.push_back(std::move(job));
  }
  return jobs;
}

// Why a document was refused for what it holds, in the user's language, and
// for a refusal by its encoding what can be done about it (name it, when it
// is Chinese after all); empty for other failures.
std::string Refusal(std::string_view reason, const Messages& say) {
  if (reason.starts_with(core::kOtherEncodingReason)) {
    return say(core::kOtherEncodingReason) +
           say.Shown(reason.substr(core::kOtherEncodingReason.size())) +
           say(" (if it is in Big5, GB or UTF-8 after all, name that with "
               "--from)");
  }
  if (reason == core::kSingleByteLettersReason ||
      reason == core::kJapaneseOrKoreanReason) {
    return say(reason) +
           say(" (if it is Chinese, name its encoding with --from)");
  }
  if (reason == core::kNamedOverUtf16Reason)
    return say(reason) + say(" (leave out --from to read it as UTF-16)");
  if (reason == core::kBinaryReason || reason == core::kUtf16Reason)
    return say(reason);
  return {};
}

// A reason of the reader's own, markup that does not end or a bad line of a
// phrase file, in the user's language.
std::string SayReadingProblem(std::string_view reason, const Messages& say) {
  if (std::optional<std::string> chinese =
          core::ReadingProblemInChinese(reason)) {
    if (std::optional<std::string> said = say.Chinese(*chinese)) return *said;
  }
  return std::string(reason);
}

// The report of a failed conversion: a failed save names the output.
std::string Describe(const core::Error& error, const Job& job,
                     const Messages& say) {
  if (std::string refusal = Refusal(error.reason, say); !refusal.empty())
    return refusal;
  // In place, the input is the destination: a save says so.
  const bool save =
      error.path == job.destination.native() &&
      (error.path != job.input || error.code == core::ErrorCode::kNotWritable);
  if (!save && (error.path.empty() || error.path == job.input))
    return say.Shown(SayReadingProblem(error.reason, say));
  if (save) {
    return say("cannot write {0}: {1}",
               {Quoted(error.path, say), say.Shown(error.reason)});
  }
  return say.Shown(error.Message());
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

// Each worker holds a few files open at once (the file read, the folder and
// the file it saves into): more workers than the process may open files for
// would fail files that one worker converts.
constexpr rlim_t kFilesPerWorker = 8;
constexpr rlim_t kFilesBesideWorkers = 64;

// How many threads to convert with: -j, or one for each core, as many as
// the process may open files for.
unsigned Threads(const CliOptions& options) {
  unsigned wanted = std::max(
      options.jobs != 0 ? options.jobs : std::thread::hardware_concurrency(),
      1u);
  rlimit files{};
  if (::getrlimit(RLIMIT_NOFILE, &files) == 0 &&
      files.rlim_cur != RLIM_INFINITY) {
    const rlim_t room =
        files.rlim_cur > kFilesBesideWorkers
            ? (files.rlim_cur - kFilesBesideWorkers) / kFilesPerWorker
            : 0;
    wanted = static_cast<unsigned>(
        std::clamp<rlim_t>(room, 1, static_cast<rlim_t>(wanted)));
  }
  return wanted;
}

void ConvertJob(Job& job, const CliOptions& options,
                const core::Converter& converter, const Messages& say,
                core::DeferredSync* deferred, unsigned threads,
                const core::Result<core::OpenFolder>& output,
                core::LastSubfolder& last) {
  core::ConversionRequest request = options.request;
  request.threads = threads;
  job.deferred = false;
  job.file_system.reset();
  core::Durability durability = core::Durability::kNow;
  try {
    const bool writes = WritesFiles(options);
    const core::OpenFolder* folder = nullptr;
    if (writes || !job.subfolder.empty()) {
      core::Result<const core::OpenFolder*> made =
          output ? last.Open(*output, options.output_dir, job.subfolder,
                             job.tree.get())
                 : core::Result<const core::OpenFolder*>(output.error());
      if (made) {
        folder = *made;
        // The folder may be on a file system of its own, mounted in the
        // output folder's tree: each is synced.
        if (deferred != nullptr) {
          if (const core::Result<size_t> noted = deferred->Add(
                  folder->fd(), options.output_dir / job.subfolder)) {
            job.file_system = *noted;
            durability = core::Durability::kDeferred;
          }
        }
      } else if (!job.subfolder.empty()) {
        job.failure = say(
            "cannot create folder {0}: {1}",
            {Quoted(made.error().path, say), say.Shown(made.error().reason)});
        return;
      }
      // The output folder itself that cannot be opened: the save says why.
    }
    // A deferred file is converted from the bytes read the first time: the
    // file may have been replaced since, by another or by a link.
    std::optional<std::string> kept = std::move(job.kept);
    job.kept.reset();
    core::Result<core::DocumentConversion> done =
        core::Error{core::ErrorCode::kInvalidInput, {}};
    core::Result<std::string> text =
        kept ? core::Result<std::string>(std::move(*kept)) : ReadInput(job);
    if (!text) {
      done = text.error();
    } else if (writes) {
      done = core::ConvertFileBytes(converter, std::move(*text), job.input,
                                    job.destination, request, durability,
                                    folder, job.permissions);
    } else {
      done = core::ConvertDocument(converter, *text, request,
                                   fs::path(job.input).filename().string());
      if (done && done->deferred) done->text = std::move(*text);
    }
    if (done && done->deferred) {
      job.deferred = true;
      job.source = done->source;
      job.kept = std::move(done->text);
    } else if (done) {
      Record(job, *done, say);
    } else {
      job.failure = Describe(done.error(), job, say);
    }
  } catch (const std::exception& e) {
    // Core returns its failures as values; this is the last guard, so that
    // one file's failure never ends the run without its summary.
    job.failure = say.Shown(e.what());
  }
}

void ConvertJobs(std::vector<Job>& jobs, const CliOptions& options,
                 const core::Converter& converter, const Messages& say,
                 core::DeferredSync* deferred,
                 const core::Result<core::OpenFolder>& output,
                 ProgressBar& bar) {
  if (jobs.empty()) return;
  const unsigned wanted = Threads(options);
  const unsigned threads = std::min(wanted, static_cast<unsigned>(jobs.size()));
  // With fewer files than threads, the threads left over share each large
  // file's conversion.
  const unsigned per_job = wanted / threads;
  std::atomic<size_t> next{0};
  auto work = [&]() {
    core::LastSubfolder last;
    for (size_t i; (i = next.fetch_add(1)) < jobs.size();) {
      if (!jobs[i].failure)
        ConvertJob(jobs[i], options, converter, say, deferred, per_job, output,
                   last);
      if (!jobs[i].deferred) bar.Advance();
    }
  };
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
                         const core::Converter& converter, CliStreams& streams,
                         const Messages& say) {
  Job job{"-", {}, {}};
  // Read in pieces and joined once, so that the input never moves to a
  // string twice as large, which would hold it twice meanwhile.
  constexpr size_t kPiece = size_t{1} << 20;
  std::vector<std::string> pieces;
  size_t size = 0;
  char buffer[1 << 16];
  bool utf16 = false;
  while (streams.in.read(buffer, sizeof buffer) || streams.in.gcount() > 0) {
    const auto got = static_cast<size_t>(streams.in.gcount());
    // Binary input is refused as soon as it shows: /dev/zero never ends.
    // UTF-16 holds NUL bytes and is read as a file of it would be.
    if (size == 0) utf16 = core::HasUtf16ByteOrderMark({buffer, got});
    if (!utf16 && std::memchr(buffer, '\0', got) != nullptr) {
      job.failure = Refusal(core::kBinaryReason, say);
      return job;
    }
    if (pieces.empty() || pieces.back().size() + got > kPiece)
      pieces.emplace_back().reserve(kPiece);
    pieces.back().append(buffer, got);
    size += got;
    if (size > core::kMaxDocumentBytes) {
      job.failure = say("standard input is larger than {0} MiB",
                        {std::to_string(core::kMaxDocumentBytes >> 20)});
      return job;
    }
  }
  if (streams.in.bad()) {
    job.failure = say("cannot read standard input");
    return job;
  }
  std::string text;
  core::ReserveLarge(text, size);
  for (std::string& piece : pieces) {
    text += piece;
    std::string().swap(piece);
  }
  // A large input's memory goes back as the conversion passes it.
  size_t given = 0;
  std::function<void(size_t)> give_back;
  if (text.size() >= core::kLargeBytes)
    give_back = [&](size_t end) { given = core::GiveBack(text, given, end); };
  core::ConversionRequest request = options.request;
  request.threads = Threads(options);
  auto done = core::ConvertDocument(converter, text, request, {}, give_back);
  if (!done) {
    std::string refusal = Refusal(done.error().reason, say);
    job.failure = refusal.empty() ? say.Shown(done.error().Message())
                                  : std::move(refusal);
    return job;
  }
  // With --ambiguities standard output carries the listing instead.
  if (!options.list_ambiguities) {
    errno = 0;
    streams.out.write(done->text.data(),
                      static_cast<std::streamsize>(done->text.size()));
    streams.out.flush();
    if (!streams.out) job.failure = CannotWriteStandardOutput(errno, say);
  }
  Record(job, *done, say);
  return job;
}

}  // namespace

int RunCli(const CliOptions& given, const core::Converter& converter,
           CliStreams& streams, const Messages& say) {
  core::FailWritesPastTheSizeLimit();
  CliOptions options = given;
  if (!options.phrase_files.empty()) {
    auto phrases = LoadPhrases(options);
    if (!phrases) {
      const core::Error& error = phrases.error();
      streams.err << kProgram
                  << say.Shown((error.path.empty() ? "" : error.path + ": ") +
                               SayReadingProblem(error.reason, say))
                  << "\n";
      return 1;
    }
    // The user's file, named for this run, applies whichever way it goes.
    options.request.phrases_to_simplified = *phrases;
    options.request.phrases_to_traditional = std::move(*phrases);
    // Phrases apply only where the script is converted.
    const core::ConversionRequest& request = options.request;
    const bool keeps =
        request.script == core::ScriptChoice::kKeep ||
        (request.script == core::ScriptChoice::kDefault && request.to &&
         (*request.to == core::Encoding::kUtf8 ||
          *request.to == core::Encoding::kGb18030));
    if (keeps && options.verbosity != Verbosity::kQuiet) {
      streams.err << kProgram
                  << say("warning: --phrases does nothing where the script "
                         "is kept (name one with --script)")
                  << "\n";
    }
  }
  const bool quiet = options.verbosity == Verbosity::kQuiet;
  const bool verbose = options.verbosity == Verbosity::kVerbose;
  // The output folder is made before folders are walked, so that one inside
  // a tree is known and left out of it.
  if (WritesFiles(options) &&
      std::any_of(options.inputs.begin(), options.inputs.end(),
                  [](const std::string& input) { return input != "-"; })) {
    // It holds copies of the trees' files: no one may read them there who
    // could not read them in the trees.
    uint32_t mode = 0777;
    for (const std::string& input : options.inputs) {
      struct stat tree;
      if (options.recursive && input != "-" &&
          ::stat(input.c_str(), &tree) == 0)
        mode &= core::FolderModeLike(tree);
    }
    if (core::Status made = core::MakeFolders(options.output_dir, mode);
        !made) {
      streams.err << kProgram
                  << say("cannot create output folder {0}: {1}",
                         {Quoted(options.output_dir.native(), say),
                          say.Shown(made.error().reason)})
                  << "\n";
      return 1;
    }
  }
  Inputs inputs = ListInputs(options, say);
  std::vector<Job> jobs = PlanJobs(inputs, options, say);
  // Scripts and style sheets converted with their pages change encoding
  // with them.
  if (std::any_of(jobs.begin(), jobs.end(), [](const Job& job) {
        return core::IsScriptOrStyleSheet(job.input);
      }))
    options.request.label_loaded_files = false;

  std::vector<Job> done = std::move(inputs.failed);
  const size_t stdin_uses =
      std::count(options.inputs.begin(), options.inputs.end(), "-");
  for (size_t i = 0; i < stdin_uses; ++i) {
    if (i > 0) {
      done.push_back(Job{"-", {}, say("standard input was already read")});
      continue;
    }
    // Its conversion goes to standard output, which holds the list.
    if (options.list_ambiguities && options.output_given) {
      done.push_back(Job{"-",
                         {},
                         say("not converted: with --ambiguities standard "
                             "output holds the list, and standard input's "
                             "conversion would go nowhere")});
      continue;
    }
    try {
      done.push_back(ConvertStandardInput(options, converter, streams, say));
    } catch (const std::exception& e) {
      done.push_back(Job{"-", {}, say.Shown(e.what())});
    }
  }
  // Each file system written to is synced once, after the last save,
  // instead of once per file. Where a folder cannot be opened for that, its
  // saves sync on their own.
  core::DeferredSync deferred;
  core::DeferredSync* const defer = WritesFiles(options) ? &deferred : nullptr;
  ProgressBar bar(streams.err, streams.progress && !quiet, jobs.size());
  // A file whose few characters read about as well in two encodings waits
  // for the others, and is read in the one of its readings more of them are
  // in.
  options.request.defer_guessed = jobs.size() > 1;
  // Outputs go into the folder opened now, whatever its path is made to
  // lead to while the run goes on.
  const core::Result<core::OpenFolder> output =
      core::OpenExistingFolder(options.output_dir);
  ConvertJobs(jobs, options, converter, say, defer, output, bar);
  if (options.request.defer_guessed) {
    core::RunEncoding run;
    std::vector<Job> waiting;
    for (Job& job : jobs) {
      if (job.deferred) {
        waiting.push_back(std::move(job));
      } else if (job.source && !job.failure) {
        run.Count(*job.source);
      }
    }
    options.request.defer_guessed = false;
    options.request.run = run;
    ConvertJobs(waiting, options, converter, say, defer, output, bar);
    auto settled = waiting.begin();
    for (Job& job : jobs) {
      if (job.deferred) job = std::move(*settled++);
    }
  }
  bar.Finish();
  const std::vector<core::Status> synced = deferred.SyncAll();
  for (Job& job : jobs) {
    if (job.failure || !job.file_system || synced[*job.file_system]) continue;
    job.failure = say("written, but not safely on disk: {0}",
                      {say.Shown(synced[*job.file_system].error().reason)});
  }
  std::move(jobs.begin(), jobs.end(), std::back_inserter(done));

  size_t converted = 0, failed = 0, references = 0, invalid = 0;
  for (const Job& job : done) {
    const std::string name = say.Shown(job.input);
    if (job.failure) {
      ++failed;
      streams.err << kProgram << name << ": " << *job.failure << "\n";
      continue;
    }
    ++converted;
    for (const core::AmbiguityPoint& point : job.points)
      // The name as it is, its bytes being the file's own; the characters
      // as the terminal reads the messages.
      streams.out << name << ':' << point.line << ':' << point.column << ": "
                  << say.InLocaleCharset(core::DescribePoint(point)) << '\n';
    references += job.references;
    invalid += job.invalid_units;
    if (verbose) streams.err << kProgram << name << ": " << job.report << "\n";
    // Said of this file unless the run is quiet.
    auto warn = [&](const std::string& text) {
      if (!quiet) streams.err << kProgram << name << ": " << text << "\n";
    };
    if (job.invalid_output) {
      // In GB or Big5, a byte kept may pair with the one after it and read
      // as another character: "\xE9x" reads as one.
      warn(*job.invalid_output == core::Encoding::kUtf8
               ? say("warning: output is not valid UTF-8: {0} "
                     "invalid byte sequences kept as written",
                     {std::to_string(job.invalid_units)})
               : say("warning: {0} invalid byte sequences kept as "
                     "written, which in {1} may read as other characters",
                     {std::to_string(job.invalid_units),
                      std::string(core::DisplayName(*job.invalid_output))}));
    }
    if (job.server_references > 0) {
      // A server reads its code's bytes, not references: a string's value
      // or a file name changes.
      warn(
          say("warning: {0} characters that {1} lacks written as "
              "references inside server code (PHP, ASP or an "
              "include), which the server does not read as "
              "characters",
              {std::to_string(job.server_references),
               std::string(core::DisplayName(job.target))}));
    }
    if (job.php_backslash_endings > 0) {
      // Read as markup, PHP's strings get a '\' more or less where needed.
      warn(
          say("warning: its PHP was converted as text, with {0} "
              "characters ending in the byte '\\', which in a PHP "
              "string escapes what follows (convert it without "
              "--markup text to keep its strings)",
              {std::to_string(job.php_backslash_endings)}));
    }
    if (job.quote_escapes > 0) {
      warn(
          say("warning: {0} of its characters end in the byte "
              "'\\' right before a quote or a '\\', which code (a "
              "C string, an INI or JSON value) reads as an escape "
              "of what follows",
              {std::to_string(job.quote_escapes)}));
    }
    if (job.from_utf16 && !options.request.to) {
      warn(
          say("warning: read as UTF-16 and written as {0}, as this "
              "program writes no UTF-16",
              {std::string(core::DisplayName(job.target))}));
    }
    if (job.beyond_cp950 > 0) {
      // With its number: a terminal in Big5 may lack the very character.
      std::string first;
      core::AppendUtf8(job.first_beyond_cp950, first);
      char number[16];
      std::snprintf(number, sizeof number, " U+%04X",
                    static_cast<unsigned>(job.first_beyond_cp950));
      first += number;
      warn(
          say("warning: {0} of its characters (the first: {1}) have Big5 codes "
              "only in Hong Kong's HKSCS or ETEN's extensions, which browsers "
              "read and Windows' code page 950 (iconv's BIG5, CP950) does not",
              {std::to_string(job.beyond_cp950), say.InLocaleCharset(first)}));
    }
    if (job.source && job.source->guessed && !quiet) {
      std::string others;
      for (const core::Encoding other : job.source->also_reads_as)
        others +=
            (others.empty() ? "" : "/") + std::string(core::DisplayName(other));
      streams.err << kProgram << name << ": "
                  << say(job.source->reason == core::DetectionReason::kRun
                             ? "warning: its characters read as well in {1} "
                               "as in {0}; read as {0}, like more files of "
                               "this run (name its encoding with --from if "
                               "that is wrong)"
                             : "warning: its characters read as well in {1} "
                               "as in {0}; read as {0} (name its encoding "
                               "with --from if that is wrong)",
                         {std::string(core::DisplayName(job.source->encoding)),
                          others})
                  << "\n";
    }
    if (job.markup_problem && !quiet) {
      streams.err << kProgram << name << ": "
                  << say("warning: {0}: read to the end of the file, as "
                         "browsers read it",
                         {say.Shown(
                             SayReadingProblem(*job.markup_problem, say))})
                  << "\n";
    }
    if (job.other_lines && job.source && !quiet) {
      streams.err << kProgram << name << ": "
                  << say("warning: {0} of its lines (the first is line {1}) "
                         "read as {2}, not as {3}, in which the whole file "
                         "was read and converted: it mixes encodings",
                         {std::to_string(job.other_lines->count),
                          std::to_string(job.other_lines->first),
                          std::string(
                              core::DisplayName(job.other_lines->other)),
                          std::string(core::DisplayName(job.source->encoding))})
                  << "\n";
    }
  }
  if (verbose) {
    for (const std::string& line : inputs.skipped)
      streams.err << kProgram << line << "\n";
  } else if (!inputs.kept.empty() && !quiet) {
    // They may be the site's own pages, which the run then leaves as they
    // are: said even when no other file is listed.
    streams.err << kProgram
                << say("warning: {0} documents in the output folder {1}, "
                       "inside a folder converted, were left as they are "
                       "(--verbose lists them)",
                       {std::to_string(inputs.kept.size()),
                        Quoted(options.output_dir.native(), say)})
                << "\n";
  }
  // A filter of standard input says nothing when all went well, as iconv
  // and opencc say nothing.
  const bool filter = options.inputs == std::vector<std::string>{"-"};
  if (!quiet &&
      (!filter || verbose || failed != 0 || references != 0 || invalid != 0)) {
    const std::string count = std::to_string(converted);
    const std::string lost = std::to_string(failed);
    // With only the doubtful places listed, nothing was converted.
    streams.err << kProgram
                << (!WritesFiles(options)
                        ? say(converted == 1 ? "{0} file looked through, {1} "
                                               "failed, nothing written"
                                             : "{0} files looked through, {1} "
                                               "failed, nothing written",
                              {count, lost})
                        : say(converted == 1
                                  ? "{0} file converted, {1} failed, {2} "
                                    "characters written as references, {3} "
                                    "invalid byte sequences passed through"
                                  : "{0} files converted, {1} failed, {2} "
                                    "characters written as references, {3} "
                                    "invalid byte sequences passed through",
                              {count, lost, std::to_string(references),
                               std::to_string(invalid)}));
    if (!inputs.skipped.empty()) {
      streams.err << say(", {0} other files skipped",
                         {std::to_string(inputs.skipped.size())});
    }
    streams.err << "\n";
  }
  // A listing that did not reach its reader (a full disk, a closed pipe) is
  // a failure as much as a file that was not written.
  errno = 0;
  if (options.list_ambiguities && !streams.out.flush()) {
    streams.err << kProgram << CannotWriteStandardOutput(errno, say) << "\n";
    return 1;
  }
  return failed == 0 ? 0 : 1;
}

}  // namespace tovenrak::app
