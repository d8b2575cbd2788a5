#include "ui/browser/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace ottomix {
namespace {

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// True when `path` is `dir` itself or lies below it.
bool isUnder(const std::string& path, const std::string& dir) {
    if (dir == "/") return startsWith(path, "/");
    return path == dir || startsWith(path, dir + "/");
}

// Kernel-side or container plumbing: nothing a user would browse.
bool isPseudoFileSystem(const std::string& type) {
    static const std::set<std::string> kPseudo = {
        "proc",        "sysfs",     "cgroup",    "cgroup2",     "devpts",  "devtmpfs",
        "securityfs",  "pstore",    "bpf",       "debugfs",     "tracefs", "configfs",
        "fusectl",     "mqueue",    "hugetlbfs", "binfmt_misc", "autofs",  "efivarfs",
        "rpc_pipefs",  "nsfs",      "selinuxfs", "squashfs",    "nfsd",    "fuse.gvfsd-fuse",
        "fuse.portal", "tmpfs.snap"};
    return kPseudo.count(type) != 0;
}

bool isRemoteFileSystem(const std::string& type) {
    static const std::set<std::string> kRemote = {
        "nfs",         "nfs4",        "cifs",           "smb",
        "smb3",        "smbfs",       "ncpfs",          "9p",
        "afs",         "ceph",        "glusterfs",      "lustre",
        "coda",        "davfs",       "sshfs",          "fuse.sshfs",
        "fuse.rclone", "fuse.davfs2", "fuse.glusterfs", "fuse.s3fs",
        "fuse.ceph"};
    return kRemote.count(type) != 0;
}

bool isHiddenSystemPlace(const std::string& mountPoint) {
    if (isUnder(mountPoint, "/run/media")) return false;
    for (const char* dir : {"/proc", "/sys", "/dev", "/run"}) {
        if (isUnder(mountPoint, dir)) return true;
    }
    return false;
}

// Collapses "." and ".." and doubled slashes without touching the disk.
std::string lexicalNormal(const std::string& path) {
    std::vector<std::string> parts;
    std::stringstream in(path);
    std::string part;
    while (std::getline(in, part, '/')) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (const auto& p : parts) out += "/" + p;
    return out.empty() ? "/" : out;
}

std::string canonical(const std::string& path) {
    char buffer[PATH_MAX];
    if (realpath(path.c_str(), buffer) != nullptr) return buffer;
    return lexicalNormal(path);
}

std::string readSmallFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
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

// The mounts the browser offers, filtered and ordered, "/" always first.
std::vector<MountEntry> listedMounts(const std::vector<MountEntry>& all) {
    std::map<std::string, MountEntry> by_point;
    for (const auto& entry : all) {
        if (entry.mountPoint.empty() || entry.mountPoint[0] != '/') continue;
        if (isPseudoFileSystem(entry.fsType) || isHiddenSystemPlace(entry.mountPoint)) continue;
        // Containers bind single files (/etc/hosts); those are no volumes. A
        // network mount is not asked: a server that is down would hang the call.
        struct stat st;
        if (!isRemoteFileSystem(entry.fsType) &&
            fstatat(AT_FDCWD, entry.mountPoint.c_str(), &st, AT_NO_AUTOMOUNT) == 0 &&
            !S_ISDIR(st.st_mode)) {
            continue;
        }
        by_point[entry.mountPoint] = entry;
    }
    if (by_point.count("/") == 0) by_point["/"] = MountEntry{"", "/", ""};
    std::vector<MountEntry> out;
    out.reserve(by_point.size());
    for (auto& [point, entry] : by_point) out.push_back(entry);
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

}  // namespace

std::vector<MountEntry> parseMountTable(const std::string& text) {
    std::vector<MountEntry> out;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        MountEntry entry;
        if (!(fields >> entry.source >> entry.mountPoint >> entry.fsType)) continue;
        entry.source = decodeOctalEscapes(entry.source);
        entry.mountPoint = decodeOctalEscapes(entry.mountPoint);
        out.push_back(std::move(entry));
    }
    return out;
}

std::string decodeLabelName(const std::string& name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
            hexValue(name[i + 2]) >= 0 && hexValue(name[i + 3]) >= 0) {
            out += static_cast<char>(hexValue(name[i + 2]) * 16 + hexValue(name[i + 3]));
            i += 3;
            continue;
        }
        out += name[i];
    }
    return out;
}

std::string joinPath(const std::string& dir, const std::string& name) {
    if (!dir.empty() && dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

std::string FileSystem::readMountTable() const {
    if (options_.mountTable) return *options_.mountTable;
    return readSmallFile("/proc/self/mounts");
}

std::map<std::string, std::string> FileSystem::readLabels() const {
    std::map<std::string, std::string> labels;
    DIR* dir = opendir(options_.labelsDir.c_str());
    if (dir == nullptr) return labels;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.') continue;
        const std::string link = joinPath(options_.labelsDir, name);
        char target[PATH_MAX];
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        std::string device(target, static_cast<size_t>(n));
        if (device[0] != '/') device = joinPath(options_.labelsDir, device);
        labels[canonical(device)] = decodeLabelName(name);
    }
    closedir(dir);
    return labels;
}

bool FileSystem::isRemovableDevice(const std::string& device) const {
    if (device.empty() || device[0] != '/') return false;
    const std::string node = canonical(device);
    const std::string name = node.substr(node.rfind('/') + 1);
    if (name.empty()) return false;
    const std::string entry = canonical(joinPath(options_.blockClassDir, name));
    std::string flag = readSmallFile(entry + "/removable");
    // A partition carries no flag of its own; its disk does.
    if (flag.empty() && access((entry + "/partition").c_str(), F_OK) == 0) {
        flag = readSmallFile(entry.substr(0, entry.rfind('/')) + "/removable");
    }
    return !flag.empty() && flag[0] == '1';
}

std::vector<Volume> FileSystem::volumes() const {
    const auto mounts = listedMounts(parseMountTable(readMountTable()));
    std::optional<std::map<std::string, std::string>> labels;  // read on first need
    std::vector<Volume> out;
    out.reserve(mounts.size());
    for (const auto& m : mounts) {
        Volume v{m.mountPoint, m.source, m.fsType, VolumeType::Fixed, {}};
        if (m.fsType == "iso9660" || m.fsType == "udf") {
            v.type = VolumeType::CdRom;
        } else if (m.fsType == "tmpfs" || m.fsType == "ramfs") {
            v.type = VolumeType::Ram;
        } else if (isRemoteFileSystem(m.fsType)) {
            v.type = VolumeType::Remote;
        } else if (isUnder(m.mountPoint, "/media") || isUnder(m.mountPoint, "/run/media") ||
                   isRemovableDevice(m.source)) {
            v.type = VolumeType::Removable;
        }
        if (v.type != VolumeType::Removable && v.type != VolumeType::Remote && !m.source.empty() &&
            m.source[0] == '/') {
            if (!labels) labels = readLabels();
            auto it = labels->find(canonical(m.source));
            if (it != labels->end()) v.label = it->second;
        }
        out.push_back(std::move(v));
    }
    return out;
}

std::string FileSystem::volumeOf(const std::string& path) const {
    const auto mounts = listedMounts(parseMountTable(readMountTable()));
    const MountEntry* holder = holderOf(mounts, path);
    return holder != nullptr ? holder->mountPoint : "/";
}

VolumeFlags FileSystem::flagsOf(const std::string& path) const {
    const auto mounts = listedMounts(parseMountTable(readMountTable()));
    const MountEntry* holder = holderOf(mounts, path);
    const std::string type = holder != nullptr ? holder->fsType : "";
    // FAT and friends keep the case of names but find them in any case;
    // msdos (8.3 names) keeps neither. Everything else is POSIX-like.
    static const std::set<std::string> kFolding = {"vfat", "exfat", "ntfs",   "ntfs3",
                                                   "cifs", "smb3",  "hfsplus"};
    if (type == "msdos") return {false, false};
    if (kFolding.count(type) != 0) return {false, true};
    return {true, true};
}

int FileSystem::readDirectory(const std::string& dir, bool want_read_only,
                              std::vector<DirEntry>* entries) const {
    entries->clear();
    DIR* stream = opendir(dir.c_str());
    if (stream == nullptr) return errno;
    const int fd = dirfd(stream);
    while (const dirent* entry = readdir(stream)) {
        DirEntry out;
        out.name = entry->d_name;
        if (out.name[0] == '.') out.attributes |= kAttrHidden;
        unsigned char type = entry->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat st;
            if (fstatat(fd, entry->d_name, &st, 0) != 0) {
                type = DT_UNKNOWN;  // a dangling link: nothing a user can open
            } else if (S_ISDIR(st.st_mode)) {
                type = DT_DIR;
            } else if (S_ISREG(st.st_mode)) {
                type = DT_REG;
            } else {
                type = DT_UNKNOWN;
            }
        }
        if (type == DT_DIR) {
            out.attributes |= kAttrDirectory;
        } else if (type != DT_REG) {
            out.attributes |= kAttrSystem;
        }
        if (want_read_only && faccessat(fd, entry->d_name, W_OK, AT_EACCESS) != 0) {
            out.attributes |= kAttrReadOnly;
        }
        entries->push_back(std::move(out));
    }
    closedir(stream);
    return 0;
}

bool FileSystem::isFile(const std::string& path) const {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string FileSystem::currentDirectory() const {
    std::vector<char> buffer(PATH_MAX);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return {};
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

int FileSystem::changeDirectory(const std::string& path) const {
    return chdir(path.c_str()) == 0 ? 0 : errno;
}

int FileSystem::openCurrentDirectory(int* handle) const {
    // O_PATH: no read permission is needed to come back.
    *handle = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    return *handle >= 0 ? 0 : errno;
}

int FileSystem::returnToDirectory(int handle) const {
    const int error = fchdir(handle) == 0 ? 0 : errno;
    close(handle);
    return error;
}

int FileSystem::changeToVolume(const std::string& mountPoint) {
    auto it = lastDir_.find(mountPoint);
    if (it != lastDir_.end() && changeDirectory(it->second) == 0) return 0;
    return changeDirectory(mountPoint);
}

void FileSystem::rememberDirectory(const std::string& dir) {
    if (!dir.empty()) lastDir_[volumeOf(dir)] = dir;
}

namespace {
FileSystem* installedInstance = nullptr;
}  // namespace

FileSystem& FileSystem::instance() {
    static FileSystem live;
    return installedInstance != nullptr ? *installedInstance : live;
}

FileSystem* FileSystem::install(FileSystem* file_system) {
    FileSystem* previous = installedInstance;
    installedInstance = file_system;
    return previous;
}

}  // namespace ottomix
