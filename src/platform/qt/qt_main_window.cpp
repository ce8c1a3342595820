#include "platform/qt/qt_main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "platform/conversion_choices.h"
#include "platform/qt/qt_about_strip.h"
#include "platform/qt/qt_file_drop.h"
#include "platform/qt/qt_page_preview.h"
#include "platform/qt/qt_source_view.h"
#include "platform/qt/qt_status_bar.h"
#include "platform/qt/qt_toolbar.h"
#include "platform/qt/qt_twips.h"
#include "platform/qt/qt_window_texts.h"

namespace tovenrak::platform::qt {

namespace {

constexpr float kClientWidth = 7170;
constexpr float kClientHeight = 4545;
constexpr float kToolbarHeight = 555;
constexpr float kStatusBarHeight = 375;

QLabel* Heading(const QString& caption, const char* name, QWidget* parent) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  label->setAccessibleName(caption);
  return label;
}

}  // namespace

QtMainWindow::QtMainWindow(QWidget* parent) : QMainWindow(parent) {
  aside_.setMaxThreadCount(1);
  setObjectName("Main");
  setWindowIcon(QIcon(":/pictures/icon.png"));
  // Files dropped anywhere on the window open; see TakeFileDrop.
  setAcceptDrops(true);

  CreateClientArea();
  CreateMenus();
  // The menu shortcuts win over the focused control's own keys (the source
  // view's copy and cut, the preview's copy), wherever the focus is.
  qApp->installEventFilter(this);
}

void QtMainWindow::CreateClientArea() {
  // The client area holds everything placed in twips; the status bar docks
  // below it.
  client_ = new QWidget(this);
  client_->setObjectName("client");
  client_->setAccessibleName(tr("工作区"));
  client_->installEventFilter(this);
  setCentralWidget(client_);

  toolbar_ = new QtToolbar(client_);
  preview_label_ = Heading(tr("页面预览："), "LHtmler", client_);
  preview_ = new QtPagePreview(client_);
  preview_->hide();
  source_label_ = Heading(tr("源文件："), "LOriText", client_);
  source_view_ = new QtSourceView(client_);
  about_strip_ = new QtAboutStrip(client_, [this] {
    if (listener_) listener_->OnSiteLinkClicked();
  });
  status_ = new QtStatusBar(this);
  setStatusBar(status_);

  // A large system font may need more room than the toolbar's design height.
  toolbar_->setFixedHeight(std::max(TwipsToPixelsY(*this, kToolbarHeight),
                                    toolbar_->sizeHint().height()));
  status_->setFixedHeight(TwipsToPixelsY(*this, kStatusBarHeight));
}

void QtMainWindow::CreateMenus() {
  menuBar()->setAccessibleName(tr("菜单栏"));
  QMenu* file = menuBar()->addMenu(tr("文件(&F)"));
  file->setObjectName("MnuFile");
  file->setAccessibleName(tr("文件"));
  AddMenuItem(file, "MnuOpen", QT_TR_NOOP("打开(&O)"), QKeySequence("Ctrl+O"),
              &platform::MainWindowListener::OnMenuOpen);
  AddMenuItem(file, "mnuClear", QT_TR_NOOP("清除(&C)"), QKeySequence("Ctrl+C"),
              &platform::MainWindowListener::OnMenuClear);
  file->addSeparator()->setObjectName("MnuBar1");
  AddMenuItem(file, "mnuBat", QT_TR_NOOP("批量转换(&T)..."),
              QKeySequence("Ctrl+B"),
              &platform::MainWindowListener::OnMenuBatch);
  file->addSeparator()->setObjectName("mnuBar3");
  AddMenuItem(file, "MnuExit", QT_TR_NOOP("退出(&X)"), QKeySequence("Ctrl+X"),
              &platform::MainWindowListener::OnMenuExit);

  CreateConvertMenu();

  QMenu* help = menuBar()->addMenu(tr("帮助(&H)"));
  help->setObjectName("mnuHelp");
  help->setAccessibleName(tr("帮助"));
  AddMenuItem(help, "mnuTeh", QT_TR_NOOP("技术站点(&T)..."), QKeySequence(),
              &platform::MainWindowListener::OnMenuWebSite);
  AddMenuItem(help, "mnuAbout", QT_TR_NOOP("关于 Tovenrak (&A)..."),
              QKeySequence(), &platform::MainWindowListener::OnMenuAbout);
}

QAction* QtMainWindow::AddMenuItem(
    QMenu* menu, const char* name, const char* caption,
    const QKeySequence& shortcut,
    void (platform::MainWindowListener::*command)()) {
  QAction* action = menu->addAction(tr(caption));
  action->setObjectName(name);
  action->setShortcut(shortcut);
  if (!shortcut.isEmpty()) KeepShortcut(action);
  connect(action, &QAction::triggered, this, [this, command] {
    if (listener_) (listener_->*command)();
  });
  return action;
}

void QtMainWindow::KeepShortcut(QAction* action) {
  shortcut_actions_.append(action);
}

QAction* QtMainWindow::ShortcutAction(const QKeySequence& keys) const {
  for (QAction* action : shortcut_actions_) {
    if (action->shortcut() == keys) return action;
  }
  return nullptr;
}

void QtMainWindow::CreateConvertMenu() {
  QMenu* convert = menuBar()->addMenu(tr("转换(&V)"));
  convert->setObjectName("mnuConvert");
  convert->setAccessibleName(tr("转换"));
  // In the order of kTargetChoices.
  const char* const targets[][2] = {
      {"mnuToGb", QT_TR_NOOP("转换为 &GB")},
      {"mnuToBig5", QT_TR_NOOP("转换为 &Big5")},
      {"mnuToUtf8S", QT_TR_NOOP("转换为 UTF-8 简体(&S)")},
      {"mnuToUtf8T", QT_TR_NOOP("转换为 UTF-8 繁體(&T)")},
      {"mnuToGb18030", QT_TR_NOOP("转换为 GB1803&0")}};
  static_assert(std::size(targets) == kTargetChoiceCount);
  for (int choice = 0; choice < kTargetChoiceCount; ++choice) {
    QAction* action = convert->addAction(tr(targets[choice][1]));
    action->setObjectName(targets[choice][0]);
    connect(action, &QAction::triggered, this, [this, choice] {
      if (listener_) listener_->OnMenuConvert(choice);
    });
  }
  convert->addSeparator();
  QMenu* variant = convert->addMenu(tr("繁体标准(&R)"));
  variant->setObjectName("mnuVariant");
  variant->setAccessibleName(tr("繁体标准"));
  // In the order of kVariantChoices.
  const char* const variants[][2] = {{"mnuTw", QT_TR_NOOP("台湾(&W)")},
                                     {"mnuTwp", QT_TR_NOOP("台湾惯用词(&P)")},
                                     {"mnuHk", QT_TR_NOOP("香港(&H)")},
                                     {"mnuStd", QT_TR_NOOP("通用(&S)")}};
  static_assert(std::size(variants) == kVariantChoiceCount);
  variants_ = new QActionGroup(this);
  for (int choice = 0; choice < kVariantChoiceCount; ++choice) {
    QAction* action = variant->addAction(tr(variants[choice][1]));
    action->setObjectName(variants[choice][0]);
    action->setCheckable(true);
    variants_->addAction(action);
    connect(action, &QAction::triggered, this, [this, choice] {
      if (listener_) listener_->OnMenuVariant(choice);
    });
  }
}

void QtMainWindow::CheckVariant(int choice) {
  const QList<QAction*> actions = variants_->actions();
  if (choice >= 0 && choice < actions.size()) actions[choice]->setChecked(true);
}

QtMainWindow::~QtMainWindow() {
  // Work running aside posts to this window when it ends: it must end
  // while the window is whole.
  aside_.waitForDone();
}

void QtMainWindow::RunAside(std::function<void()> work,
                            std::function<void()> done) {
  aside_.start([this, work = std::move(work), done = std::move(done)] {
    work();
    // Posted to the window, which drops it if it goes first; the window
    // waits for this thread before it goes (~QtMainWindow).
    QMetaObject::invokeMethod(this, done, Qt::QueuedConnection);
  });
}

bool QtMainWindow::TakeFileDrop(QEvent* event) {
  std::vector<std::filesystem::path> paths;
  if (!TakeFileDrag(event, paths)) return false;
  if (!paths.empty() && listener_) listener_->OnFilesDropped(paths);
  return true;
}

void QtMainWindow::SetListener(platform::MainWindowListener* listener) {
  listener_ = listener;
  toolbar_->SetListener(listener);
  preview_->SetListener(listener);
}

void QtMainWindow::ShowCentred() {
  resize(TwipsToPixelsX(*this, kClientWidth),
         TwipsToPixelsY(*this, kClientHeight) + menuBar()->sizeHint().height());
  const QRect screen = this->screen()->availableGeometry();
  move(screen.center() - QPoint(width() / 2, height() / 2));
  show();
  source_view_->setFocus(Qt::OtherFocusReason);
}

void QtMainWindow::SetTitle(const std::string& title) {
  setWindowTitle(QString::fromStdString(title));
  setAccessibleName(windowTitle());
}

void QtMainWindow::PlacePanes(const platform::PaneRects& rects) {
  preview_->setGeometry(TwipsToPixels(*client_, rects.preview));
  preview_label_->setGeometry(TwipsToPixels(*client_, rects.preview_label));
  source_view_->setGeometry(TwipsToPixels(*client_, rects.source));
  source_label_->setGeometry(TwipsToPixels(*client_, rects.source_label));
  about_strip_->Place(rects.about_strip_shift);
}

void QtMainWindow::SetSiteLink(const std::string& address,
                               const std::string& tooltip) {
  about_strip_->SetSiteLink(QString::fromStdString(address),
                            WindowText(tooltip));
}

void QtMainWindow::Maximize() { showMaximized(); }

void QtMainWindow::Quit() {
  quitting_ = true;
  QCoreApplication::quit();
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
  if (!listener_ || quitting_) return QMainWindow::closeEvent(event);
  // Exit quits when the window may go; the window itself stays until then.
  event->ignore();
  listener_->OnMenuExit();
}

namespace {

bool IsDragEvent(QEvent::Type type) {
  return type == QEvent::DragEnter || type == QEvent::DragMove ||
         type == QEvent::Drop;
}

}  // namespace

bool QtMainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) {
    toolbar_->setGeometry(0, 0, client_->width(), toolbar_->height());
    ReportSize();
  } else if (IsDragEvent(event->type())) {
    // Checked first: the filter sees every object's events, also those of
    // objects half destroyed, which must not be cast.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && widget->window() == this && TakeFileDrop(event)) return true;
  } else if (event->type() == QEvent::ShortcutOverride ||
             event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    auto* widget = qobject_cast<QWidget*>(watched);
    // The page takes Tab for its own links and never lets go of the focus:
    // Tab and Shift+Tab leave the preview, so that the keyboard gets back
    // to the source text.
    if (event->type() == QEvent::KeyPress && widget &&
        (widget == preview_ || preview_->isAncestorOf(widget)) &&
        (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      focusNextPrevChild(key->key() == Qt::Key_Tab &&
                         !(key->modifiers() & Qt::ShiftModifier));
      return true;
    }
    QAction* action = widget && widget->window() == this
                          ? ShortcutAction(QKeySequence(key->keyCombination()))
                          : nullptr;
    if (action && event->type() == QEvent::ShortcutOverride) {
      // Left unaccepted, the key goes to the menu item's shortcut.
      key->ignore();
      return true;
    }
    if (action) {
      // A key press of it comes only when the shortcut did not fire: the
      // window was not active, as after a dialog closes where no window
      // manager gives the window back its focus. The keys are still the
      // menu item's, never the control's own Cut or Copy. Accepted, the
      // press goes to no parent, which would trigger the item again.
      key->accept();
      activateWindow();
      if (action->isEnabled()) action->trigger();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

// Tab walks source view, toolbar buttons, preview and round again. The order
// is kept here rather than in the focus chain, which the preview's render
// widget joins only once it is first shown.
bool QtMainWindow::focusNextPrevChild(bool next) {
  QList<QWidget*> order = {source_view_};
  for (int position = 1; position <= kToolbarPositions; ++position) {
    if (toolbar_->ButtonAction(position))
      order.append(toolbar_->PositionWidget(position));
  }
  order.append(preview_);
  order.removeIf([](QWidget* w) { return !w->isVisible() || !w->isEnabled(); });
  QWidget* focus = QApplication::focusWidget();
  const auto current = std::find_if(
      order.begin(), order.end(),
      [&](QWidget* w) { return w == focus || w->isAncestorOf(focus); });
  if (order.isEmpty() || current == order.end())
    return QMainWindow::focusNextPrevChild(next);
  const qsizetype here = current - order.begin();
  const qsizetype there = (here + (next ? 1 : order.size() - 1)) % order.size();
  order[there]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

void QtMainWindow::ReportSize() {
  if (!listener_) return;
  const QRect outer = frameGeometry();
  listener_->OnResized(PixelsToTwipsX(*this, outer.width()),
                       PixelsToTwipsY(*this, outer.height()),
                       PixelsToTwipsX(*this, client_->width()));
}

}  // namespace tovenrak::platform::qt
