#include "core/output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <vector>

#include "core/byte_stream.h"

namespace ottomix {

namespace {

constexpr int kMaxLinkDepth = 40;  // as the kernel's ELOOP limit
constexpr std::size_t kNameMax = 255;

std::string directoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Where a chain of symlinks ends; the end need not exist.
int resolveLinks(const std::string& name, std::string* end) {
    std::string path = name;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            *end = path;
            return 0;
        }
        char target[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target);
        if (n < 0) return errno;
        if (static_cast<std::size_t>(n) == sizeof target) return ENAMETOOLONG;
        std::string next(target, static_cast<std::size_t>(n));
        if (next.empty()) return ENOENT;
        if (next[0] != '/') next = directoryOf(path).append("/").append(next);
        path = std::move(next);
    }
    return ELOOP;
}

constexpr char kTemporaryTag[] = ".ottomix-";
constexpr std::size_t kTemporaryRandom = 6;
// A temporary file left this long unlocked belongs to no live job.
constexpr time_t kStaleSeconds = 10;

// ".<name>.ottomix-": what every temporary file for `base` starts with.
std::string temporaryPrefix(const std::string& base) {
    const std::size_t room = kNameMax - 1 - (sizeof kTemporaryTag - 1) - kTemporaryRandom;
    std::string prefix(1, '.');
    prefix.append(base, 0, room);
    prefix.append(kTemporaryTag);
    return prefix;
}

// ".<name>.ottomix-XXXXXX": hidden, and recognisable should a crash leave it.
std::string newTemporaryName(const std::string& base) {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char random[kTemporaryRandom] = {};
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
        // A weak fallback is fine: the name is only ever created exclusively.
        const auto seed = static_cast<unsigned>(::getpid()) ^ static_cast<unsigned>(::clock());
        for (std::size_t i = 0; i < sizeof random; ++i)
            random[i] = static_cast<unsigned char>(seed >> (i * 5));
    }
    std::string name = temporaryPrefix(base);
    for (const unsigned char r : random) name += kLetters[r % (sizeof kLetters - 1)];
    return name;
}

// Removes the temporary files for `base` in `dirfd` that a killed job left:
// this user's, unchanged for a while, and locked by no live job (each job
// holds a lock on its own until it is renamed or removed).
void removeStaleTemporaries(int dirfd, const std::string& base) {
    const int listfd = ::openat(dirfd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listfd < 0) return;
    DIR* dir = ::fdopendir(listfd);
    if (dir == nullptr) {
        ::close(listfd);
        return;
    }
    const std::string prefix = temporaryPrefix(base);
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() != prefix.size() + kTemporaryRandom || name.rfind(prefix, 0) != 0) continue;
        const int fd = ::openat(dirfd, name.c_str(),
                                O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            now - st.st_mtime >= kStaleSeconds && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirfd, name.c_str(), 0);
        ::close(fd);
    }
    ::closedir(dir);
}

// Whether this process may replace `entry` in the directory `dir`. In a
// sticky directory (/tmp) what another user planted there is theirs, also
// for root, as the kernel's protected_regular has it: only an entry of this
// user's or of the directory's owner may go.
bool mayReplace(const struct stat& dir, const struct stat& entry) {
    if ((dir.st_mode & S_ISVTX) == 0) return true;
    const uid_t me = ::geteuid();
    const bool mayRemove = me == 0 || entry.st_uid == me || dir.st_uid == me;
    const bool planted = entry.st_uid != me && entry.st_uid != dir.st_uid;
    return mayRemove && !planted;
}

// Copies the extended attributes of `from` (the POSIX ACL among them) to the
// open file `to`, best effort: a name this user may not set stays behind.
void copyExtendedAttributes(const std::string& from, int to) {
    ssize_t size = ::llistxattr(from.c_str(), nullptr, 0);
    if (size <= 0) return;
    std::vector<char> names(static_cast<std::size_t>(size));
    size = ::llistxattr(from.c_str(), names.data(), names.size());
    std::vector<char> value;
    for (const char* name = names.data(); size > 0 && name < names.data() + size;
         name += std::strlen(name) + 1) {
        const ssize_t length = ::lgetxattr(from.c_str(), name, nullptr, 0);
        if (length < 0) continue;
        value.resize(static_cast<std::size_t>(length));
        const ssize_t got = ::lgetxattr(from.c_str(), name, value.data(), value.size());
        if (got >= 0) ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(got), 0);
    }
}

}  // namespace

OutputFile::~OutputFile() {
    abandon();
}

int OutputFile::open(const std::string& name, bool followLinks, std::string_view mode) {
    abandon();
    failure_.clear();
    failureReason_.clear();
    std::string path = name;
    if (followLinks) {
        if (const int err = resolveLinks(name, &path)) return err;
    }
    struct stat st {};
    bool exists = true;
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) return errno;
        exists = false;
    }
    if (exists && S_ISDIR(st.st_mode)) return EISDIR;
    if (followLinks && exists && !S_ISREG(st.st_mode)) {
        // A pipe, terminal or device the user named takes the bytes as they
        // come. At a fixed name it is replaced like a link, never opened.
        way_ = Way::Direct;
        writer_ = ByteWriter::open(name, mode);
        return writer_ != nullptr ? 0 : errno;
    }

    const auto slash = path.rfind('/');
    base_ = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base_.empty() || base_ == "." || base_ == "..") return EISDIR;
    const std::string directory = directoryOf(path);
    dirfd_ = ::open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dirfd_ < 0) return errno;

    replacing_ = exists && S_ISREG(st.st_mode);
    if (replacing_) {
        // Refused exactly when overwriting it would be: the user may not
        // write it (read-only, somebody else's). Nothing is truncated.
        const int probe = ::openat(dirfd_, base_.c_str(),
                                   O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (probe < 0) {
            const int err = errno;
            release();
            return err;
        }
        ::close(probe);
        mode_ = st.st_mode & 0777;
        uid_ = st.st_uid;
        gid_ = st.st_gid;
    }
    struct stat dir {};
    if (exists && ::fstat(dirfd_, &dir) == 0 && !mayReplace(dir, st)) {
        // Neither replaced, nor followed, nor written into.
        failureReason_ = "it belongs to another user in a shared directory";
        release();
        return EPERM;
    }
    removeStaleTemporaries(dirfd_, base_);
    if (const int err = createTemporary(mode)) {
        // Never written in place instead: a broken job would lose the
        // earlier output, and two jobs would mix their bytes.
        failure_ = "Cannot create files in directory " + directory;
        release();
        return err;
    }
    return 0;
}

int OutputFile::openDescriptor(int fd, std::string_view mode) {
    abandon();
    failure_.clear();
    failureReason_.clear();
    way_ = Way::Direct;
    writer_ = ByteWriter::openDescriptor(fd, mode);
    return writer_ != nullptr ? 0 : errno;
}

int OutputFile::createTemporary(std::string_view mode) {
    way_ = Way::Replace;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_ = newTemporaryName(base_);
        writer_ = ByteWriter::openAt(dirfd_, temp_, mode, O_CREAT | O_EXCL | O_NOFOLLOW);
        if (writer_ != nullptr) break;
        if (errno != EEXIST) {
            temp_.clear();
            return errno;
        }
    }
    if (writer_ == nullptr) {
        temp_.clear();
        return EEXIST;
    }
    // Held until the file is renamed or removed, or the process dies: a later
    // job never takes a live job's file for a leftover.
    ::flock(writer_->fd(), LOCK_EX | LOCK_NB);
    if (replacing_) {
        // What a replacement keeps of the file it replaces: its owner and
        // group where this process may give them, its extended attributes
        // and ACL, and its permission bits, never wider than they were.
        const int fd = writer_->fd();
        bool keptGroup = gid_ == ::getegid();
        if (uid_ != ::geteuid() || !keptGroup) {
            keptGroup = ::fchown(fd, uid_, gid_) == 0 ||
                        ::fchown(fd, static_cast<uid_t>(-1), gid_) == 0 || keptGroup;
        }
        copyExtendedAttributes("/proc/self/fd/" + std::to_string(dirfd_) + "/" + base_, fd);
        // Another group must not get the access the file's group had.
        ::fchmod(fd, keptGroup ? mode_ : mode_ & ~mode_t{070});
    }
    return 0;
}

int OutputFile::commit(const std::atomic<int>* stop) {
    if (writer_ == nullptr) return EBADF;
    int err = 0;
    if (way_ == Way::Replace) {
        // On disk before the rename, so that after a crash the name holds
        // either the whole earlier file or the whole new one.
        if (!writer_->flush()) {
            err = writer_->errorCode();
        } else if (::fdatasync(writer_->fd()) != 0 && errno != EINVAL) {
            err = errno;
        }
    }
    ByteWriter* writer = writer_;
    writer_ = nullptr;
    if (ByteWriter::close(writer) != 0 && err == 0) err = errno != 0 ? errno : EIO;
    // The sync can take a while; a stop that came meanwhile still counts.
    if (err == 0 && way_ == Way::Replace && stop != nullptr && stop->load() != 0) err = ECANCELED;
    if (err == 0 && way_ == Way::Replace &&
        ::renameat(dirfd_, temp_.c_str(), dirfd_, base_.c_str()) != 0) {
        err = errno;
    }
    if (err == 0) {
        temp_.clear();
        release();
        return 0;
    }
    if (way_ == Way::Replace) {
        ::unlinkat(dirfd_, temp_.c_str(), 0);
        temp_.clear();
    }
    release();
    return err;
}

void OutputFile::abandon() {
    if (writer_ != nullptr) {
        ByteWriter::discard(writer_);  // cuts a regular file to nothing
        writer_ = nullptr;
    }
    if (!temp_.empty()) {
        ::unlinkat(dirfd_, temp_.c_str(), 0);
        temp_.clear();
    }
    release();
}

void OutputFile::release() {
    if (dirfd_ >= 0) ::close(dirfd_);
    dirfd_ = -1;
    base_.clear();
    replacing_ = false;
}

}  // namespace ottomix
