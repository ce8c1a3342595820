// Which preview file a window writes, when several run at once.

#pragma once

#include <filesystem>
#include <string_view>

namespace tovenrak::platform {

// Two windows sharing one preview file would show, reload or save each
// other's pages. A window claims the first name of `name`, "stem-2.ext",
// "stem-3.ext"... in `folder` that no other running window holds, and holds
// it until the claim is destroyed or the process ends, however it ends: a
// lock on an empty hidden file beside it (".name.lock"), which stays; a
// name whose lock's place something else holds (a folder, a link), or
// whose own place a folder or a pipe holds, is passed over. Where no lock can
// be taken (a folder that cannot be written, a file system without locks), the
// name is `name` unheld; writing the preview file then fails with its own
// reason, or goes on as before.
class PreviewFileClaim {
 public:
  PreviewFileClaim(const std::filesystem::path& folder, std::string_view name);
  PreviewFileClaim(const PreviewFileClaim&) = delete;
  PreviewFileClaim& operator=(const PreviewFileClaim&) = delete;
  ~PreviewFileClaim();

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  int lock_ = -1;
};

// Whether `file` is a file that claims on `name` in `folder` use: one of the
// preview file's names or its lock. The folder is told by the file system,
// not by how its path is written.
bool IsPreviewFileOf(const std::filesystem::path& folder, std::string_view name,
                     const std::filesystem::path& file);

}  // namespace tovenrak::platform
