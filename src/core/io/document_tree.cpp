#include "core/io/document_tree.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>

namespace tovenrak::core {

namespace {

namespace fs = std::filesystem;

using FileId = std::pair<dev_t, ino_t>;

bool IdOf(const fs::path& path, FileId& id) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  id = {st.st_dev, st.st_ino};
  return true;
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

}  // namespace

const std::vector<std::string>& DocumentExtensions() {
  static const std::vector<std::string> kExtensions = {
      "htm", "html", "shtml", "xhtml", "asp",  "aspx",
      "jsp", "php",  "xml",   "rss",   "atom", "txt"};
  return kExtensions;
}

bool HasExtension(std::string_view name,
                  const std::vector<std::string>& extensions) {
  for (const std::string& extension : extensions) {
    if (name.size() <= extension.size() ||
        name[name.size() - extension.size() - 1] != '.')
      continue;
    if (std::equal(extension.begin(), extension.end(),
                   name.end() - static_cast<long>(extension.size()),
                   [](char a, char b) { return Lower(a) == Lower(b); }))
      return true;
  }
  return false;
}

DocumentTree ListDocuments(const fs::path& root,
                           const std::vector<std::string>& extensions,
                           const fs::path& exclude) {
  DocumentTree tree;
  FileId root_id{}, excluded{};
  const bool has_excluded = IdOf(exclude, excluded);
  std::set<FileId> entered;
  // Folders still to read, by their path below the root; the last is next.
  std::vector<fs::path> pending = {fs::path()};
  while (!pending.empty()) {
    const fs::path relative = std::move(pending.back());
    pending.pop_back();
    const fs::path folder = relative.empty() ? root : root / relative;
    FileId id;
    if (!IdOf(folder, id)) {
      tree.failures.push_back(
          {ErrorCode::kUnreadable, std::strerror(errno), folder.string()});
      continue;
    }
    if (!entered.insert(id).second) continue;
    if (relative.empty()) root_id = id;
    if (has_excluded && id == excluded && id != root_id) continue;

    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec))
      entries.push_back(*it);
    if (ec) {
      tree.failures.push_back(
          {ErrorCode::kUnreadable, ec.message(), folder.string()});
      continue;
    }
    std::sort(entries.begin(), entries.end());
    std::vector<fs::path> subfolders;
    for (const fs::directory_entry& entry : entries) {
      const fs::path name = entry.path().filename();
      // The type the folder's listing gave, where it gives one.
      const fs::file_type type =
          entry.is_symlink(ec)        ? fs::file_type::symlink
          : entry.is_directory(ec)    ? fs::file_type::directory
          : entry.is_regular_file(ec) ? fs::file_type::regular
                                      : fs::file_type::unknown;
      if (type == fs::file_type::directory) {
        subfolders.push_back(relative / name);
      } else if (type == fs::file_type::symlink) {
        tree.skipped.push_back({entry.path(), DocumentTree::Skip::kLink});
      } else if (type == fs::file_type::regular &&
                 HasExtension(name.native(), extensions)) {
        tree.documents.push_back({entry.path(), relative / name});
      } else {
        tree.skipped.push_back({entry.path(), DocumentTree::Skip::kOtherKind});
      }
    }
    pending.insert(pending.end(), subfolders.rbegin(), subfolders.rend());
  }
  return tree;
}

}  // namespace tovenrak::core
