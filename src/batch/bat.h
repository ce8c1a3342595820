// The batch window's logic: the file lists, the target folder and the run.

#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "batch/batch_run.h"
#include "core/convert/converter.h"
#include "core/convert_document.h"
#include "platform/bat_listener.h"
#include "platform/bat_view.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/settings.h"

namespace tovenrak::batch {

// Title of the batch window's messages.
inline constexpr char kBatTitle[] = "Zemlorin Tovenrak - 批量转换";

// `Bat` keeps two parallel lists: `BeFore`, the full paths it shows, and
// `BeHind`, the name of the entry at the same index, under which the run
// saves that file: its file name, or for a file of a dropped folder its path
// below that folder. The run converts with `Er`, the converter given to the
// constructor. Paths are joined with the platform's separator.
class Bat : public platform::BatListener {
 public:
  // `program_folder` is the first target folder; `volumes` are the mount
  // points offered in Drive1; `settings` hold the variant the main window
  // chose. All references must outlive the Bat, which becomes the view's
  // listener until it is destroyed.
  Bat(platform::BatView& view, platform::FileDialog& n_dia,
      platform::MessageBox& messages, const platform::Settings& settings,
      const core::Converter& er, std::filesystem::path program_folder,
      std::vector<std::filesystem::path> volumes);
  ~Bat() override;

  // Shows the start state: empty lists, Remove disabled, no progress bar,
  // the volume and folder of the program's folder, which is also the target,
  // and the automatic target choice.
  void Load();

  // Moves Dir1 to the volume now chosen in Drive1 and makes it the target.
  // A volume that cannot be read gives a stop message naming it; the folder,
  // the target and Drive1 then keep the last readable folder.
  void OnDrive1Changed() override;
  // Makes the folder now current in Dir1 the target, and shows its volume.
  void OnDir1Changed() override;
  // Asks for files and appends them to both lists in the order chosen:
  // full paths to BeFore, bare names to BeHind. A cancelled dialog adds
  // nothing; the same file may be listed twice.
  void OnNAdd() override;
  // Lists the documents of a folder chosen in a dialog, as a dropped folder
  // lists them (OnBeForeDropped).
  void OnNAddFolder() override;
  // Removes the selected entry from both lists, if one is selected, and
  // disables Remove either way.
  void OnNDel() override;
  // Converts every listed file into the target folder (see RunBatch) as the
  // target list says, in the remembered variant, with the progress bar shown,
  // then shows one closing message and closes the window; stopped (OnNQuit
  // while it runs), it keeps the window, listing the files left. An empty
  // list gives a message instead and the window stays. An empty target, or one
  // without a final separator, gets one, and the target box shows it.
  void OnNGo() override;
  void OnNQuit() override;
  // Enables Remove once the list holds an entry.
  void OnBeForeClicked() override;
  // Shows the full path of the entry under the pointer as the list's
  // tooltip, or none below the last entry; nothing changes while a mouse
  // button is held.
  void OnBeForeMouseMove(bool button_held, int x, int y) override;
  // Appends each dropped file as Add does. A folder appends the documents
  // below it (core::ListDocuments with the document kinds, links not
  // followed, the target folder left out), each named by its path below the
  // folder, so that the run mirrors the folder's tree in the target folder.
  // Subfolders that cannot be read get one message naming them; the rest is
  // appended.
  void OnBeForeDropped(
      const std::vector<std::filesystem::path>& paths) override;

  // Whether the next runs write a review list (BatchOptions::review_list);
  // off at first.
  void SetReviewList(bool on) { options_.review_list = on; }
  void OnReviewListToggled(bool on) override { SetReviewList(on); }

  // Outputs no run writes (BatchOptions::reserved).
  void KeepFrom(std::function<bool(const std::filesystem::path&)> reserved) {
    options_.reserved = std::move(reserved);
  }

  // Whether each run applies the user's personal phrases
  // (core::LoadPersonalPhrases), read again at its start; off at first. A
  // list that cannot be read then gets a message instead of a run.
  void UsePersonalPhrases(bool on) { use_personal_phrases_ = on; }

  const std::vector<std::string>& be_fore() const { return be_fore_; }
  const std::vector<std::string>& be_hind() const { return be_hind_; }

 private:
  void Append(std::string path, std::string name, TreeRoot root = {});
  // Keeps in the list only the files a stopped run left (RunBatch's
  // outcome.left), whose places in the list are `listed`.
  void KeepOnly(const std::vector<size_t>& left,
                const std::vector<size_t>& listed);
  // What the target list and the remembered variant ask for.
  core::ConversionRequest Request() const;

  platform::BatView& view_;
  platform::FileDialog& n_dia_;
  platform::MessageBox& messages_;
  const platform::Settings& settings_;
  const core::Converter& er_;
  const std::filesystem::path program_folder_;
  const std::vector<std::filesystem::path> volumes_;

  std::vector<std::string> be_fore_;
  std::vector<std::string> be_hind_;
  int drive_ = -1;  // The volume of the last folder Dir1 could show.
  int16_t pro_percent_ = 0;
  // A run goes on; Close asked it to stop.
  bool running_ = false;
  bool stop_asked_ = false;
  BatchOptions options_;
  bool use_personal_phrases_ = false;
};

}  // namespace tovenrak::batch
