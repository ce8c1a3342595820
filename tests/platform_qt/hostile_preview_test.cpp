// Hostile pages in the preview: a page shows its own pictures and styles, but
// nothing in it reaches a server, reads another local file into the page or
// moves the preview to another address.

#include <sys/stat.h>

#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <string>
#include <vector>

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

// The page's own things, beside it, below it and in ../img, with pipes and
// endless devices among them, and a script that would rename it.
constexpr char kOwnMarkup[] =
    "<script>document.title = 'script ran';</script>"
    "<link rel=stylesheet href=\"own.css\"><div id=styled>styled</div>"
    "<img id=same src=\"pic.png\"><img id=down src=\"sub/down.png\">"
    "<img id=up src=\"../img/up.png\"><img src=\"pipe.png\">"
    "<img src=\"/dev/zero\"><video src=\"/dev/urandom\"></video>"
    "<iframe src=\"pipe.png\"></iframe>";

// A block the user can click, with `id` and `attributes`.
std::string Link(const std::string& id, const std::string& attributes,
                 const char* height = "40px") {
  return "<a id=" + id + " " + attributes +
         " style=\"display: block; height: " + height + "\">" + id + "</a>";
}

class HostilePreviewTest : public testing::PreviewTest {
 protected:
  HostilePreviewTest() {
    QFile picture(":/pictures/gb.png");
    EXPECT_TRUE(picture.open(QIODevice::ReadOnly));
    const std::string png = picture.readAll().toStdString();
    for (const char* name : {"site/page/pic.png", "site/page/sub/down.png",
                             "site/img/up.png", "site/新 文件夹#1/图 1.png"})
      Write(name, png);
    Write("site/page/own.css", "#styled { width: 123px; }");
    Write("site/page/own.htm", "<p>own-frame-words</p>");
    Write("site/page/notes.txt", "same-folder-notes");
    Write("site/page/.hidden/secret.htm", "<p>hidden-secret-words</p>");
    Write("site/other/secret.htm", "<p>sibling-secret-words</p>");
    Write("site/other/secret.txt", "sibling-secret-text");
    Write("site/page/menu.htm", Link("next", "href=\"next.htm\"", "90vh"));
    Write("site/page/next.htm", "<p>next-frame-words</p>");
    fs::create_symlink(root_ / "site/other/secret.htm",
                       root_ / "site/page/linked.htm");
    EXPECT_EQ(::mkfifo((root_ / "site/page/pipe.png").c_str(), 0600), 0);
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
    QTest::mouseClick(preview_.focusProxy(), Qt::LeftButton, {},
                      QPointF(at[0].toDouble(), at[1].toDouble()).toPoint());
    QTest::qWait(1000);
  }
};

// Each page stays the page shown, runs no script, reaches no server, shows
// no other local file, and its refused moves are no failed loads.
TEST_F(HostilePreviewTest, PagesShowTheirOwnThingsAndReachNothingElse) {
  LoopbackRecorder server;
  testing::UrlCatcher desktop(
      {"http", "https", "mailto", "file", "zemlorin-app"});
  const std::string web = server.Address("clicked").toStdString();
  Write("site/page/web.htm", Link("web", "href=\"" + web + "?frame\"", "90vh"));
  using Strings = std::vector<std::string>;
  struct Case {
    const char* name;
    std::string file = "page/page.htm";  // below site/
    std::string markup;
    std::vector<QString> clicks = {};
    QString probe = "";  // evaluated in the page until it gives `probed`
    std::string probed = "";
    Strings shows = {}, hides = {};  // in the page or its frames
    Strings desktop = {};            // addresses handed to the desktop
  };
  const Case cases[] = {
      {.name = "every reach and read",
       .markup = kOwnMarkup + ReachingMarkup(server) + kReadingMarkup,
       .probe = "['same', 'down', 'up'].map(id => "
                "document.getElementById(id).naturalWidth).join() + ' ' + "
                "getComputedStyle(document.getElementById('styled')).width",
       .probed = "16,16,16 123px",
       .shows = {"own-frame-words"},
       .hides = {"reached the server", "root:", "sibling-secret",
                 "hidden-secret", "same-folder-notes"}},
      // Web links open on the desktop; a link in a frame to a page of the
      // same folder is followed in the frame, as in a saved site's menu.
      {.name = "clicked links",
       .markup = Link("web", "href=\"" + web + "\" ping=\"" +
                                 server.Address("ping").toStdString() + "\"") +
                 Link("blank", "target=_blank href=\"" + web + "?blank\"") +
                 Link("mail", "href=\"mailto:someone@example.com\"") +
                 Link("local", "href=\"../other/secret.htm\"") +
                 Link("own", "href=\"own.htm\"") +
                 Link("app", "href=\"zemlorin-app:open\"") + "<form action=\"" +
                 server.Address("form").toStdString() +
                 "\"><input id=send type=submit value=send></form>"
                 "<iframe id=webframe src=\"web.htm\"></iframe>"
                 "<iframe id=menu src=\"menu.htm\"></iframe>",
       .clicks = {"web", "blank", "mail", "local", "own", "app", "send",
                  "webframe", "menu"},
       .shows = {"next-frame-words"},
       .hides = {"sibling-secret"},
       .desktop = {web, web + "?blank", web + "?frame"}},
      {.name = "unusual name",
       .file = "新 文件夹#1/页 %20#1.htm",
       .markup = "<img id=p src=\"%E5%9B%BE%201.png\">",
       .probe = "document.getElementById('p').naturalWidth",
       .probed = "16"},
  };
  for (const Case& c : cases) {
    listener_.events.clear();
    desktop.urls.clear();
    const fs::path page =
        Write("site/" + c.file, "<title>hostile</title>" + c.markup);
    Load(page);
    // Gives late requests (a refresh, a prefetch, a ping) their chance.
    QTest::qWait(1000);
    for (const QString& id : c.clicks) Click(id);
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
    EXPECT_EQ(preview_.url(),
              QUrl::fromLocalFile(QString::fromStdString(page.string())))
        << c.name;
    EXPECT_EQ(Title(), "hostile") << c.name;
    EXPECT_EQ(listener_.events.back(), "load finished") << c.name;
    EXPECT_EQ(Finished(), 1u) << c.name;
  }
  EXPECT_TRUE(server.requests().empty()) << server.Heard();
  EXPECT_EQ(server.connections(), 0) << server.Heard();
}

}  // namespace
}  // namespace tovenrak::platform::qt
