// Which mounted volumes the drive list offers, and under what names.
#include <gtest/gtest.h>

#include "ui/drive_list_box.h"
#include "ui/volumes.h"

namespace tcc {
namespace {

TEST(Volumes, OffersTheVolumesAUserWouldPick) {
    const std::string table =
        "/dev/sda2 / ext4 rw 0 0\n"
        "proc /proc proc rw 0 0\n"
        "tmpfs /run tmpfs rw 0 0\n"
        "/dev/sda3 /home ext4 rw 0 0\n"
        "/dev/sda4 /home/user/data ext4 rw 0 0\n"
        "/dev/sdb1 /media/user/MY\\040STICK vfat rw 0 0\n"
        "server:/share /mnt/share nfs rw 0 0\n"
        "/dev/sdc1 /run/media/user/disk ext4 rw 0 0\n"
        "/dev/sdd1 /mediaX ext4 rw 0 0\n"
        "/dev/sde1 /mnt ext4 rw 0 0\n";
    const auto volumes = UserVolumesFromMountTable(table, {{"/dev/sdb1", "MY STICK"}});

    std::vector<std::string> entries;
    for (const Volume& volume : volumes) entries.push_back(DriveListBox::EntryText(volume));
    EXPECT_EQ(entries, (std::vector<std::string>{"/ [sda2]", "/home [sda3]", "/media/user/MY STICK [MY STICK]",
                                                 "/mnt/share [server:/share]", "/run/media/user/disk [sdc1]"}));
}

TEST(Volumes, ALaterMountOnTheSamePointHidesTheEarlierOne) {
    const auto volumes = UserVolumesFromMountTable(
        "/dev/sdb1 /media/stick vfat rw 0 0\n/dev/sdc1 /media/stick ext4 rw 0 0\n", {});
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_EQ(volumes[0].name, "sdc1");
}

}  // namespace
}  // namespace tcc
