#include "batch/mount_table.h"

#include <algorithm>
#include <array>
#include <sstream>
#include <string>

#include "core/io/file_io.h"

namespace tovenrak::batch {

namespace {

constexpr std::array<std::string_view, 24> kPseudoTypes = {
    "autofs",   "binfmt_misc", "bpf",        "cgroup",     "cgroup2",
    "configfs", "debugfs",     "devpts",     "devtmpfs",   "efivarfs",
    "fusectl",  "hugetlbfs",   "mqueue",     "nsfs",       "proc",
    "pstore",   "rootfs",      "rpc_pipefs", "securityfs", "selinuxfs",
    "squashfs", "sysfs",       "tracefs",    "nfsd"};

// Mount points show spaces, tabs, newlines and backslashes as three octal
// digits after a backslash.
std::string Unescape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string_view digits = field.substr(i + 1, 3);
      if (std::all_of(digits.begin(), digits.end(),
                      [](char c) { return c >= '0' && c <= '7'; })) {
        out += static_cast<char>((digits[0] - '0') * 64 +
                                 (digits[1] - '0') * 8 + (digits[2] - '0'));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

// `path` without "." and ".." steps and without a trailing separator.
std::filesystem::path Normal(const std::filesystem::path& path) {
  std::filesystem::path normal = path.lexically_normal();
  if (!normal.has_filename() && normal.has_relative_path())
    normal = normal.parent_path();
  return normal;
}

// Whether `path` is `folder` or lies in it; both normal.
bool IsUnder(const std::filesystem::path& path,
             const std::filesystem::path& folder) {
  auto p = path.begin();
  for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
    if (p == path.end() || *p != *f) return false;
  }
  return true;
}

bool IsSystemPlace(const std::filesystem::path& mount_point) {
  if (IsUnder(mount_point, "/run/media")) return false;
  for (const char* place : {"/proc", "/sys", "/dev", "/run"}) {
    if (IsUnder(mount_point, place)) return true;
  }
  return false;
}

}  // namespace

std::vector<std::filesystem::path> ParseMountTable(std::string_view mounts) {
  std::vector<std::filesystem::path> volumes;
  std::istringstream lines{std::string(mounts)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string device, mount_point, type;
    if (!(fields >> device >> mount_point >> type)) continue;
    const std::filesystem::path path =
        Normal(std::filesystem::path(Unescape(mount_point)));
    if (!path.is_absolute()) continue;
    if (std::find(kPseudoTypes.begin(), kPseudoTypes.end(), type) !=
        kPseudoTypes.end())
      continue;
    if (IsSystemPlace(path)) continue;
    volumes.push_back(path);
  }
  std::sort(volumes.begin(), volumes.end());
  volumes.erase(std::unique(volumes.begin(), volumes.end()), volumes.end());
  return volumes;
}

std::vector<std::filesystem::path> ListVolumes() {
  core::Result<std::string> table = core::ReadDocument("/proc/self/mounts");
  std::vector<std::filesystem::path> volumes;
  if (table) {
    for (std::filesystem::path& volume : ParseMountTable(*table)) {
      std::error_code ec;
      if (std::filesystem::is_directory(volume, ec))
        volumes.push_back(std::move(volume));
    }
  }
  if (volumes.empty()) volumes.emplace_back("/");
  return volumes;
}

int VolumeHolding(const std::filesystem::path& folder,
                  const std::vector<std::filesystem::path>& volumes) {
  const std::filesystem::path normal = Normal(folder);
  if (!normal.is_absolute()) return -1;
  int best = -1;
  size_t best_depth = 0;
  for (size_t i = 0; i < volumes.size(); ++i) {
    const std::filesystem::path volume = Normal(volumes[i]);
    if (!IsUnder(normal, volume)) continue;
    const size_t depth = std::distance(volume.begin(), volume.end());
    if (best < 0 || depth > best_depth) {
      best = static_cast<int>(i);
      best_depth = depth;
    }
  }
  return best;
}

}  // namespace tovenrak::batch
