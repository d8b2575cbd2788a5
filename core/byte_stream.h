// Buffered file streams with DOS text rules, read and written a byte or a
// block at a time.
//
// A stream is opened in text mode ("r", "w") or binary mode ("rb", "wb").
// Text readers drop every CR (0x0D) and stop at the first Ctrl-Z (0x1A);
// text writers store every LF (0x0A) as CR LF. The platform's file interface
// is used for raw bytes only, so these rules are the streams' own and do not
// depend on the C library.
//
// A file stream's buffer holds kStreamBufferSize bytes, obtained at Open, so
// a job moves its data in large blocks. Open streams live in one process
// table of 50 entries, three of which belong to standard input, output and
// error; flushAll() passes the pending bytes of every open writer to its file
// and runs when the process exits. Streams and the table belong to one
// thread at a time: the program runs one job at a time.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace ottomix {

// Large enough that a block costs far more than its system call, small
// enough to stay in the processor's cache (measured with make bench).
inline constexpr std::size_t kStreamBufferSize = 256 * 1024;
// Standard output carries a few lines of messages.
inline constexpr std::size_t kStdOutBufferSize = 512;
inline constexpr int kStreamTableSize = 50;
inline constexpr int kStandardStreams = 3;

class ByteReader {
  public:
    // Opens `name` with mode "r" (text) or "rb" (binary). Returns nullptr when
    // the name is empty, the file cannot be opened for reading (missing, a
    // directory, no access), or the stream table is full. errno tells why.
    static ByteReader* open(const std::string& name, std::string_view mode);
    // Releases the stream and its table entry. Returns 0, or -1 for nullptr or
    // when the platform fails to close the file.
    static int close(ByteReader* reader);

    // The next byte as 0..255, or -1 at end of stream or after a read error.
    int readByte() {
        if (pos_ == count_ && !refill()) return -1;
        return buf_[pos_++];
    }
    // The next run of bytes, as many calls of readByte() would deliver them:
    // what the buffer still holds, or else a fresh buffer's worth. Empty at
    // end of stream or after a read error. Valid until the next read.
    std::span<const std::uint8_t> readBlock() {
        if (pos_ == count_ && !refill()) return {};
        const std::span<const std::uint8_t> block(buf_.get() + pos_, count_ - pos_);
        pos_ = count_;
        return block;
    }

    bool text() const { return text_; }
    bool failed() const { return error_; }
    int errorCode() const { return errno_; }  // errno of the failed read
    // Text mode bookkeeping, so a caller can tell what the text rules dropped.
    std::uint64_t crDropped() const { return crDropped_; }
    // CRs dropped that were not the CR of a CR LF pair: those are lost for
    // good, while a text writer restores CR LF line ends.
    std::uint64_t loneCrDropped() const { return loneCr_; }
    // Offset of the end-of-file mark in the file, or -1 while none was met.
    std::int64_t markOffset() const { return markOffset_; }
    // Offset in the file of the first lone CR left out, or -1.
    std::int64_t firstLoneCrOffset() const { return firstLoneCr_; }
    // Bytes taken from the file so far, before the text rules: two reads of
    // an unchanged file take the same number in either mode.
    std::uint64_t rawBytes() const { return rawRead_; }
    // Offset in the file of the byte delivered as number `delivered_index`
    // (counting from 0), for bytes of the last refill; -1 for others.
    std::int64_t fileOffsetOf(std::uint64_t deliveredIndex) const;
    int fd() const { return fd_; }

    ByteReader(const ByteReader&) = delete;
    ByteReader& operator=(const ByteReader&) = delete;

  private:
    ByteReader(int fd, bool text, std::unique_ptr<std::uint8_t[]> buffer)
        : fd_(fd), text_(text), buf_(std::move(buffer)) {}
    ~ByteReader() = default;
    // Fills the empty buffer with the next bytes the rules deliver; false
    // when there are none (end of stream, the mark, a read error).
    bool refill();
    // Takes every CR out of the n bytes just read from file offset
    // `chunk_start`, noting the lone ones; returns how many bytes remain.
    std::size_t dropCrs(std::uint64_t chunkStart, std::size_t n);
    void noteLoneCr(std::int64_t offset);
    friend struct StreamTableAccess;

    std::size_t pos_ = 0;
    std::size_t count_ = 0;
    int fd_;
    bool text_;
    bool error_ = false;
    bool markSeen_ = false;
    int errno_ = 0;
    std::uint64_t rawRead_ = 0;  // bytes taken from the file so far
    std::uint64_t crDropped_ = 0;
    std::uint64_t loneCr_ = 0;
    std::int64_t firstLoneCr_ = -1;
    bool pendingCr_ = false;  // the last chunk ended in a CR
    std::int64_t pendingCrOffset_ = -1;
    std::int64_t markOffset_ = -1;
    // Where the buffered bytes came from: the chunk's offset in the file, its
    // length before the text rules, whether CRs were taken out of it, and the
    // delivered count just past the buffer.
    std::uint64_t chunkOffset_ = 0;
    std::size_t chunkLength_ = 0;
    bool chunkHadCr_ = false;
    std::uint64_t deliveredEnd_ = 0;
    std::unique_ptr<std::uint8_t[]> buf_;
};

class ByteWriter {
  public:
    // Opens `name` with mode "w" (text) or "wb" (binary): creates the file or
    // empties it at once. Returns nullptr when it cannot be created or
    // truncated, or the stream table is full. errno tells why.
    static ByteWriter* open(const std::string& name, std::string_view mode);
    // Opens `name` relative to the directory `dirfd` with the open(2)
    // creation flags `flags` (O_CREAT, O_EXCL, O_TRUNC, O_NOFOLLOW ...;
    // O_WRONLY is implied) and mode 0666 under the umask. Same results as open().
    static ByteWriter* openAt(int dirfd, const std::string& name, std::string_view mode, int flags);
    // A writer on a copy of the open descriptor `fd` (standard output), as
    // it is: nothing is created, truncated or moved. Same results as open().
    static ByteWriter* openDescriptor(int fd, std::string_view mode);
    // Passes the pending bytes to the file and releases the stream. Returns 0,
    // or -1 for nullptr, a failed pass or a failed close. The stream is
    // released in every case.
    static int close(ByteWriter* writer);
    // Releases the stream without passing pending bytes and cuts a regular
    // file back to length 0, so a broken output never looks complete.
    static void discard(ByteWriter* writer);

    // Stores value mod 256; returns the stored byte, or -1 when the byte was
    // not stored (a pass to the file failed).
    int writeByte(int value) {
        if (count_ < capacity_) {
            const auto b = static_cast<std::uint8_t>(value);
            buf_[count_++] = b;
            return b;
        }
        return writeSlow(value);
    }

    // Room for a block: the buffer's free part, after passing a full buffer
    // to the file. Empty when that pass failed, where writeByte() would have
    // returned -1. Filling n bytes of it and calling commit(n) is the same
    // as n calls of writeByte().
    std::span<std::uint8_t> room() {
        if (count_ == capacity_ && !makeRoom()) return {};
        return {buf_.get() + count_, capacity_ - count_};
    }
    void commit(std::size_t n) { count_ += n; }

    // Writes every byte of `text` (for standard output's messages).
    void writeText(std::string_view text);
    // Passes the buffered bytes to the file now. Returns false if it failed.
    bool flush();

    bool text() const { return text_; }
    bool failed() const { return failed_; }
    int errorCode() const { return errno_; }
    int fd() const { return fd_; }
    // A write blocked in a pipe gives up (EINTR) when a signal comes and
    // `stop` is set; without it, it waits on.
    void setStop(const std::atomic<int>* stop) { stop_ = stop; }

    ByteWriter(const ByteWriter&) = delete;
    ByteWriter& operator=(const ByteWriter&) = delete;

  private:
    ByteWriter(int fd, bool text, std::unique_ptr<std::uint8_t[]> buffer,
               std::unique_ptr<std::uint8_t[]> stage, std::size_t capacity)
        : fd_(fd),
          text_(text),
          capacity_(capacity),
          buf_(std::move(buffer)),
          stage_(std::move(stage)) {}
    ~ByteWriter() = default;
    int writeSlow(int value);
    bool makeRoom();
    // Writes n buffered values with LF as CR LF through the staging area.
    bool passText(const std::uint8_t* in, std::size_t n);
    friend struct StreamTableAccess;

    std::size_t count_ = 0;
    int fd_;
    bool text_;
    bool failed_ = false;
    int errno_ = 0;
    std::size_t capacity_;
    std::unique_ptr<std::uint8_t[]> buf_;
    std::unique_ptr<std::uint8_t[]> stage_;  // text writers: translated bytes on their way
    const std::atomic<int>* stop_ = nullptr;
};

// Standard output as a buffered text stream of kStdOutBufferSize bytes; its
// bytes reach the file descriptor once the buffer is full, or at exit.
ByteWriter& stdOut();

// Passes every open writer's pending bytes to its file. Also runs by itself
// when the process ends through exit() or a return from main, after every
// exit routine.
void flushAll();

// Number of table entries in use, standard streams included.
int openStreamCount();

}  // namespace ottomix
