// Reading a document whole and saving it safely.

#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/result.h"

namespace tovenrak::core {

// Larger files are refused: converting one takes about three times its size
// in memory.
inline constexpr uint64_t kMaxDocumentBytes = uint64_t{1536} << 20;

// Returns the bytes of the file at `path`. Fails with kNotFound, kUnreadable
// (a folder, a device, a read error) or kTooLarge (over `max_bytes`); the
// detail names the file and the reason.
Result<std::string> ReadDocument(const std::filesystem::path& path,
                                 uint64_t max_bytes = kMaxDocumentBytes);

// Writes `bytes` to `path`, replacing any file there. The bytes go to a
// temporary file in the same folder that is then renamed over `path`, so a
// failed or interrupted save leaves the old file whole (and no new file).
// An existing file keeps its permissions. Fails with kNotFound (no such
// folder) or kNotWritable; the detail names the file and the reason.
Status SaveDocument(const std::filesystem::path& path, std::string_view bytes);

}  // namespace tovenrak::core
