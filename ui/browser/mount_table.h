// The mount table as the browser reads it: the text of /proc/self/mountinfo
// (or of the older /proc/self/mounts), which mounts are volumes a user
// would browse, and what kind each one is.
//
// Everything here works from the table's text alone. Nothing stats, opens
// or lists a mount point: a network or FUSE volume whose server stopped
// answering would block that call for good.
#pragma once

#include <string>
#include <vector>

namespace ottomix {

struct MountEntry {
    std::string source;  // device or remote name as mounted
    std::string mountPoint;
    std::string fsType;
    // The directory of the mounted file system that appears at the mount
    // point: "/" for a whole file system, a subdirectory (or a file) for a
    // bind mount. Only mountinfo tells; "/" otherwise.
    std::string root = "/";
};

// Parses mount table text, one mount per line, in the format of
// /proc/self/mountinfo or of /proc/self/mounts (told apart line by line),
// with the octal escapes (\040 ...) decoded. Lines of neither are skipped.
std::vector<MountEntry> parseMountTable(const std::string& text);

// Network shares and FUSE file systems served by a program: nfs*, cifs,
// smb*, 9p, afs, ceph and the like, and every fuse.* type but the ones that
// serve a local block device (fuseblk, ntfs-3g, exfat ...). Their server
// may stop answering, so they are never asked anything until entered.
bool isNetworkFileSystem(const std::string& fsType, const std::string& source);

// False for what no user browses: kernel and pseudo file systems (proc,
// sysfs, cgroup, tracefs ...), anything under /proc, /sys, /dev, /run (but
// /run/media) and /etc (files container engines bind there), the storage
// and overlay roots of container engines (/var/lib/docker, containerd,
// kubelet, LXD, podman ...), snaps, and mounts inside hidden directories
// (AppImages under /tmp/.mount_*, portals under ~/.cache).
bool isBrowsableMount(const MountEntry& entry);

// The browsable mounts, one per mount point (the last mount on a point
// wins), ordered by mount point with "/" first; "/" is there even when the
// table lacks it.
std::vector<MountEntry> listedMounts(const std::vector<MountEntry>& all);

// The entry of `mounts` holding `path` (longest mount point), or null.
const MountEntry* holderOf(const std::vector<MountEntry>& mounts, const std::string& path);

// True when `path` is `dir` itself or lies below it.
bool isUnder(const std::string& path, const std::string& dir);

}  // namespace ottomix
