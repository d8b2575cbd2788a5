// The platform calls of the file browser, in one place: the mounted volumes
// with their labels and kinds, a directory read that reports DOS-style
// attribute bits, and the process's current directory.
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
enum FileAttribute : unsigned {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrVolumeId = 0x08,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
};

struct DirEntry {
    std::string name;
    unsigned attributes = 0;
};

enum class VolumeType { Removable, Fixed, Remote, CdRom, Ram };

struct Volume {
    std::string mount_point;  // takes the place of a drive letter
    std::string source;       // device or remote name as mounted
    std::string fs_type;
    VolumeType type = VolumeType::Fixed;
    std::string label;  // empty when the volume has none (never read for removable ones)
};

// Case behaviour of a volume's names, from its file-system type.
struct VolumeFlags {
    bool case_sensitive = false;
    bool case_preserved = false;
};

class FileSystem {
  public:
    struct Options {
        // Text in the format of /proc/self/mounts; when unset the live table is read.
        std::optional<std::string> mount_table;
        std::string labels_dir = "/dev/disk/by-label";
        std::string block_class_dir = "/sys/class/block";
    };

    FileSystem() = default;
    explicit FileSystem(Options options) : options_(std::move(options)) {}

    // The volumes worth offering, "/" first, then by mount point. Pseudo file
    // systems, mounts under /proc, /sys, /dev and /run (but /run/media) and
    // file bind mounts are left out; the last mount on a point wins.
    std::vector<Volume> Volumes() const;
    // The mount point of the listed volume holding `path` (longest prefix); "/" at worst.
    std::string VolumeOf(const std::string& path) const;
    VolumeFlags FlagsOf(const std::string& path) const;

    // Every entry of `dir` (".", ".." included) with its attributes. The
    // read-only bit costs one access check per entry, so it is worked out
    // only when `want_read_only` is set. Returns 0 or the errno of opendir.
    int ReadDirectory(const std::string& dir, bool want_read_only,
                      std::vector<DirEntry>* entries) const;

    // True when `path` names an existing entry that is not a directory.
    bool IsFile(const std::string& path) const;

    // The process's current directory, as getcwd reports it.
    std::string CurrentDirectory() const;
    // chdir; returns 0 or errno.
    int ChangeDirectory(const std::string& path) const;
    // A handle on the current directory to come back by: unlike its name it
    // still leads there after the directory was deleted or renamed. Returns
    // 0 or errno.
    int OpenCurrentDirectory(int* handle) const;
    // Changes to the handle's directory and closes the handle; returns 0 or errno.
    int ReturnToDirectory(int handle) const;
    // The counterpart of changing to a bare drive: the directory last shown
    // on that volume during this run, or its mount point when there is none
    // or it can no longer be entered. Returns 0 or errno.
    int ChangeToVolume(const std::string& mount_point);
    // Records `dir` as the directory last shown on its volume.
    void RememberDirectory(const std::string& dir);

    // The instance the browser uses; tests install their own and put the
    // previous one back. Install returns the previous instance.
    static FileSystem& Get();
    static FileSystem* Install(FileSystem* file_system);

  private:
    std::string ReadMountTable() const;
    std::map<std::string, std::string> ReadLabels() const;
    bool IsRemovableDevice(const std::string& device) const;

    Options options_;
    std::map<std::string, std::string> last_dir_;  // mount point -> directory
};

// Parses mount table text into (source, mount point, type) triples, with
// the octal escapes (\040 ...) decoded. Exposed for tests.
struct MountEntry {
    std::string source;
    std::string mount_point;
    std::string fs_type;
};
std::vector<MountEntry> ParseMountTable(const std::string& text);

// Turns a name from /dev/disk/by-label into the label (udev writes
// "\x20" for a blank and so on).
std::string DecodeLabelName(const std::string& name);

// Joins a directory and a name with exactly one "/".
std::string JoinPath(const std::string& dir, const std::string& name);

}  // namespace ottomix
