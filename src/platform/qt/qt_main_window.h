// The main window: menus, toolbar, the two panes with their headings, the
// status bar and the about strip. It builds the widgets and forwards every
// user event to a MainWindowListener.

#pragma once

#include <QMainWindow>
#include <QThreadPool>

#include "platform/main_frame.h"
#include "platform/main_window_listener.h"

QT_BEGIN_NAMESPACE
class QAction;
class QActionGroup;
class QDropEvent;
class QLabel;
QT_END_NAMESPACE

namespace tovenrak::platform::qt {

class QtAboutStrip;
class QtPagePreview;
class QtSourceView;
class QtStatusBar;
class QtToolbar;

class QtMainWindow : public QMainWindow, public platform::MainFrame {
  Q_OBJECT

 public:
  explicit QtMainWindow(QWidget* parent = nullptr);
  // Waits for work run aside.
  ~QtMainWindow() override;

  // Receives the window's events from now on; may be null.
  void SetListener(platform::MainWindowListener* listener);

  // Gives the window its starting size (client area 7170 x 4545 twips) and
  // shows it centred on the screen, the keyboard in the source view.
  void ShowCentred();

  QtSourceView& source_view() const { return *source_view_; }
  QtPagePreview& preview() const { return *preview_; }
  QtStatusBar& status() const { return *status_; }
  QtToolbar& toolbar() const { return *toolbar_; }
  QtAboutStrip& about_strip() const { return *about_strip_; }
  QWidget& client() const { return *client_; }

  // Makes `action`'s shortcut the window's wherever the keyboard is in it,
  // as the menu items' are, even where a control has a use for the keys
  // (Ctrl+X and Ctrl+C in the source text are Exit and Clear).
  void KeepShortcut(QAction* action);

  // platform::MainFrame
  void SetTitle(const std::string& title) override;
  void PlacePanes(const platform::PaneRects& rects) override;
  void SetSiteLink(const std::string& address,
                   const std::string& tooltip) override;
  void Maximize() override;
  void Quit() override;
  void CheckVariant(int choice) override;
  void RunAside(std::function<void()> work,
                std::function<void()> done) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Closing the window is Exit, which may ask first.
  void closeEvent(QCloseEvent* event) override;
  bool focusNextPrevChild(bool next) override;

 private:
  void CreateClientArea();
  void CreateMenus();
  // The convert menu: the targets, then the variants as one exclusive group.
  void CreateConvertMenu();
  // Takes a drag of local files over any of the window's controls and
  // reports the drop; true when `event` was such a drag.
  bool TakeFileDrop(QEvent* event);
  QAction* AddMenuItem(QMenu* menu, const char* name, const char* caption,
                       const QKeySequence& shortcut,
                       void (platform::MainWindowListener::*command)());
  void ReportSize();

  QWidget* client_;
  QtToolbar* toolbar_;
  QLabel* preview_label_;
  QtPagePreview* preview_;
  QLabel* source_label_;
  QtSourceView* source_view_;
  QtStatusBar* status_;
  QtAboutStrip* about_strip_;
  QActionGroup* variants_ = nullptr;
  // Whose shortcut it is, and the keys at the time it was kept.
  QList<QAction*> shortcut_actions_;
  QAction* ShortcutAction(const QKeySequence& keys) const;
  platform::MainWindowListener* listener_ = nullptr;
  // Quit was called: the window closes without asking again, as Qt asks
  // each window to close before it quits.
  bool quitting_ = false;
  // RunAside's one thread.
  QThreadPool aside_;
};

}  // namespace tovenrak::platform::qt
