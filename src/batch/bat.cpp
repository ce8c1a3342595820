#include "batch/bat.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "batch/batch_run.h"
#include "batch/file_name_lists.h"
#include "batch/mount_table.h"
#include "core/io/document_tree.h"
#include "platform/conversion_choices.h"
#include "platform/os_reason_text.h"
#include "platform/reading_problem_text.h"
#include "platform/shown_name.h"

namespace tovenrak::batch {

namespace {

constexpr char kSeparator = std::filesystem::path::preferred_separator;

constexpr char kAddTitle[] = "加入文件";
// The Add dialog separates the folder and the names of a multiple selection
// with NUL, a character no file name holds.
constexpr std::string_view kSelectionSeparator{"\0", 1};

constexpr char kEmptyList[] = "请您选定要转换的文件，再开始转换。";

std::string DriveError(const std::string& volume) {
  // The line feed comes before the carriage return, not after it.
  return "读取驱动器" + platform::ShownName(volume) +
         "时出错。\n\r请检查该驱动器内有无磁盘或磁盘格式是否正确。";
}

}  // namespace

Bat::Bat(platform::BatView& view, platform::FileDialog& n_dia,
         platform::MessageBox& messages, const platform::Settings& settings,
         const core::Converter& er, std::filesystem::path program_folder,
         std::vector<std::filesystem::path> volumes)
    : view_(view),
      n_dia_(n_dia),
      messages_(messages),
      settings_(settings),
      er_(er),
      program_folder_(std::move(program_folder)),
      volumes_(std::move(volumes)) {
  view_.SetListener(this);
}

Bat::~Bat() { view_.SetListener(nullptr); }

void Bat::Load() {
  std::vector<std::string> names;
  for (const std::filesystem::path& volume : volumes_)
    names.push_back(volume.string());
  view_.FillDrive1(names);
  drive_ = VolumeHolding(program_folder_, volumes_);
  view_.SetDrive1(drive_);
  const std::filesystem::path root =
      drive_ >= 0 ? volumes_[drive_] : program_folder_.root_path();
  (void)view_.SetDir1(root, program_folder_);
  view_.SetToText(program_folder_.string());
  view_.EnableNDel(false);
  view_.ShowPro(false);
  view_.SetTargetChoice(0);
}

void Bat::OnDrive1Changed() {
  const int chosen = view_.Drive1();
  if (chosen < 0 || chosen >= static_cast<int>(volumes_.size())) return;
  const std::filesystem::path& volume = volumes_[chosen];
  if (!view_.SetDir1(volume, volume)) {
    messages_.Show(DriveError(volume.string()),
                   platform::MessageIcon::kCritical, kBatTitle);
    view_.SetDrive1(drive_);
    return;
  }
  drive_ = chosen;
  view_.SetToText(view_.Dir1().string());
}

void Bat::OnDir1Changed() {
  const std::filesystem::path folder = view_.Dir1();
  view_.SetToText(folder.string());
  const int holding = VolumeHolding(folder, volumes_);
  if (holding >= 0 && holding != drive_) {
    drive_ = holding;
    view_.SetDrive1(drive_);
  }
}

void Bat::OnNAdd() {
  const std::string chosen =
      n_dia_.AskOpenPaths(kAddTitle, platform::kDocumentFilter);
  if (chosen.empty()) return;
  if (chosen.find(kSelectionSeparator) == std::string::npos) {
    Append(chosen, ExtFile(chosen, kSeparator));
    return;
  }
  const std::vector<std::string> pieces =
      Str2Array(chosen, kSelectionSeparator);
  std::string folder = pieces[0];
  if (folder.empty() || folder.back() != kSeparator) folder += kSeparator;
  for (size_t i = 1; i < pieces.size(); ++i) {
    // An empty name would list the folder itself as a file.
    if (pieces[i].empty()) continue;
    // A name is bare in the usual case; a dialog that answers with a path
    // below the folder must still leave BeHind with file names only.
    Append(folder + pieces[i], ExtFile(pieces[i], kSeparator));
  }
}

void Bat::OnNAddFolder() {
  const std::string chosen = n_dia_.AskFolderPath("加入文件夹");
  if (!chosen.empty()) OnBeForeDropped({std::filesystem::path(chosen)});
}

void Bat::Append(std::string path, std::string name, TreeRoot root) {
  view_.AppendToBeFore(path);
  be_fore_.push_back(std::move(path));
  be_hind_.push_back(std::move(name));
  options_.roots.push_back(std::move(root));
}

void Bat::OnNDel() {
  const int selected = view_.BeForeSelection();
  if (selected >= 0 && selected < static_cast<int>(be_fore_.size())) {
    be_hind_.erase(be_hind_.begin() + selected);
    be_fore_.erase(be_fore_.begin() + selected);
    options_.roots.erase(options_.roots.begin() + selected);
    view_.RemoveFromBeFore(selected);
  }
  view_.EnableNDel(false);
}

namespace {

// Why the run may not write into `target`, as typed; empty when it may. An
// empty target was the root of the file system, a relative one the
// program's working folder, which the user never sees, and a missing one
// failed every file, one by one.
std::string TargetProblem(const std::string& target) {
  if (target.empty()) return "请您填写转换至的文件夹，再开始转换。";
  if (target.front() != kSeparator) {
    return "转换至的文件夹“" + platform::ShownName(target) +
           "”不是完整的路径（应以 / 开头），请重新填写。";
  }
  std::error_code error;
  if (!std::filesystem::is_directory(target, error)) {
    return "转换至的文件夹“" + platform::ShownName(target) +
           "”不存在，请先建立它或另选一个。";
  }
  return {};
}

}  // namespace

void Bat::OnNGo() {
  if (be_fore_.empty()) {
    messages_.Show(kEmptyList, platform::MessageIcon::kExclamation, kBatTitle);
    view_.ShowPro(false);
    return;
  }
  if (const std::string problem = TargetProblem(view_.ToText());
      !problem.empty()) {
    messages_.Show(problem, platform::MessageIcon::kExclamation, kBatTitle);
    view_.ShowPro(false);
    return;
  }
  if (use_personal_phrases_) {
    for (const core::Script to :
         {core::Script::kTraditional, core::Script::kSimplified}) {
      auto phrases = core::LoadSharedPersonalPhrases(to);
      if (!phrases) {
        messages_.Show(
            "无法读取个人词组，没有转换。\n原因：" +
                platform::ReadingProblemText(phrases.error().Message()),
            platform::MessageIcon::kExclamation, kBatTitle);
        return;
      }
      (to == core::Script::kTraditional ? options_.phrases_to_traditional
                                        : options_.phrases_to_simplified) =
          std::move(*phrases);
    }
  }
  std::string target = view_.ToText();
  if (target.back() != kSeparator) {
    target += kSeparator;
    view_.SetToText(target);
  }
  // A document found by walking a folder that the target lies in (chosen
  // after the folder was listed) stays as it is, as one found there when
  // it was listed does: an earlier run's output would be converted back.
  std::vector<std::string> fore, hind;
  std::vector<size_t> listed;  // Where each of `fore` is in the list.
  BatchOptions options = options_;
  options.roots.clear();
  for (size_t i = 0; i < be_fore_.size(); ++i) {
    if (options_.roots[i].folder && be_fore_[i].starts_with(target)) {
      options.kept.emplace_back(be_fore_[i]);
      continue;
    }
    listed.push_back(i);
    fore.push_back(be_fore_[i]);
    hind.push_back(be_hind_[i]);
    options.roots.push_back(options_.roots[i]);
  }
  if (fore.empty()) {
    messages_.Show("待转换文件都在转换至的文件夹中，没有转换。",
                   platform::MessageIcon::kExclamation, kBatTitle);
    view_.ShowPro(false);
    return;
  }
  // A file whose output would take its own name is gone once converted,
  // and so is a file already at an output's place (an earlier run's output,
  // edited by hand since; a link there is replaced, not followed): the user
  // says so first. A folder there fails that file, and replaces nothing.
  size_t replaced = 0, existing = 0;
  std::string first, first_existing;
  std::vector<std::filesystem::path> answered;  // Kept files to replace.
  for (size_t i = 0; i < fore.size(); ++i) {
    const std::filesystem::path input(fore[i]), output(target + hind[i]);
    std::error_code error;
    const auto there = std::filesystem::symlink_status(output, error);
    if (!std::filesystem::exists(there) || std::filesystem::is_directory(there))
      continue;
    if (input.filename() == output.filename() &&
        std::filesystem::equivalent(input.parent_path(), output.parent_path(),
                                    error)) {
      if (replaced++ == 0) first = fore[i];
    } else {
      if (existing++ == 0) first_existing = output.string();
      answered.push_back(output);
    }
  }
  const auto declined = [this](const std::string& question) {
    if (messages_.Ask(question, kBatTitle)) return false;
    view_.ShowPro(false);
    return true;
  };
  if (replaced > 0 && declined("有 " + std::to_string(replaced) +
                               " 个文件会被自己的转换结果替换（如“" +
                               platform::ShownName(first) +
                               "”），原文件将不再保留。\n确定要这样转换吗？"))
    return;
  if (existing > 0 &&
      declined("转换至的文件夹中已有 " + std::to_string(existing) +
               " 个文件会被转换结果替换（如“" +
               platform::ShownName(first_existing) +
               "”）。\n确定要替换它们吗？"))
    return;
  // Among them earlier outputs in a folder the list was walked from, which
  // the run would otherwise keep as documents of that folder.
  std::erase_if(options.kept, [&](const std::filesystem::path& kept) {
    return std::find(answered.begin(), answered.end(), kept) != answered.end();
  });
  view_.ShowPro(true);
  running_ = true;
  stop_asked_ = false;
  view_.SetRunning(true);
  options.stop = [this] { return stop_asked_; };
  BatchOutcome outcome = RunBatch(
      er_, fore, hind, target, Request(),
      [this](int16_t percent) {
        pro_percent_ = percent;
        view_.SetPro(pro_percent_);
      },
      options);
  running_ = false;
  view_.SetRunning(false);
  // Told of, as the command line tells of them: the user listed them.
  for (const std::filesystem::path& kept : options.kept) {
    if (kept.string().starts_with(target) &&
        std::find(outcome.in_target.begin(), outcome.in_target.end(),
                  kept.string()) == outcome.in_target.end())
      outcome.in_target.push_back(kept.string());
  }
  const ClosingMessage message = DescribeOutcome(outcome, target);
  messages_.Show(message.text, message.icon, kBatTitle);
  // A stopped run keeps the files it left, to be run again or closed.
  if (outcome.stopped > 0) {
    view_.ShowPro(false);
    KeepOnly(outcome.left, listed);
    return;
  }
  view_.Close();
}

void Bat::KeepOnly(const std::vector<size_t>& left,
                   const std::vector<size_t>& listed) {
  std::vector<bool> keep(be_fore_.size(), false);
  for (const size_t j : left) keep[listed[j]] = true;
  for (size_t i = be_fore_.size(); i-- > 0;) {
    if (keep[i]) continue;
    view_.RemoveFromBeFore(static_cast<int>(i));
    be_fore_.erase(be_fore_.begin() + static_cast<ptrdiff_t>(i));
    be_hind_.erase(be_hind_.begin() + static_cast<ptrdiff_t>(i));
    options_.roots.erase(options_.roots.begin() + static_cast<ptrdiff_t>(i));
  }
  view_.EnableNDel(false);
}

core::ConversionRequest Bat::Request() const {
  core::ConversionRequest request;
  request.variant =
      platform::kVariantChoices[platform::RememberedVariant(settings_)].variant;
  const int choice = view_.TargetChoice() - 1;
  if (choice >= 0 && choice < platform::kTargetChoiceCount) {
    request.to = platform::kTargetChoices[choice].to;
    request.script = platform::kTargetChoices[choice].script;
  }
  return request;
}

void Bat::OnNQuit() {
  if (running_) {
    stop_asked_ = true;  // The run ends after the files begun, and says so.
    return;
  }
  view_.Close();
}

void Bat::OnBeForeClicked() {
  if (!be_fore_.empty()) view_.EnableNDel(true);
}

void Bat::OnBeForeMouseMove(bool button_held, int x, int y) {
  if (button_held) return;
  const int index = view_.BeForeIndexAt(x, y);
  if (index >= 0 && index < static_cast<int>(be_fore_.size())) {
    view_.SetBeForeToolTip(be_fore_[index]);
  } else {
    view_.SetBeForeToolTip("");
  }
}

void Bat::OnBeForeDropped(const std::vector<std::filesystem::path>& paths) {
  std::string unreadable;
  for (const std::filesystem::path& path : paths) {
    std::error_code error;
    if (!std::filesystem::is_directory(path, error)) {
      Append(path.string(), path.filename().string());
      continue;
    }
    // Opened before it is walked: its files are read below this folder,
    // whatever its path is made to lead to later.
    core::Result<core::OpenFolder> opened = core::OpenExistingFolder(path);
    if (!opened) {
      unreadable += "\n" + platform::ShownName(path.string()) + "（" +
                    platform::OsReasonText(opened.error().reason) + "）";
      continue;
    }
    const TreeRoot root{
        path, std::make_shared<const core::OpenFolder>(std::move(*opened))};
    core::DocumentTree tree =
        core::ListDocuments(path, core::DocumentExtensions(), view_.ToText());
    for (core::DocumentTree::Entry& document : tree.documents)
      Append(document.path.string(), document.relative.string(), root);
    options_.kept.insert(options_.kept.end(), tree.kept.begin(),
                         tree.kept.end());
    for (const core::Error& failure : tree.failures)
      unreadable += "\n" + platform::ShownName(failure.path) + "（" +
                    platform::OsReasonText(failure.reason) + "）";
  }
  if (!unreadable.empty()) {
    messages_.Show("以下文件夹无法读取，其中的文件没有加入：" + unreadable,
                   platform::MessageIcon::kExclamation, kBatTitle);
  }
}

}  // namespace tovenrak::batch
