// The file-system layer on its own: the mount table, label names and
// which volume holds a path.
#include "ui/browser/file_system.h"

#include <gtest/gtest.h>

namespace ottomix {
namespace {

TEST(MountTable, EscapesLabelsAndVolumeOfAPath) {
    const auto entries = parseMountTable(
        "/dev/sdb1 /media/My\\040Stick vfat rw 0 0\n"
        "short line\n"
        "a\\134b /x\\011y ext4 rw 0 0\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].mountPoint, "/media/My Stick");
    EXPECT_EQ(entries[1].source, "a\\b");
    EXPECT_EQ(entries[1].mountPoint, "/x\ty");
    EXPECT_EQ(decodeLabelName("My\\x20Disk\\x2fA"), "My Disk/A");
    EXPECT_EQ(decodeLabelName("bad\\xZZ"), "bad\\xZZ");

    FileSystem::Options options;
    options.mountTable =
        "/dev/a /data ext4 rw 0 0\n/dev/b /data/inner ext4 rw 0 0\n"
        "/dev/c /media/stick ext4 rw 0 0\n/dev/d /mnt/fat msdos rw 0 0\n";
    options.labelsDir = "/nonexistent";
    const FileSystem fs(options);
    EXPECT_EQ(fs.volumeOf("/data/inner/x"), "/data/inner");
    EXPECT_EQ(fs.volumeOf("/data/innermost"), "/data");
    EXPECT_EQ(fs.volumeOf("/etc"), "/");  // "/" is there even when the table lacks it
    const auto volumes = fs.volumes();
    ASSERT_EQ(volumes.size(), 5u);
    EXPECT_EQ(volumes[0].mountPoint, "/");
    EXPECT_EQ(volumes[3].type, VolumeType::Removable);  // under /media
    EXPECT_FALSE(fs.flagsOf("/mnt/fat/x").casePreserved);
    EXPECT_FALSE(fs.flagsOf("/mnt/fat/x").caseSensitive);
}

}  // namespace
}  // namespace ottomix
