#include "platform/qt/qt_preview_guard.h"

#include <sys/stat.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/page_preview.h"

namespace tovenrak::platform::qt {

namespace {

namespace fs = std::filesystem;
using ResourceType = QWebEngineUrlRequestInfo::ResourceType;
using NavigationType = QWebEngineNavigationRequest::NavigationType;

// Documents a frame or object of a page may show.
constexpr std::array<const char*, 12> kFrameSuffixes = {
    "htm", "html", "shtml", "xhtml", "xht", "gif",
    "jpg", "jpeg", "png",   "bmp",   "svg", "webp"};

// The local path `url` names, or an empty one for any other address
// (another scheme, or a file on another host).
fs::path LocalPath(const QUrl& url) {
  if (!url.isLocalFile() || !url.host().isEmpty()) return {};
  return fs::path(url.toLocalFile().toStdString()).lexically_normal();
}

// Reading a pipe or a device can block or never end; a folder is no page.
bool IsRegularFile(const fs::path& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

uint64_t FileSize(const fs::path& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

bool IsFrameDocument(const fs::path& path) {
  std::string suffix = path.extension().string();
  if (suffix.empty()) return false;
  suffix.erase(0, 1);
  for (char& c : suffix)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* allowed : kFrameSuffixes) {
    if (suffix == allowed) return true;
  }
  return false;
}

// Whether `file` is a frame document in `folder` or below it, through no
// hidden folder, once links and ".." are resolved on both: a link in the
// folder to a file elsewhere does not count.
bool IsFrameDocumentWithin(const fs::path& file, const fs::path& folder) {
  std::error_code error;
  const fs::path real_file = fs::weakly_canonical(file, error);
  if (error || !IsFrameDocument(real_file)) return false;
  const fs::path real_folder = fs::weakly_canonical(folder, error);
  if (error) return false;
  const fs::path relative = real_file.lexically_relative(real_folder);
  if (relative.empty()) return false;
  for (const fs::path& part : relative) {
    // Also refuses "..", the way out of the folder.
    if (part.empty() || part.string().front() == '.') return false;
  }
  return true;
}

bool SameFile(const QUrl& url, const QUrl& page) {
  const fs::path path = LocalPath(url);
  return !path.empty() && path == LocalPath(page);
}

}  // namespace

bool PreviewMayLoad(const QUrl& url, ResourceType type, const QUrl& page,
                    const fs::path& folder) {
  const QString scheme = url.scheme();
  if (scheme == QStringLiteral("data") || scheme == QStringLiteral("blob"))
    return true;
  const fs::path path = LocalPath(url);
  if (path.empty() || !IsRegularFile(path)) return false;
  switch (type) {
    case QWebEngineUrlRequestInfo::ResourceTypeMainFrame:
      return SameFile(url, page) && FileSize(path) <= kMaxPreviewBytes;
    case QWebEngineUrlRequestInfo::ResourceTypeImage:
    case QWebEngineUrlRequestInfo::ResourceTypeStylesheet:
    case QWebEngineUrlRequestInfo::ResourceTypeFontResource:
    case QWebEngineUrlRequestInfo::ResourceTypeMedia:
      return true;
    case QWebEngineUrlRequestInfo::ResourceTypeSubFrame:
    case QWebEngineUrlRequestInfo::ResourceTypeObject: {
      const fs::path page_path = LocalPath(page);
      return !page_path.empty() &&
             IsFrameDocumentWithin(
                 path, folder.empty() ? page_path.parent_path() : folder);
    }
    default:
      return false;
  }
}

bool OpensOnDesktop(const QUrl& url) {
  const QString scheme = url.scheme();
  return url.isValid() && (scheme == QStringLiteral("http") ||
                           scheme == QStringLiteral("https"));
}

PreviewNavigation DecideNavigation(const QUrl& url, NavigationType type,
                                   bool main_frame, const QUrl& page,
                                   const fs::path& folder) {
  // Without scripts only the user clicks a link.
  if (type == QWebEngineNavigationRequest::LinkClickedNavigation &&
      OpensOnDesktop(url)) {
    return PreviewNavigation::kOpenOnDesktop;
  }
  if (main_frame &&
      type == QWebEngineNavigationRequest::LinkClickedNavigation &&
      url.hasFragment() && !folder.empty() &&
      url.adjusted(QUrl::RemoveFragment | QUrl::StripTrailingSlash) ==
          QUrl::fromLocalFile(QString::fromStdString(folder.string()))
              .adjusted(QUrl::StripTrailingSlash)) {
    return PreviewNavigation::kScrollTo;
  }
  if (main_frame) {
    // Only the program itself navigates by address: the page it shows, or
    // a notice it writes in place of one.
    const bool asked = type == QWebEngineNavigationRequest::TypedNavigation ||
                       type == QWebEngineNavigationRequest::ReloadNavigation;
    const bool own =
        SameFile(url, page) || url.scheme() == QStringLiteral("data");
    return asked && own ? PreviewNavigation::kLoad : PreviewNavigation::kIgnore;
  }
  if (type == QWebEngineNavigationRequest::FormSubmittedNavigation ||
      type == QWebEngineNavigationRequest::RedirectNavigation ||
      type == QWebEngineNavigationRequest::BackForwardNavigation) {
    return PreviewNavigation::kIgnore;
  }
  // An empty frame, or one whose content the page holds itself.
  if (url.scheme() == QStringLiteral("about") ||
      url.scheme() == QStringLiteral("data"))
    return PreviewNavigation::kLoad;
  return PreviewMayLoad(url, QWebEngineUrlRequestInfo::ResourceTypeSubFrame,
                        page, folder)
             ? PreviewNavigation::kLoad
             : PreviewNavigation::kIgnore;
}

QtPreviewGuard::QtPreviewGuard(QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent) {}

void QtPreviewGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
  if (!PreviewMayLoad(info.requestUrl(), info.resourceType(), page_, folder_))
    info.block(true);
}

}  // namespace tovenrak::platform::qt
