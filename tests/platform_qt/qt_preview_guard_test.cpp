// The preview's rules for what a page may load and where its links lead.

#include "platform/qt/qt_preview_guard.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/page_preview.h"

namespace tovenrak::platform::qt {
namespace {

namespace fs = std::filesystem;
using Info = QWebEngineUrlRequestInfo;
using Nav = QWebEngineNavigationRequest;

class QtPreviewGuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (fs::temp_directory_path() / "tovenrak-guard-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    for (const char* sub : {"site/page/sub", "site/page/.git", "site/other"})
      fs::create_directories(root_ / sub);
    for (const char* file :
         {"site/page/page.htm", "site/page/frame.htm", "site/page/FRAME.HTM",
          "site/page/sub/deep.html", "site/page/pic.png", "site/page/notes.txt",
          "site/page/.git/config.htm", "site/page/.dot.htm",
          "site/other/secret.htm", "site/other/pic.png"})
      std::ofstream(root_ / file) << "x";
    fs::create_symlink(root_ / "site/other/secret.htm",
                       root_ / "site/page/out.htm");
    fs::create_symlink(root_ / "site/page/frame.htm",
                       root_ / "site/page/in.htm");
    ::mkfifo((root_ / "site/page/pipe.htm").c_str(), 0600);
    std::ofstream(root_ / "site/page/huge.htm") << "x";
    fs::resize_file(root_ / "site/page/huge.htm", kMaxPreviewBytes + 1);
  }
  void TearDown() override { fs::remove_all(root_); }

  QUrl File(const std::string& name) const {
    return QUrl::fromLocalFile(QString::fromStdString((root_ / name).string()));
  }

  fs::path root_;
};

TEST_F(QtPreviewGuardTest, PageLoadsItsOwnThingsAndNothingElse) {
  const QUrl page = File("site/page/page.htm");
  struct Case {
    const char* name;
    QUrl url;
    Info::ResourceType type;
    bool allowed;
  };
  const Case cases[] = {
      {"the page itself", page, Info::ResourceTypeMainFrame, true},
      {"another page as main frame", File("site/page/frame.htm"),
       Info::ResourceTypeMainFrame, false},
      {"picture beside it", File("site/page/pic.png"), Info::ResourceTypeImage,
       true},
      {"picture in a sibling folder", File("site/other/pic.png"),
       Info::ResourceTypeImage, true},
      {"style anywhere", File("site/other/secret.htm"),
       Info::ResourceTypeStylesheet, true},
      {"font", File("site/page/pic.png"), Info::ResourceTypeFontResource, true},
      {"media", File("site/page/pic.png"), Info::ResourceTypeMedia, true},
      {"missing picture", File("site/page/gone.png"), Info::ResourceTypeImage,
       false},
      {"folder as picture", File("site/page/sub"), Info::ResourceTypeImage,
       false},
      {"pipe as picture", File("site/page/pipe.htm"), Info::ResourceTypeImage,
       false},
      {"device as style", QUrl("file:///dev/zero"),
       Info::ResourceTypeStylesheet, false},
      {"frame beside it", File("site/page/frame.htm"),
       Info::ResourceTypeSubFrame, true},
      {"frame in capitals", File("site/page/FRAME.HTM"),
       Info::ResourceTypeSubFrame, true},
      {"frame below it", File("site/page/sub/deep.html"),
       Info::ResourceTypeSubFrame, true},
      {"picture as object", File("site/page/pic.png"), Info::ResourceTypeObject,
       true},
      {"link within the folder", File("site/page/in.htm"),
       Info::ResourceTypeSubFrame, true},
      {"link out of the folder", File("site/page/out.htm"),
       Info::ResourceTypeSubFrame, false},
      {"frame in a sibling folder", File("site/other/secret.htm"),
       Info::ResourceTypeSubFrame, false},
      {"frame through ..", File("site/page/sub/../../other/secret.htm"),
       Info::ResourceTypeSubFrame, false},
      {"frame in a hidden folder", File("site/page/.git/config.htm"),
       Info::ResourceTypeSubFrame, false},
      {"hidden frame", File("site/page/.dot.htm"), Info::ResourceTypeSubFrame,
       false},
      {"text file as frame", File("site/page/notes.txt"),
       Info::ResourceTypeSubFrame, false},
      {"text file as object", File("site/page/notes.txt"),
       Info::ResourceTypeObject, false},
      {"pipe as frame", File("site/page/pipe.htm"), Info::ResourceTypeSubFrame,
       false},
      {"system file as frame", QUrl("file:///etc/passwd"),
       Info::ResourceTypeSubFrame, false},
      {"script beside it", File("site/page/frame.htm"),
       Info::ResourceTypeScript, false},
      {"fetch beside it", File("site/page/frame.htm"), Info::ResourceTypeXhr,
       false},
      {"prefetch", File("site/page/frame.htm"), Info::ResourceTypePrefetch,
       false},
      {"ping", File("site/page/frame.htm"), Info::ResourceTypePing, false},
      {"worker", File("site/page/frame.htm"), Info::ResourceTypeWorker, false},
      {"other resource", File("site/page/frame.htm"),
       Info::ResourceTypeSubResource, false},
      {"file on another host",
       QUrl("file://server" + File("site/page/pic.png").path()),
       Info::ResourceTypeImage, false},
      {"web picture", QUrl("http://example.com/a.png"), Info::ResourceTypeImage,
       false},
      {"secure web frame", QUrl("https://example.com/"),
       Info::ResourceTypeSubFrame, false},
      {"ftp picture", QUrl("ftp://example.com/a.png"), Info::ResourceTypeImage,
       false},
      {"web socket", QUrl("ws://example.com/"), Info::ResourceTypeWebSocket,
       false},
      {"program resource", QUrl("qrc:/pictures/gb.png"),
       Info::ResourceTypeImage, false},
      {"inline picture", QUrl("data:image/png;base64,AA=="),
       Info::ResourceTypeImage, true},
      {"blob", QUrl("blob:file:///1234"), Info::ResourceTypeImage, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PreviewMayLoad(c.url, c.type, page), c.allowed) << c.name;
}

TEST_F(QtPreviewGuardTest, PageLargerThanThePreviewShowsIsNotLoaded) {
  const QUrl huge = File("site/page/huge.htm");
  EXPECT_FALSE(PreviewMayLoad(huge, Info::ResourceTypeMainFrame, huge));
}

TEST_F(QtPreviewGuardTest, NothingLoadsBeforeAPageIsShown) {
  EXPECT_FALSE(PreviewMayLoad(File("site/page/page.htm"),
                              Info::ResourceTypeMainFrame, QUrl()));
  EXPECT_FALSE(PreviewMayLoad(File("site/page/frame.htm"),
                              Info::ResourceTypeSubFrame, QUrl()));
}

TEST_F(QtPreviewGuardTest, LinksOpenOnTheDesktopOrNowhere) {
  const QUrl page = File("site/page/page.htm");
  const QUrl web("http://example.com/");
  struct Case {
    const char* name;
    QUrl url;
    Nav::NavigationType type;
    bool main_frame;
    PreviewNavigation expected;
  };
  const Case cases[] = {
      {"showing the page", page, Nav::TypedNavigation, true,
       PreviewNavigation::kLoad},
      {"reloading it", page, Nav::ReloadNavigation, true,
       PreviewNavigation::kLoad},
      {"showing a notice", QUrl("data:text/html,<p>notice"),
       Nav::TypedNavigation, true, PreviewNavigation::kLoad},
      {"refresh to a notice", QUrl("data:text/html,<p>notice"),
       Nav::RedirectNavigation, true, PreviewNavigation::kIgnore},
      {"showing another page", File("site/page/frame.htm"),
       Nav::TypedNavigation, true, PreviewNavigation::kIgnore},
      {"going back", File("site/page/frame.htm"), Nav::BackForwardNavigation,
       true, PreviewNavigation::kIgnore},
      {"clicked web link", web, Nav::LinkClickedNavigation, true,
       PreviewNavigation::kOpenOnDesktop},
      {"clicked secure web link", QUrl("https://example.com/"),
       Nav::LinkClickedNavigation, true, PreviewNavigation::kOpenOnDesktop},
      {"clicked web link in a frame", web, Nav::LinkClickedNavigation, false,
       PreviewNavigation::kOpenOnDesktop},
      {"clicked local link", File("site/page/frame.htm"),
       Nav::LinkClickedNavigation, true, PreviewNavigation::kIgnore},
      {"clicked ftp link", QUrl("ftp://example.com/"),
       Nav::LinkClickedNavigation, true, PreviewNavigation::kIgnore},
      {"clicked script link", QUrl("javascript:alert(1)"),
       Nav::LinkClickedNavigation, true, PreviewNavigation::kIgnore},
      {"refresh to the web", web, Nav::RedirectNavigation, true,
       PreviewNavigation::kIgnore},
      {"refresh to itself", page, Nav::RedirectNavigation, true,
       PreviewNavigation::kIgnore},
      {"form to the web", web, Nav::FormSubmittedNavigation, true,
       PreviewNavigation::kIgnore},
      {"frame of the folder", File("site/page/frame.htm"), Nav::OtherNavigation,
       false, PreviewNavigation::kLoad},
      {"frame elsewhere", File("site/other/secret.htm"), Nav::OtherNavigation,
       false, PreviewNavigation::kIgnore},
      {"frame of the web", web, Nav::OtherNavigation, false,
       PreviewNavigation::kIgnore},
      {"empty frame", QUrl("about:blank"), Nav::OtherNavigation, false,
       PreviewNavigation::kLoad},
      {"inline frame", QUrl("data:text/html,<p>x"), Nav::OtherNavigation, false,
       PreviewNavigation::kLoad},
      {"menu link in a frame", File("site/page/sub/deep.html"),
       Nav::LinkClickedNavigation, false, PreviewNavigation::kLoad},
      {"menu link out of the folder", File("site/other/secret.htm"),
       Nav::LinkClickedNavigation, false, PreviewNavigation::kIgnore},
      {"refresh in a frame", File("site/page/frame.htm"),
       Nav::RedirectNavigation, false, PreviewNavigation::kIgnore},
      {"form in a frame", File("site/page/frame.htm"),
       Nav::FormSubmittedNavigation, false, PreviewNavigation::kIgnore},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecideNavigation(c.url, c.type, c.main_frame, page), c.expected)
        << c.name;
  }
}

}  // namespace
}  // namespace tovenrak::platform::qt
