// The main window's widgets: the events they report, the shortcuts,
// accessible names, and the real window driven by Main through a Big5 page.

#include "platform/qt/qt_main_window.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTranslator>
#include <filesystem>
#include <fstream>

#include "core/convert/default_converter.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_main_frame.h"
#include "main_window/main_presenter.h"
#include "platform/disk_files.h"
#include "platform/qt/qt_about_strip.h"
#include "platform/qt/qt_bat_view.h"
#include "platform/qt/qt_interface_language.h"
#include "platform/qt/qt_page_preview.h"
#include "platform/qt/qt_source_view.h"
#include "platform/qt/qt_status_bar.h"
#include "platform/qt/qt_toolbar.h"
#include "qt_test_support.h"

namespace tovenrak::platform::qt {
namespace {

namespace fs = std::filesystem;

// Shortcuts win over the focused editor, which keeps its selected text.
TEST(QtMainWindowTest, CommandsAndShortcutsReachTheListener) {
  QtMainWindow window;
  testing::RecordingListener listener;
  window.SetListener(&listener);
  for (const char* name : {"MnuOpen", "mnuClear", "mnuBat", "MnuExit", "mnuTeh",
                           "mnuAbout", "mnuToUtf8T", "mnuToGb18030", "mnuHk"})
    window.findChild<QAction*>(name)->trigger();
  for (int position = 1; position <= kToolbarPositions; ++position) {
    if (QAction* action = window.toolbar().ButtonAction(position))
      action->trigger();
  }
  window.about_strip().site_link()->click();
  window.ShowCentred();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.activateWindow();
  QtSourceView& view = window.source_view();
  view.setFocus();
  ASSERT_TRUE(testing::WaitUntil([&] { return view.hasFocus(); }));
  view.SetText("some text");
  view.selectAll();
  for (Qt::Key key : {Qt::Key_C, Qt::Key_X, Qt::Key_O, Qt::Key_B})
    QTest::keyClick(&view, key, Qt::ControlModifier);
  EXPECT_EQ(
      listener.events,
      (std::vector<std::string>{
          "open", "clear", "batch", "exit", "web site", "about", "convert 3",
          "convert 4", "variant 2", "tool 1", "tool 2", "tool 4", "tool 6",
          "tool 7", "site link", "clear", "exit", "open", "batch"}));
  EXPECT_EQ(view.toPlainText(), "some text");
}

// Every named widget and every one that takes focus, in both windows.
TEST(QtMainWindowTest, EveryControlHasAnAccessibleName) {
  QtMainWindow window;
  window.SetSiteLink("zemlorin.example", "tip");
  QtBatView batch;
  for (QWidget* top :
       {static_cast<QWidget*>(&window), static_cast<QWidget*>(&batch)}) {
    for (QWidget* control : top->findChildren<QWidget*>()) {
      const QString name = control->objectName();
      if (name.startsWith("qt_") ||
          (name.isEmpty() && control->focusPolicy() == Qt::NoFocus))
        continue;
      EXPECT_FALSE(control->accessibleName().isEmpty())
          << control->metaObject()->className() << " " << name.toStdString();
    }
  }
}

TEST(QtMainWindowTest, TaiwanHongKongAndMacaoGetTheTraditionalTexts) {
  const struct {
    const char* locale;
    bool traditional;
    const char* open;
  } cases[] = {{"zh_TW", true, "開啟(&O)"},
               {"zh_MO", true, "開啟(&O)"},
               {"zh_CN", false, "打开(&O)"}};
  for (const auto& c : cases) {
    EXPECT_EQ(InstallInterfaceLanguage(*qApp, QLocale(c.locale)), c.traditional)
        << c.locale;
    QtMainWindow window;
    EXPECT_EQ(window.findChild<QAction*>("MnuOpen")->text(), c.open)
        << c.locale;
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
      QCoreApplication::removeTranslator(translator);
      delete translator;
    }
  }
}

TEST(QtMainWindowTest, Big5PageEndsAsGbTextWithItsStatusSaid) {
  std::string pattern =
      (fs::temp_directory_path() / "tovenrak-window-XXXXXX").string();
  const fs::path root = ::mkdtemp(pattern.data());
  // 頭髮 in Big5, declared as Big5.
  std::ofstream(root / "news.htm", std::ios::binary)
      << "<html><head><meta charset=big5><title>\xC0\x59\xBE\x76</title>"
         "</head><body>\xC0\x59\xBE\x76</body></html>";
  QtMainWindow window;
  fakes::FakeFileDialog dia;
  fakes::FakeMessageBox box;
  fakes::FakeBatchLauncher batch;
  fakes::FakeShell shell;
  DiskFiles files;
  fakes::FakeSettings settings;
  main_window::Main main(
      {window.source_view(), window.preview(), window.status(),
       window.toolbar(), dia, box, batch, shell, window, files, settings},
      std::move(core::MakeDefaultConverter().value()), root, root);
  window.SetListener(&main);
  window.ShowCentred();
  dia.next_answers.push_back((root / "news.htm").string());
  window.toolbar().ButtonAction(kOpenButton)->trigger();

  EXPECT_TRUE(box.shown.empty());
  const QString text = window.source_view().toPlainText();
  EXPECT_NE(text.indexOf("<body>头发</body>"), -1) << text.toStdString();
  // A screen reader hears the panel's text, not only what the panel is.
  QAccessibleInterface* panel = QAccessible::queryAccessibleInterface(
      window.status().findChildren<QLabel*>().at(1));
  EXPECT_EQ(panel->text(QAccessible::Name), "文件处于 Big5 码状态");
  EXPECT_EQ(window.focusWidget(), &window.source_view());
  EXPECT_TRUE(window.toolbar().ButtonAction(kBig5Button)->isChecked());
  fs::remove_all(root);
}

}  // namespace
}  // namespace tovenrak::platform::qt
