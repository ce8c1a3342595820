#include "core/io/document_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
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

// An entry of a folder's listing: its name and what kind of file it is.
struct Listed {
  std::string name;
  fs::file_type type;
};

struct ListingCloser {
  void operator()(DIR* listing) const { ::closedir(listing); }
};
using Listing = std::unique_ptr<DIR, ListingCloser>;

// Null, errno set, when the folder cannot be opened.
Listing OpenListing(const fs::path& folder, bool follow) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC |
                                            (follow ? 0 : O_NOFOLLOW));
  if (fd < 0) return nullptr;
  Listing listing(::fdopendir(fd));
  if (!listing) {
    const int error = errno;
    ::close(fd);
    errno = error;
  }
  return listing;
}

// Reads the entries of `listing` into `entries`, but "." and "..", with the
// kind the listing gives, or the entry's own where it gives none. Returns 0,
// or the OS's error.
int ReadListing(DIR* listing, std::vector<Listed>& entries) {
  entries.clear();
  while (true) {
    errno = 0;
    const dirent* entry = ::readdir(listing);
    if (entry == nullptr) return errno;
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    const unsigned char kind = entry->d_type;
    fs::file_type type = kind == DT_LNK   ? fs::file_type::symlink
                         : kind == DT_DIR ? fs::file_type::directory
                         : kind == DT_REG ? fs::file_type::regular
                                          : fs::file_type::unknown;
    struct stat st;
    if (kind == DT_UNKNOWN && ::fstatat(::dirfd(listing), entry->d_name, &st,
                                        AT_SYMLINK_NOFOLLOW) == 0) {
      type = S_ISLNK(st.st_mode)   ? fs::file_type::symlink
             : S_ISDIR(st.st_mode) ? fs::file_type::directory
             : S_ISREG(st.st_mode) ? fs::file_type::regular
                                   : fs::file_type::unknown;
    }
    entries.push_back({std::string(name), type});
  }
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

}  // namespace

const std::vector<std::string>& DocumentExtensions() {
  static const std::vector<std::string> kExtensions = {
      "htm", "html", "shtml", "xhtml", "asp", "aspx", "jsp",
      "php", "inc",  "tpl",   "xml",   "rss", "atom", "txt"};
  return kExtensions;
}

bool IsScriptOrStyleSheet(std::string_view name) {
  static const std::vector<std::string> kLoaded = {"js", "css"};
  return HasExtension(name, kLoaded);
}

bool IsRobotsFile(std::string_view name) {
  const std::string_view base = name.substr(name.find_last_of("/\\") + 1);
  constexpr std::string_view kRobots = "robots.txt";
  return std::equal(base.begin(), base.end(), kRobots.begin(), kRobots.end(),
                    [](char a, char b) { return Lower(a) == b; });
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
  // Folders still to read, by their path below the root, and whether they
  // are in the excluded folder; the last is next.
  std::vector<std::pair<fs::path, bool>> pending = {{fs::path(), false}};
  std::vector<Listed> entries;
  while (!pending.empty()) {
    const fs::path relative = std::move(pending.back().first);
    bool kept = pending.back().second;
    pending.pop_back();
    const fs::path folder = relative.empty() ? root : root / relative;
    // The root may be reached through a link; a subfolder was listed as a
    // folder, and a link put in its place since is not followed.
    const Listing listing = OpenListing(folder, /*follow=*/relative.empty());
    struct stat st;
    if (!listing || ::fstat(::dirfd(listing.get()), &st) != 0) {
      tree.failures.push_back(
          {ErrorCode::kUnreadable, std::strerror(errno), folder.string()});
      continue;
    }
    const FileId id{st.st_dev, st.st_ino};
    if (relative.empty()) root_id = id;
    if (!entered.insert(id).second) continue;
    kept = kept || (has_excluded && id == excluded && id != root_id);
    if (const int read = ReadListing(listing.get(), entries); read != 0) {
      tree.failures.push_back(
          {ErrorCode::kUnreadable, std::strerror(read), folder.string()});
      continue;
    }
    // In the order of the names' bytes, as paths of one folder compare.
    std::sort(entries.begin(), entries.end(),
              [](const Listed& a, const Listed& b) { return a.name < b.name; });
    std::vector<fs::path> subfolders;
    for (const Listed& entry : entries) {
      if (entry.type == fs::file_type::directory) {
        subfolders.push_back(relative / entry.name);
      } else if (kept) {
        if ((entry.type == fs::file_type::regular ||
             entry.type == fs::file_type::symlink) &&
            HasExtension(entry.name, extensions))
          tree.kept.push_back(folder / entry.name);
      } else if (entry.type == fs::file_type::symlink) {
        tree.skipped.push_back(
            {folder / entry.name, DocumentTree::Skip::kLink});
      } else if (entry.type == fs::file_type::regular &&
                 HasExtension(entry.name, extensions)) {
        tree.documents.push_back({folder / entry.name, relative / entry.name});
      } else {
        tree.skipped.push_back(
            {folder / entry.name, DocumentTree::Skip::kOtherKind});
      }
    }
    for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it)
      pending.emplace_back(std::move(*it), kept);
  }
  return tree;
}

}  // namespace tovenrak::core
