#include "main_window/main_presenter.h"

#include <cassert>
#include <utility>

#include "core/encoding/detection.h"
#include "core/encoding/rewrite_charset.h"
#include "core/io/file_io.h"
#include "main_window/main_layout.h"
#include "main_window/view_text.h"

namespace tovenrak::main_window {

namespace {

constexpr const char* kTitle = "Zemlorin Tovenrak v.1";
constexpr const char* kGbState = "文件处于 GB 码状态";
constexpr const char* kBig5State = "文件处于 Big5 码状态";
constexpr const char* kOpenFilter =
    "Html文件[*.htm;*.html]|*.htm;*.html|文本文件[*.txt]|*.txt|";
constexpr const char* kSaveFilter = "Html文件[*.htm;*.html]|*.htm;*.html|";
constexpr const char* kPreviewFile = "temp.htm";

core::Encoding EncodingOf(bool big5) {
  return big5 ? core::Encoding::kBig5 : core::Encoding::kGbk;
}

std::string Quoted(const std::filesystem::path& path) {
  return "“" + path.string() + "”";
}

// The OS's reason without the file name that core puts in front of it.
std::string Reason(const core::Error& error) {
  if (error.code == core::ErrorCode::kTooLarge) {
    return "文件大于 " + std::to_string(kMaxOpenBytes >> 20) +
           " MiB，太大，无法在窗口中打开。";
  }
  return error.reason;
}

}  // namespace

Main::Main(const Controls& controls, std::unique_ptr<core::Converter> cher,
           std::filesystem::path app_dir, std::filesystem::path program_dir)
    : c_(controls),
      cher_(std::move(cher)),
      app_dir_(std::move(app_dir)),
      program_dir_(std::move(program_dir)),
      panes_(kInitialPanes) {
  assert(cher_ != nullptr);
  for (int position = 1; position <= kToolbarPositions; ++position)
    c_.tool.SetButtonEnabled(position, true);
  ShowPressed();
  c_.htmler.Hide();
  c_.status.SetPanelText(platform::StatusBar::kBrowserPanel, "");
  c_.status.SetPanelText(platform::StatusBar::kEncodingPanel, "");
  c_.frame.SetSiteLink(kSiteAddress,
                       std::string("我们的E-mail为：") + kMakerEmail);
}

void Main::OpenHtmlFile() {
  const std::string chosen = c_.dia.AskOpenPath("打开文件", kOpenFilter);
  if (!chosen.empty()) OpenPath(chosen);
}

void Main::OpenPath(const std::filesystem::path& path) {
  c_.htmler.ShowFile(path);
  c_.htmler.Show();

  core::Result<std::string> read = core::ReadDocument(path, kMaxOpenBytes);
  if (!read) {
    ShowError("无法读取文件" + Quoted(path) + "。\n原因：" +
              Reason(read.error()));
    return;
  }
  if (read->find('\0') != std::string::npos) {
    ShowError("文件" + Quoted(path) +
              "含有二进制数据，不是网页或文本文件，没有打开。");
    return;
  }
  const Side side = core::MentionsBig5(*read) ? Side::kBig5 : Side::kGb;
  OpenAs(side, path, std::move(*read));
}

// Both stored texts are filled on their own sides, so that GB always converts
// Big5 text and Big5 always converts GB text, whichever kind was opened.
void Main::OpenAs(Side side, const std::filesystem::path& path,
                  std::string text) {
  core::Result<core::Conversion> other =
      side == Side::kGb ? cher_->GBToBig5(text) : cher_->Big5ToGB(text);
  if (!other) {
    ShowError("无法转换文件" + Quoted(path) + "。\n原因：" +
              other.error().Message());
    return;
  }
  c_.status.SetPanelText(platform::StatusBar::kEncodingPanel,
                         side == Side::kGb ? kGbState : kBig5State);
  if (side == Side::kGb) {
    ori_str_ = std::move(text);
    cvt_str_ = std::move(other->text);
  } else {
    cvt_str_ = std::move(text);
    ori_str_ = std::move(other->text);
  }
  c_.tool.SetButtonEnabled(kClearButton, true);
  c_.tool.SetButtonEnabled(kGbButton, true);
  c_.tool.SetButtonEnabled(kBig5Button, true);
  PressSide(side);
  if (side == Side::kGb) {
    ShowInView(ori_str_, core::Encoding::kGbk);
    return;
  }
  // The GB text must not go on declaring Big5, or the preview shows it as
  // garbage. As with the GB command, only the shown text is rewritten.
  ShowInView(core::RewriteCharset(ori_str_, core::Encoding::kGbk),
             core::Encoding::kGbk);
  if (WritePreview()) c_.htmler.ShowFile(app_dir_ / kPreviewFile);
  WarnAboutConversion(*other, Side::kGb);
}

void Main::Clear() {
  ShowInView("", core::Encoding::kGbk);
  c_.htmler.Hide();
  c_.tool.SetButtonEnabled(kClearButton, false);
  c_.tool.SetButtonEnabled(kBig5Button, false);
  gb_pressed_ = false;
  big5_pressed_ = false;
  ShowPressed();
}

void Main::ConvertToGb() { Convert(Side::kGb); }
void Main::ConvertToBig5() { Convert(Side::kBig5); }

void Main::Convert(Side target) {
  const bool to_gb = target == Side::kGb;
  core::Result<core::Conversion> converted =
      to_gb ? cher_->Big5ToGB(cvt_str_) : cher_->GBToBig5(ori_str_);
  if (!converted) {
    // The toolbar may already show the clicked button pressed.
    ShowPressed();
    ShowError(
        std::string(to_gb ? "无法转换为 GB 码。" : "无法转换为 Big5 码。") +
        "\n原因：" + converted.error().Message());
    return;
  }
  c_.status.SetPanelText(platform::StatusBar::kEncodingPanel,
                         to_gb ? kGbState : kBig5State);
  std::string& stored = to_gb ? ori_str_ : cvt_str_;
  stored = std::move(converted->text);
  PressSide(target);
  // The view shows the stored text with its declaration rewritten; the
  // stored text keeps the declaration it had.
  ShowInView(core::RewriteCharset(stored, EncodingOf(!to_gb)),
             EncodingOf(!to_gb));
  if (WritePreview()) c_.htmler.ShowFile(app_dir_ / kPreviewFile);
  WarnAboutConversion(*converted, target);

  const std::string chosen = c_.dia.AskSavePath(
      to_gb ? "保存文件为 GB 码" : "保存文件为 Big5 码", kSaveFilter);
  if (chosen.empty()) return;
  const std::filesystem::path path(chosen);
  if (core::Status saved = core::SaveDocument(path, ViewBytes()); !saved) {
    ShowError("无法保存文件" + Quoted(path) + "，该文件没有改动。\n原因：" +
              Reason(saved.error()));
  }
}

bool Main::BrowseTo(const std::string& url) {
  return c_.shell.OpenAddress(url, program_dir_);
}

void Main::OnToolButton(int position) {
  switch (position) {
    case kOpenButton:
      OpenHtmlFile();
      break;
    case kClearButton:
      Clear();
      break;
    case kBatchButton:
      c_.batch.ShowBatchWindow();
      break;
    case kGbButton:
      ConvertToGb();
      break;
    case kBig5Button:
      ConvertToBig5();
      break;
    default:
      break;
  }
}

void Main::OnMenuBatch() { c_.batch.ShowBatchWindow(); }
void Main::OnMenuExit() { c_.frame.Quit(); }
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
  browser_activity_ = ok ? "完成" : "页面无法显示";
  c_.status.SetPanelText(platform::StatusBar::kBrowserPanel, browser_activity_);
}

void Main::OnPreviewLinkHovered(const std::string& url) {
  c_.status.SetPanelText(platform::StatusBar::kBrowserPanel,
                         url.empty() ? browser_activity_ : url);
}

void Main::ShowInView(const std::string& bytes, core::Encoding encoding) {
  c_.ori_text.SetText(DecodeForView(bytes, encoding));
  shown_bytes_ = bytes;
  shown_encoding_ = encoding;
}

// An unedited view gives back exactly the bytes it was given; an edited one
// is encoded in the encoding it shows.
std::string Main::ViewBytes() const {
  if (!c_.ori_text.IsModified()) return shown_bytes_;
  size_t references = 0;
  return EncodeFromView(c_.ori_text.Text(), shown_encoding_, references);
}

void Main::PressSide(Side side) {
  gb_pressed_ = side == Side::kGb;
  big5_pressed_ = side == Side::kBig5;
  ShowPressed();
}

void Main::ShowPressed() {
  c_.tool.SetButtonPressed(kGbButton, gb_pressed_);
  c_.tool.SetButtonPressed(kBig5Button, big5_pressed_);
}

bool Main::WritePreview() {
  const std::filesystem::path path = app_dir_ / kPreviewFile;
  core::Status written = core::SaveDocument(path, ViewBytes());
  if (!written) {
    ShowError("无法写入预览文件" + Quoted(path) + "。\n原因：" +
              Reason(written.error()));
  }
  return written.has_value();
}

void Main::ShowError(const std::string& text) {
  c_.message_box.Show(text, platform::MessageIcon::kCritical, kTitle);
}

void Main::WarnAboutConversion(const core::Conversion& conversion,
                               Side target) {
  if (conversion.references == 0 && conversion.invalid_units == 0) return;
  const bool to_gb = target == Side::kGb;
  std::string text = to_gb ? "转换为 GB 码时：" : "转换为 Big5 码时：";
  if (conversion.references > 0) {
    text += "\n有 " + std::to_string(conversion.references) + " 个字符在" +
            (to_gb ? " GB " : " Big5 ") +
            "码中没有对应的字，已写成 &#N; 形式的字符引用，网页仍能显示。";
  }
  if (conversion.invalid_units > 0) {
    text += "\n有 " + std::to_string(conversion.invalid_units) +
            " 处字节不是有效的" + (to_gb ? " Big5 " : " GB ") +
            "码，已原样保留。";
  }
  c_.message_box.Show(text, platform::MessageIcon::kExclamation, kTitle);
}

}  // namespace tovenrak::main_window
