// The page preview: an embedded browser that shows local files.

#pragma once

#include <filesystem>

namespace tovenrak::platform {

// What the preview does is reported through MainWindowListener.
class PagePreview {
 public:
  PagePreview() = default;
  PagePreview(const PagePreview&) = delete;
  PagePreview& operator=(const PagePreview&) = delete;
  virtual ~PagePreview() = default;

  // Starts loading the file at `path` and returns at once. The file is read
  // afresh each time, also when it is the page already shown.
  virtual void ShowFile(const std::filesystem::path& path) = 0;

  virtual void Show() = 0;
  virtual void Hide() = 0;
};

}  // namespace tovenrak::platform
