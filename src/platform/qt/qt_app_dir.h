// Choosing the folder that receives the preview file.

#pragma once

#include <QString>
#include <filesystem>

namespace tovenrak::platform::qt {

// Returns `program_dir` when a file can be created in it and it is the
// user's own, which no one else may write (another user could put a page
// of theirs in the preview file's place); otherwise `fallback` (for an
// installed, read-only or shared program), which is created when missing,
// the user's alone. Returns `fallback` even when it cannot be created: the
// failure shows later, with its reason, when the preview file is written.
std::filesystem::path ChooseAppDir(const QString& program_dir,
                                   const QString& fallback);

}  // namespace tovenrak::platform::qt
