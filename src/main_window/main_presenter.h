// Main: the main window's logic. It holds the open document and runs the
// toolbar and menu commands, reaching its controls only through the platform
// interfaces.

#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "core/convert/converter.h"
#include "core/encoding/code_tables.h"
#include "platform/batch_launcher.h"
#include "platform/file_dialog.h"
#include "platform/main_frame.h"
#include "platform/main_window_listener.h"
#include "platform/message_box.h"
#include "platform/page_preview.h"
#include "platform/shell.h"
#include "platform/source_view.h"
#include "platform/status_bar.h"
#include "platform/toolbar.h"

namespace tovenrak::main_window {

// Toolbar positions; 3, 5 and 8 are empty gaps.
inline constexpr int kOpenButton = 1;
inline constexpr int kClearButton = 2;
inline constexpr int kBatchButton = 4;
inline constexpr int kGbButton = 6;
inline constexpr int kBig5Button = 7;
inline constexpr int kToolbarPositions = 8;

// The maker's web address (the site link's caption and the target of both
// site commands) and e-mail address.
inline constexpr const char* kSiteAddress = "zemlorin.example";
inline constexpr const char* kMakerEmail = "tovenrak@zemlorin.example";

// Files larger than this are not opened in the window: the source view and
// the preview would take too long.
inline constexpr uint64_t kMaxOpenBytes = uint64_t{16} << 20;

class Main : public platform::MainWindowListener {
 public:
  struct Controls {
    platform::SourceView& ori_text;
    platform::PagePreview& htmler;
    platform::StatusBar& status;
    platform::Toolbar& tool;
    platform::FileDialog& dia;
    platform::MessageBox& message_box;
    platform::BatchLauncher& batch;
    platform::Shell& shell;
    platform::MainFrame& frame;
  };

  // Sets the window's start state: all buttons enabled, none pressed, the
  // preview hidden. `app_dir` is the writable folder that receives the preview
  // file "temp.htm"; `program_dir` the folder the program runs from.
  // REQUIRES: cher != nullptr
  Main(const Controls& controls, std::unique_ptr<core::Converter> cher,
       std::filesystem::path app_dir, std::filesystem::path program_dir);

  // Asks for a file and opens it: a document that mentions "big5" is taken as
  // Big5 and shown converted to GB, its declaration rewritten to GB, through
  // the preview file; any other is taken as GB and previewed as it is.
  // A cancelled dialog changes nothing. A file that cannot be read, is binary
  // or cannot be converted gets a message and leaves the document as it was;
  // the preview has already been sent to the chosen file.
  void OpenHtmlFile();

  // Opens the file at `path` as OpenHtmlFile opens the one chosen: for a
  // file named when the program starts.
  void OpenPath(const std::filesystem::path& path);

  // Empties the source view, hides the preview, disables Clear and Big5 and
  // releases GB and Big5. The stored texts stay.
  void Clear();

  // Converts the Big5-side text to GB (or the GB-side text to Big5), shows
  // it with its declaration rewritten, previews it through "temp.htm" and
  // offers to save it. A failed conversion gets a message and changes
  // nothing; a failed write gets a message naming the file.
  void ConvertToGb();
  void ConvertToBig5();

  // Hands `url` to the desktop; true when it was accepted.
  bool BrowseTo(const std::string& url);

  // The GB-side and the Big5-side text of the document (bytes).
  const std::string& ori_str() const { return ori_str_; }
  const std::string& cvt_str() const { return cvt_str_; }

  // platform::MainWindowListener
  void OnToolButton(int position) override;
  void OnMenuOpen() override { OpenHtmlFile(); }
  void OnMenuClear() override { Clear(); }
  void OnMenuBatch() override;
  void OnMenuExit() override;
  void OnMenuWebSite() override { BrowseTo(kSiteAddress); }
  void OnMenuAbout() override;
  void OnSiteLinkClicked() override { BrowseTo(kSiteAddress); }
  void OnResized(float outer_width, float outer_height,
                 float client_width) override;
  void OnPreviewLoadStarted() override;
  void OnPreviewLoadFinished(bool ok) override;
  void OnPreviewLinkHovered(const std::string& url) override;

 private:
  enum class Side { kGb, kBig5 };

  void OpenAs(Side side, const std::filesystem::path& path, std::string text);
  void Convert(Side target);
  void ShowInView(const std::string& bytes, core::Encoding encoding);
  std::string ViewBytes() const;
  void PressSide(Side side);
  void ShowPressed();
  bool WritePreview();
  void ShowError(const std::string& text);
  void WarnAboutConversion(const core::Conversion& conversion, Side target);

  Controls c_;
  std::unique_ptr<core::Converter> cher_;
  const std::filesystem::path app_dir_;
  const std::filesystem::path program_dir_;
  std::string ori_str_;
  std::string cvt_str_;

  // What the source view was last given, and in which encoding it shows it.
  std::string shown_bytes_;
  core::Encoding shown_encoding_ = core::Encoding::kGbk;

  // Which of GB and Big5 the toolbar shows pressed.
  bool gb_pressed_ = false;
  bool big5_pressed_ = false;

  // The preview's last activity, shown again when the pointer leaves a link.
  std::string browser_activity_;

  platform::PaneRects panes_;
};

}  // namespace tovenrak::main_window
