// A file's new content, written beside it in the same folder and then put in
// its place in one step.

#pragma once

#include <sys/stat.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/io/temporary_names.h"
#include "core/result.h"

namespace tovenrak::core {

class ReplacementFile {
 public:
  enum class Kind {
    // Created without a name (O_TMPFILE), so that no kill can leave it
    // behind; a named one where the file system has no such files.
    kUnnamed,
    // Created as a hidden ".tvr-XXXXXX", removed on failure, on destruction
    // and on SIGINT, SIGTERM or SIGHUP (see TemporaryName); only SIGKILL or a
    // crash can leave it.
    kNamed,
  };

  // Creates an empty file in the folder open as `dir_fd` with the mode that
  // open() gives a new file there (0666 less the umask, or the folder's
  // default ACL). The process umask is never changed. Fails with
  // kNotWritable and the OS's reason.
  // REQUIRES: `dir_fd` stays open as long as the returned file.
  static Result<std::unique_ptr<ReplacementFile>> Create(int dir_fd, Kind kind);

  // Removes the file unless it was published.
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Each fails with kNotWritable and the OS's reason.
  Status Write(std::string_view bytes);
  Status Sync();

  // Gives the file the owner and group of `replaced` and its permissions
  // without the setuid, setgid and sticky bits. Fails with kNotWritable when
  // the process may not give it that owner or group.
  Status KeepOwnerAndMode(const struct stat& replaced);

  // Takes from the file's permissions every bit `permissions` lacks.
  Status NarrowMode(uint32_t permissions);

  // Gives the file the name `name` in its folder. With `replace`, whatever
  // entry is there (a file or a link, never what a link points to) is
  // replaced in one step; without, an entry that appeared in the meantime
  // makes it fail with EEXIST's reason (the named kind replaces it). Fails
  // with kNotWritable and the OS's reason, leaving no file behind.
  Status Publish(const char* name, bool replace);

 private:
  ReplacementFile(int dir_fd, int fd, std::string temp_name);

  const int dir_fd_;
  int fd_;
  std::string temp_name_;  // Empty for an unnamed file.
  std::optional<TemporaryName> registered_;
  bool published_ = false;
};

}  // namespace tovenrak::core
