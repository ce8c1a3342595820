// Everything a Main test needs: the fakes, a recording converter, and a
// program folder and a documents folder under a fresh temporary folder.

#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "fakes/fake_batch_launcher.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/fake_main_frame.h"
#include "fakes/fake_message_box.h"
#include "fakes/fake_page_preview.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_source_view.h"
#include "fakes/fake_status_bar.h"
#include "fakes/fake_toolbar.h"
#include "main_window/main_presenter.h"
#include "recording_converter.h"

namespace tovenrak::testing {

// Bytes from hex digits: Hex("a4a4") == "\xa4\xa4".
inline std::string Hex(std::string_view digits) {
  std::string bytes;
  for (size_t i = 0; i + 1 < digits.size(); i += 2) {
    bytes += static_cast<char>(
        std::stoi(std::string(digits.substr(i, 2)), nullptr, 16));
  }
  return bytes;
}

// 中文網頁頭髮乾淨 in Big5 and 中文网页头发干净 in GBK: what the converter
// makes of each other.
inline const std::string kBig5Body = Hex("a4a4a4e5baf4adb6c059be76b0aeb262");
inline const std::string kGbBody = Hex("d6d0cec4cdf8d2b3cdb7b7a2b8c9bebb");
inline constexpr const char* kBig5BodyUtf8 = "中文網頁頭髮乾淨";
inline constexpr const char* kGbBodyUtf8 = "中文网页头发干净";

// A page declaring `charset` (for example "charset=big5") around `body`.
inline std::string Page(const std::string& charset, const std::string& body) {
  return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; " +
         charset + "\"></head>\n<body>" + body + "</body></html>\n";
}

// Page(...) after its declaration was rewritten to `charset`.
inline std::string Rewritten(const std::string& charset,
                             const std::string& body) {
  return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; " +
         charset + "\" http-equiv=Content-Type></head>\n<body>" + body +
         "</body></html>\n";
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

struct MainWorld {
  MainWorld() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tovenrak-main-XXXXXX")
            .string();
    root = ::mkdtemp(pattern.data());
    std::filesystem::create_directories(app_dir = root / "app");
    std::filesystem::create_directories(docs = root / "docs");
  }
  ~MainWorld() { std::filesystem::remove_all(root); }
  MainWorld(const MainWorld&) = delete;
  MainWorld& operator=(const MainWorld&) = delete;

  main_window::Main& Make() {
    auto owned = std::make_unique<RecordingConverter>();
    converter = owned.get();
    main = std::make_unique<main_window::Main>(
        main_window::Main::Controls{view, preview, status, tool,
                                    dialog_override ? *dialog_override : dialog,
                                    box, batch, shell, frame},
        std::move(owned), app_dir, root / "program");
    return *main;
  }

  // Writes `bytes` to docs/`name` and returns its path.
  std::filesystem::path WriteDoc(const std::string& name,
                                 const std::string& bytes) {
    const std::filesystem::path path = docs / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  // Opens `bytes` as docs/`name` through the dialog.
  void Open(const std::string& name, const std::string& bytes) {
    dialog.next_answers.push_back(WriteDoc(name, bytes).string());
    main->OpenHtmlFile();
  }

  std::filesystem::path Preview() const { return app_dir / "temp.htm"; }

  std::filesystem::path root, app_dir, docs;
  fakes::FakeSourceView view;
  fakes::FakePagePreview preview;
  fakes::FakeStatusBar status;
  fakes::FakeToolbar tool;
  fakes::FakeFileDialog dialog;
  fakes::FakeMessageBox box;
  fakes::FakeBatchLauncher batch;
  fakes::FakeShell shell;
  fakes::FakeMainFrame frame;
  // When set before Make, the window asks this dialog instead of `dialog`.
  platform::FileDialog* dialog_override = nullptr;
  RecordingConverter* converter = nullptr;
  std::unique_ptr<main_window::Main> main;
};

}  // namespace tovenrak::testing
