#include "platform/qt/qt_bat_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <initializer_list>
#include <system_error>

#include "platform/bat_listener.h"
#include "platform/qt/qt_file_drop.h"

namespace tovenrak::platform::qt {

namespace {

constexpr int kTwipsPerInch = 1440;
const QColor kLightYellow(255, 255, 192);

QString FromPath(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
}

void PaintText(QWidget* widget, const QColor& text, const QColor* base) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Text, text);
  if (base) palette.setColor(QPalette::Base, *base);
  widget->setPalette(palette);
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text,
                        const QString& accessible_name) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setAccessibleName(accessible_name);
  // No button is the default: Enter acts only on the button that has focus.
  button->setAutoDefault(false);
  return button;
}

}  // namespace

QtBatView::QtBatView(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("批量转换"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  CreateControls();
  PlaceControls();
  ConnectControls();
}

void QtBatView::CreateControls() {
  label4_ = new QLabel(tr("待转换文件："), this);
  label4_->setObjectName("Label4");
  label4_->setAccessibleName(label4_->text());
  PaintText(label4_, Qt::blue, nullptr);

  be_fore_ = new QListWidget(this);
  be_fore_->setObjectName("BeFore");
  be_fore_->setAccessibleName(tr("待转换文件"));
  be_fore_->setSelectionMode(QAbstractItemView::SingleSelection);
  // Paths are longer than the list is wide: cut in the middle, the file's
  // own name stays in sight.
  be_fore_->setTextElideMode(Qt::ElideMiddle);
  be_fore_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  be_fore_->setUniformItemSizes(true);
  be_fore_->viewport()->setMouseTracking(true);
  be_fore_->viewport()->installEventFilter(this);
  be_fore_->viewport()->setAcceptDrops(true);
  PaintText(be_fore_, Qt::blue, &kLightYellow);

  n_add_ = MakeButton(this, "NAdd", tr("加入(&A)..."), tr("加入..."));
  n_del_ = MakeButton(this, "NDel", tr("移除(&D)"), tr("移除"));
  n_del_->setEnabled(false);
  n_go_ = MakeButton(this, "NGo", tr("开始转换(&S)"), tr("开始转换"));
  n_quit_ = MakeButton(this, "NQuit", tr("关闭"), tr("关闭"));

  label2_ = new QLabel(tr("转换至："), this);
  label2_->setObjectName("Label2");
  label2_->setAccessibleName(label2_->text());
  PaintText(label2_, Qt::blue, nullptr);

  to_text_ = new QLineEdit(QStringLiteral("Text1"), this);
  to_text_->setObjectName("ToText");
  to_text_->setAccessibleName(tr("转换至"));
  PaintText(to_text_, Qt::blue, &kLightYellow);

  drive1_ = new QComboBox(this);
  drive1_->setObjectName("Drive1");
  drive1_->setAccessibleName(tr("驱动器"));

  dir1_model_ = new QFileSystemModel(this);
  dir1_model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  dir1_model_->setReadOnly(true);
  dir1_ = new QTreeView(this);
  dir1_->setObjectName("Dir1");
  dir1_->setAccessibleName(tr("文件夹"));
  dir1_->setModel(dir1_model_);
  dir1_->setHeaderHidden(true);
  // Deep folders scroll sideways instead of losing their names.
  dir1_->setIndentation(12);
  dir1_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  dir1_->header()->setStretchLastSection(false);
  for (int column = 1; column < dir1_model_->columnCount(); ++column)
    dir1_->hideColumn(column);

  target_label_ = new QLabel(tr("目标编码："), this);
  target_label_->setObjectName("LTarget");
  target_label_->setAccessibleName(target_label_->text());
  PaintText(target_label_, Qt::blue, nullptr);
  target_ = new QComboBox(this);
  target_->setObjectName("Target");
  target_->setAccessibleName(tr("目标编码"));
  // The automatic entry, then kTargetChoices in order.
  for (const char* entry :
       {QT_TR_NOOP("自动 (GB ⇄ Big5)"), "GB", "Big5", QT_TR_NOOP("UTF-8 简体"),
        QT_TR_NOOP("UTF-8 繁體"), "GB18030"})
    target_->addItem(tr(entry));
  target_label_->setBuddy(target_);

  pro_ = new QProgressBar(this);
  pro_->setObjectName("Pro");
  pro_->setAccessibleName(tr("转换进度"));
  pro_->setRange(0, 100);
  pro_->setValue(0);
  pro_->setTextVisible(false);
  pro_->hide();

  review_list_ = new QCheckBox(tr("写出疑点清单"), this);
  review_list_->setObjectName("ReviewList");
  review_list_->setAccessibleName(tr("写出疑点清单"));
  review_list_->setToolTip(tr(
      "在目标文件夹中写出 tovenrak-review.txt，列出每个转换时有多种写法的字"));

  setTabOrder(be_fore_, n_add_);
  setTabOrder(n_add_, n_del_);
  setTabOrder(n_del_, target_);
  setTabOrder(target_, n_go_);
  setTabOrder(n_go_, review_list_);
  setTabOrder(review_list_, n_quit_);
  // The target column top down: its box, then the drive and the folders
  // that fill it.
  setTabOrder(n_quit_, to_text_);
  setTabOrder(to_text_, drive1_);
  setTabOrder(drive1_, dir1_);
  be_fore_->setFocus();
}

QRect QtBatView::Twips(int left, int top, int width, int height) const {
  const double x = logicalDpiX() / static_cast<double>(kTwipsPerInch);
  const double y = logicalDpiY() / static_cast<double>(kTwipsPerInch);
  return QRect(qRound(left * x), qRound(top * y), qRound(width * x),
               qRound(height * y));
}

void QtBatView::PlaceControls() {
  setFixedSize(Twips(0, 0, 6975, 4335).size());
  label4_->setGeometry(Twips(120, 120, 1215, 255));
  be_fore_->setGeometry(Twips(120, 360, 2295, 2940));
  n_add_->setGeometry(Twips(120, 3360, 2295, 375));
  n_del_->setGeometry(Twips(120, 3840, 2295, 375));
  n_go_->setGeometry(Twips(2760, 960, 1455, 375));
  n_quit_->setGeometry(Twips(2760, 3840, 1455, 375));
  label2_->setGeometry(Twips(4680, 120, 735, 255));
  to_text_->setGeometry(Twips(4680, 360, 2175, 270));
  drive1_->setGeometry(Twips(4680, 720, 2175, 300));
  dir1_->setGeometry(Twips(4680, 1080, 2175, 3030));
  pro_->setGeometry(Twips(2520, 1680, 1935, 135));
  review_list_->setGeometry(Twips(2760, 1395, 1800, 255));
  target_label_->setGeometry(Twips(2520, 120, 2040, 255));
  target_->setGeometry(Twips(2520, 360, 2040, 300));
}

void QtBatView::ConnectControls() {
  connect(n_add_, &QPushButton::clicked, this, [this] {
    if (listener_) listener_->OnNAdd();
  });
  // The list's menu (right button, menu key) adds files or a folder; a
  // folder can be dropped too, but not by the keyboard.
  be_fore_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(be_fore_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) {
            QMenu menu(this);
            menu.setObjectName("mnuBeFore");
            menu.setAccessibleName(tr("待转换文件"));
            menu.addAction(tr("加入文件(&A)..."), this, [this] {
              if (listener_) listener_->OnNAdd();
            });
            menu.addAction(tr("加入文件夹(&F)..."), this, [this] {
              if (listener_) listener_->OnNAddFolder();
            });
            menu.exec(be_fore_->viewport()->mapToGlobal(at));
          });
  connect(review_list_, &QCheckBox::toggled, this, [this](bool on) {
    if (listener_) listener_->OnReviewListToggled(on);
  });
  connect(n_del_, &QPushButton::clicked, this, [this] {
    if (listener_) listener_->OnNDel();
  });
  connect(n_go_, &QPushButton::clicked, this, [this] {
    if (listener_) listener_->OnNGo();
  });
  connect(n_quit_, &QPushButton::clicked, this, [this] { reject(); });
  connect(be_fore_, &QListWidget::clicked, this, [this] {
    if (listener_ && !setting_) listener_->OnBeForeClicked();
  });
  // Not currentRowChanged: focus alone makes an entry current without
  // selecting it.
  connect(be_fore_, &QListWidget::itemSelectionChanged, this, [this] {
    if (listener_ && !setting_) listener_->OnBeForeClicked();
  });
  connect(drive1_, &QComboBox::currentIndexChanged, this, [this] {
    if (listener_ && !setting_) listener_->OnDrive1Changed();
  });
  // The model lists folders in the background and rows keep arriving above
  // the current folder, so it is scrolled back into view as they come until
  // the user scrolls, expands or picks a folder.
  auto keep_current_in_view = [this] {
    if (!dir1_scroll_pending_) return;
    setting_ = true;
    ShowCurrentFolder();
    setting_ = false;
  };
  connect(dir1_model_, &QFileSystemModel::rowsInserted, this,
          keep_current_in_view);
  connect(dir1_model_, &QFileSystemModel::layoutChanged, this,
          keep_current_in_view);
  connect(dir1_model_, &QFileSystemModel::rowsInserted, this,
          [this](const QModelIndex& parent, int first, int last) {
            if (parent == dir1_->rootIndex()) HideOtherVolumes(first, last);
          });
  auto user_moved = [this] {
    if (!setting_) dir1_scroll_pending_ = false;
  };
  connect(dir1_->verticalScrollBar(), &QScrollBar::actionTriggered, this,
          user_moved);
  connect(dir1_, &QTreeView::expanded, this, user_moved);
  connect(dir1_, &QTreeView::collapsed, this, user_moved);
  connect(dir1_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (setting_) return;
            dir1_scroll_pending_ = false;
            dir1_folder_ = dir1_model_->filePath(current).toStdString();
            if (listener_) listener_->OnDir1Changed();
          });
}

void QtBatView::HideOtherVolumes(int first, int last) {
  const QModelIndex parent = dir1_->rootIndex();
  for (int row = first; row <= last; ++row) {
    dir1_->setRowHidden(row, parent,
                        dir1_model_->index(row, 0, parent) != dir1_volume_);
  }
}

void QtBatView::SetListener(BatListener* listener) { listener_ = listener; }

void QtBatView::AppendToBeFore(const std::string& path) {
  be_fore_->addItem(QString::fromStdString(path));
}

void QtBatView::RemoveFromBeFore(int index) {
  setting_ = true;
  delete be_fore_->takeItem(index);
  be_fore_->setCurrentRow(-1);
  be_fore_->clearSelection();
  setting_ = false;
}

int QtBatView::BeForeSelection() const {
  const QList<QListWidgetItem*> selected = be_fore_->selectedItems();
  return selected.isEmpty() ? -1 : be_fore_->row(selected.first());
}

int QtBatView::BeForeIndexAt(int x, int y) const {
  const QModelIndex index = be_fore_->indexAt(QPoint(x, y));
  return index.isValid() ? index.row() : -1;
}

void QtBatView::SetBeForeToolTip(const std::string& text) {
  // Help events reach the viewport, which shows its own tooltip when the
  // entries carry none.
  be_fore_->viewport()->setToolTip(QString::fromStdString(text));
}

void QtBatView::EnableNDel(bool enabled) { n_del_->setEnabled(enabled); }

std::string QtBatView::ToText() const { return to_text_->text().toStdString(); }

void QtBatView::SetToText(const std::string& text) {
  to_text_->setText(QString::fromStdString(text));
}

void QtBatView::FillDrive1(const std::vector<std::string>& volumes) {
  setting_ = true;
  drive1_->clear();
  for (const std::string& volume : volumes)
    drive1_->addItem(QString::fromStdString(volume));
  setting_ = false;
}

void QtBatView::SetDrive1(int index) {
  setting_ = true;
  drive1_->setCurrentIndex(index);
  setting_ = false;
}

int QtBatView::Drive1() const { return drive1_->currentIndex(); }

bool QtBatView::SetDir1(const std::filesystem::path& volume,
                        const std::filesystem::path& folder) {
  // Listing the folder is the test: it fails for a missing folder, one
  // without permission and a medium that cannot be read.
  std::error_code error;
  std::filesystem::directory_iterator probe(folder, error);
  if (error) return false;
  setting_ = true;
  // The volume's own folder is the one top entry: the tree shows its
  // parent's entries with all others hidden.
  dir1_volume_ = dir1_model_->setRootPath(FromPath(volume));
  dir1_->setRootIndex(dir1_volume_.parent());
  HideOtherVolumes(0, dir1_model_->rowCount(dir1_volume_.parent()) - 1);
  const QModelIndex current = dir1_model_->index(FromPath(folder));
  dir1_->setCurrentIndex(current);
  ShowCurrentFolder();
  setting_ = false;
  dir1_folder_ = folder;
  dir1_scroll_pending_ = folder != volume;
  return true;
}

std::filesystem::path QtBatView::Dir1() const { return dir1_folder_; }

void QtBatView::ShowCurrentFolder() {
  const QModelIndex current = dir1_->currentIndex();
  dir1_->scrollTo(current, QAbstractItemView::PositionAtCenter);
  // scrollTo brings the row into view but scrolls sideways only as far as
  // the column's right edge, which for a deep tree leaves the folder's name
  // off to the left. Put the name's start at the left edge, or scroll fully
  // left when the whole name fits from there.
  QScrollBar* sideways = dir1_->horizontalScrollBar();
  const QRect row = dir1_->visualRect(current);
  const int name_left = row.left() + sideways->value();
  const int name_width =
      dir1_->fontMetrics().horizontalAdvance(current.data().toString()) +
      dir1_->iconSize().width() + dir1_->indentation();
  const int room = dir1_->viewport()->width();
  sideways->setValue(
      name_left + name_width <= room ? 0 : name_left - dir1_->indentation());
}

int QtBatView::TargetChoice() const { return target_->currentIndex(); }

void QtBatView::SetTargetChoice(int choice) {
  target_->setCurrentIndex(choice);
}

void QtBatView::ShowPro(bool visible) {
  pro_->setVisible(visible);
  if (visible) pro_->repaint();
}

void QtBatView::SetPro(int percent) {
  pro_->setValue(percent);
  // The run keeps the event loop waiting, so paint now, and take the user's
  // clicks on the one control left enabled.
  pro_->repaint();
  if (running_) QCoreApplication::processEvents();
}

void QtBatView::SetRunning(bool running) {
  if (running == running_) return;
  running_ = running;
  if (running) {
    held_.clear();
    for (QWidget* control : std::initializer_list<QWidget*>{
             be_fore_, n_add_, n_del_, n_go_, to_text_, drive1_, dir1_,
             review_list_, target_}) {
      held_.emplace_back(control, control->isEnabled());
      control->setEnabled(false);
    }
  } else {
    for (const auto& [control, enabled] : held_) control->setEnabled(enabled);
    held_.clear();
  }
  n_quit_->setEnabled(true);
  n_quit_->setText(running ? tr("停止") : tr("关闭"));
  n_quit_->setAccessibleName(n_quit_->text());
  // The one control left would take the focus, and Enter or Space, typed
  // meanwhile, would stop the run: it is clicked, or Esc pressed.
  n_quit_->setFocusPolicy(running ? Qt::NoFocus : Qt::StrongFocus);
  if (running && n_quit_->hasFocus()) n_quit_->clearFocus();
}

void QtBatView::reject() {
  if (running_) {
    // The files begun are still written: the button says the stop is taken.
    n_quit_->setText(tr("正在停止……"));
    n_quit_->setAccessibleName(n_quit_->text());
    n_quit_->setEnabled(false);
  }
  if (listener_) {
    listener_->OnNQuit();
  } else if (!running_) {
    QDialog::reject();
  }
}

void QtBatView::Close() { accept(); }

bool QtBatView::TakeFileDrop(QEvent* event) {
  std::vector<std::filesystem::path> paths;
  if (!TakeFileDrag(event, paths)) return false;
  if (!paths.empty() && listener_) listener_->OnBeForeDropped(paths);
  return true;
}

bool QtBatView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == be_fore_->viewport() && TakeFileDrop(event)) return true;
  if (watched == be_fore_->viewport() && event->type() == QEvent::MouseMove &&
      listener_) {
    const auto* move = static_cast<QMouseEvent*>(event);
    const QPoint at = move->position().toPoint();
    listener_->OnBeForeMouseMove(move->buttons() != Qt::NoButton, at.x(),
                                 at.y());
  }
  return QDialog::eventFilter(watched, event);
}

void QtBatView::keyPressEvent(QKeyEvent* event) {
  // The context menu's key where a keyboard has no menu key: the list's
  // menu, for its current entry.
  if (event->keyCombination() ==
          QKeyCombination(Qt::ShiftModifier, Qt::Key_F10) &&
      focusWidget() == be_fore_) {
    const QModelIndex current = be_fore_->currentIndex();
    const QPoint at = current.isValid()
                          ? be_fore_->visualRect(current).bottomLeft()
                          : QPoint(0, 0);
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, at,
                           be_fore_->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(be_fore_->viewport(), &menu);
    return;
  }
  // With no default button, Enter in the list or the target box does nothing.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
      button->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace tovenrak::platform::qt
