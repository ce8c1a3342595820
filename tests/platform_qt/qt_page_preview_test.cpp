// The preview: fresh loads of a rewritten file, its events, the size limit,
// and hostile pages, which show their own pictures and styles but reach no
// server, read no other local file into the page and move the preview
// nowhere.

#include "platform/qt/qt_page_preview.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <QFile>
#include <QTcpServer>
#include <QTest>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "qt_test_support.h"

namespace tovenrak::platform::qt {
namespace {

namespace fs = std::filesystem;

// A shown preview over a fresh temporary folder.
class QtPagePreviewTest : public ::testing::Test {
 protected:
  QtPagePreviewTest() {
    std::string pattern =
        (fs::temp_directory_path() / "tovenrak-preview-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    preview_.SetListener(&listener_);
    preview_.resize(800, 600);
    preview_.show();
  }
  ~QtPagePreviewTest() override { fs::remove_all(root_); }

  // Writes `name` below the folder and returns its path.
  fs::path Write(const std::string& name, const std::string& bytes) {
    fs::create_directories((root_ / name).parent_path());
    std::ofstream(root_ / name, std::ios::binary) << bytes;
    return root_ / name;
  }

  // Shows `path` in the preview and waits until it has loaded.
  void Load(const fs::path& path) {
    const size_t finished = Finished();
    preview_.ShowFile(path, path.parent_path());
    ASSERT_TRUE(testing::WaitUntil([&] { return Finished() > finished; }));
  }
  size_t Finished() const {
    const auto& e = listener_.events;
    return std::count(e.begin(), e.end(), "load finished") +
           std::count(e.begin(), e.end(), "load failed");
  }

  // Evaluates `script` in the application's world, where scripts always run.
  std::string Evaluate(const QString& script) {
    QString result;
    bool done = false;
    preview_.page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                   [&](const QVariant& value) {
                                     result = value.toString();
                                     done = true;
                                   });
    EXPECT_TRUE(testing::WaitUntil([&] { return done; }));
    return result.toStdString();
  }

  // How often `text` shows anywhere in the page, frames included.
  int Matches(const QString& text) {
    int matches = -1;
    preview_.page()->findText(text, {},
                              [&](const QWebEngineFindTextResult& result) {
                                matches = result.numberOfMatches();
                              });
    EXPECT_TRUE(testing::WaitUntil([&] { return matches >= 0; }));
    preview_.page()->findText("");
    return matches;
  }

  fs::path root_;
  testing::RecordingListener listener_;
  QtPagePreview preview_;
};

TEST_F(QtPagePreviewTest, RewrittenFileIsShownFreshAndItsEventsReported) {
  // The empty page the preview loads ahead of the first file is no news.
  testing::WaitUntil([] { return false; }, 300);
  EXPECT_TRUE(
      testing::WaitUntil([&] { return !preview_.page()->isLoading(); }));
  testing::WaitUntil([] { return false; }, 300);
  EXPECT_EQ(std::count(listener_.events.begin(), listener_.events.end(),
                       "load started") +
                Finished(),
            0);
  for (const char* title : {"first", "second"}) {
    Load(Write("temp.htm", std::string("<title>") + title + "</title>"));
    EXPECT_EQ(preview_.title(), title);
  }
  EXPECT_EQ(listener_.events.back(), "load finished");
  Load(root_ / "missing.htm");
  EXPECT_EQ(listener_.events.back(), "load failed");
  emit preview_.page()->linkHovered("http://www.example.com/");
  EXPECT_EQ(listener_.events.back(), "hover http://www.example.com/");
}

// A page process that dies is a page that cannot be shown, and the next
// file is shown by a new one.
TEST_F(QtPagePreviewTest, APageProcessThatDiesIsReportedAndReplaced) {
  Load(Write("temp.htm", "<title>first</title>"));
  const qint64 pid = preview_.page()->renderProcessPid();
  ASSERT_GT(pid, 0);
  const size_t finished = Finished();
  ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
  ASSERT_TRUE(testing::WaitUntil([&] { return Finished() > finished; }));
  EXPECT_EQ(listener_.events.back(), "load failed");
  Load(Write("temp.htm", "<title>second</title>"));
  EXPECT_EQ(listener_.events.back(), "load finished");
  EXPECT_EQ(preview_.title(), "second");
}

TEST_F(QtPagePreviewTest, FileOverTheLimitGetsANoticeInsteadOfALayout) {
  const fs::path huge = Write("huge.htm", "<p>laid out</p>");
  fs::resize_file(huge, kMaxPreviewBytes + 1);
  preview_.ShowFile(huge, huge.parent_path());
  EXPECT_TRUE(testing::WaitUntil([&] {
    return Evaluate("document.body ? document.body.innerText : ''")
               .find("大于 16 MiB") != std::string::npos;
  }));
  EXPECT_EQ(Matches("laid out"), 0);
}

// A large page shows its first screen before the rest is laid out, and is
// then laid out as it is: nothing of the shortcut stays on the page.
TEST_F(QtPagePreviewTest, LargePageEndsLaidOutAsItIs) {
  std::string page = "<body>";
  while (page.size() < (256 << 10))
    page += "<p>paragraph <b>laid out</b> in its place</p>\n";
  Load(Write("large.htm", page));
  EXPECT_TRUE(testing::WaitUntil([&] {
    return Evaluate(
               "document.adoptedStyleSheets.length + ' ' + "
               "getComputedStyle(document.querySelector('p'))"
               ".contentVisibility") == "0 visible";
  }));
}

// Ways a page could reach the server at `web`: a refresh, a link, a style,
// a picture, a frame, a form sent on load, scripts and a ping.
std::string ReachingMarkup(const std::string& web) {
  return QString(
             "<meta http-equiv=refresh content=\"0;url=%refresh\">"
             "<link rel=stylesheet href=\"%link-stylesheet\">"
             "<style>body { background: url(\"%css-url\"); }</style>"
             "<script src=\"%script-src\"></script>"
             "<script>fetch('%fetch'); new Image().src = '%new-image';</script>"
             "<body onload=\"document.forms[0].submit()\">"
             "<img src=\"%img\"><iframe src=\"%iframe\"></iframe>"
             "<form action=\"%form\" method=post><input name=a></form>"
             "<a href=\"%link\" ping=\"%ping\">link</a>")
      .replace("%", QString::fromStdString(web))
      .toStdString();
}

// Ways a page could show another local file in itself or read it: outside
// its folder, through a link, hidden, as text, from a nested frame, by
// script; and pipes and endless devices.
constexpr char kReadingMarkup[] =
    "<iframe src=\"file:///etc/passwd\"></iframe>"
    "<iframe src=\"../other/secret.htm\"></iframe>"
    "<iframe src=\"linked.htm\"></iframe>"
    "<iframe src=\".hidden/secret.htm\"></iframe>"
    "<iframe src=\"notes.txt\"></iframe>"
    "<iframe srcdoc=\"<iframe src='../other/secret.htm'></iframe>\">"
    "</iframe>"
    "<script>fetch('../other/secret.htm').then(r => r.text())"
    "  .then(t => document.title += ' ' + t, e => {});</script>"
    "<img src=\"pipe.png\"><img src=\"/dev/zero\">"
    "<iframe src=\"pipe.png\"></iframe>";

// The page's own things beside it (by an escaped name), below it and in
// ../img, and a script that would rename it.
constexpr char kOwnMarkup[] =
    "<script>document.title = 'script ran';</script>"
    "<link rel=stylesheet href=\"own.css\"><div id=styled>styled</div>"
    "<img id=same src=\"%E5%9B%BE%201.png\"><img id=down src=\"sub/down.png\">"
    "<img id=up src=\"../img/up.png\"><iframe src=\"own.htm\"></iframe>";

// A block the user can click, with `id` and `attributes`.
std::string Link(const std::string& id, const std::string& attributes,
                 const char* height = "40px") {
  return "<a id=" + id + " " + attributes +
         " style=\"display: block; height: " + height + "\">" + id + "</a>";
}

// Each page stays the page shown, runs no script, reaches no server, shows
// no other local file, and its refused moves are no failed loads.
TEST_F(QtPagePreviewTest, HostilePagesShowTheirOwnThingsAndReachNothingElse) {
  QFile picture(":/pictures/gb.png");
  ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
  const std::string png = picture.readAll().toStdString();
  const std::string dir = "site/新 文件夹#1/";  // the page's own folder
  for (const char* name : {"图 1.png", "sub/down.png", "../img/up.png"})
    Write(dir + name, png);
  Write(dir + "own.css", "#styled { width: 123px; }");
  Write(dir + "own.htm", "<p>own-frame-words</p>");
  Write(dir + "notes.txt", "same-folder-notes");
  Write(dir + ".hidden/secret.htm", "<p>hidden-secret-words</p>");
  Write("site/other/secret.htm", "<p>sibling-secret-words</p>");
  Write(dir + "menu.htm", Link("next", "href=\"next.htm\"", "90vh"));
  Write(dir + "next.htm", "<p>next-frame-words</p>");
  fs::create_symlink(root_ / "site/other/secret.htm",
                     root_ / dir / "linked.htm");
  ASSERT_EQ(::mkfifo((root_ / dir / "pipe.png").c_str(), 0600), 0);

  // A web server on the loopback interface that notes every connection.
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  int connections = 0;
  QObject::connect(&server, &QTcpServer::newConnection, [&] { ++connections; });
  const std::string web =
      "http://127.0.0.1:" + std::to_string(server.serverPort()) + "/";
  testing::UrlCatcher desktop;
  Write(dir + "web.htm", Link("web", "href=\"" + web + "?frame\"", "90vh"));
  using Strings = std::vector<std::string>;
  struct Case {
    const char* name;
    std::string markup;
    std::vector<QString> clicks = {};
    QString probe = "";  // evaluated in the page until it gives `probed`
    std::string probed = "";
    Strings shows = {}, hides = {};  // in the page or its frames
    Strings desktop = {};            // addresses handed to the desktop
  };
  const Case cases[] = {
      {.name = "every reach and read",
       .markup = kOwnMarkup + ReachingMarkup(web) + kReadingMarkup,
       .probe = "['same', 'down', 'up'].map(id => "
                "document.getElementById(id).naturalWidth).join() + ' ' + "
                "getComputedStyle(document.getElementById('styled')).width",
       .probed = "16,16,16 123px",
       .shows = {"own-frame-words"},
       .hides = {"root:", "sibling-secret", "hidden-secret",
                 "same-folder-notes"}},
      // Web links open on the desktop; a link in a frame to a page of the
      // same folder is followed in the frame, as in a saved site's menu.
      {.name = "clicked links",
       .markup = Link("web", "href=\"" + web + "\" ping=\"" + web + "ping\"") +
                 Link("blank", "target=_blank href=\"" + web + "?blank\"") +
                 Link("mail", "href=\"mailto:someone@example.com\"") +
                 Link("local", "href=\"../other/secret.htm\"") +
                 "<form action=\"" + web + "form" +
                 "\"><input id=send type=submit value=send></form>"
                 "<iframe id=webframe src=\"web.htm\"></iframe>"
                 "<iframe id=menu src=\"menu.htm\"></iframe>",
       .clicks = {"web", "blank", "mail", "local", "send", "webframe", "menu"},
       .shows = {"next-frame-words"},
       .hides = {"sibling-secret"},
       .desktop = {web, web + "?blank", web + "?frame"}},
  };
  for (const Case& c : cases) {
    listener_.events.clear();
    desktop.urls.clear();
    const fs::path page =
        Write(dir + "页 %20#1.htm", "<title>hostile</title>" + c.markup);
    Load(page);
    // Gives late requests (a refresh, a prefetch, a ping) their chance.
    QTest::qWait(1000);
    for (const QString& id : c.clicks) {
      // Clicks the middle of the element as the user would.
      const QStringList at =
          QString::fromStdString(
              Evaluate("(() => { const r = document.getElementById('" + id +
                       "').getBoundingClientRect();"
                       "return (r.left + r.width / 2) + ',' +"
                       "       (r.top + r.height / 2); })()"))
              .split(',');
      ASSERT_EQ(at.size(), 2) << id.toStdString();
      QTest::mouseClick(preview_.focusProxy(), Qt::LeftButton, {},
                        QPointF(at[0].toDouble(), at[1].toDouble()).toPoint());
      QTest::qWait(1000);
    }
    if (!c.probe.isEmpty()) {
      EXPECT_TRUE(testing::WaitUntil([&] {
        return Evaluate(c.probe) == c.probed;
      })) << c.name
          << ": " << Evaluate(c.probe);
    }
    for (const std::string& text : c.shows) {
      EXPECT_TRUE(testing::WaitUntil([&] { return Matches(text.c_str()) > 0; }))
          << c.name << ": " << text;
    }
    for (const std::string& text : c.hides)
      EXPECT_EQ(Matches(text.c_str()), 0) << c.name << ": " << text;
    EXPECT_EQ(desktop.urls, c.desktop) << c.name;
    EXPECT_EQ(preview_.url().toLocalFile().toStdString(), page) << c.name;
    EXPECT_EQ(preview_.title(), "hostile") << c.name;
    EXPECT_EQ(listener_.events.back(), "load finished") << c.name;
    EXPECT_EQ(Finished(), 1u) << c.name;
  }
  EXPECT_EQ(connections, 0);
}

}  // namespace
}  // namespace tovenrak::platform::qt
