#include "core/io/output_plan.h"

#include <sys/stat.h>

#include <cassert>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <tuple>

namespace tovenrak::core {

namespace {

namespace fs = std::filesystem;

// What makes two files or two entries the same: {0, device, inode, ""} for
// a file, {1, folder's device, folder's inode, name} for an entry, and
// {2, 0, 0, absolute path} when the folder cannot be examined.
using Key = std::tuple<int, dev_t, ino_t, std::string>;

std::optional<Key> FileKey(const fs::path& path, bool follow_links) {
  struct stat st;
  const int result =
      follow_links ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
  if (result != 0) return std::nullopt;
  return Key{0, st.st_dev, st.st_ino, ""};
}

// The keys of entries. A run's files share a few folders, each examined
// once.
class EntryKeys {
 public:
  // The key of the entry `path` names: its folder's and its name's, split
  // as parent_path() and filename() would, without making paths of them.
  Key Of(const fs::path& path) {
    const std::string_view whole = path.native();
    const size_t slash = whole.rfind('/');
    std::string_view folder, name = whole;
    if (slash != std::string_view::npos) {
      name = whole.substr(slash + 1);
      folder = whole.substr(0, whole.find_last_not_of('/', slash) + 1);
      if (folder.empty()) folder = whole.substr(0, 1);  // The root, "/".
    }
    if (folder.empty()) folder = ".";
    auto it = folders_.find(folder);
    if (it == folders_.end()) {
      Folder f;
      f.id = FileKey(fs::path(folder), true);
      std::error_code ec;
      if (!f.id) {
        f.absolute = fs::absolute(fs::path(folder), ec);
        f.normal = f.absolute.lexically_normal().native();
        if (!f.normal.ends_with('/')) f.normal += '/';
      }
      it = folders_.emplace(std::string(folder), std::move(f)).first;
    }
    const Folder& f = it->second;
    if (f.id)
      return Key{1, std::get<1>(*f.id), std::get<2>(*f.id), std::string(name)};
    // A plain name adds itself to the folder's normal form; only "." and
    // ".." need the folder's path worked out again.
    if (name.empty() || name == "." || name == "..")
      return Key{2, 0, 0, (f.absolute / name).lexically_normal().string()};
    return Key{2, 0, 0, f.normal + std::string(name)};
  }

 private:
  struct Folder {
    std::optional<Key> id;
    // Without an id: the folder made absolute, and that in normal form
    // with a '/' at its end.
    fs::path absolute;
    std::string normal;
  };
  std::map<std::string, Folder, std::less<>> folders_;
};

// A name below the output folder that stays below it.
bool IsOutputName(const std::string& name) {
  if (name.empty() || name.front() == '/') return false;
  for (size_t start = 0; start <= name.size();) {
    size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    const std::string_view part(name.data() + start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

std::vector<PlannedOutput> PlanOutputs(const std::vector<fs::path>& inputs,
                                       const std::vector<std::string>& names,
                                       const fs::path& folder,
                                       bool may_replace_own_input,
                                       const std::vector<fs::path>& kept) {
  assert(inputs.size() == names.size());
  const size_t n = inputs.size();
  std::vector<Key> file_of(n);  // The file an input reaches, else its entry.
  std::vector<Key> entry_of(n);
  std::vector<bool> is_link(n);
  std::map<Key, size_t> first_by_file, input_by_entry, entry_by_file;
  EntryKeys entry_keys;
  for (size_t i = 0; i < n; ++i) {
    entry_of[i] = entry_keys.Of(inputs[i]);
    file_of[i] = FileKey(inputs[i], true).value_or(entry_of[i]);
    const auto own = FileKey(inputs[i], false);
    is_link[i] = own && *own != file_of[i];
    first_by_file.emplace(file_of[i], i);
    input_by_entry.emplace(entry_of[i], i);
    if (!is_link[i]) entry_by_file.emplace(file_of[i], i);
  }
  // What an input is as a page: its entry, or for a symbolic link the entry
  // of an input it reaches. Hard links are pages of their own (index.htm and
  // default.htm), each replaced by its own output without touching the
  // other's file; a link or the same entry named again would read the first
  // one's output when that replaced its source.
  std::map<Key, size_t> first_by_page;
  std::vector<size_t> first_as_page(n);
  for (size_t i = 0; i < n; ++i) {
    Key page = entry_of[i];
    if (is_link[i]) {
      auto it = entry_by_file.find(file_of[i]);
      page = it != entry_by_file.end() ? entry_of[it->second] : file_of[i];
    }
    first_as_page[i] = first_by_page.emplace(page, i).first->second;
  }
  std::set<Key> kept_entries;
  for (const fs::path& path : kept) kept_entries.insert(entry_keys.Of(path));

  std::vector<PlannedOutput> plan(n);
  std::map<Key, size_t> written;  // Output entry -> the input written there.
  for (size_t i = 0; i < n; ++i) {
    PlannedOutput& out = plan[i];
    const std::string& name = names[i];
    if (!IsOutputName(name)) {
      out.verdict = OutputVerdict::kNoName;
      continue;
    }
    out.output = folder / name;
    if (const size_t first = first_as_page[i]; first != i) {
      out.verdict = OutputVerdict::kRepeat;
      out.other = first;
      continue;
    }

    // The inputs the output would replace: by entry, and by file for an
    // existing output that is not a link (a link is replaced, not followed).
    const Key output_entry = entry_keys.Of(out.output);
    // An entry is its own input's alone; a file, that of every input that
    // reaches it.
    std::vector<std::pair<size_t, bool>> hit;  // Input, whether its own.
    if (auto it = input_by_entry.find(output_entry);
        it != input_by_entry.end()) {
      const size_t j = it->second;
      hit.emplace_back(j, first_as_page[j] == i);
    }
    // In a folder that cannot be examined (most often not made yet), no
    // file can be examined either.
    if (auto file = std::get<0>(output_entry) == 1 ? FileKey(out.output, false)
                                                   : std::nullopt) {
      if (auto it = first_by_file.find(*file); it != first_by_file.end())
        hit.emplace_back(it->second, *file == file_of[i]);
    }
    bool over_own = false;
    for (const auto& [j, own] : hit) {
      if (own) {
        over_own = true;
      } else {
        out.verdict = OutputVerdict::kOverInput;
        out.other = j;
      }
    }
    if (out.verdict == OutputVerdict::kOverInput) continue;
    if (over_own && !may_replace_own_input) {
      out.verdict = OutputVerdict::kOverInput;
      out.other = i;
      continue;
    }
    if (kept_entries.contains(output_entry)) {
      out.verdict = OutputVerdict::kOverKept;
      continue;
    }
    if (auto [it, fresh] = written.emplace(output_entry, i); !fresh) {
      out.verdict = OutputVerdict::kSameOutput;
      out.other = it->second;
    }
  }
  return plan;
}

}  // namespace tovenrak::core
