// The preview's rules for what a page may load and where its links lead, in
// the cases a hostile page in the live preview does not reach.

#include "platform/qt/qt_preview_guard.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tovenrak::platform::qt {
namespace {

namespace fs = std::filesystem;
using Info = QWebEngineUrlRequestInfo;
using Nav = QWebEngineNavigationRequest;

TEST(QtPreviewGuardTest, LoadsAndLinksTheLivePageDoesNotReach) {
  std::string pattern =
      (fs::temp_directory_path() / "tovenrak-guard-XXXXXX").string();
  const fs::path root = ::mkdtemp(pattern.data());
  for (const char* file : {"page.htm", "FRAME.HTM", "frame.htm"})
    std::ofstream(root / file) << "x";
  fs::create_symlink(root / "frame.htm", root / "in.htm");
  auto file = [&](const char* name) {
    return QUrl::fromLocalFile(QString::fromStdString((root / name).string()));
  };
  const QUrl page = file("page.htm");
  EXPECT_FALSE(PreviewMayLoad(page, Info::ResourceTypeMainFrame, QUrl()));
  EXPECT_TRUE(
      PreviewMayLoad(file("FRAME.HTM"), Info::ResourceTypeSubFrame, page));
  EXPECT_TRUE(PreviewMayLoad(file("in.htm"), Info::ResourceTypeSubFrame, page));
  EXPECT_FALSE(
      PreviewMayLoad(file("frame.htm"), Info::ResourceTypeScript, page));
  EXPECT_FALSE(PreviewMayLoad(QUrl("file://server" + page.path()),
                              Info::ResourceTypeSubFrame, page));
  EXPECT_FALSE(PreviewMayLoad(QUrl("qrc:/pictures/gb.png"),
                              Info::ResourceTypeImage, page));
  EXPECT_TRUE(
      PreviewMayLoad(QUrl("blob:file:///1"), Info::ResourceTypeImage, page));
  // A preview file's frames are the document's, from its folder.
  for (const char* name : {"app/temp.htm", "docs/menu.htm"}) {
    fs::create_directories((root / name).parent_path());
    std::ofstream(root / name) << "x";
  }
  const QUrl preview = file("app/temp.htm"), menu = file("docs/menu.htm");
  EXPECT_FALSE(PreviewMayLoad(menu, Info::ResourceTypeSubFrame, preview));
  EXPECT_TRUE(
      PreviewMayLoad(menu, Info::ResourceTypeSubFrame, preview, root / "docs"));
  EXPECT_FALSE(PreviewMayLoad(preview, Info::ResourceTypeSubFrame, preview,
                              root / "docs"));
  fs::remove_all(root);

  const QUrl notice("data:text/html,<p>notice");
  const std::pair<QUrl, Nav::NavigationType> ignored[] = {
      {notice, Nav::RedirectNavigation},
      {file("frame.htm"), Nav::BackForwardNavigation},
      {QUrl("ftp://example.com/"), Nav::LinkClickedNavigation},
      {QUrl("javascript:alert(1)"), Nav::LinkClickedNavigation}};
  for (const auto& [url, type] : ignored) {
    EXPECT_EQ(DecideNavigation(url, type, true, page),
              PreviewNavigation::kIgnore)
        << url.toString().toStdString();
  }
  EXPECT_EQ(DecideNavigation(notice, Nav::TypedNavigation, true, page),
            PreviewNavigation::kLoad);
  EXPECT_EQ(DecideNavigation(QUrl("https://example.com/"),
                             Nav::LinkClickedNavigation, true, page),
            PreviewNavigation::kOpenOnDesktop);
  // The preview file's page leads "#end" from its document's folder: the
  // page scrolls to that place; another file of the folder is not loaded.
  const fs::path docs = "/docs/site";
  EXPECT_EQ(DecideNavigation(QUrl("file:///docs/site/#end"),
                             Nav::LinkClickedNavigation, true, page, docs),
            PreviewNavigation::kScrollTo);
  for (const char* other : {"file:///docs/site/a.htm#end", "file:///docs/#x",
                            "file:///docs/site/"}) {
    EXPECT_EQ(DecideNavigation(QUrl(other), Nav::LinkClickedNavigation, true,
                               page, docs),
              PreviewNavigation::kIgnore)
        << other;
  }
}

}  // namespace
}  // namespace tovenrak::platform::qt
