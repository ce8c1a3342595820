// The volumes offered in the batch window: which mounts count, and which one
// holds a folder.

#include "batch/mount_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace tovenrak::batch {
namespace {

using Paths = std::vector<std::filesystem::path>;

TEST(ParseMountTableTest, KeepsPlacesForUserFilesWithOctalEscapesDecoded) {
  const char* table =
      "proc /proc proc rw,relatime 0 0\n"
      "/dev/sda2 /home ext4 rw 0 0\n"
      "/dev/sda1 / ext4 rw 0 0\n"
      "tmpfs /run tmpfs rw 0 0\n"
      "tmpfs /tmp tmpfs rw 0 0\n"
      "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
      "/dev/sdb1 /media/u/USB\\040Stick vfat rw 0 0\n"
      "/dev/sdc1 /run/media/u/CD iso9660 ro 0 0\n"
      "server:/export /mnt/nfs nfs4 rw 0 0\n"
      "/dev/sda1 / ext4 rw 0 0\n"
      "d /a\\134b\\011c ext4 rw 0 0\n"
      "d /y\\04 ext4 rw 0 0\n"
      "garbage\n"
      "\n"
      "none relative ext4 rw 0 0\n";
  EXPECT_EQ(ParseMountTable(table),
            (Paths{"/", "/a\\b\tc", "/home", "/media/u/USB Stick", "/mnt/nfs",
                   "/run/media/u/CD", "/tmp", "/y\\04"}));
}

TEST(VolumeHoldingTest, PicksLongestWholeNameMatch) {
  const Paths volumes = {"/", "/home", "/home/u/usb", "/media/cd/"};
  for (const auto& [folder, expected] : {std::pair{"/home/", 1},
                                         {"/home/u/usb/a", 2},
                                         {"/home2/x", 0},
                                         {"/media/cd", 3},
                                         {"/home/u/../u/usb/./x", 2},
                                         {"home/u", -1}})
    EXPECT_EQ(VolumeHolding(folder, volumes), expected) << folder;
  EXPECT_EQ(VolumeHolding("/usr", Paths{"/home"}), -1);
}

TEST(ListVolumesTest, HoldsTheRootFolder) {
  const Paths volumes = ListVolumes();
  ASSERT_FALSE(volumes.empty());
  EXPECT_EQ(VolumeHolding("/", volumes), 0) << volumes.front();
}

}  // namespace
}  // namespace tovenrak::batch
