#include "batch/batch_run.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <filesystem>
#include <list>
#include <mutex>
#include <new>
#include <optional>
#include <set>
#include <thread>
#include <utility>

#include "batch/work_ahead.h"
#include "core/convert_document.h"
#include "core/encoding/run_encoding.h"
#include "core/encoding/utf8.h"
#include "core/io/deferred_sync.h"
#include "core/io/document_tree.h"
#include "core/io/escape_for_terminal.h"
#include "core/io/file_io.h"
#include "core/io/held_files.h"
#include "core/io/make_folders.h"
#include "core/io/output_plan.h"
#include "platform/os_reason_text.h"
#include "platform/reading_problem_text.h"
#include "platform/shown_name.h"

namespace tovenrak::batch {

namespace {

// A file name as the messages show it: a control of writing direction would
// show "evil\u202Egpj.htm" as evilmth.jpg, and other controls show as
// nothing or a box.
std::string Shown(const std::string& name) { return platform::ShownName(name); }

// The message box scrolls a long text, which can be copied from, so a run
// of many files names every file that needs a look, up to a bound that
// keeps the box quick to show.
constexpr size_t kMaxListed = 1000;

// What went wrong with the file listed as `listed`, for the user; when the
// error concerns another path (the output, or a folder it goes into), that
// path is named, or a missing output folder would read as a missing input.
std::string ReasonOf(const core::Error& error, const std::string& listed) {
  std::string reason;
  switch (error.code) {
    case core::ErrorCode::kNotFound:
      reason = "找不到文件或文件夹";
      break;
    case core::ErrorCode::kUnreadable:
      reason = "无法读取";
      break;
    case core::ErrorCode::kNotWritable:
      reason = "无法写入";
      break;
    case core::ErrorCode::kTooLarge:
      reason = "文件太大";
      break;
    case core::ErrorCode::kInvalidInput:
      reason = "无法转换";
      break;
  }
  if (!error.path.empty() && error.path != listed) {
    const std::string path = platform::ShownName(error.path);
    reason = error.code == core::ErrorCode::kNotWritable
                 ? "无法写入 " + path
                 : "写入 " + path + " 时" + reason;
  }
  if (error.reason == core::kBinaryReason) {
    reason = "含有二进制数据，不是网页或文本文件";
  } else if (error.reason == core::kUtf16Reason) {
    reason =
        "是不完整的 UTF-16 文本（末尾多一个字节，或字符只有一半），无法转换";
  } else if (error.reason.starts_with(core::kOtherEncodingReason)) {
    reason = "声明的编码 " +
             platform::ShownName(
                 error.reason.substr(core::kOtherEncodingReason.size())) +
             " 不是 Big5、GB 或 UTF-8，未转换";
  } else if (error.reason == core::kSingleByteLettersReason) {
    reason = "内容像西文或俄文的单字节编码，不像中文，也没有声明编码，未转换";
  } else if (error.reason == core::kJapaneseOrKoreanReason) {
    reason = "内容像日文或韩文（假名或谚文），不像中文，未转换";
  } else if (!error.reason.empty()) {
    reason += "（" + platform::ReadingProblemText(error.reason) + "）";
  }
  return reason;
}

// An output's path below the target folder, or in full when it is not below.
std::string NameInReview(const std::filesystem::path& output,
                         const std::string& target_folder) {
  const std::filesystem::path relative =
      output.lexically_normal().lexically_relative(
          std::filesystem::path(target_folder).lexically_normal());
  if (relative.empty() || *relative.begin() == "..") return output.string();
  return relative.string();
}

// Whether the output of a file written (`writes`) is, by its name below the
// target folder, a folder that another file's output goes into.
template <typename Writes>
bool OutputIsAFolder(const std::vector<std::string>& be_hind, Writes writes) {
  std::set<std::filesystem::path> folders;
  for (size_t i = 0; i < be_hind.size(); ++i) {
    if (!writes(i)) continue;
    for (std::filesystem::path folder =
             std::filesystem::path(be_hind[i]).lexically_normal().parent_path();
         !folder.empty(); folder = folder.parent_path())
      folders.insert(folder);
  }
  for (size_t i = 0; i < be_hind.size(); ++i) {
    if (writes(i) &&
        folders.contains(std::filesystem::path(be_hind[i]).lexically_normal()))
      return true;
  }
  return false;
}

}  // namespace

int16_t ProPercent(size_t done, size_t total) {
  assert(done > 0 && done <= total);
  // The quotient of two doubles is correctly rounded, so an exact half stays
  // exact; nearbyint rounds it to even in the default rounding mode.
  return static_cast<int16_t>(std::nearbyint(static_cast<double>(done) * 100.0 /
                                             static_cast<double>(total)));
}

BatchOutcome RunBatch(const core::Converter& er,
                      const std::vector<std::string>& be_fore,
                      const std::vector<std::string>& be_hind,
                      const std::string& target_folder,
                      const core::ConversionRequest& asked,
                      const std::function<void(int16_t)>& progress,
                      const BatchOptions& options) {
  assert(be_fore.size() == be_hind.size());
  const size_t n = be_fore.size();
  std::vector<core::PlannedOutput> plan = core::PlanOutputs(
      std::vector<std::filesystem::path>(be_fore.begin(), be_fore.end()),
      be_hind, target_folder, /*may_replace_own_input=*/true, options.kept);
  // Also any file a running window holds, whatever folder it uses.
  std::vector<bool> reserved(n);
  for (size_t i = 0; i < n; ++i) {
    if (plan[i].verdict == core::OutputVerdict::kWrite &&
        ((options.reserved && options.reserved(plan[i].output)) ||
         core::IsHeldByLock(plan[i].output))) {
      plan[i].verdict = core::OutputVerdict::kOverKept;
      reserved[i] = true;
    }
  }

  // Saves skip their own sync; each file system is synced once at the end.
  core::DeferredSync deferred;
  struct Unsynced {
    size_t index;        // In the list.
    size_t file_system;  // As DeferredSync numbers them.
  };
  std::vector<Unsynced> unsynced;
  BatchOutcome outcome;
  core::ConversionRequest request = asked;
  request.find_ambiguities = options.review_list;
  // Guessed files wait for the others (below), before any is converted.
  request.defer_guessed = n > 1;
  request.phrases_to_traditional = options.phrases_to_traditional;
  request.phrases_to_simplified = options.phrases_to_simplified;
  request.label_loaded_files =
      asked.label_loaded_files &&
      std::none_of(be_fore.begin(), be_fore.end(), core::IsScriptOrStyleSheet);

  // Each file to convert: its folder made (a folder that cannot be made
  // fails its file) and its file system noted.
  struct Task {
    std::filesystem::path destination;
    std::optional<size_t> file_system;
  };
  std::vector<std::optional<Task>> tasks(n);
  std::vector<std::optional<std::string>> unmade(n);
  auto writes = [&](size_t i) {
    return plan[i].verdict == core::OutputVerdict::kNoName ||
           plan[i].verdict == core::OutputVerdict::kWrite;
  };
  // Outputs go into the folder opened now, whatever its path is made to
  // lead to while the run goes on.
  const core::Result<core::OpenFolder> target =
      core::OpenExistingFolder(target_folder);
  // A folder made for a tree's files takes the mode of the tree's folder.
  auto open_below = [&](core::LastSubfolder& last, size_t i) {
    const std::filesystem::path subfolder =
        std::filesystem::path(be_hind[i]).parent_path();
    const core::OpenFolder* like =
        i < options.roots.size() ? options.roots[i].folder.get() : nullptr;
    return target ? last.Open(*target, target_folder, subfolder, like)
                  : core::Result<const core::OpenFolder*>(target.error());
  };
  // The subfolder made last, which a tree's next file most often shares.
  core::LastSubfolder made_last;
  auto prepare = [&](size_t i) {
    if (!std::filesystem::path(be_hind[i]).parent_path().empty()) {
      if (core::Result<const core::OpenFolder*> made = open_below(made_last, i);
          !made) {
        unmade[i] = "无法建立文件夹 " + platform::ShownName(made.error().path) +
                    "（" + platform::OsReasonText(made.error().reason) + "）";
        return;
      }
    }
    Task task{target_folder + be_hind[i], std::nullopt};
    if (const core::Result<size_t> file_system =
            deferred.Add(task.destination.parent_path()))
      task.file_system = *file_system;
    tasks[i] = std::move(task);
  };
  // Each converting thread saves through the subfolder it saved into last,
  // open: a link put in its place after it was made takes no file
  // elsewhere.
  std::mutex lasts_mutex;
  std::list<std::pair<std::thread::id, core::LastSubfolder>> lasts;
  auto last_of_this_thread = [&]() -> core::LastSubfolder& {
    std::lock_guard lock(lasts_mutex);
    const std::thread::id me = std::this_thread::get_id();
    for (auto& [thread, last] : lasts) {
      if (thread == me) return last;
    }
    return lasts.emplace_back(me, core::LastSubfolder{}).second;
  };
  // The bytes of each deferred file, read the first time: the file may have
  // been replaced since, by another or by a link.
  std::vector<std::optional<std::string>> kept(n);
  // Each file's permissions, once read: its output gets no more of them.
  std::vector<uint32_t> permissions(n, 0777);
  // May run on a second thread, where nothing is to be thrown.
  auto convert = [&](size_t i) -> core::Result<core::DocumentConversion> {
    try {
      const core::Result<const core::OpenFolder*> folder =
          open_below(last_of_this_thread(), i);
      if (!folder) return folder.error();
      const core::Durability durability = tasks[i]->file_system
                                              ? core::Durability::kDeferred
                                              : core::Durability::kNow;
      const bool in_tree =
          i < options.roots.size() && options.roots[i].folder != nullptr;
      core::Result<std::string> text =
          kept[i]   ? core::Result<std::string>(*std::exchange(kept[i], {}))
          : in_tree ? core::ReadDocumentBelow(
                          *options.roots[i].folder, options.roots[i].path,
                          be_hind[i], core::kMaxDocumentBytes, &permissions[i])
                    : core::ReadDocument(be_fore[i], core::kMaxDocumentBytes,
                                         &permissions[i]);
      if (!text) return text.error();
      core::Result<core::DocumentConversion> converted = core::ConvertFileBytes(
          er, std::move(*text), be_fore[i], tasks[i]->destination, request,
          durability, *folder, permissions[i]);
      if (converted && converted->deferred) {
        kept[i] = std::move(converted->text);
      } else if (converted) {
        converted->text = {};  // Saved; not needed here.
      }
      return converted;
    } catch (const std::bad_alloc&) {
      return core::Error{core::ErrorCode::kTooLarge, ""};
    } catch (const std::exception& e) {
      return core::Error{core::ErrorCode::kUnreadable, e.what()};
    }
  };
  // Two files are converted at a time, their results taken in list order as
  // converting one after the other gives them, once every folder is made:
  // unless one file's output is another's folder, when which of them fails
  // depends on the order of the two.
  std::vector<size_t> converting;  // The entries with a task, in order.
  std::optional<WorkAhead<core::Result<core::DocumentConversion>>> ahead;
  if (!OutputIsAFolder(be_hind, writes)) {
    for (size_t i = 0; i < n; ++i) {
      if (!writes(i)) continue;
      prepare(i);
      if (tasks[i]) converting.push_back(i);
    }
    ahead.emplace(converting.size(),
                  [&](size_t k) { return convert(converting[k]); });
  }

  std::string review;
  std::vector<std::string> written;  // Outputs, as paths.
  core::RunEncoding run;
  std::vector<size_t> waiting;  // Guessed, for the run to settle.
  auto record = [&](size_t i,
                    const core::Result<core::DocumentConversion>& converted) {
    const std::filesystem::path& destination = tasks[i]->destination;
    if (converted) {
      ++outcome.converted;
      // Only the review list's own name is looked for among them.
      if (options.review_list)
        written.push_back(destination.lexically_normal().string());
      if (tasks[i]->file_system)
        unsynced.push_back({i, *tasks[i]->file_system});
      const core::Detection& source = converted->source;
      if (source.declared && *source.declared != source.encoding) {
        outcome.mislabeled.push_back(
            {be_fore[i], *source.declared, source.encoding});
      }
      if (converted->markup_problem) {
        outcome.unended.push_back({be_fore[i], *converted->markup_problem});
      }
      if (converted->other_lines) {
        outcome.mixed.push_back(
            {be_fore[i], source.encoding, *converted->other_lines});
      }
      run.Count(source);
      if (source.guessed) {
        outcome.guessed.push_back(
            {be_fore[i], source.encoding, source.also_reads_as,
             source.reason == core::DetectionReason::kRun});
      }
      if (converted->invalid_units > 0) {
        outcome.invalid.push_back(
            {be_fore[i], converted->invalid_units, converted->target});
      }
      if (converted->server_references > 0) {
        outcome.server_references.push_back(
            {be_fore[i], converted->server_references, converted->target});
      }
      if (converted->beyond_cp950 > 0)
        outcome.beyond_cp950.push_back({be_fore[i], converted->beyond_cp950,
                                        converted->first_beyond_cp950});
      if (converted->from_utf16)
        outcome.from_utf16.emplace_back(be_fore[i], converted->target);
      if (!converted->points.empty()) {
        const std::string name =
            core::EscapeForTerminal(NameInReview(destination, target_folder));
        for (const core::AmbiguityPoint& point : converted->points)
          review += core::ListingLine(name, point);
      }
    } else {
      outcome.failed.push_back(
          {be_fore[i], ReasonOf(converted.error(), be_fore[i])});
    }
  };
  bool stopped = false;
  for (size_t i = 0, k = 0; i < n; ++i) {
    if (!stopped && options.stop && options.stop()) {
      stopped = true;
      if (ahead) ahead->StopBeginning();
    }
    // Stopped, a file the helper began is finished and told of.
    if (stopped && !(ahead && tasks[i] && !unmade[i] && ahead->Begun(k))) {
      if (writes(i)) {
        ++outcome.stopped;
        outcome.left.push_back(i);
      }
      continue;
    }
    const std::string& other = be_fore[plan[i].other];
    if (!ahead && writes(i)) prepare(i);
    if (unmade[i]) {
      outcome.failed.push_back({be_fore[i], *unmade[i]});
    } else if (tasks[i]) {
      core::Result<core::DocumentConversion> converted =
          ahead ? ahead->Take(k++) : convert(i);
      if (converted && converted->deferred) {
        waiting.push_back(i);
      } else {
        record(i, converted);
      }
    } else if (plan[i].verdict == core::OutputVerdict::kOverInput) {
      outcome.failed.push_back(
          {be_fore[i], "会覆盖待转换的文件 " + Shown(other) + "，未写入"});
    } else if (reserved[i]) {
      outcome.failed.push_back({be_fore[i], "会覆盖本程序窗口的预览文件 " +
                                                Shown(plan[i].output.string()) +
                                                "，未写入"});
    } else if (plan[i].verdict == core::OutputVerdict::kOverKept) {
      outcome.failed.push_back({be_fore[i], "会覆盖所转换文件夹中原有的文件 " +
                                                Shown(plan[i].output.string()) +
                                                "，未写入"});
    } else if (plan[i].verdict == core::OutputVerdict::kSameOutput) {
      outcome.failed.push_back(
          {be_fore[i], "与 " + Shown(other) + " 的转换结果同名，未写入"});
    }
    // kRepeat: converting it a second time would convert its first output
    // back when that replaced the source.
    if (n > 1) progress(ProPercent(i + 1, n));
  }

  ahead.reset();  // Every item was taken: the second thread ends.
  request.defer_guessed = false;
  request.run = run;
  for (const size_t i : waiting) {
    if (!stopped && options.stop && options.stop()) stopped = true;
    if (stopped) {
      ++outcome.stopped;
      outcome.left.insert(
          std::upper_bound(outcome.left.begin(), outcome.left.end(), i), i);
    } else {
      record(i, convert(i));
    }
  }

  // The run is reported done only once its files are on disk.
  const std::vector<core::Status> synced = deferred.SyncAll();
  for (const auto& [i, file_system] : unsynced) {
    if (synced[file_system]) continue;
    --outcome.converted;
    outcome.failed.push_back(
        {be_fore[i],
         "已写入，但未能存入磁盘（" +
             platform::OsReasonText(synced[file_system].error().reason) +
             "）"});
  }
  if (options.review_list) {
    const std::string path = target_folder + kReviewListName;
    // A document of that name was converted: its output stays.
    const bool taken = std::any_of(
        written.begin(), written.end(), [&](const std::string& output) {
          return output ==
                 std::filesystem::path(path).lexically_normal().string();
        });
    if (taken) {
      outcome.review_list = FailedFile{path, "与转换结果同名"};
    } else if (core::Status saved = core::SaveDocument(path, review); !saved) {
      outcome.review_list = FailedFile{path, ReasonOf(saved.error(), path)};
    }
  }
  return outcome;
}

namespace {

// The same list, several times over: the first kMaxListed entries, then how
// many more.
template <typename Entry, typename Line>
std::string ListOf(const std::vector<Entry>& entries, const Line& line,
                   const std::string& more) {
  std::string text;
  for (size_t i = 0; i < entries.size() && i < kMaxListed; ++i)
    text += "\n" + line(entries[i]);
  if (entries.size() > kMaxListed) {
    text += "\n\n……另有 " + std::to_string(entries.size() - kMaxListed) + more;
  }
  return text;
}

std::string FailedList(const std::vector<FailedFile>& failed) {
  return ListOf(
      failed,
      [](const FailedFile& f) { return Shown(f.path) + "\n    " + f.reason; },
      " 个文件未能转换。");
}

// A note on some of the files, if any: how many, what befell them, and
// the list of them.
template <typename Entry, typename Line>
std::string NoteOn(const std::vector<Entry>& entries, const std::string& what,
                   const Line& line, const std::string& more) {
  if (entries.empty()) return "";
  return "\n\n以下 " + std::to_string(entries.size()) + what + "\n" +
         ListOf(entries, line, more);
}

// What the run noted beyond failures.
std::string Notes(const BatchOutcome& outcome) {
  return NoteOn(
             outcome.in_target,
             " 个文件在转换至的文件夹中，没有转换（否则以前的转换结果会被"
             "再转换一次）：",
             [](const std::string& path) { return Shown(path); },
             " 个文件在转换至的文件夹中。") +
         NoteOn(
             outcome.guessed,
             " 个文件中的字按两种编码读都一样通顺，编码是推测的，请核对：",
             [](const GuessedEncoding& f) {
               std::string others;
               for (const core::Encoding other : f.also_reads_as) {
                 others += (others.empty() ? "" : "、") +
                           std::string(core::DisplayName(other));
               }
               return Shown(f.path) + "\n    已按 " +
                      std::string(core::DisplayName(f.read_as)) + " 读取" +
                      (f.by_run ? "（本批较多文件的编码）" : "") +
                      (others.empty() ? "" : "，也可读作 " + others);
             },
             " 个文件的编码是推测的。") +
         NoteOn(
             outcome.mislabeled,
             " 个文件的实际编码与其声明不符，已按实际编码转换：",
             [](const MislabeledFile& f) {
               return Shown(f.path) + "\n    声明为 " +
                      std::string(core::DisplayName(f.declared)) + "，实际为 " +
                      std::string(core::DisplayName(f.actual));
             },
             " 个文件与其声明不符。") +
         NoteOn(
             outcome.unended,
             " 个网页中有没有结束的注释、脚本或标记，已像浏览器那样读到文件末尾"
             "：",
             [](const UnendedMarkup& f) {
               return Shown(f.path) + "\n    " +
                      platform::ReadingProblemText(f.reason);
             },
             " 个网页有没有结束的部分。") +
         NoteOn(
             outcome.mixed,
             " 个文件混用了编码，其中有几行已按全文的编码转换成了别的字：",
             [](const MixedEncodings& f) {
               return Shown(f.path) + "\n    有 " +
                      std::to_string(f.lines.count) + " 行（第一行是第 " +
                      std::to_string(f.lines.first) + " 行）像是 " +
                      std::string(core::DisplayName(f.lines.other)) +
                      " 码，全文按 " +
                      std::string(core::DisplayName(f.read_as)) + " 码读取";
             },
             " 个文件混用了编码。") +
         // In GB or Big5, a byte kept may pair with the one after it and
         // read as another character.
         NoteOn(
             outcome.invalid, " 个文件中有不成字的字节，已原样保留：",
             [](const KeptInvalidBytes& f) {
               const std::string target(core::DisplayName(f.target));
               return Shown(f.path) + "\n    " + std::to_string(f.sequences) +
                      " 处" +
                      (f.target == core::Encoding::kUtf8
                           ? "，输出不是有效的 UTF-8"
                           : "，在 " + target +
                                 " 码中可能与后面的字节合成别的字");
             },
             " 个文件含有不成字的字节。") +
         NoteOn(
             outcome.server_references,
             " 个文件的服务器代码（PHP、ASP 或 "
             "include）中有字符写作了字符引用，"
             "服务器不会把它们读成字符：",
             [](const ServerCodeReferences& f) {
               return Shown(f.path) + "\n    " + std::to_string(f.characters) +
                      " 个字符，" + std::string(core::DisplayName(f.target)) +
                      " 码中没有";
             },
             " 个文件的服务器代码中有字符引用。") +
         NoteOn(
             outcome.beyond_cp950,
             " 个文件中有字符只有香港增补字符集（HKSCS）或倚天扩充的 Big5 "
             "码：浏览器能读，Windows 的 950 代码页不能读：",
             [](const BeyondCp950& f) {
               std::string first;
               core::AppendUtf8(f.first, first);
               return Shown(f.path) + "\n    " + std::to_string(f.characters) +
                      " 个字符（第一个是“" + platform::ShownName(first) + "”）";
             },
             " 个文件有 950 代码页不能读的 Big5 码。") +
         NoteOn(
             outcome.from_utf16,
             " 个文件是 UTF-16 编码的，本程序不写 UTF-16，已写成：",
             [](const std::pair<std::string, core::Encoding>& f) {
               return Shown(f.first) + "\n    " +
                      std::string(core::DisplayName(f.second)) + " 码";
             },
             " 个文件由 UTF-16 写成了别的编码。");
}

}  // namespace

ClosingMessage DescribeOutcome(const BatchOutcome& outcome,
                               const std::string& target_folder) {
  // Not one of the files listed, and said after them.
  const std::string review =
      outcome.review_list ? "\n\n疑点清单 " + Shown(outcome.review_list->path) +
                                " 未写出：" + outcome.review_list->reason
                          : "";
  if (outcome.stopped > 0) {
    std::string text = "转换已停止：已转换 " +
                       std::to_string(outcome.converted) + " 个文件到 " +
                       Shown(target_folder) + " 文件夹下，其余 " +
                       std::to_string(outcome.stopped) +
                       " 个没有转换，留在文件列表中，可再次开始转换。";
    if (!outcome.failed.empty()) {
      text += "\n\n以下 " + std::to_string(outcome.failed.size()) +
              " 个文件未能转换：\n" + FailedList(outcome.failed);
    }
    return {text + Notes(outcome) + review, platform::MessageIcon::kWarning};
  }
  if (outcome.failed.empty()) {
    const bool all = outcome.in_target.empty();
    return {
        (all ? "所选定文件已转换到 "
             : "已转换 " + std::to_string(outcome.converted) + " 个文件到 ") +
            Shown(target_folder) + " 文件夹下。" + Notes(outcome) + review,
        outcome.review_list || !all ? platform::MessageIcon::kWarning
                                    : platform::MessageIcon::kInformation};
  }
  const size_t total = outcome.converted + outcome.failed.size();
  std::string text = "共 " + std::to_string(total) + " 个文件，已转换 " +
                     std::to_string(outcome.converted) + " 个到 " +
                     Shown(target_folder) + " 文件夹下；以下 " +
                     std::to_string(outcome.failed.size()) +
                     " 个文件未能转换：\n" + FailedList(outcome.failed);
  return {text + Notes(outcome) + review, platform::MessageIcon::kWarning};
}

}  // namespace tovenrak::batch
