#include "main_window/main_presenter.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <utility>

#include "core/convert/phrased_converter.h"
#include "core/convert_document.h"
#include "core/encoding/codec.h"
#include "core/encoding/detection.h"
#include "core/encoding/rewrite_charset.h"
#include "core/encoding/utf8.h"
#include "core/io/escape_for_terminal.h"
#include "core/reading_problems.h"
#include "core/recode_document.h"
#include "main_window/main_layout.h"
#include "main_window/preview_page.h"
#include "main_window/view_text.h"
#include "platform/conversion_choices.h"
#include "platform/os_reason_text.h"
#include "platform/shown_name.h"

namespace tovenrak::main_window {

namespace {

// The counts of a conversion, core::Conversion or core::DocumentConversion.
template <typename Converted>
core::EncodeCounts CountsOf(const Converted& c) {
  return {.references = c.references,
          .invalid_units = c.invalid_units,
          .server_references = c.server_references,
          .beyond_cp950 = c.beyond_cp950,
          .first_beyond_cp950 = c.first_beyond_cp950};
}

// "文件处于 GB 码状态" and its kind for each encoding.
std::string StateText(core::Encoding encoding) {
  return "文件处于 " + std::string(core::DisplayName(encoding)) + " 码状态";
}

// How the document's encoding was found, for the detection panel; a guess
// names what else the bytes read as well in.
std::string DetectionText(const core::Detection& detection) {
  const std::string name(core::DisplayName(detection.encoding));
  if (detection.declared && *detection.declared != detection.encoding) {
    return "编码：" + name + "（网页声明为 " +
           std::string(core::DisplayName(*detection.declared)) +
           "，与内容不符）";
  }
  std::string how;
  switch (detection.reason) {
    case core::DetectionReason::kNamed:
      how = "指定";
      break;
    case core::DetectionReason::kByteOrderMark:
      how = "依据字节顺序标记";
      break;
    case core::DetectionReason::kDeclaration:
      how = "依据网页声明";
      break;
    case core::DetectionReason::kUtf8:
      how = "依据 UTF-8 编码规则";
      break;
    case core::DetectionReason::kStatistics:
      how = "依据字频统计";
      break;
    case core::DetectionReason::kBig5Rule:
      how = detection.encoding == core::Encoding::kBig5 ? "提到了 big5"
                                                        : "没有提到 big5";
      break;
    case core::DetectionReason::kAsciiOnly:
      how = "只有 ASCII 字符";
      break;
    case core::DetectionReason::kRun:
      how = "与同批较多文件相同";
      break;
  }
  if (detection.guessed) {
    std::string others;
    for (const core::Encoding other : detection.also_reads_as) {
      others +=
          (others.empty() ? "" : "、") + std::string(core::DisplayName(other));
    }
    how += "，也可读作 " + others + "，请核对";
  }
  return "编码：" + name + "（" + how + "）";
}

// The script each side of the window is written in.
core::ScriptConversion ScriptOf(core::Encoding side, core::Variant variant) {
  return {side == core::Encoding::kGbk ? core::Script::kSimplified
                                       : core::Script::kTraditional,
          variant};
}

// `text` in `source` converted to `side` and its script, read as markup when
// it or the file `name` looks like a page, in `variant`, with `phrases` (if
// any) before the dictionaries, and its ambiguity points when `find`.
core::Result<core::RecodedDocument> ToSide(
    const core::Converter& converter, const std::string& text,
    core::Encoding source, core::Encoding side, core::Variant variant,
    const std::string& name,
    const std::shared_ptr<const core::UserPhrases>& phrases = nullptr,
    bool find = false) {
  const core::ScriptConversion how = ScriptOf(side, variant);
  if (phrases) {
    return core::RecodeDocument(core::PhrasedConverter(converter, *phrases),
                                text, source, side, how,
                                core::MarkupMode::kAuto, name, find);
  }
  return core::RecodeDocument(converter, text, source, side, how,
                              core::MarkupMode::kAuto, name, find);
}

// The first few characters of `text` (UTF-8) that `encoding` lacks, each
// once, as "“头”、“发”", with "等" when there are more; `lacked` of them
// stand in the text, which is read no further than the last.
std::string LackedCharacters(std::string_view text, core::Encoding encoding,
                             size_t lacked) {
  constexpr size_t kFew = 5;
  std::u32string named;
  bool more = false;
  std::string probe;
  for (size_t pos = 0, found = 0; pos < text.size() && found < lacked;) {
    const char32_t c = core::NextUtf8(text, pos);
    if (c < 0x80) continue;
    if (named.find(c) != std::u32string::npos) {
      ++found;
      continue;
    }
    core::EncodeCounts counts;
    probe.clear();
    core::Encode(std::u32string_view(&c, 1), encoding, probe, counts);
    if (counts.references == 0) continue;
    ++found;
    if (named.size() == kFew) {
      more = true;
      break;
    }
    named += c;
  }
  std::string listed;
  for (const char32_t c : named) {
    std::string one;
    core::AppendUtf8(c, one);
    listed += (listed.empty() ? "“" : "、“") + platform::ShownName(one) + "”";
  }
  return more ? listed + "等" : listed;
}

// Controls in a name, such as one of writing direction, are shown escaped:
// they would make it read as another name.
std::string Quoted(const std::filesystem::path& path) {
  return "“" + platform::ShownName(path.string()) + "”";
}

// Why a file could not be read or saved, for the user: the OS's words in
// Chinese where they are common ones, or the open limit.
std::string Reason(const core::Error& error) {
  if (error.code == core::ErrorCode::kTooLarge) {
    return "文件大于 " + std::to_string(platform::kMaxPreviewBytes >> 20) +
           " MiB，太大，无法在窗口中打开。";
  }
  if (std::optional<std::string> chinese =
          core::ReadingProblemInChinese(error.reason))
    return *chinese;
  return platform::OsReasonText(error.reason);
}

}  // namespace

Main::Main(const Controls& controls, std::unique_ptr<core::Converter> cher,
           std::filesystem::path preview_file,
           std::filesystem::path program_dir)
    : c_(controls),
      cher_(std::move(cher)),
      preview_file_(std::move(preview_file)),
      program_dir_(std::move(program_dir)),
      panes_(kInitialPanes) {
  assert(cher_ != nullptr);
  c_.frame.SetTitle(kTitle);
  for (int position = 1; position <= platform::kToolbarPositions; ++position)
    c_.tool.SetButtonEnabled(position, true);
  ShowPressed();
  c_.htmler.Hide();
  c_.status.SetPanelText(platform::StatusBar::kBrowserPanel, "");
  c_.status.SetPanelText(platform::StatusBar::kEncodingPanel, "");
  c_.frame.SetSiteLink(kSiteAddress,
                       std::string("我们的E-mail为：") + kMakerEmail);
  const int variant = platform::RememberedVariant(c_.settings);
  variant_ = platform::kVariantChoices[variant].variant;
  c_.frame.CheckVariant(variant);
}

Review& Main::AttachReview(platform::ReviewView& view) {
  ReviewHost& host = *this;
  review_ =
      std::make_unique<Review>(view, c_.ori_text, c_.message_box, host, kTitle);
  return *review_;
}

void Main::OpenHtmlFile() {
  const std::string chosen =
      c_.dia.AskOpenPath("打开文件", platform::kDocumentFilter);
  if (!chosen.empty()) OpenPath(chosen);
}

void Main::OpenPath(const std::filesystem::path& named) {
  // The preview loads a file by its full address: a name relative to the
  // current folder (given on the command line) is none.
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(named, error);
  if (error) path = named;
  core::Result<std::string> read =
      c_.files.Read(path, platform::kMaxPreviewBytes);
  if (!read) {
    KeepDocument();
    ShowError("无法读取文件" + Quoted(path) + "。\n原因：" +
              Reason(read.error()));
    return;
  }
  // UTF-16 holds NUL bytes too, and is named as such first.
  if (core::HasUtf16ByteOrderMark(*read)) {
    KeepDocument();
    ShowError("文件" + Quoted(path) +
              "是 UTF-16 编码的，窗口不打开这样的文件。批量转换（或 "
              "tovenrak-convert）可以把它转换为 UTF-8、GB 或 Big5。");
    return;
  }
  if (read->find('\0') != std::string::npos) {
    KeepDocument();
    ShowError("文件" + Quoted(path) +
              "含有二进制数据，不是网页或文本文件，没有打开。");
    return;
  }
  const core::Detection detection = core::DetectEncoding(
      *read, core::DocumentIsPage(*read, path.filename().string()));
  if (!detection.other_declared.empty()) {
    KeepDocument();
    ShowError("文件" + Quoted(path) + "声明的编码 " +
              platform::ShownName(detection.other_declared) +
              " 不是 Big5、GB 或 UTF-8，没有打开。");
    return;
  }
  if (detection.single_byte_letters || detection.japanese_or_korean) {
    KeepDocument();
    ShowError("文件" + Quoted(path) + "的内容像" +
              (detection.single_byte_letters
                   ? "西文或俄文的单字节编码，不像中文，也没有声明编码"
                   : "日文或韩文（假名或谚文），不像中文") +
              "，没有打开。");
    return;
  }
  // Asked only of a file that would take the window's place.
  if (!MayDiscard()) return KeepDocument();
  OpenAs(detection, path, std::move(*read));
}

// Each side is kept in its own encoding, so that GB always converts Big5 text
// and Big5 always converts GB text, whichever kind was opened. Only the side
// shown is converted now; the other is converted from the opened text when
// a command first needs it.
void Main::OpenAs(const core::Detection& detection,
                  const std::filesystem::path& path, std::string text) {
  const core::Encoding source = detection.encoding;
  const std::string name = path.filename().string();
  core::RecodedDocument gb;
  if (source == core::Encoding::kBig5) {
    // Only a Big5 document is shown converted, with its doubtful places.
    // Those take several times as long to find as the conversion, and the
    // preview loads only while the window waits for events: they are
    // looked for on another thread while the page is shown, and marked
    // once found (ReviewOpened).
    core::Result<core::RecodedDocument> converted =
        ToSide(*cher_, text, source, core::Encoding::kGbk, variant_, name,
               PhrasesFor(core::Encoding::kGbk));
    if (!converted) {
      KeepDocument();
      ShowError("无法转换文件" + Quoted(path) + "。\n原因：" +
                converted.error().Message());
      return;
    }
    gb = std::move(*converted);
  }
  // The document opens: what its preview file needs is known, and saving
  // starts from its name.
  opened_path_ = path;
  c_.dia.StartFrom(path.string());
  c_.htmler.StartAtTop();
  name_ = name;
  folder_ = FolderOf(path);
  as_text_ = !core::DocumentLooksLikeMarkup(text, source, name);
  if (source != core::Encoding::kBig5) {
    // Shown as it is: the preview loads it while the text is shown. Where
    // its bytes contradict what it declares, which the browser would
    // believe, or it declares nothing and the browser would guess (a text
    // with a few invalid bytes passes for Latin-1), the preview file says
    // what it is.
    const bool lies = detection.declared &&
                      *detection.declared != detection.encoding &&
                      detection.reason != core::DetectionReason::kDeclaration;
    const bool guessed =
        !detection.declared &&
        detection.reason != core::DetectionReason::kByteOrderMark &&
        detection.reason != core::DetectionReason::kAsciiOnly;
    if ((lies || guessed) && WritePreview(text, source)) {
      c_.htmler.ShowFile(preview_file_, folder_);
      c_.htmler.Show();
    } else {
      PreviewOriginal(path);
    }
  }
  c_.status.SetPanelText(platform::StatusBar::kEncodingPanel,
                         StateText(source));
  c_.status.SetPanelText(platform::StatusBar::kDetectionPanel,
                         DetectionText(detection));
  EndReview();
  ori_str_.clear();
  cvt_str_.clear();
  ori_pending_ =
      source != core::Encoding::kGbk && source != core::Encoding::kBig5;
  cvt_pending_ = source != core::Encoding::kBig5;
  if (source == core::Encoding::kGbk) ori_str_ = text;
  if (source == core::Encoding::kBig5) {
    ori_str_ = std::move(gb.conversion.text);
    cvt_str_ = text;
  }
  unsaved_choices_ = false;
  on_disk_ = std::hash<std::string_view>{}(text);
  opened_text_ = std::move(text);
  opened_encoding_ = source;
  opened_variant_ = variant_;
  opened_ = true;
  gb_side_commanded_ = false;
  big5_side_commanded_ = false;
  gb_history_ = {};
  big5_history_ = {};
  c_.tool.SetButtonEnabled(platform::kClearButton, true);
  c_.tool.SetButtonEnabled(platform::kGbButton, true);
  c_.tool.SetButtonEnabled(platform::kBig5Button, true);
  PressSide(source);
  switch (source) {
    case core::Encoding::kGbk:
      ShowInView(ori_str_, core::Encoding::kGbk);
      break;
    case core::Encoding::kBig5:
      // The GB text must not go on declaring Big5, or the preview shows it
      // as garbage. As with the GB command, only the shown text is
      // rewritten. Without a preview file the preview shows the file.
      // The search for the doubtful places, and marking them, waits for the
      // preview: on two cores they held back a large page's first screen by
      // about a tenth of a second. Set before the preview loads, which may
      // end while the warning's box is open.
      if (review_) find_points_turn_ = review_turn_;
      if (ShowConverted(ori_str_, core::Encoding::kGbk, /*marks=*/false)) {
        c_.htmler.Show();
      } else {
        PreviewOriginal(path);
      }
      WarnAboutConversion(CountsOf(gb.conversion), core::Encoding::kBig5,
                          core::Encoding::kGbk);
      break;
    case core::Encoding::kGb18030:
    case core::Encoding::kUtf8:
      // Shown and previewed as it is; GB and Big5 convert it from there.
      ShowInView(opened_text_, source);
      break;
  }
  // Wherever the last document was shown, a new one shows its start.
  c_.ori_text.ShowStart();
  // Read by its bytes as the encoding most of it is in, a file pasted
  // together from several shows the rest as other characters, and GB and
  // Big5 convert them so.
  if (const auto lines =
          core::FindMixedLines(opened_text_, source, detection.reason)) {
    c_.message_box.Show("文件" + Quoted(path) + "混用了编码：有 " +
                            std::to_string(lines->count) + " 行（第一行是第 " +
                            std::to_string(lines->first) + " 行）像是 " +
                            std::string(core::DisplayName(lines->other)) +
                            " 码，但全文按 " +
                            std::string(core::DisplayName(source)) +
                            " 码读取，这些行显示和转换出来都是别的字。",
                        platform::MessageIcon::kExclamation, kTitle);
  }
}

void Main::FindPointsAside() {
  // The other thread gets its own copies: the window may open another file
  // or go while it works.
  struct Job {
    std::shared_ptr<const core::Converter> converter;
    std::string text, name;
    core::Encoding source;
    core::Variant variant;
    std::shared_ptr<const core::UserPhrases> phrases;
    core::Result<core::RecodedDocument> found = core::Error{};
  };
  auto job = std::make_shared<Job>(Job{cher_, opened_text_, name_,
                                       opened_encoding_, opened_variant_,
                                       PhrasesFor(core::Encoding::kGbk)});
  c_.frame.RunAside(
      [job] {
        job->found = ToSide(*job->converter, job->text, job->source,
                            core::Encoding::kGbk, job->variant, job->name,
                            job->phrases, /*find=*/true);
      },
      [this, alive = std::weak_ptr<int>(alive_), job, turn = review_turn_] {
        if (alive.lock()) ReviewOpened(turn, std::move(job->found));
      });
}

void Main::ReviewOpened(uint64_t turn,
                        core::Result<core::RecodedDocument> converted) {
  // Skipped when another review began or ended since, or when the view no
  // longer shows the opened page's GB side as it was shown.
  if (!review_ || turn != review_turn_ ||
      shown_encoding_ != core::Encoding::kGbk || c_.ori_text.IsModified())
    return;
  if (!converted) {
    ShowError("无法查找“" + platform::ShownName(name_) +
              "”转换中的疑点。\n原因：" + converted.error().Message());
    return;
  }
  // Opening ended the last review, choices and all, so the text comes back
  // as it was shown; were it ever not, it is shown again.
  std::string stored =
      review_->Begin({opened_text_, opened_encoding_, core::Encoding::kGbk,
                      std::move(converted->points)},
                     std::move(converted->conversion.text));
  if (stored != ori_str_) {
    ori_str_ = std::move(stored);
    ShowConverted(ori_str_, core::Encoding::kGbk);
  } else {
    review_->Show(shown_bytes_);
  }
}

void Main::EndReview() {
  ++review_turn_;
  if (review_) review_->End();
}

// A file that does not open leaves the window on the document it shows, in
// the preview and as the name saving starts from: saving what is shown
// under the refused file's name would replace that file.
void Main::KeepDocument() { c_.dia.StartFrom(opened_path_.string()); }

void Main::PreviewOriginal(const std::filesystem::path& path) {
  c_.htmler.ShowFile(path, FolderOf(path));
  c_.htmler.Show();
}

core::Status Main::FillSide(core::Encoding side) {
  const bool gb = side == core::Encoding::kGbk;
  bool& pending = gb ? ori_pending_ : cvt_pending_;
  if (!pending) return {};
  core::Result<core::RecodedDocument> converted =
      ToSide(*cher_, opened_text_, opened_encoding_, side, opened_variant_,
             name_, PhrasesFor(side));
  if (!converted) return converted.error();
  (gb ? ori_str_ : cvt_str_) = std::move(converted->conversion.text);
  pending = false;
  return {};
}

void Main::Clear() {
  if (!MayDiscard()) return;
  unsaved_choices_ = false;
  EndReview();
  ShowInView("", core::Encoding::kGbk);
  c_.htmler.Hide();
  c_.tool.SetButtonEnabled(platform::kClearButton, false);
  c_.tool.SetButtonEnabled(platform::kBig5Button, false);
  gb_pressed_ = false;
  big5_pressed_ = false;
  ShowPressed();
}

std::shared_ptr<const core::UserPhrases> Main::PhrasesFor(core::Encoding side) {
  if (!review_) return nullptr;
  return review_->Phrases(side == core::Encoding::kGbk
                              ? core::Script::kSimplified
                              : core::Script::kTraditional);
}

void Main::ConvertToGb() { Convert(core::Encoding::kGbk); }
void Main::ConvertToBig5() { Convert(core::Encoding::kBig5); }

void Main::Convert(core::Encoding target) {
  // The conversion replaces what was typed; choices stay in the stored text.
  if (!MayConvert(/*choices=*/false)) return ShowPressed();
  if (ShowConversion(target, true)) SaveShown();
}

bool Main::ShowConversion(core::Encoding target, bool warn) {
  const bool to_gb = target == core::Encoding::kGbk;
  // Until a command made the other side, the document as opened is
  // converted, not the other side made from it: through that side every
  // character would pass through the other encoding and script, and one
  // that encoding lacks come back as a reference.
  SideHistory& mine = to_gb ? gb_history_ : big5_history_;
  const SideHistory& theirs = to_gb ? big5_history_ : gb_history_;
  const bool other_commanded =
      to_gb ? big5_side_commanded_ : gb_side_commanded_;
  // It adds nothing when unchanged since it was made from the document, or
  // from this side while this side was the document's conversion.
  const bool other_adds_nothing =
      theirs.changes == theirs.changes_as_made &&
      (theirs.from_opened ||
       (theirs.other_changes == mine.changes && mine.from_opened));
  const bool as_opened = !other_commanded || other_adds_nothing;
  // The review puts back the choices made in this side where the same text
  // is converted again; from another, they go, unless they were saved.
  const bool same_source =
      as_opened ? mine.from_opened
                : !mine.from_opened && theirs.changes == mine.other_changes;
  if (!same_source &&
      mine.changes > std::max(mine.changes_as_made, mine.changes_saved) &&
      !c_.message_box.Ask(std::string(core::DisplayName(target)) +
                              " 码文本中在疑点所作的选择尚未保存，这次转换不会"
                              "保留它们。要转换吗？",
                          kTitle)) {
    ShowPressed();
    return false;
  }
  const std::string& source = as_opened ? opened_text_
                              : to_gb   ? cvt_str_
                                        : ori_str_;
  const core::Encoding from = as_opened ? opened_encoding_
                              : to_gb   ? core::Encoding::kBig5
                                        : core::Encoding::kGbk;
  const core::Status filled = as_opened ? core::Status{} : FillSide(from);
  core::Result<core::RecodedDocument> converted =
      filled ? ToSide(*cher_, source, from, target, variant_, name_,
                      PhrasesFor(target), review_ != nullptr)
             : core::Result<core::RecodedDocument>(filled.error());
  if (!converted) {
    // The toolbar may already show the clicked button pressed.
    ShowPressed();
    ShowError("无法转换为 " + std::string(core::DisplayName(target)) +
              " 码。\n原因：" + converted.error().Message());
    return false;
  }
  c_.status.SetPanelText(platform::StatusBar::kEncodingPanel,
                         StateText(target));
  std::string& stored = to_gb ? ori_str_ : cvt_str_;
  stored = std::move(converted->conversion.text);
  (to_gb ? ori_pending_ : cvt_pending_) = false;
  (to_gb ? gb_side_commanded_ : big5_side_commanded_) = true;
  ++review_turn_;
  if (review_) {
    stored =
        review_->Begin({source, from, target, std::move(converted->points)},
                       std::move(stored));
  }
  mine = {mine.changes + 1, as_opened, theirs.changes, mine.changes + 1};
  PressSide(target);
  ShowConverted(stored, target);
  if (warn) {
    WarnAboutConversion(CountsOf(converted->conversion), from, target);
  }
  return true;
}

void Main::ReplaceConverted(std::string bytes) {
  unsaved_choices_ = true;
  ++(shown_encoding_ == core::Encoding::kGbk ? gb_history_ : big5_history_)
        .changes;
  std::string& stored =
      shown_encoding_ == core::Encoding::kGbk ? ori_str_ : cvt_str_;
  stored = std::move(bytes);
  (shown_encoding_ == core::Encoding::kGbk ? ori_pending_ : cvt_pending_) =
      false;
  ShowConverted(stored, shown_encoding_);
}

bool Main::ShowConverted(const std::string& stored, core::Encoding encoding,
                         bool marks) {
  // The view shows the stored text with its declaration rewritten; the
  // stored text keeps the declaration it had, as the file had it. The
  // preview starts loading before the view takes the text.
  std::string shown = core::RewriteCharset(stored, encoding);
  core::AddMissingXmlDeclaration(shown, name_, encoding);
  const bool previewed = WritePreview(shown, encoding);
  if (previewed) c_.htmler.ShowFile(preview_file_, folder_);
  ShowInView(std::move(shown), encoding);
  if (review_ && marks) review_->Show(shown_bytes_);
  return previewed;
}

void Main::ConvertAgain() {
  if (shown_encoding_ == core::Encoding::kGbk ||
      shown_encoding_ == core::Encoding::kBig5)
    ShowConversion(shown_encoding_, false);
}

void Main::PreviewShown() {
  if (WritePreview(ViewBytes(), shown_encoding_))
    c_.htmler.ShowFile(preview_file_, folder_);
}

void Main::SaveShown() {
  if (shown_bytes_.empty() && !c_.ori_text.IsModified()) return;
  OfferSave(shown_encoding_ == core::Encoding::kGbk ? "保存文件为 GB 码"
            : shown_encoding_ == core::Encoding::kBig5 ? "保存文件为 Big5 码"
                                                       : "保存文件");
}

void Main::OfferSave(const std::string& title) {
  const std::string chosen =
      c_.dia.AskSavePath(title, platform::kDocumentFilter);
  if (chosen.empty()) return;
  const std::filesystem::path path(chosen);
  // The dialog starts from the opened file's name, and its own question
  // says only that a file is there: replacing the original with its
  // conversion, which may not convert back, is asked in so many words.
  const bool over_opened = opened_ && c_.files.SameFile(path, opened_path_);
  // Another program may have changed the file since it was opened: what it
  // wrote would go unseen.
  if (over_opened && ChangedOnDisk()) {
    if (!c_.message_box.Ask(
            "文件" + Quoted(path) +
                "在打开后已被改动，和打开时的内容不同。保存会用"
                "显示的文本替换它，那些改动就没有了。要替换吗？",
            kTitle))
      return;
  } else if (over_opened && shown_encoding_ != opened_encoding_ &&
             !c_.message_box.Ask(
                 "文件" + Quoted(path) + "是打开的 " +
                     std::string(core::DisplayName(opened_encoding_)) +
                     " 原文件。保存会用显示的 " +
                     std::string(core::DisplayName(shown_encoding_)) +
                     " 码文本替换它，原来的内容就没有了。要替换吗？",
                 kTitle)) {
    return;
  }
  size_t references = 0;
  const std::string bytes = ViewBytes(&references);
  // Typed or pasted, they are characters in the view, but not in the file.
  if (references > 0 &&
      !c_.message_box.Ask(
          "显示的文本中有 " + std::to_string(references) + " 个字符（" +
              LackedCharacters(c_.ori_text.Text(), shown_encoding_,
                               references) +
              "）在 " + std::string(core::DisplayName(shown_encoding_)) +
              " 码中没有对应的字，保存时会写成 &#N; 形式的字符引用" +
              (as_text_ ? "，文本文件中它们显示为 &#N; 字样" : "") +
              "。要保存吗？",
          kTitle))
    return;
  if (core::Status saved = c_.files.Save(path, bytes); !saved) {
    ShowError("无法保存文件" + Quoted(path) + "，该文件没有改动。\n原因：" +
              Reason(saved.error()));
    return;
  }
  if (over_opened) on_disk_ = std::hash<std::string_view>{}(bytes);
  unsaved_choices_ = false;
  if (shown_encoding_ == core::Encoding::kGbk) {
    gb_history_.changes_saved = gb_history_.changes;
  } else if (shown_encoding_ == core::Encoding::kBig5) {
    big5_history_.changes_saved = big5_history_.changes;
  }
  saved_view_ = c_.ori_text.IsModified() ? c_.ori_text.Text() : std::string();
  // What was saved is what the preview shows from now on.
  if (!saved_view_.empty()) PreviewShown();
}

bool Main::ChangedOnDisk() {
  // A file gone or unreadable now loses nothing by the save, or fails it;
  // one grown past what the window reads has changed.
  const core::Result<std::string> now =
      c_.files.Read(opened_path_, platform::kMaxPreviewBytes);
  if (!now) return now.error().code == core::ErrorCode::kTooLarge;
  return std::hash<std::string_view>{}(*now) != on_disk_;
}

void Main::ConvertTo(int choice) {
  if (!opened_ || choice < 0 || choice >= platform::kTargetChoiceCount) return;
  const platform::TargetChoice& target = platform::kTargetChoices[choice];
  // GB and Big5 are the toolbar's conversions, reviewed as they are.
  if (target.script == core::ScriptChoice::kSimplified &&
      target.to == core::Encoding::kGbk)
    return ConvertToGb();
  if (target.script == core::ScriptChoice::kTraditional &&
      target.to == core::Encoding::kBig5)
    return ConvertToBig5();
  // The others have no review: choices made in the text shown go.
  if (!MayConvert(/*choices=*/true)) return;
  core::ConversionRequest request{opened_encoding_, target.to, target.script,
                                  variant_};
  request.phrases_to_traditional = PhrasesFor(core::Encoding::kBig5);
  request.phrases_to_simplified = PhrasesFor(core::Encoding::kGbk);
  core::Result<core::DocumentConversion> converted =
      core::ConvertDocument(*cher_, opened_text_, request, name_);
  const std::string name(core::DisplayName(target.to));
  if (!converted) {
    ShowPressed();
    ShowError("无法转换为 " + name + " 码。\n原因：" +
              converted.error().Message());
    return;
  }
  c_.status.SetPanelText(platform::StatusBar::kEncodingPanel,
                         StateText(target.to));
  PressSide(target.to);
  // Its places are not reviewed: marks of an earlier conversion go, and so
  // do those of the opened page still being looked for.
  EndReview();
  ShowInView(converted->text, target.to);
  if (WritePreview(ViewBytes(), shown_encoding_))
    c_.htmler.ShowFile(preview_file_, folder_);
  WarnAboutConversion(CountsOf(*converted), opened_encoding_, target.to);
  OfferSave("保存文件为 " + name + " 码");
}

void Main::ChooseVariant(int choice) {
  if (choice < 0 || choice >= platform::kVariantChoiceCount) return;
  variant_ = platform::kVariantChoices[choice].variant;
  c_.settings.SetValue(platform::kVariantKey,
                       platform::kVariantChoices[choice].key);
  c_.frame.CheckVariant(choice);
}

void Main::OnFilesDropped(const std::vector<std::filesystem::path>& paths) {
  if (!paths.empty()) OpenPath(paths.front());
}

void Main::BrowseTo(const std::string& url) {
  c_.shell.OpenAddress(url, program_dir_);
}

void Main::OnToolButton(int position) {
  switch (position) {
    case platform::kOpenButton:
      OpenHtmlFile();
      break;
    case platform::kClearButton:
      Clear();
      break;
    case platform::kBatchButton:
      c_.batch.ShowBatchWindow();
      break;
    case platform::kGbButton:
      ConvertToGb();
      break;
    case platform::kBig5Button:
      ConvertToBig5();
      break;
    default:
      break;
  }
}

void Main::OnMenuBatch() { c_.batch.ShowBatchWindow(); }
void Main::OnMenuExit() {
  if (MayDiscard()) c_.frame.Quit();
}

bool Main::MayDiscard(bool choices) {
  const bool edited =
      c_.ori_text.IsModified() && c_.ori_text.Text() != saved_view_;
  if (!(choices && unsaved_choices_) && !edited) return true;
  return c_.message_box.Ask(
      "显示的文本有尚未保存的修改（疑点的选择或手工的改动），要放弃这些修改吗"
      "？",
      kTitle);
}

bool Main::MayConvert(bool choices) {
  // Edits that were saved are not in the conversion either, and are said
  // to go with the rest.
  const bool saved_edits = !saved_view_.empty();
  if (!saved_edits) return MayDiscard(choices);
  const bool unsaved =
      (choices && unsaved_choices_) || c_.ori_text.Text() != saved_view_;
  return c_.message_box.Ask(
      std::string(unsaved ? "显示的文本有手工的改动，一部分已经保存，"
                            "另有尚未保存的修改（疑点的选择或手工的改动）。"
                          : "显示的文本有手工的改动，已经保存。") +
          "转换是从打开的文件转换的，不含这些改动。要转换吗？",
      kTitle);
}

void Main::OnMenuAbout() { c_.frame.Maximize(); }

void Main::OnResized(float outer_width, float outer_height,
                     float client_width) {
  panes_ = LayOutMain(outer_width, outer_height, client_width, panes_);
  c_.frame.PlacePanes(panes_);
}

void Main::OnPreviewLoadStarted() {
  browser_activity_ = "正在打开页面……";
  c_.status.SetPanelText(platform::StatusBar::kBrowserPanel, browser_activity_);
}

void Main::OnPreviewLoadFinished(bool ok) {
  if (find_points_turn_ == review_turn_) {
    find_points_turn_.reset();
    FindPointsAside();
  }
  browser_activity_ = ok ? "完成" : "页面无法显示";
  c_.status.SetPanelText(platform::StatusBar::kBrowserPanel, browser_activity_);
}

void Main::OnPreviewLinkHovered(const std::string& url) {
  c_.status.SetPanelText(platform::StatusBar::kBrowserPanel,
                         url.empty() ? browser_activity_ : url);
}

void Main::ShowInView(std::string bytes, core::Encoding encoding) {
  c_.ori_text.SetText(DecodeForView(bytes, encoding));
  shown_bytes_ = std::move(bytes);
  shown_encoding_ = encoding;
  // Nothing typed into this text has been saved: an edit saved from another
  // text that happens to read the same must not pass for it.
  saved_view_.clear();
}

// An unedited view gives back exactly the bytes it was given; an edited one
// is encoded in the encoding it shows, its lines ending as most of the
// shown text's did.
std::string Main::ViewBytes(size_t* references) const {
  if (!c_.ori_text.IsModified()) return shown_bytes_;
  size_t written = 0;
  std::string bytes = EncodeFromView(c_.ori_text.Text(), shown_bytes_,
                                     shown_encoding_, written);
  if (references) *references = written;
  return bytes;
}

void Main::PressSide(core::Encoding side) {
  gb_pressed_ = side == core::Encoding::kGbk;
  big5_pressed_ = side == core::Encoding::kBig5;
  ShowPressed();
}

void Main::ShowPressed() {
  c_.tool.SetButtonPressed(platform::kGbButton, gb_pressed_);
  c_.tool.SetButtonPressed(platform::kBig5Button, big5_pressed_);
}

bool Main::WritePreview(std::string_view bytes, core::Encoding encoding) {
  const std::filesystem::path& path = preview_file_;
  // The preview's engine reads Big5 and GBK by tables of its own that give
  // some codes (Hong Kong's characters such as 啓 and 着, kana, GBK's
  // vertical forms) as private-use characters, which show as boxes where a
  // browser shows the characters: it is given the page in UTF-8, its
  // scripts and style sheets still read in the page's encoding. But a style
  // sheet that the page's own <style> imports is read in the page's
  // encoding, which the copy would change: such a page stays as it is.
  constexpr std::string_view kImport = "@import";
  const bool imports =
      std::search(bytes.begin(), bytes.end(), kImport.begin(), kImport.end(),
                  [](char a, char b) {
                    return std::tolower(static_cast<unsigned char>(a)) == b;
                  }) != bytes.end();
  std::string utf8;
  if (encoding != core::Encoding::kUtf8 && !imports) {
    core::Result<core::RecodedDocument> recoded = core::RecodeDocument(
        *cher_, bytes, encoding, core::Encoding::kUtf8, std::nullopt,
        as_text_ ? core::MarkupMode::kText : core::MarkupMode::kHtml, name_);
    if (recoded) {
      utf8 = std::move(recoded->conversion.text);
      bytes = utf8;
      encoding = core::Encoding::kUtf8;
    }
  }
  core::Status written = c_.files.SaveScratch(
      path, PreviewPage(bytes, encoding, folder_, as_text_));
  if (!written) {
    ShowError("无法写入预览文件" + Quoted(path) + "。\n原因：" +
              Reason(written.error()));
  }
  return written.has_value();
}

void Main::ShowError(const std::string& text) {
  c_.message_box.Show(text, platform::MessageIcon::kCritical, kTitle);
}

void Main::WarnAboutConversion(const core::EncodeCounts& counts,
                               core::Encoding source, core::Encoding target) {
  const auto [references, invalid_units, server_references, beyond_cp950,
              first_beyond_cp950] = counts;
  if (references == 0 && invalid_units == 0 && beyond_cp950 == 0) return;
  const std::string to(core::DisplayName(target));
  std::string text = "转换为 " + to + " 码时：";
  if (references > 0) {
    // A text file is read as it is written: there a reference stays the
    // characters "&#N;".
    text += "\n有 " + std::to_string(references) + " 个字符在 " + to +
            " 码中没有对应的字，已写成 &#N; 形式的字符引用" +
            (as_text_ ? "。文本文件中它们显示为 &#N; 字样，不是原来的字。"
                      : "（脚本和样式表中写成其自身的转义），网页仍能显示。");
  }
  if (server_references > 0) {
    text += "\n其中 " + std::to_string(server_references) +
            " 个在服务器代码（PHP、ASP 或 include）中，服务器不会把它们读成"
            "字符：字符串的值或文件名会改变。";
  }
  if (beyond_cp950 > 0) {
    std::string first;
    core::AppendUtf8(first_beyond_cp950, first);
    text += "\n有 " + std::to_string(beyond_cp950) + " 个字符（第一个是“" +
            platform::ShownName(first) +
            "”）只有香港增补字符集（HKSCS）或倚天扩充的 Big5 码：浏览器能读，"
            "Windows 的 950 代码页（及用它的编辑器）不能读。";
  }
  if (invalid_units > 0) {
    // Kept as they were, they read as other characters in another encoding.
    text +=
        "\n有 " + std::to_string(invalid_units) + " 处字节不是有效的 " +
        std::string(core::DisplayName(source)) + " 码，已原样保留" +
        (source == target ? "。" : "，在 " + to + " 码中可能被读成别的字。");
  }
  c_.message_box.Show(text, platform::MessageIcon::kExclamation, kTitle);
}

}  // namespace tovenrak::main_window
