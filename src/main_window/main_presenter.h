// Main: the main window's logic. It holds the open document and runs the
// toolbar and menu commands, reaching its controls only through the platform
// interfaces.

#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/converter.h"
#include "core/encoding/code_point_writer.h"
#include "core/encoding/code_tables.h"
#include "core/encoding/detection.h"
#include "core/recode_document.h"
#include "main_window/review_presenter.h"
#include "platform/batch_launcher.h"
#include "platform/file_dialog.h"
#include "platform/files.h"
#include "platform/main_frame.h"
#include "platform/main_window_listener.h"
#include "platform/message_box.h"
#include "platform/page_preview.h"
#include "platform/review_view.h"
#include "platform/settings.h"
#include "platform/shell.h"
#include "platform/source_view.h"
#include "platform/status_bar.h"
#include "platform/toolbar.h"

namespace tovenrak::main_window {

// The window's title, also the title of its messages.
inline constexpr char kTitle[] = "Zemlorin Tovenrak v.1";

// The maker's web address (the site link's caption and the target of both
// site commands) and e-mail address.
inline constexpr const char* kSiteAddress = "zemlorin.example";
inline constexpr const char* kMakerEmail = "tovenrak@zemlorin.example";

// The preview file, written in the program's writable folder; a window
// that runs beside another gets a name of its own (see PreviewFileClaim).
inline constexpr char kPreviewFile[] = "temp.htm";

class Main : public platform::MainWindowListener, private ReviewHost {
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
    platform::Files& files;
    platform::Settings& settings;
  };

  // Sets the window's start state: its title, all buttons enabled, none
  // pressed, the preview hidden, the remembered variant checked (Taiwan when
  // none is). `preview_file` is the preview file's path, in a writable
  // folder; `program_dir` the folder the program runs from.
  // REQUIRES: cher != nullptr
  Main(const Controls& controls, std::unique_ptr<core::Converter> cher,
       std::filesystem::path preview_file, std::filesystem::path program_dir);

  // Reviews the doubtful places of each conversion shown from now on in
  // `view` (see Review), whose commands go to the Review returned; converts
  // with the personal phrases, loaded again for each conversion.
  Review& AttachReview(platform::ReviewView& view);

  // Asks for a file and opens it in the encoding its bytes are in
  // (core::DetectEncoding), shown with how that was found: a Big5 document
  // is shown converted to GB, its declaration rewritten to GB, through the
  // preview file; a GB, GB18030 or UTF-8 document is shown and previewed as
  // it is (GB pressed for GB, neither for the others).
  // A cancelled dialog changes nothing. A file that cannot be read, is larger
  // than platform::kMaxPreviewBytes, is binary or cannot be converted gets a
  // message and leaves the document as it was; the preview has already been
  // sent to the chosen file.
  void OpenHtmlFile();

  // Opens the file at `path` as OpenHtmlFile opens the one chosen: for a
  // file named when the program starts or dropped on the window. The page is
  // previewed from its top.
  void OpenPath(const std::filesystem::path& path);

  // Empties the source view, hides the preview, disables Clear and Big5 and
  // releases GB and Big5. The stored texts stay. Asks first when what is
  // shown has changes not saved (MayDiscard).
  void Clear();

  // Converts the Big5-side text to GB (or the GB-side text to Big5), shows
  // it with its declaration rewritten, previews it through the preview file and
  // offers to save it. A failed conversion gets a message and changes
  // nothing; a failed write gets a message naming the file.
  void ConvertToGb();
  void ConvertToBig5();

  // Offers to save the document as the source view shows it, in the
  // encoding it shows it in; nothing without a document.
  void SaveShown();
  // Converts the document as it was opened (its bytes as read, from the
  // encoding they were found in) to the target at `choice` in
  // platform::kTargetChoices, in the chosen variant, by core::ConvertDocument:
  // its declarations name the new encoding. Shows, previews and offers to
  // save the result as the GB and Big5 commands do. Without an open document
  // it does nothing; a failed conversion gets a message and changes nothing.
  void ConvertTo(int choice);

  // Makes the variant at `choice` in platform::kVariantChoices the one every
  // later conversion uses (the GB and Big5 commands too), and remembers it
  // for the next run.
  void ChooseVariant(int choice);

  // Hands `url` to the desktop, which may decline it unnoticed.
  void BrowseTo(const std::string& url);

  // The GB-side and the Big5-side text of the document (bytes). A side not
  // converted yet is converted now; it stays empty when that fails.
  const std::string& ori_str() {
    (void)FillSide(core::Encoding::kGbk);
    return ori_str_;
  }
  const std::string& cvt_str() {
    (void)FillSide(core::Encoding::kBig5);
    return cvt_str_;
  }

  // platform::MainWindowListener
  void OnToolButton(int position) override;
  void OnMenuOpen() override { OpenHtmlFile(); }
  void OnMenuClear() override { Clear(); }
  void OnMenuBatch() override;
  void OnMenuExit() override;
  void OnMenuWebSite() override { BrowseTo(kSiteAddress); }
  void OnMenuAbout() override;
  void OnMenuConvert(int choice) override { ConvertTo(choice); }
  void OnMenuVariant(int choice) override { ChooseVariant(choice); }
  // Opens the first of `paths`, as OpenPath does.
  void OnFilesDropped(const std::vector<std::filesystem::path>& paths) override;
  void OnSiteLinkClicked() override { BrowseTo(kSiteAddress); }
  void OnResized(float outer_width, float outer_height,
                 float client_width) override;
  void OnPreviewLoadStarted() override;
  void OnPreviewLoadFinished(bool ok) override;
  void OnPreviewLinkHovered(const std::string& url) override;

 private:
  void OpenAs(const core::Detection& detection,
              const std::filesystem::path& path, std::string text);
  // Sends the preview to the file at `path` and shows it.
  void KeepDocument();
  void PreviewOriginal(const std::filesystem::path& path);
  // Converts the opened text to `side` (GB for kGbk, else Big5) and stores
  // it, if that side is still pending.
  core::Status FillSide(core::Encoding side);
  // `target` is GB (kGbk) or Big5.
  void Convert(core::Encoding target);
  // Converts to `target` and shows the result; false, with a message, when
  // it fails. Warns about references and invalid bytes when `warn`.
  bool ShowConversion(core::Encoding target, bool warn);
  // The personal phrases for a conversion to the side `side` (GB: into
  // simplified, Big5: into traditional); none without a review.
  std::shared_ptr<const core::UserPhrases> PhrasesFor(core::Encoding side);
  // ReviewHost
  void ReplaceConverted(std::string bytes) override;
  void ConvertAgain() override;
  void SaveConverted() override { SaveShown(); }
  void PreviewShown() override;
  // Asks where to save the shown text, under `title`, and saves it there.
  void OfferSave(const std::string& title);
  // Whether the opened file now holds other bytes than this window last
  // read from it or saved to it.
  bool ChangedOnDisk();
  void ShowInView(std::string bytes, core::Encoding encoding);
  // Shows the converted text `stored`, in `encoding`, its declaration
  // rewritten to name it, with its review marks unless not `marks`, and
  // previews it; false when the preview file could not be written (with a
  // message).
  bool ShowConverted(const std::string& stored, core::Encoding encoding,
                     bool marks = true);
  // Finds the doubtful places of the opened Big5 page's GB side on another
  // thread, then marks them (ReviewOpened).
  void FindPointsAside();
  // Begins the review of the opened page with `converted`, its GB side and
  // doubtful places, if the review `turn` is still on.
  void ReviewOpened(uint64_t turn,
                    core::Result<core::RecodedDocument> converted);
  // Ends the review of the last conversion and begins the next turn.
  void EndReview();
  // The bytes of the text shown, as saved; with `references`, how many of
  // its characters the shown encoding lacks, written as references.
  std::string ViewBytes(size_t* references = nullptr) const;
  // Presses GB for kGbk, Big5 for kBig5, neither for another encoding.
  void PressSide(core::Encoding side);
  void ShowPressed();
  bool WritePreview(std::string_view bytes, core::Encoding encoding);
  void ShowError(const std::string& text);
  // Whether what is shown may go: yes when it holds no choice made at a
  // doubtful place (asked with `choices`) nor an edit that was not saved
  // since, else as the user answers. Exit, Clear and Open ask it, and the
  // conversions for edits; Ctrl+X and Ctrl+C are Exit and Clear even in the
  // source text, where they are cut and copy elsewhere.
  bool MayDiscard(bool choices = true);
  // As MayDiscard, before a conversion, which converts the document as
  // opened: edits of the text shown that were saved are not in it either.
  bool MayConvert(bool choices);
  // What a conversion wrote that its reader may not read as meant.
  void WarnAboutConversion(const core::EncodeCounts& counts,
                           core::Encoding source, core::Encoding target);

  Controls c_;
  // Shared with work run aside, which may outlive the window's use of it.
  std::shared_ptr<const core::Converter> cher_;
  std::unique_ptr<Review> review_;
  // Counts the reviews begun and ended: a review put off until later is
  // skipped when another came between.
  uint64_t review_turn_ = 0;
  // The review turn of an opened Big5 page whose doubtful places are looked
  // for once its preview has loaded (FindPointsAside): not when another
  // turn began since.
  std::optional<uint64_t> find_points_turn_;
  // Gone with this object: what ran aside then does nothing.
  std::shared_ptr<int> alive_ = std::make_shared<int>();
  const std::filesystem::path preview_file_;
  const std::filesystem::path program_dir_;
  std::string ori_str_;
  std::string cvt_str_;
  // Whether a side is still to be converted from opened_text_.
  bool ori_pending_ = false;
  bool cvt_pending_ = false;
  // Whether the GB side, and the Big5 side, is a command's result since the
  // document was opened; until the other side is, a command converts the
  // document as opened.
  bool gb_side_commanded_ = false;
  bool big5_side_commanded_ = false;
  // How each side's text came to be. A side made from the other, neither
  // changed since, holds nothing the other lacks: going back converts the
  // other again from what it was made from, so that the choices made in it
  // come back, rather than from this side, which would decide them anew.
  struct SideHistory {
    uint64_t changes = 0;        // Conversions into it and choices made in it.
    bool from_opened = true;     // Its last conversion read the document.
    uint64_t other_changes = 0;  // The other side's, when it was read.
    uint64_t changes_as_made = 0;  // Its own, right after.
    uint64_t changes_saved = 0;    // Its own, when it was last saved.
  };
  SideHistory gb_history_, big5_history_;
  // The opened file's name: a page's sides are converted as markup.
  std::string name_;
  std::filesystem::path opened_path_;  // Of the document open, if any.
  // A hash of what this window last read from or saved to that file.
  size_t on_disk_ = 0;
  // Its folder, where the preview file's page finds its pictures and
  // styles (PreviewPage).
  std::filesystem::path folder_;
  bool as_text_ = false;  // The document is plain text, not a page.

  // The opened file's bytes and the encoding they were found in: what the
  // convert menu converts. Empty before the first document opens.
  std::string opened_text_;
  core::Encoding opened_encoding_ = core::Encoding::kGbk;
  // The variant chosen when it was opened, for its pending side.
  core::Variant opened_variant_ = core::Variant::kTw;
  bool opened_ = false;
  // A choice at a doubtful place changed the text since it was opened or
  // last saved.
  bool unsaved_choices_ = false;
  // The edited source text as last saved, or empty.
  std::string saved_view_;

  // Where the variant is remembered, and the one chosen.
  core::Variant variant_ = core::Variant::kTw;

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
