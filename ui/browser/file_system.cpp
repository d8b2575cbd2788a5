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

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// True when `path` is `dir` itself or lies below it.
bool IsUnder(const std::string& path, const std::string& dir) {
    if (dir == "/") return StartsWith(path, "/");
    return path == dir || StartsWith(path, dir + "/");
}

// Kernel-side or container plumbing: nothing a user would browse.
bool IsPseudoFileSystem(const std::string& type) {
    static const std::set<std::string> kPseudo = {
        "proc",        "sysfs",     "cgroup",    "cgroup2",     "devpts",  "devtmpfs",
        "securityfs",  "pstore",    "bpf",       "debugfs",     "tracefs", "configfs",
        "fusectl",     "mqueue",    "hugetlbfs", "binfmt_misc", "autofs",  "efivarfs",
        "rpc_pipefs",  "nsfs",      "selinuxfs", "squashfs",    "nfsd",    "fuse.gvfsd-fuse",
        "fuse.portal", "tmpfs.snap"};
    return kPseudo.count(type) != 0;
}

bool IsRemoteFileSystem(const std::string& type) {
    static const std::set<std::string> kRemote = {
        "nfs",         "nfs4",        "cifs",           "smb",
        "smb3",        "smbfs",       "ncpfs",          "9p",
        "afs",         "ceph",        "glusterfs",      "lustre",
        "coda",        "davfs",       "sshfs",          "fuse.sshfs",
        "fuse.rclone", "fuse.davfs2", "fuse.glusterfs", "fuse.s3fs",
        "fuse.ceph"};
    return kRemote.count(type) != 0;
}

bool IsHiddenSystemPlace(const std::string& mount_point) {
    if (IsUnder(mount_point, "/run/media")) return false;
    for (const char* dir : {"/proc", "/sys", "/dev", "/run"}) {
        if (IsUnder(mount_point, dir)) return true;
    }
    return false;
}

// Collapses "." and ".." and doubled slashes without touching the disk.
std::string LexicalNormal(const std::string& path) {
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

std::string Canonical(const std::string& path) {
    char buffer[PATH_MAX];
    if (realpath(path.c_str(), buffer) != nullptr) return buffer;
    return LexicalNormal(path);
}

std::string ReadSmallFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string DecodeOctalEscapes(const std::string& field) {
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
std::vector<MountEntry> ListedMounts(const std::vector<MountEntry>& all) {
    std::map<std::string, MountEntry> by_point;
    for (const auto& entry : all) {
        if (entry.mount_point.empty() || entry.mount_point[0] != '/') continue;
        if (IsPseudoFileSystem(entry.fs_type) || IsHiddenSystemPlace(entry.mount_point)) continue;
        // Containers bind single files (/etc/hosts); those are no volumes. A
        // network mount is not asked: a server that is down would hang the call.
        struct stat st;
        if (!IsRemoteFileSystem(entry.fs_type) &&
            fstatat(AT_FDCWD, entry.mount_point.c_str(), &st, AT_NO_AUTOMOUNT) == 0 &&
            !S_ISDIR(st.st_mode)) {
            continue;
        }
        by_point[entry.mount_point] = entry;
    }
    if (by_point.count("/") == 0) by_point["/"] = MountEntry{"", "/", ""};
    std::vector<MountEntry> out;
    out.reserve(by_point.size());
    for (auto& [point, entry] : by_point) out.push_back(entry);
    return out;  // std::map order puts "/" first: every other point is longer
}

const MountEntry* Holder(const std::vector<MountEntry>& mounts, const std::string& path) {
    const MountEntry* best = nullptr;
    for (const auto& m : mounts) {
        if (IsUnder(path, m.mount_point) &&
            (best == nullptr || m.mount_point.size() > best->mount_point.size())) {
            best = &m;
        }
    }
    return best;
}

}  // namespace

std::vector<MountEntry> ParseMountTable(const std::string& text) {
    std::vector<MountEntry> out;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        MountEntry entry;
        if (!(fields >> entry.source >> entry.mount_point >> entry.fs_type)) continue;
        entry.source = DecodeOctalEscapes(entry.source);
        entry.mount_point = DecodeOctalEscapes(entry.mount_point);
        out.push_back(std::move(entry));
    }
    return out;
}

std::string DecodeLabelName(const std::string& name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
            HexValue(name[i + 2]) >= 0 && HexValue(name[i + 3]) >= 0) {
            out += static_cast<char>(HexValue(name[i + 2]) * 16 + HexValue(name[i + 3]));
            i += 3;
            continue;
        }
        out += name[i];
    }
    return out;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (!dir.empty() && dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

std::string FileSystem::ReadMountTable() const {
    if (options_.mount_table) return *options_.mount_table;
    return ReadSmallFile("/proc/self/mounts");
}

std::map<std::string, std::string> FileSystem::ReadLabels() const {
    std::map<std::string, std::string> labels;
    DIR* dir = opendir(options_.labels_dir.c_str());
    if (dir == nullptr) return labels;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.') continue;
        const std::string link = JoinPath(options_.labels_dir, name);
        char target[PATH_MAX];
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        std::string device(target, static_cast<size_t>(n));
        if (device[0] != '/') device = JoinPath(options_.labels_dir, device);
        labels[Canonical(device)] = DecodeLabelName(name);
    }
    closedir(dir);
    return labels;
}

bool FileSystem::IsRemovableDevice(const std::string& device) const {
    if (device.empty() || device[0] != '/') return false;
    const std::string node = Canonical(device);
    const std::string name = node.substr(node.rfind('/') + 1);
    if (name.empty()) return false;
    const std::string entry = Canonical(JoinPath(options_.block_class_dir, name));
    std::string flag = ReadSmallFile(entry + "/removable");
    // A partition carries no flag of its own; its disk does.
    if (flag.empty() && access((entry + "/partition").c_str(), F_OK) == 0) {
        flag = ReadSmallFile(entry.substr(0, entry.rfind('/')) + "/removable");
    }
    return !flag.empty() && flag[0] == '1';
}

std::vector<Volume> FileSystem::Volumes() const {
    const auto mounts = ListedMounts(ParseMountTable(ReadMountTable()));
    std::optional<std::map<std::string, std::string>> labels;  // read on first need
    std::vector<Volume> out;
    out.reserve(mounts.size());
    for (const auto& m : mounts) {
        Volume v{m.mount_point, m.source, m.fs_type, VolumeType::Fixed, {}};
        if (m.fs_type == "iso9660" || m.fs_type == "udf") {
            v.type = VolumeType::CdRom;
        } else if (m.fs_type == "tmpfs" || m.fs_type == "ramfs") {
            v.type = VolumeType::Ram;
        } else if (IsRemoteFileSystem(m.fs_type)) {
            v.type = VolumeType::Remote;
        } else if (IsUnder(m.mount_point, "/media") || IsUnder(m.mount_point, "/run/media") ||
                   IsRemovableDevice(m.source)) {
            v.type = VolumeType::Removable;
        }
        if (v.type != VolumeType::Removable && v.type != VolumeType::Remote && !m.source.empty() &&
            m.source[0] == '/') {
            if (!labels) labels = ReadLabels();
            auto it = labels->find(Canonical(m.source));
            if (it != labels->end()) v.label = it->second;
        }
        out.push_back(std::move(v));
    }
    return out;
}

std::string FileSystem::VolumeOf(const std::string& path) const {
    const auto mounts = ListedMounts(ParseMountTable(ReadMountTable()));
    const MountEntry* holder = Holder(mounts, path);
    return holder != nullptr ? holder->mount_point : "/";
}

VolumeFlags FileSystem::FlagsOf(const std::string& path) const {
    const auto mounts = ListedMounts(ParseMountTable(ReadMountTable()));
    const MountEntry* holder = Holder(mounts, path);
    const std::string type = holder != nullptr ? holder->fs_type : "";
    // FAT and friends keep the case of names but find them in any case;
    // msdos (8.3 names) keeps neither. Everything else is POSIX-like.
    static const std::set<std::string> kFolding = {"vfat", "exfat", "ntfs",   "ntfs3",
                                                   "cifs", "smb3",  "hfsplus"};
    if (type == "msdos") return {false, false};
    if (kFolding.count(type) != 0) return {false, true};
    return {true, true};
}

int FileSystem::ReadDirectory(const std::string& dir, bool want_read_only,
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

bool FileSystem::IsFile(const std::string& path) const {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string FileSystem::CurrentDirectory() const {
    std::vector<char> buffer(PATH_MAX);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return {};
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

int FileSystem::ChangeDirectory(const std::string& path) const {
    return chdir(path.c_str()) == 0 ? 0 : errno;
}

int FileSystem::OpenCurrentDirectory(int* handle) const {
    // O_PATH: no read permission is needed to come back.
    *handle = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    return *handle >= 0 ? 0 : errno;
}

int FileSystem::ReturnToDirectory(int handle) const {
    const int error = fchdir(handle) == 0 ? 0 : errno;
    close(handle);
    return error;
}

int FileSystem::ChangeToVolume(const std::string& mount_point) {
    auto it = last_dir_.find(mount_point);
    if (it != last_dir_.end() && ChangeDirectory(it->second) == 0) return 0;
    return ChangeDirectory(mount_point);
}

void FileSystem::RememberDirectory(const std::string& dir) {
    if (!dir.empty()) last_dir_[VolumeOf(dir)] = dir;
}

namespace {
FileSystem* g_installed = nullptr;
}  // namespace

FileSystem& FileSystem::Get() {
    static FileSystem live;
    return g_installed != nullptr ? *g_installed : live;
}

FileSystem* FileSystem::Install(FileSystem* file_system) {
    FileSystem* previous = g_installed;
    g_installed = file_system;
    return previous;
}

}  // namespace ottomix
