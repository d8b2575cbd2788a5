#include "ui/browser/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>

#include "ui/browser/bounded_call.h"

namespace ottomix {
namespace {

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

// For device nodes, which live on /dev: never on a volume that may hang.
std::string canonicalDevice(const std::string& path) {
    char buffer[PATH_MAX];
    if (realpath(path.c_str(), buffer) != nullptr) return buffer;
    return lexicalNormal(path);
}

// A local file system's source names its device node ("/dev/sda1"); a
// network or FUSE one's may be a path on another volume, and is not asked.
bool isDeviceNode(const std::string& source, const std::string& type) {
    return !source.empty() && source[0] == '/' && !isNetworkFileSystem(type, source);
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

// Enters `path` the way chdir does, on a helper thread that has a current
// directory of its own, and begins to list it, so a volume that answers
// this will answer the process. Returns 0 or errno (the listing's errors do
// not count: a directory may be entered without being readable).
int probeDirectory(const std::string& path) {
    if (unshare(CLONE_FS) != 0) {
        // No directory of its own: look, without moving.
        struct stat st;
        if (stat(path.c_str(), &st) != 0) return errno;
        if (!S_ISDIR(st.st_mode)) return ENOTDIR;
        return access(path.c_str(), X_OK) == 0 ? 0 : errno;
    }
    if (chdir(path.c_str()) != 0) return errno;
    if (DIR* listing = opendir(".")) {
        (void)readdir(listing);
        closedir(listing);
    }
    return 0;
}

struct Resolution {
    std::string dir;
    std::string real;
};

// FileSystem::resolveDirectory's work, on the helper thread.
int resolveOnHelper(const std::string& full, Resolution* out) {
    const size_t slash = full.rfind('/');
    std::string dir = slash == 0 ? "/" : full.substr(0, slash);
    const std::string file = full.substr(slash + 1);
    const bool ownDirectory = unshare(CLONE_FS) == 0;
    auto enter = [ownDirectory](const std::string& path) {
        if (ownDirectory) return chdir(path.c_str()) == 0 ? 0 : errno;
        struct stat st;
        if (stat(path.c_str(), &st) != 0) return errno;
        if (!S_ISDIR(st.st_mode)) return ENOTDIR;
        return access(path.c_str(), X_OK) == 0 ? 0 : errno;
    };
    if (const int error = enter(dir)) return error;
    struct stat st;
    if (!file.empty() && !(stat(full.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))) {
        // "*" and "?" are legal in names, so a directory that carries them
        // in its name is still entered.
        const int error = enter(full);
        if (error == 0) {
            dir = joinPath(dir, file);
        } else if (file.find_first_of("*?") == std::string::npos) {
            return error;
        }
    }
    char buffer[PATH_MAX];
    const char* where =
        ownDirectory ? getcwd(buffer, sizeof buffer) : realpath(dir.c_str(), buffer);
    out->dir = dir;
    out->real = where != nullptr ? where : dir;
    return 0;
}

// An open directory the helpers classifying its entries share; closed when
// the last of them is done with it.
struct SharedDirectory {
    int fd = -1;
    std::vector<std::string> names;
    std::vector<unsigned char> needs;  // kNeedType | kNeedAccess
    ~SharedDirectory() {
        if (fd >= 0) close(fd);
    }
};
constexpr unsigned char kNeedType = 1;
constexpr unsigned char kNeedAccess = 2;
// What a helper found out about an entry, as bits of its result.
constexpr int kFound = 1;
constexpr int kIsDirectory = 2;
constexpr int kIsFile = 4;
constexpr int kIsReadOnly = 8;

int classify(const SharedDirectory& dir, std::size_t i) {
    const char* name = dir.names[i].c_str();
    int out = 0;
    if (dir.needs[i] & kNeedType) {
        struct stat st;
        if (fstatat(dir.fd, name, &st, 0) == 0) {
            out |= kFound;
            if (S_ISDIR(st.st_mode)) out |= kIsDirectory;
            if (S_ISREG(st.st_mode)) out |= kIsFile;
        }
    }
    if ((dir.needs[i] & kNeedAccess) && faccessat(dir.fd, name, W_OK, AT_EACCESS) != 0) {
        out |= kIsReadOnly;
    }
    return out;
}

}  // namespace

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
    return readSmallFile(options_.mountTablePath);
}

int FileSystem::openMountTableWatch() const {
    if (options_.mountTable) return -1;
    return open(options_.mountTablePath.c_str(), O_RDONLY | O_CLOEXEC);
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
        labels[canonicalDevice(device)] = decodeLabelName(name);
    }
    closedir(dir);
    return labels;
}

bool FileSystem::isRemovableDevice(const std::string& device) const {
    const std::string node = canonicalDevice(device);
    const std::string name = node.substr(node.rfind('/') + 1);
    if (name.empty()) return false;
    const std::string entry = canonicalDevice(joinPath(options_.blockClassDir, name));
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
        // Devices are looked up in udev's and the kernel's tables (the
        // label links, sysfs); the volume itself is not asked.
        const bool device = isDeviceNode(m.source, m.fsType);
        if (m.fsType == "iso9660" || m.fsType == "udf") {
            v.type = VolumeType::CdRom;
        } else if (m.fsType == "tmpfs" || m.fsType == "ramfs") {
            v.type = VolumeType::Ram;
        } else if (isNetworkFileSystem(m.fsType, m.source)) {
            v.type = VolumeType::Remote;
        } else if (isUnder(m.mountPoint, "/media") || isUnder(m.mountPoint, "/run/media") ||
                   (device && isRemovableDevice(m.source))) {
            v.type = VolumeType::Removable;
        }
        if (v.type != VolumeType::Removable && v.type != VolumeType::Remote && device) {
            if (!labels) labels = readLabels();
            auto it = labels->find(canonicalDevice(m.source));
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

// Used for naming calls ("." and "dir/." alike), not for going anywhere.
std::string FileSystem::absolutePath(const std::string& path) const {
    if (!path.empty() && path[0] == '/') return lexicalNormal(path);
    return lexicalNormal(joinPath(currentDirectory(), path));
}

int FileSystem::readDirectory(const std::string& dir, bool wantReadOnly,
                              std::vector<DirEntry>* entries,
                              const std::function<void()>& progress) const {
    entries->clear();
    const std::string where = absolutePath(dir);
    const std::optional<int> opened = callWithin(
        options_.responseTimeout,
        [dir] {
            const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            return fd >= 0 ? fd : -errno;
        },
        "open " + where,
        [](int fd) {
            if (fd >= 0) close(fd);
        });
    if (!opened) return ETIMEDOUT;
    if (*opened < 0) return -*opened;
    DIR* stream = fdopendir(*opened);
    if (stream == nullptr) {
        const int error = errno;
        close(*opened);
        return error;
    }
    const int fd = dirfd(stream);
    // Links and entries of unknown type may lead onto another volume: they
    // are classified on helpers. So are directories when access is asked,
    // as one may be a mount point.
    auto asked = std::make_shared<SharedDirectory>();
    std::vector<size_t> askedIndex;
    while (const dirent* entry = readdir(stream)) {
        DirEntry out;
        out.name = entry->d_name;
        if (out.name[0] == '.') out.attributes |= kAttrHidden;
        const unsigned char type = entry->d_type;
        unsigned char needs = 0;
        if (type == DT_LNK || type == DT_UNKNOWN) needs |= kNeedType;
        if (wantReadOnly && type != DT_REG) needs |= kNeedAccess;
        if (needs != 0) {
            asked->names.push_back(out.name);
            asked->needs.push_back(needs);
            askedIndex.push_back(entries->size());
        }
        if (type == DT_DIR) {
            out.attributes |= kAttrDirectory;
        } else if (type != DT_REG && (needs & kNeedType) == 0) {
            out.attributes |= kAttrSystem;
        }
        if (wantReadOnly && type == DT_REG && faccessat(fd, entry->d_name, W_OK, AT_EACCESS) != 0) {
            out.attributes |= kAttrReadOnly;
        }
        entries->push_back(std::move(out));
        if (progress && (entries->size() & 1023) == 0) progress();
    }
    if (!askedIndex.empty()) {
        asked->fd = fcntl(fd, F_DUPFD_CLOEXEC, 0);
        const std::vector<std::optional<int>> found =
            asked->fd < 0
                ? std::vector<std::optional<int>>(askedIndex.size())
                : callAllWithin(
                      askedIndex.size(), [asked](std::size_t i) { return classify(*asked, i); },
                      options_.responseTimeout,
                      [&](std::size_t i) { return where + "/" + asked->names[i]; }, progress);
        std::vector<bool> leftOut(entries->size(), false);
        for (size_t i = 0; i < askedIndex.size(); ++i) {
            DirEntry& entry = (*entries)[askedIndex[i]];
            if (!found[i]) {
                leftOut[askedIndex[i]] = true;
                continue;
            }
            const int bits = *found[i];
            if (asked->needs[i] & kNeedType) {
                if (bits & kIsDirectory) {
                    entry.attributes |= kAttrDirectory;
                } else if ((bits & kIsFile) == 0) {
                    entry.attributes |= kAttrSystem;  // a dangling link: nothing to open
                }
            }
            if (bits & kIsReadOnly) entry.attributes |= kAttrReadOnly;
        }
        size_t kept = 0;
        for (size_t i = 0; i < entries->size(); ++i) {
            if (leftOut[i]) continue;
            if (kept != i) (*entries)[kept] = std::move((*entries)[i]);
            ++kept;
        }
        entries->resize(kept);
    }
    closedir(stream);
    return 0;
}

int FileSystem::resolveDirectory(const std::string& path, std::string* dir,
                                 std::string* real) const {
    auto found = std::make_shared<Resolution>();
    const std::optional<int> error = callWithin(
        options_.responseTimeout, [path, found] { return resolveOnHelper(path, found.get()); },
        "resolve " + path);
    if (!error) return ETIMEDOUT;
    if (*error == 0) {
        *dir = found->dir;
        *real = found->real;
    }
    return *error;
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
    const std::optional<int> probe = callWithin(
        options_.responseTimeout, [path] { return probeDirectory(path); },
        "enter " + absolutePath(path));
    if (!probe) return ETIMEDOUT;
    if (*probe != 0) return *probe;
    return chdir(path.c_str()) == 0 ? 0 : errno;
}

int FileSystem::changeToVolume(const std::string& mountPoint) {
    auto it = lastDir_.find(mountPoint);
    if (it != lastDir_.end()) {
        const int error = changeDirectory(it->second);
        // A volume that does not answer is not asked twice.
        if (error == 0 || error == ETIMEDOUT) return error;
    }
    return changeDirectory(mountPoint);
}

void FileSystem::rememberDirectory(const std::string& dir) {
    if (!dir.empty()) lastDir_[volumeOf(dir)] = dir;
}

FileSystem::Clock::time_point FileSystem::now() const {
    return options_.clock ? options_.clock() : Clock::now();
}

namespace {
FileSystem* installedInstance = nullptr;
}  // namespace

FileSystem& FileSystem::instance() {
    static FileSystem live;
    return installedInstance != nullptr ? *installedInstance : live;
}

FileSystem* FileSystem::install(FileSystem* fileSystem) {
    FileSystem* previous = installedInstance;
    installedInstance = fileSystem;
    return previous;
}

}  // namespace ottomix
