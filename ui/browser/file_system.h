// The platform calls of the file browser, in one place: the mounted volumes
// with their labels and kinds, a directory read that reports attribute bits
// in the style of DOS (hidden, system, read-only, directory), and the
// process's current directory.
//
// Nothing touches a volume the user did not ask for: the volume list comes
// from the mount table and udev's label links alone. And no call waits for
// long on a volume that stopped answering: whatever may block there (a
// directory change, a stat of a link's target) runs on a helper thread and
// is given up after responseTimeout, reported as ETIMEDOUT.
//
// Paths and names are bytes (std::string), exactly as the kernel gives them;
// nothing here assumes they are valid UTF-8.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/browser/mount_table.h"

namespace ottomix {

// Attribute bits as the browser's file types know them. Linux has no such
// bits, so they are derived: names beginning with "." are hidden, FIFOs,
// sockets, devices and dangling links are system files, entries the user
// may not write are read-only. Volume label and archive are never set.
inline constexpr unsigned kAttrReadOnly = 0x01;
inline constexpr unsigned kAttrHidden = 0x02;
inline constexpr unsigned kAttrSystem = 0x04;
inline constexpr unsigned kAttrVolumeId = 0x08;
inline constexpr unsigned kAttrDirectory = 0x10;
inline constexpr unsigned kAttrArchive = 0x20;

struct DirEntry {
    std::string name;
    unsigned attributes = 0;
};

enum class VolumeType { Removable, Fixed, Remote, CdRom, Ram };

struct Volume {
    std::string mountPoint;  // takes the place of a drive letter
    std::string source;      // device or remote name as mounted
    std::string fsType;
    VolumeType type = VolumeType::Fixed;
    std::string label;  // empty when the volume has none (never read for removable ones)
};

// Case behaviour of a volume's names, from its file-system type.
struct VolumeFlags {
    bool caseSensitive = false;
    bool casePreserved = false;
};

class FileSystem {
  public:
    using Clock = std::chrono::steady_clock;
    struct Options {
        // Text in the format of /proc/self/mountinfo or /proc/self/mounts;
        // when unset the live table at mountTablePath is read.
        std::optional<std::string> mountTable;
        std::string mountTablePath = "/proc/self/mountinfo";
        std::string labelsDir = "/dev/disk/by-label";
        std::string blockClassDir = "/sys/class/block";
        // How long the window waits for a volume to answer.
        std::chrono::milliseconds responseTimeout{1000};
        // The clock the busy pointer reads; Clock::now when unset.
        std::function<Clock::time_point()> clock;
    };

    FileSystem() = default;
    explicit FileSystem(Options options) : options_(std::move(options)) {}

    // The volumes worth offering, "/" first, then by mount point; see
    // isBrowsableMount() for what is left out. The last mount on a point wins.
    std::vector<Volume> volumes() const;
    // The mount point of the listed volume holding `path` (longest prefix); "/" at worst.
    std::string volumeOf(const std::string& path) const;
    VolumeFlags flagsOf(const std::string& path) const;

    // Replaces the mount table text given in the options (tests: a mount
    // or an unmount); nothing makes the live table come back.
    void setMountTable(std::string text) { options_.mountTable = std::move(text); }
    // A descriptor of the live mount table that polls POLLPRI when a mount
    // or unmount changed it, or -1 (a table given as text has no changes to
    // watch). The caller closes it.
    int openMountTableWatch() const;

    // Every entry of `dir` (".", ".." included) with its attributes. The
    // read-only bit costs one access check per entry, so it is worked out
    // only when `wantReadOnly` is set. Links, and entries whose type the
    // directory does not record, are classified on helper threads with one
    // deadline for them all; an entry not classified in time (a link into a
    // volume that does not answer) is left out. `progress`, when set, is
    // called now and then during the read. Returns 0, the errno of opening
    // the directory, or ETIMEDOUT when it did not open in time.
    int readDirectory(const std::string& dir, bool wantReadOnly, std::vector<DirEntry>* entries,
                      const std::function<void()>& progress = {}) const;

    // Where the absolute `path` leads when entered: its directory part, and
    // its last part too unless that names a file, or is a pattern such as
    // "*.txt" (with "*" or "?") that names no directory. Worked out on a
    // helper thread with a current directory of its own, so the process's
    // stays as it is. Sets `*dir` to the directory as written and `*real` to
    // its real path; returns 0, errno, or ETIMEDOUT when the volume did not
    // answer in time.
    int resolveDirectory(const std::string& path, std::string* dir, std::string* real) const;

    // The process's current directory, as getcwd reports it.
    std::string currentDirectory() const;
    // chdir; returns 0, errno, or ETIMEDOUT when the directory's volume
    // does not answer (the current directory then stays as it was). The
    // directory is entered and its listing begun on a helper thread with a
    // current directory of its own first; only when that answered in time
    // does the process follow.
    int changeDirectory(const std::string& path) const;
    // Changes to a volume: to the directory last shown on it during this
    // run, or to its mount point when there is none or it can no longer be
    // entered. Returns 0, errno, or ETIMEDOUT when the volume does not
    // answer (then it is not asked a second time).
    int changeToVolume(const std::string& mountPoint);
    // Records `dir` as the directory last shown on its volume.
    void rememberDirectory(const std::string& dir);

    std::chrono::milliseconds responseTimeout() const { return options_.responseTimeout; }
    Clock::time_point now() const;

    // The instance the browser uses; tests install their own and put the
    // previous one back; install() returns the previous instance.
    static FileSystem& instance();
    static FileSystem* install(FileSystem* fileSystem);

  private:
    std::string readMountTable() const;
    std::string absolutePath(const std::string& path) const;
    std::map<std::string, std::string> readLabels() const;
    bool isRemovableDevice(const std::string& device) const;

    Options options_;
    std::map<std::string, std::string> lastDir_;  // mount point -> directory
};

// Turns a name from /dev/disk/by-label into the label (udev writes
// "\x20" for a blank and so on).
std::string decodeLabelName(const std::string& name);

// Joins a directory and a name with exactly one "/".
std::string joinPath(const std::string& dir, const std::string& name);

}  // namespace ottomix
