// Times opening a page in the main window, wired as the desktop program wires
// it, and prints one JSON line:
//
//   tovenrak_time_preview FILE [RUNS]
//
// {"file", "bytes", "runs",
//  "engine_start_ms": the web engine's start-up (a first window loading a
//    small page), done once before the timed runs and not part of them,
//  "open_ms": until Main::OpenPath returned,
//  "source_ms": until the source view had painted the document's text,
//  "preview_ms": until the preview showed what it shows once the page has
//    loaded: the first picture of the preview (its scroll bars left out),
//    looked at every few milliseconds, that equals the one taken after the
//    load; the engine paints the top of a page before it has laid out the
//    rest,
//  "loaded_ms": until the page had finished loading,
//  "message_boxes": how many were shown (each closed at once) in all runs}
// Each figure is the best of RUNS (default 5), each run in a fresh window.
// Needs a display (QT_QPA_PLATFORM=offscreen will do) and, as root,
// QTWEBENGINE_DISABLE_SANDBOX=1.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWebEngineView>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "app/bat_launcher.h"
#include "core/convert/default_converter.h"
#include "main_window/main_presenter.h"
#include "platform/disk_files.h"
#include "platform/qt/qt_file_dialog.h"
#include "platform/qt/qt_main_window.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_page_preview.h"
#include "platform/qt/qt_review_view.h"
#include "platform/qt/qt_settings.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/qt_source_view.h"
#include "platform/qt/qt_status_bar.h"
#include "platform/qt/qt_toolbar.h"

namespace qt = tovenrak::platform::qt;
namespace fs = std::filesystem;

namespace {

// Processes events until `done()` holds or `ms` pass; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, int ms = 60000) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (!done()) QThread::usleep(200);
  }
  return done();
}

// Processes events for `ms`, letting a fresh window settle.
void Settle(int ms) {
  QElapsedTimer timer;
  timer.start();
  WaitUntil([&] { return timer.elapsed() >= ms; });
}

// Notes when a widget, or any widget below it, has finished painting after
// it is armed, calling `when()` to decide whether a paint counts.
class PaintWatch : public QObject {
 public:
  PaintWatch(QElapsedTimer& clock, std::function<bool()> when)
      : clock_(clock), when_(std::move(when)) {}
  void Watch(QWidget& widget) {
    widget.installEventFilter(this);
    for (QWidget* child : widget.findChildren<QWidget*>())
      child->installEventFilter(this);
  }
  qint64 painted_ms = -1;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint || painted_ms >= 0 || !when_())
      return false;
    // Paints the widget here, so that the time taken is after the paint.
    watched->removeEventFilter(this);
    QCoreApplication::sendEvent(watched, event);
    watched->installEventFilter(this);
    painted_ms = clock_.elapsed();
    return true;
  }

 private:
  QElapsedTimer& clock_;
  std::function<bool()> when_;
};

// Closes each message box as soon as it shows (the warning about characters
// written as references comes with an Open of some pages) and counts them.
class BoxCloser : public QObject {
 public:
  BoxCloser() { qApp->installEventFilter(this); }
  int closed = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      if (auto* box = qobject_cast<QMessageBox*>(watched)) {
        ++closed;
        QTimer::singleShot(0, box, &QMessageBox::reject);
      }
    }
    return false;
  }
};

struct Times {
  double open_ms = std::numeric_limits<double>::infinity();
  double source_ms = open_ms;
  double preview_ms = open_ms;
  double loaded_ms = open_ms;
};

// A fingerprint of what `view` shows, its scroll bars left out: they change
// as the engine lays out more of the page below what is seen.
size_t Picture(QWidget& view) {
  constexpr int kScrollBar = 24;
  const QImage image =
      view.grab().toImage().convertToFormat(QImage::Format_RGB32);
  const int width = std::max(0, image.width() - kScrollBar);
  const int height = std::max(0, image.height() - kScrollBar);
  size_t hash = 14695981039346656037u;
  for (int y = 0; y < height; ++y) {
    const auto* line = reinterpret_cast<const char*>(image.constScanLine(y));
    for (int x = 0; x < width * 4; ++x)
      hash = (hash ^ static_cast<unsigned char>(line[x])) * 1099511628211u;
  }
  return hash;
}

// One window, wired as gui_main wires it, writing its preview file in
// `app_dir`.
struct Window {
  Window(std::unique_ptr<tovenrak::core::Converter> cher,
         const fs::path& app_dir)
      : dia(&window),
        message_box(&window),
        batch(&window, QCoreApplication::applicationDirPath().toStdString(),
              settings, {}),
        main({window.source_view(), window.preview(), window.status(),
              window.toolbar(), dia, message_box, batch, shell, window, files,
              settings},
             std::move(cher), app_dir,
             QCoreApplication::applicationDirPath().toStdString()),
        review(window) {
    window.SetListener(&main);
    review.SetListener(&main.AttachReview(review));
    window.ShowCentred();
  }

  qt::QtMainWindow window;
  qt::QtFileDialog dia;
  qt::QtMessageBox message_box;
  qt::QtShell shell;
  tovenrak::platform::DiskFiles files;
  qt::QtSettings settings;
  tovenrak::app::BatWindowLauncher batch;
  tovenrak::main_window::Main main;
  qt::QtReviewView review;
};

// Opens `file` in a fresh window and times it; false when a stage never
// came.
bool TimeOpen(const fs::path& file, const fs::path& app_dir, Times& best) {
  auto cher = tovenrak::core::MakeDefaultConverter();
  if (!cher) {
    std::cerr << "tovenrak_time_preview: " << cher.error().Message() << "\n";
    return false;
  }
  Window w(std::move(*cher), app_dir);
  QWebEngineView& view = w.window.preview();
  Settle(500);

  QElapsedTimer clock;
  bool opening = false;
  qint64 loaded_ms = -1;
  QObject::connect(&view, &QWebEngineView::loadFinished, [&](bool ok) {
    if (ok && opening) loaded_ms = clock.elapsed();
  });
  PaintWatch source(clock, [&] {
    return opening && !w.window.source_view().document()->isEmpty();
  });
  source.Watch(*w.window.source_view().viewport());
  // What the preview showed, and when.
  std::vector<std::pair<qint64, size_t>> pictures;

  opening = true;
  clock.start();
  w.main.OpenPath(file);
  const double open_ms = clock.nsecsElapsed() / 1e6;
  auto look = [&] {
    if (!pictures.empty() && clock.elapsed() - pictures.back().first < 5)
      return;
    const size_t picture = Picture(view);
    pictures.emplace_back(clock.elapsed(), picture);
  };
  const bool came = WaitUntil([&] {
    look();
    return source.painted_ms >= 0 && loaded_ms >= 0;
  });
  if (!came) {
    std::cerr << "tovenrak_time_preview: "
              << (source.painted_ms < 0 ? "the source view never painted"
                                        : "the preview never loaded the page")
              << "\n";
    return false;
  }
  // The last frames of the load reach the view a little after it.
  const qint64 settled = clock.elapsed() + 300;
  WaitUntil([&] {
    look();
    return clock.elapsed() >= settled;
  });
  // The preview was shown when it began to show, for good, what it shows
  // now.
  size_t first = pictures.size() - 1;
  while (first > 0 && pictures[first - 1].second == pictures.back().second)
    --first;
  const qint64 preview_ms = pictures[first].first;
  best.open_ms = std::min(best.open_ms, open_ms);
  best.source_ms =
      std::min(best.source_ms, static_cast<double>(source.painted_ms));
  best.preview_ms = std::min(best.preview_ms, static_cast<double>(preview_ms));
  best.loaded_ms = std::min(best.loaded_ms, static_cast<double>(loaded_ms));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: tovenrak_time_preview FILE [RUNS]\n";
    return 2;
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QApplication::setApplicationName("tovenrak");
  QApplication::setOrganizationName("Zemlorin");
  const fs::path file = fs::absolute(argv[1]);
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  QTemporaryDir app_dir;
  if (!app_dir.isValid()) {
    std::cerr << "tovenrak_time_preview: no temporary folder\n";
    return 1;
  }
  const fs::path dir = app_dir.path().toStdString();
  BoxCloser boxes;

  // The engine's start-up: a first window shows a small page.
  const fs::path small = dir / "start.htm";
  std::ofstream(small) << "<meta charset=gbk><p>start</p>\n";
  QElapsedTimer start;
  start.start();
  Times warm;
  if (!TimeOpen(small, dir, warm)) return 1;
  const double engine_start_ms = start.nsecsElapsed() / 1e6;

  Times best;
  for (int run = 0; run < runs; ++run) {
    if (!TimeOpen(file, dir, best)) return 1;
  }
  std::cout << "{\"file\": \"" << file.filename().string()
            << "\", \"bytes\": " << fs::file_size(file)
            << ", \"runs\": " << runs
            << ", \"engine_start_ms\": " << engine_start_ms
            << ", \"open_ms\": " << best.open_ms
            << ", \"source_ms\": " << best.source_ms
            << ", \"preview_ms\": " << best.preview_ms
            << ", \"loaded_ms\": " << best.loaded_ms
            << ", \"message_boxes\": " << boxes.closed << "}\n";
  return 0;
}
