// The platform calls of the file browser, in one place: the mounted volumes
// with their labels and kinds, a directory read that reports attribute bits
// in the style of DOS (hidden, system, read-only, directory), and the
// process's current directory.
//
// Paths and names are bytes (std::string), exactly as the kernel gives them;
// nothing here assumes they are valid UTF-8.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

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
    struct Options {
        // Text in the format of /proc/self/mounts; when unset the live table is read.
        std::optional<std::string> mountTable;
        std::string labelsDir = "/dev/disk/by-label";
        std::string blockClassDir = "/sys/class/block";
    };

    FileSystem() = default;
    explicit FileSystem(Options options) : options_(std::move(options)) {}

    // The volumes worth offering, "/" first, then by mount point. Pseudo file
    // systems, mounts under /proc, /sys, /dev and /run (but /run/media) and
    // file bind mounts are left out; the last mount on a point wins.
    std::vector<Volume> volumes() const;
    // The mount point of the listed volume holding `path` (longest prefix); "/" at worst.
    std::string volumeOf(const std::string& path) const;
    VolumeFlags flagsOf(const std::string& path) const;

    // Every entry of `dir` (".", ".." included) with its attributes. The
    // read-only bit costs one access check per entry, so it is worked out
    // only when `want_read_only` is set. Returns 0 or the errno of opendir.
    int readDirectory(const std::string& dir, bool want_read_only,
                      std::vector<DirEntry>* entries) const;

    // True when `path` names an existing entry that is not a directory.
    bool isFile(const std::string& path) const;

    // The process's current directory, as getcwd reports it.
    std::string currentDirectory() const;
    // chdir; returns 0 or errno.
    int changeDirectory(const std::string& path) const;
    // A handle on the current directory to come back by: unlike its name it
    // still leads there after the directory was deleted or renamed. Returns
    // 0 or errno.
    int openCurrentDirectory(int* handle) const;
    // Changes to the handle's directory and closes the handle; returns 0 or errno.
    int returnToDirectory(int handle) const;
    // Changes to a volume: to the directory last shown on it during this
    // run, or to its mount point when there is none or it can no longer be
    // entered. Returns 0 or errno.
    int changeToVolume(const std::string& mountPoint);
    // Records `dir` as the directory last shown on its volume.
    void rememberDirectory(const std::string& dir);

    // The instance the browser uses; tests install their own and put the
    // previous one back; install() returns the previous instance.
    static FileSystem& instance();
    static FileSystem* install(FileSystem* file_system);

  private:
    std::string readMountTable() const;
    std::map<std::string, std::string> readLabels() const;
    bool isRemovableDevice(const std::string& device) const;

    Options options_;
    std::map<std::string, std::string> lastDir_;  // mount point -> directory
};

// Parses mount table text into (source, mount point, type) triples, with
// the octal escapes (\040 ...) decoded. Exposed for tests.
struct MountEntry {
    std::string source;
    std::string mountPoint;
    std::string fsType;
};
std::vector<MountEntry> parseMountTable(const std::string& text);

// Turns a name from /dev/disk/by-label into the label (udev writes
// "\x20" for a blank and so on).
std::string decodeLabelName(const std::string& name);

// Joins a directory and a name with exactly one "/".
std::string joinPath(const std::string& dir, const std::string& name);

}  // namespace ottomix
