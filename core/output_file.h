// How a job's output reaches its name without ever losing what was there.
//
// The new content is written into a hidden temporary file in the output's
// own directory, created exclusively and never through a link, and renamed
// over the name only once it is complete and on disk. Until then the name
// keeps the earlier file byte for byte; a hard link to the earlier file
// keeps the old content for good.
//
// Which way an output is written depends on what the name holds:
// - a regular file, a missing name, or at a fixed name a symlink, pipe,
//   socket or device: replaced through the temporary file; what was there is
//   never opened;
// - a symlink named explicitly (ottomix-cli -o): followed to its target,
//   which is then replaced through a temporary file next to it, as cp would;
// - a pipe, terminal or device named explicitly (/dev/stdout): written
//   straight into;
// - a directory: refused.
// An existing regular file is refused exactly when the user may not open it
// for writing, and, in a sticky directory such as /tmp, when it belongs to
// another user. When its directory takes no new file, the output is refused
// too: it is never overwritten in place.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <string>
#include <string_view>

namespace ottomix {

class ByteWriter;

class OutputFile {
  public:
    OutputFile() = default;
    // Abandons an output that was not committed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Prepares writing `name` with the stream mode "w" or "wb". With
    // `follow_links` (a name the user chose) a symlink is followed to its
    // target; without it (the fixed output name) a symlink is replaced.
    // Returns 0 with writer() open, or an errno.
    int open(const std::string& name, bool followLinks, std::string_view mode);
    // Prepares writing into the open descriptor `fd` as it is: a file
    // opened for appending is appended to, a pipe or socket written into,
    // and nothing is ever truncated or replaced. Returns 0 or an errno.
    int openDescriptor(int fd, std::string_view mode);

    ByteWriter* writer() const { return writer_; }
    // True while the output goes to a temporary file first.
    bool atomic() const { return way_ == Way::Replace; }
    // The temporary file's name, relative to the output's directory.
    const std::string& temporaryName() const { return temp_; }

    // Makes the written bytes the file under the name: passes what is
    // buffered, syncs it to disk, closes and renames. Returns 0 or an errno;
    // after a failure everything is undone as by abandon(). When `stop` is
    // set by the time the bytes are on disk (a signal during the sync), the
    // name is left alone and ECANCELED returned.
    int commit(const std::atomic<int>* stop = nullptr);
    // Drops the new output. An earlier file under the name stays as it was.
    void abandon();

    // After a failed open(): what could not be done, when it is not creating
    // the output file itself ("Cannot create files in directory D"), and a
    // reason that says more than the errno; empty otherwise.
    const std::string& failure() const { return failure_; }
    const std::string& failureReason() const { return failureReason_; }

  private:
    enum class Way { Replace, Direct };

    int createTemporary(std::string_view mode);
    void release();

    Way way_ = Way::Replace;
    int dirfd_ = -1;
    std::string base_;  // the output's name in dirfd_
    std::string temp_;  // the temporary file's name in dirfd_
    ByteWriter* writer_ = nullptr;
    bool replacing_ = false;  // a regular file is there now
    mode_t mode_ = 0;         // its permission bits
    uid_t uid_ = 0;
    gid_t gid_ = 0;
    std::string failure_;
    std::string failureReason_;
};

}  // namespace ottomix
