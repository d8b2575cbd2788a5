// The mount table on its own: both formats, which mounts the drive list
// offers on a desktop, a container host and a laptop with a USB stick, and
// the kind of each.
#include "ui/browser/mount_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <utility>

#include "ui/browser/file_system.h"

using ::testing::ElementsAre;
using ::testing::Pair;

namespace ottomix {
namespace {

// A desktop: snaps, a separate /home, the EFI partition, a tmpfs /tmp, the
// GNOME and portal FUSE mounts, an AppImage, a NAS over NFS and SMB, sshfs
// and rclone in the user's home, and a directory the user bound elsewhere.
const char* const kDesktop =
    R"(22 29 0:21 / /sys rw,nosuid,nodev,noexec,relatime shared:7 - sysfs sysfs rw
23 29 0:22 / /proc rw,nosuid,nodev,noexec,relatime shared:14 - proc proc rw
24 29 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs udev rw,size=8029388k,nr_inodes=2007347,mode=755,inode64
25 24 0:23 / /dev/pts rw,nosuid,noexec,relatime shared:3 - devpts devpts rw,gid=5,mode=620,ptmxmode=000
26 29 0:24 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,size=1614388k,mode=755,inode64
29 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro
27 22 0:6 / /sys/kernel/security rw,nosuid,nodev,noexec,relatime shared:8 - securityfs securityfs rw
28 24 0:25 / /dev/shm rw,nosuid,nodev shared:4 - tmpfs tmpfs rw,inode64
30 26 0:26 / /run/lock rw,nosuid,nodev,noexec,relatime shared:6 - tmpfs tmpfs rw,size=5120k,inode64
31 22 0:27 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:9 - cgroup2 cgroup2 rw,nsdelegate,memory_recursiveprot
32 22 0:28 / /sys/fs/pstore rw,nosuid,nodev,noexec,relatime shared:10 - pstore pstore rw
33 22 0:29 / /sys/firmware/efi/efivars rw,nosuid,nodev,noexec,relatime shared:11 - efivarfs efivarfs rw
34 22 0:30 / /sys/fs/bpf rw,nosuid,nodev,noexec,relatime shared:12 - bpf bpf rw,mode=700
35 23 0:31 / /proc/sys/fs/binfmt_misc rw,relatime shared:15 - autofs systemd-1 rw,fd=29,pgrp=1,timeout=0,minproto=5,maxproto=5,direct,pipe_ino=17565
36 24 0:20 / /dev/mqueue rw,nosuid,nodev,noexec,relatime shared:16 - mqueue mqueue rw
37 24 0:32 / /dev/hugepages rw,relatime shared:17 - hugetlbfs hugetlbfs rw,pagesize=2M
38 22 0:7 / /sys/kernel/debug rw,nosuid,nodev,noexec,relatime shared:18 - debugfs debugfs rw
39 22 0:12 / /sys/kernel/tracing rw,nosuid,nodev,noexec,relatime shared:19 - tracefs tracefs rw
40 22 0:33 / /sys/fs/fuse/connections rw,nosuid,nodev,noexec,relatime shared:20 - fusectl fusectl rw
41 22 0:34 / /sys/kernel/config rw,nosuid,nodev,noexec,relatime shared:21 - configfs configfs rw
62 29 7:0 / /snap/bare/5 ro,nodev,relatime shared:32 - squashfs /dev/loop0 ro,errors=continue
65 29 7:1 / /snap/core22/1033 ro,nodev,relatime shared:34 - squashfs /dev/loop1 ro,errors=continue
68 29 7:2 / /snap/firefox/3600 ro,nodev,relatime shared:36 - squashfs /dev/loop2 ro,errors=continue
71 29 259:1 / /boot/efi rw,relatime shared:38 - vfat /dev/nvme0n1p1 rw,fmask=0077,dmask=0077,codepage=437,iocharset=iso8859-1,shortname=mixed,errors=remount-ro
74 29 259:3 / /home rw,relatime shared:40 - ext4 /dev/nvme0n1p3 rw
77 29 0:35 / /tmp rw,nosuid,nodev shared:42 - tmpfs tmpfs rw,size=8071944k,inode64
80 35 0:36 / /proc/sys/fs/binfmt_misc rw,nosuid,nodev,noexec,relatime shared:44 - binfmt_misc binfmt_misc rw
560 26 0:48 / /run/user/1000 rw,nosuid,nodev,relatime shared:309 - tmpfs tmpfs rw,size=1614384k,nr_inodes=403596,mode=700,uid=1000,gid=1000,inode64
580 560 0:49 / /run/user/1000/gvfs rw,nosuid,nodev,relatime shared:320 - fuse.gvfsd-fuse gvfsd-fuse rw,user_id=1000,group_id=1000
590 560 0:50 / /run/user/1000/doc rw,nosuid,nodev,relatime shared:331 - fuse.portal portal rw,user_id=1000,group_id=1000
600 29 0:51 / /mnt/nas rw,relatime shared:342 - nfs4 nas.local:/volume1/homes rw,vers=4.1,rsize=131072,wsize=131072,namlen=255,hard,proto=tcp,timeo=600,retrans=2,sec=sys,clientaddr=192.168.1.20,local_lock=none,addr=192.168.1.5
610 74 0:52 / /home/anna/remote rw,nosuid,nodev,relatime shared:353 - fuse.sshfs anna@build.example.org:/srv rw,user_id=1000,group_id=1000
620 74 0:53 / /home/anna/gdrive rw,nosuid,nodev,relatime shared:364 - fuse.rclone gdrive: rw,user_id=1000,group_id=1000
630 29 259:3 /anna/Pictures /srv/photos rw,relatime shared:40 - ext4 /dev/nvme0n1p3 rw
640 77 0:54 / /tmp/.mount_ObsidiAbC123 ro,nosuid,nodev,relatime shared:375 - fuse.Obsidian-1.4.16.AppImage Obsidian-1.4.16.AppImage ro,user_id=1000,group_id=1000
650 29 0:55 / /mnt/smb rw,relatime shared:386 - cifs //fileserver/public rw,vers=3.1.1,cache=strict,username=anna,uid=1000,noforceuid,gid=1000,noforcegid,addr=192.168.1.6,soft,nounix,serverino,mapposix
)";

// A container host: Docker (its own disk), containerd and the kubelet,
// LXD from a snap with lxcfs, podman, and Docker data under /data too.
const char* const kContainerHost =
    R"(21 26 0:20 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw
22 26 0:21 / /sys rw,nosuid,nodev,noexec,relatime shared:2 - sysfs sysfs rw
23 26 0:5 / /dev rw,nosuid,relatime shared:8 - devtmpfs udev rw,size=32846260k,nr_inodes=8211565,mode=755
24 23 0:22 / /dev/pts rw,nosuid,noexec,relatime shared:9 - devpts devpts rw,gid=5,mode=620,ptmxmode=000
25 26 0:23 / /run rw,nosuid,nodev,noexec,relatime shared:10 - tmpfs tmpfs rw,size=6574632k,mode=755
26 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw
27 22 0:24 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:11 - cgroup2 cgroup2 rw
30 26 8:17 / /var/lib/docker rw,relatime shared:20 - xfs /dev/sdb1 rw,attr2,inode64,logbufs=8,logbsize=32k,prjquota
31 26 8:33 / /data rw,relatime shared:21 - xfs /dev/sdc1 rw,attr2,inode64
32 26 0:40 / /mnt/backup rw,relatime shared:22 - nfs backup01:/export/k8s rw,vers=3,rsize=1048576,wsize=1048576,hard,proto=tcp,timeo=600
33 26 8:33 /shared /srv/shared rw,relatime shared:21 - xfs /dev/sdc1 rw,attr2,inode64
400 30 0:60 / /var/lib/docker/overlay2/3f0c5a1d0d9b7e2c8e8f0d2f3b6f9b0a6f0c1d2e3f4a5b6c7d8e9f0a1b2c3d4e/merged rw,relatime shared:200 - overlay overlay rw,lowerdir=/var/lib/docker/overlay2/l/HZ5KX2XN6B7M:/var/lib/docker/overlay2/l/Q2W3E4R5T6Y7,upperdir=/var/lib/docker/overlay2/3f0c5a1d0d9b7e2c8e8f0d2f3b6f9b0a6f0c1d2e3f4a5b6c7d8e9f0a1b2c3d4e/diff,workdir=/var/lib/docker/overlay2/3f0c5a1d0d9b7e2c8e8f0d2f3b6f9b0a6f0c1d2e3f4a5b6c7d8e9f0a1b2c3d4e/work
401 30 0:61 / /var/lib/docker/containers/9c1e6a5d4b3c2a1f0e9d8c7b6a5f4e3d2c1b0a9f8e7d6c5b4a3f2e1d0c9b8a7f/mounts/shm rw,nosuid,nodev,noexec,relatime shared:210 - tmpfs shm rw,size=65536k
402 25 0:4 net:[4026532573] /run/docker/netns/1a2b3c4d5e6f rw shared:220 - nsfs nsfs rw
403 31 0:62 / /data/docker/overlay2/8e7d6c5b4a3f2e1d0c9b8a7f6e5d4c3b2a1f0e9d8c7b6a5f4e3d2c1b0a9f8e7d/merged rw,relatime - overlay overlay rw,lowerdir=/data/docker/overlay2/l/ABCDEFGHIJKL,upperdir=/data/docker/overlay2/8e7d6c5b4a3f2e1d0c9b8a7f6e5d4c3b2a1f0e9d8c7b6a5f4e3d2c1b0a9f8e7d/diff,workdir=/data/docker/overlay2/8e7d6c5b4a3f2e1d0c9b8a7f6e5d4c3b2a1f0e9d8c7b6a5f4e3d2c1b0a9f8e7d/work
410 26 0:63 / /var/lib/kubelet/pods/0b8f7e3a-2c4d-4e5f-9a8b-7c6d5e4f3a2b/volumes/kubernetes.io~projected/kube-api-access-7x9zq rw,relatime shared:230 - tmpfs tmpfs rw,size=16777216k
411 25 0:64 / /run/containerd/io.containerd.runtime.v2.task/k8s.io/5e4d3c2b1a0f9e8d7c6b5a4f3e2d1c0b9a8f7e6d5c4b3a2f1e0d9c8b7a6f5e4d/rootfs rw,relatime shared:240 - overlay overlay rw,lowerdir=/var/lib/containerd/io.containerd.snapshotter.v1.overlayfs/snapshots/12/fs,upperdir=/var/lib/containerd/io.containerd.snapshotter.v1.overlayfs/snapshots/31/fs,workdir=/var/lib/containerd/io.containerd.snapshotter.v1.overlayfs/snapshots/31/work
412 25 0:65 / /run/containerd/io.containerd.grpc.v1.cri/sandboxes/5e4d3c2b1a0f9e8d7c6b5a4f3e2d1c0b9a8f7e6d5c4b3a2f1e0d9c8b7a6f5e4d/shm rw,nosuid,nodev,noexec,relatime shared:250 - tmpfs shm rw,size=65536k
413 26 8:1 /var/lib/kubelet/pods/0b8f7e3a-2c4d-4e5f-9a8b-7c6d5e4f3a2b/volumes/kubernetes.io~configmap/config /var/lib/kubelet/pods/0b8f7e3a-2c4d-4e5f-9a8b-7c6d5e4f3a2b/volume-subpaths/config/app/0 rw,relatime shared:1 - ext4 /dev/sda1 rw
414 26 0:66 / /var/lib/containerd/io.containerd.grpc.v1.cri/sandboxes/5e4d3c2b1a0f/shm rw,relatime - tmpfs shm rw,size=65536k
420 26 7:5 / /snap/lxd/27037 ro,nodev,relatime shared:260 - squashfs /dev/loop5 ro,errors=continue
421 26 0:67 / /var/snap/lxd/common/ns rw,relatime - tmpfs tmpfs rw,size=1024k,mode=700
422 421 0:4 mnt:[4026532901] /var/snap/lxd/common/ns/shmounts rw - nsfs nsfs rw
423 26 0:68 / /var/snap/lxd/common/lxd/storage-pools/default rw,relatime shared:270 - btrfs /dev/loop6 rw,ssd,space_cache=v2,subvolid=5,subvol=/
424 26 0:69 / /var/lib/lxcfs rw,nosuid,nodev,relatime shared:280 - fuse.lxcfs lxcfs rw,user_id=0,group_id=0,allow_other
425 26 0:70 / /var/snap/lxd/common/lxd/devlxd rw,relatime shared:290 - tmpfs tmpfs rw,size=100k,mode=755
430 26 0:71 / /var/lib/containers/storage/overlay/7d6c5b4a3f2e1d0c9b8a7f6e5d4c3b2a1f0e9d8c7b6a5f4e3d2c1b0a9f8e7d6c/merged rw,nodev,relatime - overlay overlay rw,lowerdir=/var/lib/containers/storage/overlay/l/XYZ,upperdir=/var/lib/containers/storage/overlay/7d6c/diff,workdir=/var/lib/containers/storage/overlay/7d6c/work
431 26 0:72 / /var/lib/containers/storage/overlay-containers/7d6c5b4a3f2e/userdata/shm rw,nosuid,nodev,noexec,relatime - tmpfs shm rw,size=64000k
)";

// A laptop: btrfs subvolumes for / and /home, a USB stick and an external
// NTFS disk under /run/media, an SD card under /media, and an ISO image.
const char* const kLaptopWithStick =
    R"(23 1 0:26 /root / rw,relatime shared:1 - btrfs /dev/nvme0n1p3 rw,seclabel,compress=zstd:1,ssd,space_cache=v2,subvolid=256,subvol=/root
24 23 0:5 / /dev rw,nosuid shared:2 - devtmpfs devtmpfs rw,seclabel,size=4096k,nr_inodes=4003420,mode=755,inode64
25 23 0:22 / /proc rw,nosuid,nodev,noexec,relatime shared:13 - proc proc rw
26 23 0:23 / /sys rw,nosuid,nodev,noexec,relatime shared:3 - sysfs sysfs rw,seclabel
27 23 0:24 / /run rw,nosuid,nodev shared:11 - tmpfs tmpfs rw,seclabel,size=3207316k,nr_inodes=819200,mode=755,inode64
60 23 0:26 /home /home rw,relatime shared:30 - btrfs /dev/nvme0n1p3 rw,seclabel,compress=zstd:1,ssd,space_cache=v2,subvolid=257,subvol=/home
62 23 259:2 / /boot rw,relatime shared:32 - ext4 /dev/nvme0n1p2 rw,seclabel
64 62 259:1 / /boot/efi rw,relatime shared:34 - vfat /dev/nvme0n1p1 rw,fmask=0077,dmask=0077,codepage=437,iocharset=ascii,shortname=winnt,errors=remount-ro
66 23 0:35 / /tmp rw,nosuid,nodev shared:36 - tmpfs tmpfs rw,seclabel,nr_inodes=1048576,inode64
700 27 0:55 / /run/user/1000 rw,nosuid,nodev,relatime shared:400 - tmpfs tmpfs rw,seclabel,size=1603656k,nr_inodes=400914,mode=700,uid=1000,gid=1000,inode64
710 700 0:56 / /run/user/1000/doc rw,nosuid,nodev,relatime shared:410 - fuse.portal portal rw,user_id=1000,group_id=1000
760 27 8:17 / /run/media/anna/STICK rw,nosuid,nodev,relatime shared:450 - vfat /dev/sdb1 rw,uid=1000,gid=1000,fmask=0022,dmask=0022,codepage=437,iocharset=ascii,shortname=mixed,showexec,utf8,flush,errors=remount-ro
770 27 8:33 / /run/media/anna/Backup\040Disk rw,nosuid,nodev,relatime shared:460 - fuseblk /dev/sdc1 rw,user_id=0,group_id=0,default_permissions,allow_other,blksize=4096
780 23 179:1 / /media/anna/CAMERA rw,nosuid,nodev,relatime shared:470 - exfat /dev/mmcblk0p1 rw,uid=1000,gid=1000,fmask=0022,dmask=0022,iocharset=utf8,errors=remount-ro
790 23 7:0 / /mnt/iso ro,relatime shared:480 - iso9660 /dev/loop0 ro,nojoliet,check=s,map=n,blocksize=2048,iocharset=utf8
)";

std::vector<std::pair<std::string, VolumeType>> offeredVolumes(const char* table) {
    FileSystem::Options options;
    options.mountTable = table;
    options.labelsDir = "/nonexistent";
    options.blockClassDir = "/nonexistent";
    std::vector<std::pair<std::string, VolumeType>> out;
    for (const Volume& v : FileSystem(options).volumes()) out.emplace_back(v.mountPoint, v.type);
    return out;
}

TEST(MountTable, MountInfoLinesGiveRootTypeAndSource) {
    const auto entries = parseMountTable(
        "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue\n"
        "37 35 98:0 / /media/My\\040Stick rw shared:3 master:1 propagate_from:2 - vfat "
        "/dev/sdb1 rw\n"
        "38 35 0:40 / /net rw - nfs4 server:/export rw\n"
        "39 35 0:41 / /broken rw no separator ext4 /dev/sdz1 rw\n"
        "/dev/sda1 /old ext4 rw 0 0\n");
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].root, "/mnt1");
    EXPECT_EQ(entries[0].mountPoint, "/mnt2");
    EXPECT_EQ(entries[0].fsType, "ext3");
    EXPECT_EQ(entries[0].source, "/dev/root");
    EXPECT_EQ(entries[1].mountPoint, "/media/My Stick");
    EXPECT_EQ(entries[1].source, "/dev/sdb1");
    EXPECT_EQ(entries[2].fsType, "nfs4");
    EXPECT_EQ(entries[2].source, "server:/export");
    // Without its " - " separator a line is read field by field, and leads nowhere useful.
    EXPECT_EQ(entries[3].mountPoint, "35");
    EXPECT_EQ(entries[4].mountPoint, "/old");
    EXPECT_EQ(entries[4].root, "/");
}

TEST(MountTable, NetworkAndFuseVolumesAreNeverAsked) {
    for (const char* type :
         {"nfs", "nfs4", "cifs", "smb3", "smbfs", "9p", "afs", "ceph", "glusterfs", "fuse.sshfs",
          "fuse.rclone", "fuse.deadtest", "fuse", "fuse.gocryptfs"}) {
        EXPECT_TRUE(isNetworkFileSystem(type, "somewhere:/x")) << type;
    }
    EXPECT_TRUE(isNetworkFileSystem("fuse.s3fs", "/dev/not-really-a-disk"));
    EXPECT_FALSE(isNetworkFileSystem("fuseblk", "/dev/sdc1"));
    EXPECT_FALSE(isNetworkFileSystem("fuse.ntfs-3g", "/dev/sdc1"));
    EXPECT_FALSE(isNetworkFileSystem("fuse.exfat", "/dev/sdc1"));
    EXPECT_TRUE(isNetworkFileSystem("fuse.ntfs-3g", "image-server:/disk"));
    for (const char* type : {"ext4", "xfs", "btrfs", "vfat", "tmpfs", "iso9660", "overlay"}) {
        EXPECT_FALSE(isNetworkFileSystem(type, "/dev/sda1")) << type;
    }
}

TEST(MountTable, DesktopOffersDisksShareAndUserMountsOnly) {
    EXPECT_THAT(
        offeredVolumes(kDesktop),
        ElementsAre(Pair("/", VolumeType::Fixed), Pair("/boot/efi", VolumeType::Fixed),
                    Pair("/home", VolumeType::Fixed), Pair("/home/anna/gdrive", VolumeType::Remote),
                    Pair("/home/anna/remote", VolumeType::Remote),
                    Pair("/mnt/nas", VolumeType::Remote), Pair("/mnt/smb", VolumeType::Remote),
                    Pair("/srv/photos", VolumeType::Fixed),  // bound by the user
                    Pair("/tmp", VolumeType::Ram)));
}

TEST(MountTable, ContainerHostHidesEngineStorage) {
    const auto offered = offeredVolumes(kContainerHost);
    EXPECT_THAT(offered, ElementsAre(Pair("/", VolumeType::Fixed), Pair("/data", VolumeType::Fixed),
                                     Pair("/mnt/backup", VolumeType::Remote),
                                     Pair("/srv/shared", VolumeType::Fixed)));
    for (const auto& [point, type] : offered) EXPECT_LT(point.size(), 100u) << point;
}

TEST(MountTable, LaptopOffersTheStickAsRemovable) {
    EXPECT_THAT(offeredVolumes(kLaptopWithStick),
                ElementsAre(Pair("/", VolumeType::Fixed), Pair("/boot", VolumeType::Fixed),
                            Pair("/boot/efi", VolumeType::Fixed), Pair("/home", VolumeType::Fixed),
                            Pair("/media/anna/CAMERA", VolumeType::Removable),
                            Pair("/mnt/iso", VolumeType::CdRom),
                            Pair("/run/media/anna/Backup Disk", VolumeType::Removable),
                            Pair("/run/media/anna/STICK", VolumeType::Removable),
                            Pair("/tmp", VolumeType::Ram)));
}

TEST(MountTable, ListedMountsOfEmptyTableStillHaveRoot) {
    const auto mounts = listedMounts(parseMountTable(""));
    ASSERT_EQ(mounts.size(), 1u);
    EXPECT_EQ(mounts[0].mountPoint, "/");
    const auto entries = parseMountTable(kDesktop);
    EXPECT_EQ(holderOf(entries, "/home/anna/remote/x")->mountPoint, "/home/anna/remote");
    EXPECT_EQ(holderOf(entries, "/home/annabel")->mountPoint, "/home");
    EXPECT_TRUE(isUnder("/a/b", "/a"));
    EXPECT_FALSE(isUnder("/ab", "/a"));
}

}  // namespace
}  // namespace ottomix
