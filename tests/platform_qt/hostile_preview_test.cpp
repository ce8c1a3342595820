// Hostile pages in the preview: a page shows its own pictures and styles, but
// nothing in it reaches a server, reads another local file into the page or
// moves the preview to another address.

#include <sys/stat.h>

#include <QDesktopServices>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <string>
#include <vector>

#include "platform/qt/qt_preview_guard.h"
#include "preview_fixture.h"

namespace tovenrak::platform::qt {
namespace {

namespace fs = std::filesystem;

// A web server on the loopback interface that records every connection and
// the start of the first line of every request, and answers each with a
// short page.
class LoopbackRecorder {
 public:
  LoopbackRecorder() {
    EXPECT_TRUE(server_.listen(QHostAddress::LocalHost)) << "loopback";
    QObject::connect(&server_, &QTcpServer::newConnection, &server_,
                     [this] { Accept(); });
  }

  QString Address(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1/%2")
        .arg(server_.serverPort())
        .arg(path);
  }
  int connections() const { return connections_; }
  const std::vector<std::string>& requests() const { return requests_; }

  // The requests heard, for a failure message.
  std::string Heard() const {
    std::string text = std::to_string(connections_) + " connections:";
    for (const std::string& request : requests_) text += "\n  " + request;
    return text;
  }

 private:
  void Accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      ++connections_;
      QObject::connect(socket, &QTcpSocket::readyRead, socket, [=, this] {
        QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
        requests_.push_back(
            socket->readAll().left(200).split('\r').first().toStdString());
        socket->write(
            "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n"
            "Content-Length: 25\r\n\r\n<p>reached the server</p>");
        socket->disconnectFromHost();
      });
      QObject::connect(socket, &QTcpSocket::disconnected, socket,
                       &QObject::deleteLater);
    }
  }

  QTcpServer server_;
  int connections_ = 0;
  std::vector<std::string> requests_;
};

// Receives the addresses the preview hands to the desktop.
class DesktopCatcher : public QObject {
  Q_OBJECT

 public:
  DesktopCatcher() {
    for (const char* scheme : kSchemes)
      QDesktopServices::setUrlHandler(scheme, this, "Open");
  }
  ~DesktopCatcher() override {
    for (const char* scheme : kSchemes)
      QDesktopServices::unsetUrlHandler(scheme);
  }

 public slots:
  void Open(const QUrl& url) { urls.push_back(url.toString().toStdString()); }

 public:
  std::vector<std::string> urls;

 private:
  static constexpr const char* kSchemes[] = {"http", "https", "mailto", "file",
                                             "zemlorin-app"};
};

// Every way a page could reach the server, with and without scripts, each
// with its own path so that a request names its source.
std::string ReachingMarkup(const LoopbackRecorder& server) {
  const QString html = QStringLiteral(
      "<meta http-equiv=refresh content=\"0;url=%refresh\">"
      "<link rel=stylesheet href=\"%link-stylesheet\">"
      "<link rel=prefetch href=\"%prefetch\">"
      "<link rel=preload as=image href=\"%preload\">"
      "<link rel=dns-prefetch href=\"%dns-prefetch\">"
      "<link rel=preconnect href=\"%preconnect\">"
      "<link rel=icon href=\"%icon\">"
      "<style>@import url(\"%css-import\");"
      "body { background: url(\"%css-url\"); }"
      "@font-face { font-family: far; src: url(\"%font\"); }"
      "p { font-family: far; cursor: url(\"%cursor\"), auto; }</style>"
      "<script src=\"%script-src\"></script>"
      "<script>fetch('%fetch');"
      "var x = new XMLHttpRequest(); x.open('GET', '%xhr'); x.send();"
      "new Image().src = '%new-image';"
      "navigator.sendBeacon('%beacon', 'data');"
      "new Worker('%worker');</script>"
      "<body onload=\"document.forms[0].submit()\">"
      "<p>hostile</p>"
      "<img src=\"%img\"><img srcset=\"%srcset 2x\">"
      "<input type=image src=\"%input-image\">"
      "<table background=\"%table-background\"><tr><td>t</td></tr></table>"
      "<svg width=10 height=10><image href=\"%svg-image\"/></svg>"
      "<iframe src=\"%iframe\"></iframe>"
      "<object data=\"%object\"></object><embed src=\"%embed\">"
      "<video poster=\"%video-poster\" src=\"%video-src\" autoplay></video>"
      "<audio src=\"%audio\" autoplay></audio>"
      "<form action=\"%form\" method=post><input name=a value=b></form>"
      "<a href=\"%link\" ping=\"%ping\">link</a>");
  // Each %name becomes the server's address for /name.
  return QString(html)
      .replace(QRegularExpression("%([a-z-]+)"), server.Address("\\1"))
      .toStdString();
}

// Every way a page could show another local file in itself or read it.
constexpr char kReadingMarkup[] =
    "<iframe src=\"own.htm\"></iframe>"
    "<iframe src=\"file:///etc/passwd\"></iframe>"
    "<iframe src=\"../other/secret.htm\"></iframe>"
    "<iframe src=\"notes.txt\"></iframe>"
    "<iframe src=\"linked.htm\"></iframe>"
    "<iframe src=\".hidden/secret.htm\"></iframe>"
    "<object data=\"../other/secret.txt\" type=\"text/plain\"></object>"
    "<embed src=\"/etc/passwd\" type=\"text/plain\">"
    "<iframe srcdoc=\"<iframe src='../other/secret.htm'></iframe>\">"
    "</iframe>"
    "<iframe src=\"data:text/html,<iframe src='file:///etc/passwd'>\">"
    "</iframe>"
    "<link rel=stylesheet href=\"../other/secret.htm\">"
    "<script>"
    "for (const file of ['../other/secret.txt', 'file:///etc/passwd'])"
    "  fetch(file).then(r => r.text())"
    "      .then(t => document.title += ' ' + t, e => {});"
    "var x = new XMLHttpRequest(); x.open('GET', '../other/secret.htm');"
    "x.onload = () => document.title += ' ' + x.responseText; x.send();"
    "</script>";

class HostilePreviewTest : public testing::PreviewTest {
 protected:
  HostilePreviewTest() {
    QFile picture(":/pictures/gb.png");
    EXPECT_TRUE(picture.open(QIODevice::ReadOnly));
    const std::string png = picture.readAll().toStdString();
    for (const char* name :
         {"site/page/pic.png", "site/page/sub/down.png", "site/img/up.png"})
      Write(name, png);
    Write("site/page/own.css", "#styled { width: 123px; }");
    Write("site/page/own.htm", "<p>own-frame-words</p>");
    Write("site/page/notes.txt", "same-folder-notes");
    Write("site/page/.hidden/secret.htm", "<p>hidden-secret-words</p>");
    Write("site/other/secret.htm", "<p>sibling-secret-words</p>");
    Write("site/other/secret.txt", "sibling-secret-text");
    fs::create_symlink(root_ / "site/other/secret.htm",
                       root_ / "site/page/linked.htm");
  }

  // Loads `path` and gives late requests (a refresh, a prefetch, a ping)
  // their chance.
  void LoadAndSettle(const fs::path& path) {
    Load(path);
    QTest::qWait(1000);
  }

  std::string ShownUrl() const {
    return preview_.url().toString().toStdString();
  }
  std::string PageUrl() const {
    return Url("site/page/page.htm").toString().toStdString();
  }

  // Clicks the middle of the page's element `id` as the user would.
  void Click(const QString& id) {
    const QStringList at =
        QString::fromStdString(
            Evaluate("(() => { const r = document.getElementById('" + id +
                     "').getBoundingClientRect();"
                     "return (r.left + r.width / 2) + ',' +"
                     "       (r.top + r.height / 2); })()"))
            .split(',');
    ASSERT_EQ(at.size(), 2) << id.toStdString();
    QWidget* surface = preview_.focusProxy();
    ASSERT_NE(surface, nullptr);
    QTest::mouseClick(surface, Qt::LeftButton, {},
                      QPointF(at[0].toDouble(), at[1].toDouble()).toPoint());
    QTest::qWait(1000);
  }
};

// Every way of reaching a server, of reading another local file into the
// page, and of holding the load up with a pipe or an endless device, in one
// page beside the page's own pictures, style and frame.
TEST_F(HostilePreviewTest, PageShowsItsOwnThingsAndReachesNothingElse) {
  LoopbackRecorder server;
  ASSERT_EQ(::mkfifo((root_ / "site/page/pipe.png").c_str(), 0600), 0);
  LoadAndSettle(Write(
      "site/page/page.htm",
      "<title>hostile</title><link rel=stylesheet href=\"own.css\">"
      "<div id=styled>styled</div><img id=same src=\"pic.png\">"
      "<img id=down src=\"sub/down.png\"><img id=up src=\"../img/up.png\">"
      "<img src=\"pipe.png\"><img src=\"/dev/zero\">"
      "<video src=\"/dev/urandom\"></video><iframe src=\"pipe.png\"></iframe>" +
          ReachingMarkup(server) + kReadingMarkup));

  EXPECT_EQ(listener_.events.back(), "load finished") << "pipes hold nothing";
  EXPECT_TRUE(testing::WaitUntil([&] {
    return Evaluate(
               "['same', 'down', 'up'].map(id => "
               "document.getElementById(id).naturalWidth).join()") ==
           "16,16,16";
  })) << "the page's own pictures, beside it, below it and in ../img";
  EXPECT_EQ(Evaluate("getComputedStyle(document.getElementById('styled'))"
                     ".width"),
            "123px");
  EXPECT_GT(Matches("own-frame-words"), 0) << "a frame of its own folder";
  EXPECT_EQ(ShownUrl(), PageUrl());
  EXPECT_EQ(Title(), "hostile") << "no script ran";
  EXPECT_EQ(Matches("reached the server"), 0);
  EXPECT_TRUE(server.requests().empty()) << server.Heard();
  EXPECT_EQ(server.connections(), 0) << server.Heard();
  EXPECT_EQ(Matches("root:"), 0) << "/etc/passwd";
  EXPECT_EQ(Matches("sibling-secret"), 0) << "../other, also through a link";
  EXPECT_EQ(Matches("hidden-secret"), 0) << "a hidden folder below the page";
  EXPECT_EQ(Matches("same-folder-notes"), 0) << "a text file is no page";
}

TEST_F(HostilePreviewTest, PageCannotMoveThePreviewAway) {
  for (const char* target : {"file:///etc/passwd", "../other/secret.htm",
                             "own.htm", "http://127.0.0.1:9/"}) {
    listener_.events.clear();
    LoadAndSettle(
        Write("site/page/page.htm",
              std::string("<title>stays</title>"
                          "<meta http-equiv=refresh content=\"0;url=") +
                  target + "\">"));
    EXPECT_EQ(ShownUrl(), PageUrl()) << target;
    EXPECT_EQ(Title(), "stays") << target;
    // The refused refresh is no failed load for the window to report.
    EXPECT_EQ(listener_.events.back(), "load finished") << target;
    EXPECT_EQ(Finished(), 1u) << target;
  }
}

TEST_F(HostilePreviewTest, ClickedWebLinkOpensOnTheDesktopAndPingsNobody) {
  LoopbackRecorder server;
  DesktopCatcher desktop;
  const std::string web = server.Address("clicked").toStdString();
  auto link = [](const std::string& id, const std::string& attributes,
                 const char* height = "40px") {
    return "<a id=" + id + " " + attributes +
           " style=\"display: block; height: " + height + "\">" + id + "</a>";
  };
  Write("site/page/menu.htm", link("next", "href=\"next.htm\"", "90vh"));
  Write("site/page/next.htm", "<p>next-frame-words</p>");
  Write("site/page/web.htm", link("web", "href=\"" + web + "?frame\"", "90vh"));
  LoadAndSettle(
      Write("site/page/page.htm",
            "<title>links</title>" +
                link("web", "href=\"" + web + "\" ping=\"" +
                                server.Address("ping").toStdString() + "\"") +
                link("blank", "target=_blank href=\"" + web + "?blank\"") +
                link("mail", "href=\"mailto:someone@example.com\"") +
                link("local", "href=\"../other/secret.htm\"") +
                link("own", "href=\"own.htm\"") +
                link("app", "href=\"zemlorin-app:open\"") + "<form action=\"" +
                server.Address("form").toStdString() +
                "\"><input id=send type=submit value=send></form>"
                "<iframe id=menu src=\"menu.htm\"></iframe>"
                "<iframe id=webframe src=\"web.htm\"></iframe>"));

  listener_.events.clear();
  for (const char* id :
       {"web", "blank", "mail", "local", "own", "app", "send", "webframe"}) {
    Click(id);
    EXPECT_EQ(ShownUrl(), PageUrl()) << id;
    EXPECT_EQ(Title(), "links") << id;
  }
  EXPECT_EQ(Finished(), 0u) << "a refused link is no failed load";
  EXPECT_EQ(desktop.urls,
            (std::vector<std::string>{web, web + "?blank", web + "?frame"}));
  EXPECT_TRUE(server.requests().empty()) << server.Heard();
  EXPECT_EQ(server.connections(), 0) << server.Heard();

  // A link in a frame to a page of the same folder is followed in the frame,
  // as in a saved site's menu.
  Click("menu");
  EXPECT_TRUE(
      testing::WaitUntil([&] { return Matches("next-frame-words") > 0; }));
}

TEST_F(HostilePreviewTest, PageWithAnUnusualNameShowsItsPictures) {
  fs::create_directories(root_ / "site/新 文件夹#1");
  fs::copy_file(root_ / "site/page/pic.png",
                root_ / "site/新 文件夹#1/图 1.png");
  Load(Write("site/新 文件夹#1/页 %20#1.htm",
             "<title>unusual</title><img id=p src=\"%E5%9B%BE%201.png\">"));
  EXPECT_EQ(Title(), "unusual");
  EXPECT_TRUE(testing::WaitUntil([&] {
    return Evaluate("document.getElementById('p').naturalWidth") == "16";
  }));
}

// A view with the guard as its only defence: scripts on, remote addresses
// allowed. Without the guard the same pages reach the server and the secrets,
// which shows that the pages above really try.
class PermissiveView {
 public:
  explicit PermissiveView(bool guarded) {
    if (guarded) profile_.setUrlRequestInterceptor(&guard_);
    page_ = new QWebEnginePage(&profile_, &view_);
    QWebEngineSettings* settings = page_->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls,
                           true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls,
                           true);
    view_.setPage(page_);
    view_.resize(800, 600);
    view_.show();
  }
  ~PermissiveView() { delete page_; }

  // Loads `path` and gives its requests time to go out.
  void Load(const fs::path& path) {
    bool loaded = false;
    auto connection = QObject::connect(page_, &QWebEnginePage::loadFinished,
                                       [&] { loaded = true; });
    const QUrl url = QUrl::fromLocalFile(QString::fromStdString(path.string()));
    guard_.SetPage(url);
    page_->load(url);
    EXPECT_TRUE(testing::WaitUntil([&] { return loaded; })) << path;
    QObject::disconnect(connection);
    QTest::qWait(1500);
  }
  QWebEnginePage* page() const { return page_; }

 private:
  QtPreviewGuard guard_;  // Outlives the profile that uses it.
  QWebEngineProfile profile_;
  QWebEngineView view_;
  QWebEnginePage* page_;
};

TEST_F(HostilePreviewTest, GuardAloneKeepsAPermissivePageIn) {
  for (const bool guarded : {false, true}) {
    LoopbackRecorder server;
    PermissiveView view(guarded);
    // The first page's refresh and form would take the second away.
    view.Load(Write("site/page/reaching.htm", ReachingMarkup(server)));
    view.Load(Write("site/page/reading.htm",
                    std::string("<title>reader</title>") + kReadingMarkup));
    const QString title = view.page()->title();
    const bool secret_shown = Matches(view.page(), "sibling-secret") > 0 ||
                              Matches(view.page(), "root:") > 0 ||
                              title.contains("sibling-secret") ||
                              title.contains("root:");
    if (guarded) {
      EXPECT_TRUE(server.requests().empty()) << server.Heard();
      EXPECT_EQ(server.connections(), 0) << server.Heard();
      EXPECT_FALSE(secret_shown) << title.toStdString();
      EXPECT_GT(Matches(view.page(), "own-frame-words"), 0);
    } else {
      EXPECT_GT(server.requests().size(), 5u) << server.Heard();
      EXPECT_TRUE(secret_shown);
    }
  }
}

}  // namespace
}  // namespace tovenrak::platform::qt

#include "hostile_preview_test.moc"
