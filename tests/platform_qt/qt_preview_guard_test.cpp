// The preview's rules for what a page may load and where its links lead.

#include "platform/qt/qt_preview_guard.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/page_preview.h"

namespace tovenrak::platform::qt {
namespace {

namespace fs = std::filesystem;
using Info = QWebEngineUrlRequestInfo;
using Nav = QWebEngineNavigationRequest;
constexpr auto kMain = Info::ResourceTypeMainFrame;
constexpr auto kFrame = Info::ResourceTypeSubFrame;
constexpr auto kImage = Info::ResourceTypeImage;
constexpr auto kObject = Info::ResourceTypeObject;
constexpr auto kLoad = PreviewNavigation::kLoad;
constexpr auto kIgnore = PreviewNavigation::kIgnore;
constexpr auto kDesktop = PreviewNavigation::kOpenOnDesktop;

class QtPreviewGuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (fs::temp_directory_path() / "tovenrak-guard-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    for (const char* sub : {"site/page/sub", "site/other"})
      fs::create_directories(root_ / sub);
    for (const char* file :
         {"site/page/page.htm", "site/page/frame.htm", "site/page/FRAME.HTM",
          "site/page/sub/deep.html", "site/page/pic.png", "site/page/notes.txt",
          "site/page/.dot.htm", "site/other/secret.htm"})
      std::ofstream(root_ / file) << "x";
    fs::create_symlink(root_ / "site/page/frame.htm",
                       root_ / "site/page/in.htm");
    std::ofstream(root_ / "site/page/huge.htm") << "x";
    fs::resize_file(root_ / "site/page/huge.htm", kMaxPreviewBytes + 1);
  }
  void TearDown() override { fs::remove_all(root_); }

  // A file below the test's folder "site".
  QUrl File(const std::string& name) const {
    return QUrl::fromLocalFile(
        QString::fromStdString((root_ / "site" / name).string()));
  }

  fs::path root_;
};

TEST_F(QtPreviewGuardTest, PageLoadsItsOwnThingsAndNothingElse) {
  const QUrl page = File("page/page.htm");
  struct Case {
    const char* name;
    QUrl url;
    Info::ResourceType type;
    bool allowed;
    const char* shown = "page/page.htm";  // "": no page shown yet
  };
  const Case cases[] = {
      {"the page itself", page, kMain, true},
      {"a page larger than the preview shows", File("page/huge.htm"), kMain,
       false, "page/huge.htm"},
      {"a page before one is shown", page, kMain, false, ""},
      {"a frame before a page is shown", File("page/frame.htm"), kFrame, false,
       ""},
      {"another page as main frame", File("page/frame.htm"), kMain, false},
      {"missing picture", File("page/gone.png"), kImage, false},
      {"folder as picture", File("page/sub"), kImage, false},
      {"frame in capitals", File("page/FRAME.HTM"), kFrame, true},
      {"frame below it", File("page/sub/deep.html"), kFrame, true},
      {"picture as object", File("page/pic.png"), kObject, true},
      {"link within the folder", File("page/in.htm"), kFrame, true},
      {"frame through ..", File("page/sub/../../other/secret.htm"), kFrame,
       false},
      {"hidden frame", File("page/.dot.htm"), kFrame, false},
      {"text file as object", File("page/notes.txt"), kObject, false},
      {"script beside it", File("page/frame.htm"), Info::ResourceTypeScript,
       false},
      {"prefetch", File("page/frame.htm"), Info::ResourceTypePrefetch, false},
      {"other resource", File("page/frame.htm"), Info::ResourceTypeSubResource,
       false},
      {"file on another host",
       QUrl("file://server" + File("page/pic.png").path()), kImage, false},
      {"secure web frame", QUrl("https://example.com/"), kFrame, false},
      {"ftp picture", QUrl("ftp://example.com/a.png"), kImage, false},
      {"web socket", QUrl("ws://example.com/"), Info::ResourceTypeWebSocket,
       false},
      {"program resource", QUrl("qrc:/pictures/gb.png"), kImage, false},
      {"inline picture", QUrl("data:image/png;base64,AA=="), kImage, true},
      {"blob", QUrl("blob:file:///1234"), kImage, true},
  };
  for (const Case& c : cases) {
    const QUrl shown = *c.shown ? File(c.shown) : QUrl();
    EXPECT_EQ(PreviewMayLoad(c.url, c.type, shown), c.allowed) << c.name;
  }
}

TEST_F(QtPreviewGuardTest, LinksOpenOnTheDesktopOrNowhere) {
  const QUrl page = File("page/page.htm");
  const QUrl web("http://example.com/");
  struct Case {
    const char* name;
    QUrl url;
    Nav::NavigationType type;
    bool main_frame;
    PreviewNavigation expected;
  };
  const Case cases[] = {
      {"showing the page", page, Nav::TypedNavigation, true, kLoad},
      {"reloading it", page, Nav::ReloadNavigation, true, kLoad},
      {"showing a notice", QUrl("data:text/html,<p>notice"),
       Nav::TypedNavigation, true, kLoad},
      {"refresh to a notice", QUrl("data:text/html,<p>notice"),
       Nav::RedirectNavigation, true, kIgnore},
      {"showing another page", File("page/frame.htm"), Nav::TypedNavigation,
       true, kIgnore},
      {"going back", File("page/frame.htm"), Nav::BackForwardNavigation, true,
       kIgnore},
      {"clicked secure web link", QUrl("https://example.com/"),
       Nav::LinkClickedNavigation, true, kDesktop},
      {"clicked ftp link", QUrl("ftp://example.com/"),
       Nav::LinkClickedNavigation, true, kIgnore},
      {"clicked script link", QUrl("javascript:alert(1)"),
       Nav::LinkClickedNavigation, true, kIgnore},
      {"refresh to itself", page, Nav::RedirectNavigation, true, kIgnore},
      {"frame of the folder", File("page/frame.htm"), Nav::OtherNavigation,
       false, kLoad},
      {"frame elsewhere", File("other/secret.htm"), Nav::OtherNavigation, false,
       kIgnore},
      {"frame of the web", web, Nav::OtherNavigation, false, kIgnore},
      {"empty frame", QUrl("about:blank"), Nav::OtherNavigation, false, kLoad},
      {"inline frame", QUrl("data:text/html,<p>x"), Nav::OtherNavigation, false,
       kLoad},
      {"refresh in a frame", File("page/frame.htm"), Nav::RedirectNavigation,
       false, kIgnore},
      {"form in a frame", File("page/frame.htm"), Nav::FormSubmittedNavigation,
       false, kIgnore},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecideNavigation(c.url, c.type, c.main_frame, page), c.expected)
        << c.name;
  }
}

}  // namespace
}  // namespace tovenrak::platform::qt
