// A shown page preview over a fresh temporary folder, with helpers to load a
// file and to look into the page.

#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/qt/qt_page_preview.h"
#include "qt_test_support.h"
#include "recording_listener.h"

namespace tovenrak::testing {

class PreviewTest : public ::testing::Test {
 protected:
  PreviewTest() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tovenrak-preview-XXXXXX")
            .string();
    root_ = ::mkdtemp(pattern.data());
    preview_.SetListener(&listener_);
    preview_.resize(800, 600);
    preview_.show();
  }
  ~PreviewTest() override { std::filesystem::remove_all(root_); }

  // Writes `bytes` to `name` below the folder and returns its path.
  std::filesystem::path Write(const std::string& name,
                              const std::string& bytes) {
    std::filesystem::create_directories((root_ / name).parent_path());
    std::ofstream(root_ / name, std::ios::binary) << bytes;
    return root_ / name;
  }
  QUrl Url(const std::string& name) const {
    return QUrl::fromLocalFile(QString::fromStdString((root_ / name).string()));
  }

  // Shows `path` in the preview and waits until it has loaded.
  void Load(const std::filesystem::path& path) {
    const size_t finished = Finished();
    preview_.ShowFile(path);
    ASSERT_TRUE(WaitUntil([&] { return Finished() > finished; })) << path;
  }
  size_t Finished() const {
    size_t n = 0;
    for (const std::string& e : listener_.events)
      n += e == "load finished" || e == "load failed";
    return n;
  }

  // Evaluates `script` in the application's own world, which runs even when
  // the page's scripts may not.
  std::string Evaluate(const QString& script) {
    QString result;
    bool done = false;
    preview_.page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                   [&](const QVariant& value) {
                                     result = value.toString();
                                     done = true;
                                   });
    EXPECT_TRUE(WaitUntil([&] { return done; })) << script.toStdString();
    return result.toStdString();
  }

  // How often `text` shows anywhere in the page, frames included.
  int Matches(const QString& text) {
    QWebEnginePage* page = preview_.page();
    int matches = -1;
    page->findText(text, {}, [&](const QWebEngineFindTextResult& result) {
      matches = result.numberOfMatches();
    });
    EXPECT_TRUE(WaitUntil([&] { return matches >= 0; })) << text.toStdString();
    page->findText("");
    return matches;
  }

  std::string Title() const { return preview_.title().toStdString(); }

  std::filesystem::path root_;
  RecordingListener listener_;
  platform::qt::QtPagePreview preview_;
};

}  // namespace tovenrak::testing
