#include "app/bat_launcher.h"

#include <memory>

#include "batch/bat.h"
#include "batch/mount_table.h"
#include "core/convert/default_converter.h"
#include "platform/qt/qt_bat_view.h"
#include "platform/qt/qt_file_dialog.h"
#include "platform/qt/qt_message_box.h"

namespace tovenrak::app {

void ShowBatWindowModally(QWidget* parent,
                          const std::filesystem::path& program_folder,
                          const platform::Settings& settings,
                          const Reserved& reserved) {
  core::Result<std::unique_ptr<core::Converter>> er =
      core::MakeDefaultConverter();
  if (!er) {
    platform::qt::QtMessageBox(parent).Show(
        "无法载入转换数据，批量转换不能进行：\n" + er.error().Message(),
        platform::MessageIcon::kCritical, batch::kBatTitle);
    return;
  }
  platform::qt::QtBatView view(parent);
  platform::qt::QtFileDialog n_dia(&view);
  platform::qt::QtMessageBox messages(&view);
  batch::Bat bat(view, n_dia, messages, settings, **er, program_folder,
                 batch::ListVolumes());
  bat.UsePersonalPhrases(true);
  bat.KeepFrom(reserved);
  bat.Load();
  view.exec();
}

}  // namespace tovenrak::app
