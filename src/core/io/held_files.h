// Files a running process holds as its own, by a lock on a hidden file
// beside them.

#pragma once

#include <filesystem>

namespace tovenrak::core {

// The lock file that holds `file`: ".name.lock" in its folder.
std::filesystem::path LockFileOf(const std::filesystem::path& file);

// Whether a running process holds `file`: an exclusive flock on its lock
// file (LockFileOf), as a window holds its preview file, or on `file`
// itself, as on such a lock file, whose replacing would let go of what it
// holds. A file that is missing, that cannot be opened or that no one locks
// holds nothing.
bool IsHeldByLock(const std::filesystem::path& file);

}  // namespace tovenrak::core
