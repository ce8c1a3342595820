// The page preview: an embedded browser that shows local files.

#pragma once

#include <cstdint>
#include <filesystem>

namespace tovenrak::platform {

// The largest file the preview shows, and so the largest the main window
// opens. Laying out a page takes the browser far longer than reading it: some
// 16 MiB of short paragraphs keep it busy for a minute, and a page of 100 MiB
// makes it give up.
inline constexpr uint64_t kMaxPreviewBytes = uint64_t{16} << 20;

// What the preview does is reported through MainWindowListener.
class PagePreview {
 public:
  PagePreview() = default;
  PagePreview(const PagePreview&) = delete;
  PagePreview& operator=(const PagePreview&) = delete;
  virtual ~PagePreview() = default;

  // Starts loading the file at `path` and returns at once. The file is read
  // afresh each time, also when it is the page already shown. A file larger
  // than kMaxPreviewBytes is not loaded: a short notice says so instead.
  // `folder` is where the page's own files are: the file's folder, or for a
  // preview file, the folder of the document whose page it holds (its
  // relative addresses lead there); its frames are loaded from there.
  virtual void ShowFile(const std::filesystem::path& path,
                        const std::filesystem::path& folder) = 0;

  // The next page that finishes loading is shown from its top, not where
  // the last page was scrolled to (the preview file keeps its name from one
  // document to the next, and a page loaded again keeps its place).
  virtual void StartAtTop() = 0;

  virtual void Show() = 0;
  virtual void Hide() = 0;
};

}  // namespace tovenrak::platform
