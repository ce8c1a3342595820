// The machine's volumes: the mount points of real file systems.

#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace tovenrak::batch {

// Returns the mount points listed in `mounts`, a mount table in the form of
// /proc/self/mounts (device, mount point, type, options, per line, with
// octal escapes such as "\040" for a space), sorted and each once. Pseudo
// file systems (proc, sysfs, cgroup, devpts, snap images and the like) and
// everything mounted under /proc, /sys, /dev and /run, except removable media
// under /run/media, are left out: they are not places for a user's files.
// Lines that are not of that form are skipped.
std::vector<std::filesystem::path> ParseMountTable(std::string_view mounts);

// Returns the volumes of this machine: ParseMountTable of /proc/self/mounts,
// keeping the mount points that are folders. When the table cannot be read,
// returns the root folder alone.
std::vector<std::filesystem::path> ListVolumes();

// Returns the index in `volumes` of the volume that holds `folder`: the
// longest mount point that is `folder` itself or one of its parents, compared
// whole name by whole name (/home2 is not under /home). Returns -1 when none
// does or `folder` is relative.
int VolumeHolding(const std::filesystem::path& folder,
                  const std::vector<std::filesystem::path>& volumes);

}  // namespace tovenrak::batch
