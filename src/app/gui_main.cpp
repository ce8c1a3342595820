// The desktop program: creates the main window and its logic, wires them and
// runs the event loop.

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "app/bat_launcher.h"
#include "app/cli_messages.h"
#include "core/convert/default_converter.h"
#include "core/convert/fast_converter.h"
#include "core/io/file_io.h"
#include "main_window/main_presenter.h"
#include "platform/disk_files.h"
#include "platform/preview_file_claim.h"
#include "platform/qt/qt_app_dir.h"
#include "platform/qt/qt_file_dialog.h"
#include "platform/qt/qt_interface_language.h"
#include "platform/qt/qt_main_window.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_page_preview.h"
#include "platform/qt/qt_review_view.h"
#include "platform/qt/qt_settings.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/qt_source_view.h"
#include "platform/qt/qt_status_bar.h"
#include "platform/qt/qt_toolbar.h"
#include "platform/qt/qt_window_texts.h"

namespace qt = tovenrak::platform::qt;

namespace {

constexpr const char* kUsage =
    "Usage: tovenrak [FILE]...\n"
    "Show a Chinese web page or text file beside its source text and convert\n"
    "it between Big5 and GB; the first FILE named is opened.\n"
    "\n"
    "  -h, --help     display this help and exit\n"
    "      --version  output version information and exit\n";
constexpr const char* kUsageInChinese =
    "用法：tovenrak [文件]...\n"
    "在源文本旁显示中文网页或文本文件，并在 Big5 与 GB 之间转换；\n"
    "打开所给的第一个文件。\n"
    "\n"
    "  -h, --help     显示此帮助并退出\n"
    "      --version  显示版本信息并退出\n";

// The help in the language and character set of the terminal's locale, as
// tovenrak-convert gives its own.
std::string Usage() {
  namespace app = tovenrak::app;
  const app::MessageLocale locale = app::MessageLocaleFrom(
      std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
  if (locale.language == app::Language::kEnglish) return kUsage;
  const std::unique_ptr<tovenrak::core::Converter> converter =
      locale.language == app::Language::kSimplified
          ? nullptr
          : tovenrak::core::MakeFastConverter();
  return app::Messages(locale, converter.get())
      .Chinese(kUsageInChinese)
      .value_or(kUsage);
}

}  // namespace

int main(int argc, char** argv) {
  // Answered before Qt starts, so that no display is needed for them.
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") break;
    if (arg == "--version") {
      std::cout << "tovenrak (Zemlorin Tovenrak) " TOVENRAK_VERSION "\n";
      return 0;
    }
    if (arg == "--help" || arg == "-h") {
      std::cout << Usage();
      return 0;
    }
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  tovenrak::core::FailWritesPastTheSizeLimit();
  QApplication::setApplicationName("tovenrak");
  QApplication::setOrganizationName("Zemlorin");
  QGuiApplication::setDesktopFileName("example.zemlorin.tovenrak");
  // The windows' messages follow their fixed texts into Traditional Chinese,
  // converted as tovenrak-convert converts its own; the names in them stay.
  // The fixed texts are in Taiwan's words and forms in every Traditional
  // locale, and so are the messages: one window names one thing one way.
  if (qt::InstallInterfaceLanguage(app, QLocale::system())) {
    static const std::unique_ptr<tovenrak::core::Converter> converter =
        tovenrak::core::MakeFastConverter();
    const tovenrak::core::ScriptConversion how{
        tovenrak::core::Script::kTraditional, tovenrak::core::Variant::kTwp};
    qt::SetWindowTextScript([how](std::string_view simplified) {
      auto converted =
          converter->Recode(simplified, tovenrak::core::Encoding::kUtf8,
                            tovenrak::core::Encoding::kUtf8, how);
      return converted ? std::move(converted->text) : std::string(simplified);
    });
  }

  auto cher = tovenrak::core::MakeDefaultConverter();
  if (!cher) {
    qt::QtMessageBox(nullptr).Show(
        "无法载入转换数据，程序不能运行。\n原因：" + cher.error().Message(),
        tovenrak::platform::MessageIcon::kCritical,
        tovenrak::main_window::kTitle);
    return 1;
  }

  qt::QtMainWindow window;
  qt::QtFileDialog dia(&window);
  qt::QtMessageBox message_box(&window);
  qt::QtShell shell;
  tovenrak::platform::DiskFiles files;
  qt::QtSettings settings;
  const QString program_dir = QCoreApplication::applicationDirPath();
  const std::filesystem::path app_dir = qt::ChooseAppDir(
      program_dir,
      QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
  // A batch run into the folder of the preview files leaves them be: a
  // window would write over its output, and the run over a window's page.
  tovenrak::app::BatWindowLauncher batch(
      &window, program_dir.toStdString(), settings,
      [app_dir](const std::filesystem::path& output) {
        return tovenrak::platform::IsPreviewFileOf(
            app_dir, tovenrak::main_window::kPreviewFile, output);
      });
  const tovenrak::platform::PreviewFileClaim preview_file(
      app_dir, tovenrak::main_window::kPreviewFile);
  tovenrak::main_window::Main main(
      {window.source_view(), window.preview(), window.status(),
       window.toolbar(), dia, message_box, batch, shell, window, files,
       settings},
      std::move(*cher), preview_file.path(), program_dir.toStdString());
  window.SetListener(&main);
  qt::QtReviewView review(window);
  review.SetListener(&main.AttachReview(review));
  window.ShowCentred();
  // The files named on the command line (a desktop's "Open with"), after
  // what Qt took for itself; the window shows one document, the first.
  QStringList named = QCoreApplication::arguments().mid(1);
  if (!named.isEmpty() && named.front() == "--") named.pop_front();
  if (!named.isEmpty())
    main.OpenPath(QFile::encodeName(named.front()).toStdString());
  return app.exec();
}
