// The preview: fresh loads of a rewritten file, its events, what a local page
// may reach, and the encoding of undeclared pages.

#include "platform/qt/qt_page_preview.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QFile>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <filesystem>
#include <fstream>

#include "qt_test_support.h"
#include "recording_listener.h"

namespace tovenrak::platform::qt {
namespace {

namespace fs = std::filesystem;

class QtPagePreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (fs::temp_directory_path() / "tovenrak-preview-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    preview_.SetListener(&listener_);
    preview_.resize(400, 300);
    preview_.show();
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return dir_ / name;
  }

  // Shows `path` and waits until the load has finished.
  void Load(const fs::path& path) {
    const size_t finished = Finished();
    preview_.ShowFile(path);
    ASSERT_TRUE(testing::WaitUntil([&] { return Finished() > finished; }))
        << path;
  }

  size_t Finished() const {
    size_t n = 0;
    for (const std::string& e : listener_.events)
      n += e == "load finished" || e == "load failed";
    return n;
  }

  // Runs `script` in the page, in the world of the application's own
  // scripts, and returns its result as text.
  QString Evaluate(const QString& script) {
    QString result;
    bool done = false;
    preview_.page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                   [&](const QVariant& value) {
                                     result = value.toString();
                                     done = true;
                                   });
    EXPECT_TRUE(testing::WaitUntil([&] { return done; }))
        << script.toStdString();
    return result;
  }

  fs::path dir_;
  testing::RecordingListener listener_;
  QtPagePreview preview_;
};

TEST_F(QtPagePreviewTest, RewrittenFileIsShownFreshEachTime) {
  const fs::path page = Write("temp.htm", "<title>first</title>");
  Load(page);
  EXPECT_EQ(preview_.title(), "first");
  Write("temp.htm", "<title>second</title>");
  Load(page);
  EXPECT_EQ(preview_.title(), "second");
  Write("temp.htm", "<title>third</title>");
  Load(page);
  EXPECT_EQ(preview_.title(), "third");
  EXPECT_EQ(preview_.url(),
            QUrl::fromLocalFile(QString::fromStdString(page.string())));
}

TEST_F(QtPagePreviewTest, ReportsLoadsAndHoveredLinks) {
  Load(Write("a.htm", "<p>a</p>"));
  EXPECT_EQ(listener_.events.front(), "load started");
  EXPECT_EQ(listener_.events.back(), "load finished");
  listener_.events.clear();
  Load(dir_ / "missing.htm");
  EXPECT_EQ(listener_.events.back(), "load failed");

  listener_.events.clear();
  emit preview_.page()->linkHovered("http://www.example.com/");
  EXPECT_EQ(listener_.events,
            std::vector<std::string>{"hover http://www.example.com/"});
}

TEST_F(QtPagePreviewTest, PageShowsItsOwnImagesButRunsNoScripts) {
  QFile picture(":/pictures/gb.png");
  ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
  Write("pic.png", picture.readAll().toStdString());
  Write("secret.txt", "secret");
  // The page's own script would read another file into the title.
  Load(Write("page.htm",
             "<title>page</title><img id=p src=\"pic.png\"><script>"
             "fetch('secret.txt').then(r => r.text())"
             ".then(t => document.title = t, e => document.title = 'refused');"
             "document.title = 'script ran';</script>"));
  EXPECT_TRUE(testing::WaitUntil([&] {
    return Evaluate("document.getElementById('p').naturalWidth") == "16";
  }));
  EXPECT_EQ(preview_.title(), "page");
}

TEST_F(QtPagePreviewTest, UndeclaredPageIsReadAsGb) {
  // 中文 in GBK, with no charset declaration.
  Load(Write("gb.htm", "<p id=t>\xD6\xD0\xCE\xC4</p>"));
  EXPECT_EQ(Evaluate("document.getElementById('t').textContent"), "中文");
}

}  // namespace
}  // namespace tovenrak::platform::qt
