// Creating the folders that outputs are written into.

#pragma once

#include <filesystem>

#include "core/result.h"

namespace tovenrak::core {

// Creates the folder `path` and each missing folder above it, as `mkdir -p`
// does: new folders get the mode mkdir() gives (0777 less the umask), folders
// and links to folders already there are kept as they are. Fails with
// kNotFound when a part of `path` is a file or a broken link, or with
// kNotWritable, and the OS's reason; the error's path is the folder that
// could not be made.
Status MakeFolders(const std::filesystem::path& path);

// Creates the folders of `relative` below the existing folder `base`, never
// following a link among them: a link, file or anything else in the place of
// one of them fails with kNotWritable ("not a folder"), so that outputs of a
// tree stay below `base`. The error's path is `base` / the part concerned.
// REQUIRES: `relative` is relative and has no ".." part.
Status MakeSubfolders(const std::filesystem::path& base,
                      const std::filesystem::path& relative);

}  // namespace tovenrak::core
