// Everything a Main test needs: the fakes, files in memory, and a converter
// that records its calls and fails on demand.

#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/convert/default_converter.h"
#include "core/encoding/codec.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_files.h"
#include "fakes/fake_main_frame.h"
#include "main_window/main_presenter.h"

namespace tovenrak::testing {

// 頭髮 in Big5 and 头发 in GBK: what the converter makes of each other.
inline const std::string kBig5Body = "\xc0\x59\xbe\x76";
inline const std::string kGbBody = "\xcd\xb7\xb7\xa2";
inline constexpr const char* kBig5BodyUtf8 = "頭髮";
inline constexpr const char* kGbBodyUtf8 = "头发";

// A page declaring `charset` around `body`.
inline std::string Page(const std::string& charset, const std::string& body) {
  return "<meta charset=" + charset + ">" + body;
}

// Records each call as "Big5ToGB <Big5 bytes>" or "GBToBig5 <GB bytes>", then
// converts with the product's converter, or fails when `fail` is set.
struct RecordingConverter : core::Converter {
  core::Status Convert(std::u32string_view text, core::ScriptConversion how,
                       std::u32string& out) const override {
    const bool to_gb = how.to == core::Script::kSimplified;
    std::string bytes;
    core::EncodeCounts counts;
    core::Encode(text, to_gb ? core::Encoding::kBig5 : core::Encoding::kGbk,
                 bytes, counts);
    calls.push_back((to_gb ? "Big5ToGB " : "GBToBig5 ") + bytes);
    if (fail)
      return core::Error{core::ErrorCode::kInvalidInput, "dictionary gone"};
    static const auto real = std::move(core::MakeDefaultConverter().value());
    return real->Convert(text, how, out);
  }
  core::Status FindAmbiguities(
      std::u32string_view text, core::ScriptConversion how,
      std::vector<core::AmbiguityPoint>& points) const override {
    if (fail_points)
      return core::Error{core::ErrorCode::kNotFound, "candidates gone"};
    return Converter::FindAmbiguities(text, how, points);
  }
  mutable std::vector<std::string> calls;
  bool fail = false;
  bool fail_points = false;  // Only looking for doubtful places fails.
};

// MainWorld::Seen() in the GB or the Big5 state, showing `view_text`.
inline std::string GbSeen(const std::string& view_text) {
  return "文件处于 GB 码状态 | Open Clear Batch GB* Big5 | " + view_text;
}
inline std::string Big5Seen(const std::string& view_text) {
  return "文件处于 Big5 码状态 | Open Clear Batch GB Big5* | " + view_text;
}

inline const std::filesystem::path kDocs = "/docs";
inline const std::filesystem::path kAppDir = "/app";
inline const std::filesystem::path kPreview =
    kAppDir / main_window::kPreviewFile;

struct MainWorld {
  MainWorld()
      : main({view, preview, status, tool, dialog, box, batch, shell, frame,
              files, settings},
             std::unique_ptr<core::Converter>(converter), kPreview,
             "/program") {}

  // Opens `bytes` as docs/`name` through the dialog, and then, unless
  // `hold_aside`, lets the preview finish loading and what the window ran
  // aside end.
  void Open(const std::string& name, const std::string& bytes) {
    files.files[kDocs / name] = bytes;
    dialog.next_answers.push_back((kDocs / name).string());
    main.OpenHtmlFile();
    if (hold_aside) return;
    main.OnPreviewLoadFinished(true);
    frame.RunLater();
  }
  bool hold_aside = false;

  // "-" before a disabled button, "*" after a pressed one.
  std::string Buttons() const {
    std::string shown;
    for (auto [position, name] : {std::pair{platform::kOpenButton, "Open"},
                                  {platform::kClearButton, "Clear"},
                                  {platform::kBatchButton, "Batch"},
                                  {platform::kGbButton, "GB"},
                                  {platform::kBig5Button, "Big5"}}) {
      shown += (shown.empty() ? "" : " ") +
               std::string(tool.enabled[position] ? "" : "-") + name +
               (tool.pressed[position] ? "*" : "");
    }
    return shown;
  }

  // The encoding panel, the buttons and the source view's text.
  std::string Seen() {
    return status.panels[platform::StatusBar::kEncodingPanel] + " | " +
           Buttons() + " | " + view.text;
  }

  // The page the preview file holds, but for the <base> that leads its
  // addresses to the documents' folder, as the page itself would.
  // The preview file, without what PreviewPage adds to the page.
  std::string PreviewFile() const {
    auto file = files.files.find(kPreview);
    if (file == files.files.end()) return "(none)";
    std::string page = file->second;
    for (const std::string added :
         {"<meta charset=\"gb2312\">", "<meta charset=\"big5\">",
          "<meta charset=\"utf-8\">", "<meta charset=\"gb18030\">",
          "<base href=\"file:///docs/\">", "<plaintext>"}) {
      if (const size_t at = page.find(added); at != std::string::npos)
        page.erase(at, added.size());
    }
    return page;
  }

  fakes::FakeSourceView view;
  fakes::FakePagePreview preview;
  fakes::FakeStatusBar status;
  fakes::FakeToolbar tool;
  fakes::FakeFileDialog dialog;
  fakes::FakeMessageBox box;
  fakes::FakeBatchLauncher batch;
  fakes::FakeShell shell;
  fakes::FakeMainFrame frame;
  fakes::FakeFiles files;
  fakes::FakeSettings settings;
  RecordingConverter* converter = new RecordingConverter;  // Owned by main.
  main_window::Main main;
};

}  // namespace tovenrak::testing
