#include "ui/browser/mount_table.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <sstream>

namespace ottomix {
namespace {

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool allDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

std::string decodeOctalEscapes(const std::string& field) {
    auto octal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] <= '3' &&
            octal(field[i + 1]) && octal(field[i + 2]) && octal(field[i + 3])) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
            continue;
        }
        out += field[i];
    }
    return out;
}

// "36 35 98:0 /root /mnt rw,noatime [optional fields] - ext4 /dev/sda1 rw": the
// first three fields are numbers, a lone "-" ends the optional fields.
bool parseMountInfoLine(const std::vector<std::string>& fields, MountEntry* entry) {
    if (fields.size() < 9 || !allDigits(fields[0]) || !allDigits(fields[1]) ||
        fields[2].find(':') == std::string::npos) {
        return false;
    }
    const auto separator = std::find(fields.begin() + 6, fields.end(), "-");
    if (separator == fields.end() || fields.end() - separator < 3) return false;
    entry->root = decodeOctalEscapes(fields[3]);
    entry->mountPoint = decodeOctalEscapes(fields[4]);
    entry->fsType = *(separator + 1);
    entry->source = decodeOctalEscapes(*(separator + 2));
    return true;
}

// Kernel-side plumbing, whatever the place.
bool isPseudoFileSystem(const std::string& type) {
    static const std::set<std::string> kPseudo = {"proc",         "sysfs",
                                                  "cgroup",       "cgroup2",
                                                  "devpts",       "devtmpfs",
                                                  "securityfs",   "pstore",
                                                  "bpf",          "debugfs",
                                                  "tracefs",      "configfs",
                                                  "fusectl",      "mqueue",
                                                  "hugetlbfs",    "binfmt_misc",
                                                  "autofs",       "efivarfs",
                                                  "rpc_pipefs",   "nsfs",
                                                  "selinuxfs",    "nfsd",
                                                  "pipefs",       "sockfs",
                                                  "tmpfs.snap",   "fuse.gvfsd-fuse",
                                                  "fuse.portal",  "fuse.lxcfs",
                                                  "fuse.snapfuse"};
    return kPseudo.count(type) != 0;
}

// Storage of container engines and package managers: their overlays, shm
// and tmpfs mounts, bind mounts into pods and the like live here.
bool isInternalPlace(const std::string& mountPoint) {
    if (isUnder(mountPoint, "/run/media")) return false;
    static const char* const kPlaces[] = {"/proc",
                                          "/sys",
                                          "/dev",
                                          "/run",
                                          "/etc",
                                          "/snap",
                                          "/var/snap",
                                          "/var/lib/snapd",
                                          "/var/lib/docker",
                                          "/var/lib/containers",
                                          "/var/lib/containerd",
                                          "/var/lib/kubelet",
                                          "/var/lib/lxd",
                                          "/var/lib/lxc",
                                          "/var/lib/lxcfs",
                                          "/var/lib/incus",
                                          "/var/lib/rancher"};
    for (const char* place : kPlaces) {
        if (isUnder(mountPoint, place)) return true;
    }
    return false;
}

// A mount inside a directory whose name starts with "." (the tree does not
// show those either).
bool isInHiddenDirectory(const std::string& mountPoint) {
    return mountPoint.find("/.") != std::string::npos;
}

// The root file system of a container wherever its engine keeps its data:
// ".../overlay2/<id>/merged", ".../<id>/rootfs".
bool isContainerRoot(const MountEntry& entry) {
    if (entry.fsType != "overlay" && entry.fsType != "aufs" && entry.fsType != "fuse-overlayfs" &&
        entry.fsType != "fuse.fuse-overlayfs") {
        return false;
    }
    return endsWith(entry.mountPoint, "/merged") || endsWith(entry.mountPoint, "/rootfs");
}

}  // namespace

bool isUnder(const std::string& path, const std::string& dir) {
    if (dir == "/") return startsWith(path, "/");
    return path == dir || startsWith(path, dir + "/");
}

std::vector<MountEntry> parseMountTable(const std::string& text) {
    std::vector<MountEntry> out;
    std::istringstream lines(text);
    std::string line;
    std::vector<std::string> fields;
    while (std::getline(lines, line)) {
        fields.clear();
        std::istringstream words(line);
        for (std::string word; words >> word;) fields.push_back(std::move(word));
        MountEntry entry;
        if (!parseMountInfoLine(fields, &entry)) {
            // /proc/self/mounts: source, mount point, type, options, 0, 0.
            if (fields.size() < 3) continue;
            entry.source = decodeOctalEscapes(fields[0]);
            entry.mountPoint = decodeOctalEscapes(fields[1]);
            entry.fsType = fields[2];
        }
        out.push_back(std::move(entry));
    }
    return out;
}

bool isNetworkFileSystem(const std::string& type, const std::string& source) {
    static const std::set<std::string> kNetwork = {
        "nfs",  "nfs4",   "cifs",     "smb",       "smb3",     "smbfs",  "ncpfs", "ncp",
        "9p",   "afs",    "ceph",     "glusterfs", "lustre",   "coda",   "davfs", "sshfs",
        "gpfs", "beegfs", "orangefs", "pvfs2",     "virtiofs", "vboxsf", "vmhgfs"};
    if (kNetwork.count(type) != 0 || startsWith(type, "nfs") || startsWith(type, "smb")) {
        return true;
    }
    if (type == "fuseblk" || startsWith(type, "fuseblk.")) return false;
    if (type != "fuse" && !startsWith(type, "fuse.")) return false;
    // FUSE drivers of local disk formats, as mounted from a device node.
    static const std::set<std::string> kLocalBlock = {
        "fuse.ntfs-3g", "fuse.ntfs",     "fuse.exfat",   "fuse.exfat-fuse",
        "fuse.fuse2fs", "fuse.ext4fuse", "fuse.hfsfuse", "fuse.apfs-fuse"};
    return kLocalBlock.count(type) == 0 || !startsWith(source, "/dev/");
}

bool isBrowsableMount(const MountEntry& entry) {
    if (entry.mountPoint.empty() || entry.mountPoint[0] != '/') return false;
    if (entry.mountPoint == "/") return true;
    if (isPseudoFileSystem(entry.fsType)) return false;
    if (isInternalPlace(entry.mountPoint) || isInHiddenDirectory(entry.mountPoint)) return false;
    return !isContainerRoot(entry);
}

std::vector<MountEntry> listedMounts(const std::vector<MountEntry>& all) {
    std::map<std::string, MountEntry> byPoint;
    for (const auto& entry : all) {
        if (isBrowsableMount(entry)) byPoint[entry.mountPoint] = entry;
    }
    if (byPoint.count("/") == 0) byPoint["/"] = MountEntry{"", "/", "", "/"};
    std::vector<MountEntry> out;
    out.reserve(byPoint.size());
    for (auto& [point, entry] : byPoint) out.push_back(entry);
    return out;  // std::map order puts "/" first: every other point is longer
}

const MountEntry* holderOf(const std::vector<MountEntry>& mounts, const std::string& path) {
    const MountEntry* best = nullptr;
    for (const auto& m : mounts) {
        if (isUnder(path, m.mountPoint) &&
            (best == nullptr || m.mountPoint.size() > best->mountPoint.size())) {
            best = &m;
        }
    }
    return best;
}

}  // namespace ottomix
