// The documents in a folder tree: what a recursive run converts.

#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace tovenrak::core {

// The extensions of the document kinds, without the dot: web pages, server
// pages, feeds and plain text.
const std::vector<std::string>& DocumentExtensions();

// Whether the file named `name` is a script or a style sheet (.js, .css, any
// letter case), which pages load: a run that converts such files converts
// them with their pages.
bool IsScriptOrStyleSheet(std::string_view name);

// Whether the file named `name` is a site's robots.txt (any letter case),
// whose rules name addresses: it changes encoding but keeps its script.
bool IsRobotsFile(std::string_view name);

// True when `name` ends in a dot and one of `extensions`, in any letter case.
bool HasExtension(std::string_view name,
                  const std::vector<std::string>& extensions);

struct DocumentTree {
  struct Entry {
    std::filesystem::path path;      // root / relative.
    std::filesystem::path relative;  // Below the root, never empty.
  };
  enum class Skip { kOtherKind, kLink };
  struct Skipped {
    std::filesystem::path path;
    Skip why;
  };
  std::vector<Entry> documents;
  // Documents (and links named as documents) in the excluded folder: not
  // converted, and the user's own for all the run knows, so that no output
  // may replace one.
  std::vector<std::filesystem::path> kept;
  // Files of other kinds (and devices, pipes, sockets), and links.
  std::vector<Skipped> skipped;
  // Folders that could not be read, with the OS's reason.
  std::vector<Error> failures;
};

// Lists the regular files below the folder `root` whose names have one of
// `extensions`, each folder's files in name order before its subfolders. A
// link is never followed, so nothing outside the tree is listed and no loop
// is entered through one; a folder reached a second time (a bind mount of a
// folder above it) is not entered again. The folder `exclude` (an output
// folder inside the tree), unless it is `root` itself, is listed into `kept`
// instead: its documents are not converted, but outputs land among them. A
// folder that cannot be read is a failure and the rest is listed.
DocumentTree ListDocuments(const std::filesystem::path& root,
                           const std::vector<std::string>& extensions,
                           const std::filesystem::path& exclude);

}  // namespace tovenrak::core
