// Compiled conversion tables kept in files, so that a start reads them
// instead of loading and compiling OpenCC's dictionaries.

#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "core/convert/conversion_tables.h"
#include "core/result.h"

namespace tovenrak::core {

// The folder that holds the cache files: $XDG_CACHE_HOME/tovenrak, else
// $HOME/.cache/tovenrak; empty when neither variable is set.
std::filesystem::path TableCacheFolder();

struct LoadedTables {
  std::unique_ptr<ConversionTables> tables;
  bool from_cache = false;  // Read from the cache file, not compiled.
};

// Returns the tables of the OpenCC configuration `config_name` (a file
// name such as "s2tw.json", found as libopencc finds it, or a path).
//
// They are used where they lie, mapped into memory, from
// `folder`/CONFIG.NN.tables (NN: the layout of the file) when that file is
// ours, writable by nobody else, and was written from the same OpenCC files:
// the configuration and every dictionary it names, by path, size,
// modification time and inode; its contents are checked against the
// checksum it carries and against themselves. Otherwise (no file, a stale,
// damaged or foreign one, an empty `folder`) they are compiled from OpenCC's
// data, and written there for the next start: to a new temporary file, then
// renamed into place, so that a reader never finds half a file. A cache that
// cannot be read or written is passed over. Fails only as LoadConversionPlan
// does, or with kTooLarge when memory runs out while compiling.
Result<LoadedTables> LoadOrCompileTables(const std::string& config_name,
                                         const std::filesystem::path& folder);

}  // namespace tovenrak::core
