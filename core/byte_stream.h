// Buffered single-byte file streams with DOS text rules.
//
// A stream is opened in text mode ("r", "w") or binary mode ("rb", "wb").
// Text readers drop every CR (0x0D) and stop at the first Ctrl-Z (0x1A);
// text writers store every LF (0x0A) as CR LF. The platform's file interface
// is used for raw bytes only, so these rules are the streams' own and do not
// depend on the C library.
//
// Every stream has a fixed 512-byte buffer. Open streams live in one process
// table of 50 entries, three of which belong to standard input, output and
// error; FlushAll() passes the pending bytes of every open writer to its file
// and runs when the process exits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ottomix {

inline constexpr std::size_t kStreamBufferSize = 512;
inline constexpr int kStreamTableSize = 50;
inline constexpr int kStandardStreams = 3;

class ByteReader {
  public:
    // Opens `name` with mode "r" (text) or "rb" (binary). Returns nullptr when
    // the name is empty, the file cannot be opened for reading (missing, a
    // directory, no access), or the stream table is full. errno tells why.
    static ByteReader* Open(const std::string& name, std::string_view mode);
    // Releases the stream and its table entry. Returns 0, or -1 for nullptr or
    // when the platform fails to close the file.
    static int Close(ByteReader* reader);

    // The next byte as 0..255, or -1 at end of stream or after a read error.
    int ReadByte() {
        if (pos_ < count_) return buf_[pos_++];
        return Refill();
    }

    // Bytes already buffered and not yet delivered. Consuming them is the
    // same as calling ReadByte() that many times.
    std::span<const std::uint8_t> Buffered() const { return {buf_ + pos_, count_ - pos_}; }
    void Consume(std::size_t n) { pos_ += n; }

    bool text() const { return text_; }
    bool failed() const { return error_; }
    int error_code() const { return errno_; }  // errno of the failed read
    // Text mode bookkeeping, so a caller can tell what the text rules dropped.
    std::uint64_t cr_dropped() const { return cr_dropped_; }
    // CRs dropped that were not the CR of a CR LF pair: those are lost for
    // good, while a text writer restores CR LF line ends.
    std::uint64_t lone_cr_dropped() const { return lone_cr_; }
    // Offset of the end-of-file mark in the file, or -1 while none was met.
    std::int64_t mark_offset() const { return mark_offset_; }
    // Offset in the file of the first lone CR left out, or -1.
    std::int64_t first_lone_cr_offset() const { return first_lone_cr_; }
    // Bytes taken from the file so far, before the text rules: two reads of
    // an unchanged file take the same number in either mode.
    std::uint64_t raw_bytes() const { return raw_read_; }
    // Offset in the file of the byte delivered as number `delivered_index`
    // (counting from 0), for bytes of the current buffer; -1 for others.
    std::int64_t FileOffsetOf(std::uint64_t delivered_index) const;
    int fd() const { return fd_; }

    ByteReader(const ByteReader&) = delete;
    ByteReader& operator=(const ByteReader&) = delete;

  private:
    ByteReader(int fd, bool text) : fd_(fd), text_(text) {}
    ~ByteReader() = default;
    int Refill();
    void NoteLoneCr(std::int64_t offset);
    friend struct StreamTableAccess;

    std::size_t pos_ = 0;
    std::size_t count_ = 0;
    int fd_;
    bool text_;
    bool error_ = false;
    bool mark_seen_ = false;
    int errno_ = 0;
    std::uint64_t raw_read_ = 0;  // bytes taken from the file so far
    std::uint64_t cr_dropped_ = 0;
    std::uint64_t lone_cr_ = 0;
    std::int64_t first_lone_cr_ = -1;
    bool pending_cr_ = false;  // the last chunk ended in a CR
    std::int64_t pending_cr_offset_ = -1;
    std::int64_t mark_offset_ = -1;
    // Where the buffered bytes came from: the chunk's offset in the file, its
    // length before the text rules, whether CRs were taken out of it, and the
    // delivered count just past the buffer.
    std::uint64_t chunk_offset_ = 0;
    std::size_t chunk_length_ = 0;
    bool chunk_had_cr_ = false;
    std::uint64_t delivered_end_ = 0;
    std::uint8_t buf_[kStreamBufferSize];
};

class ByteWriter {
  public:
    // Opens `name` with mode "w" (text) or "wb" (binary): creates the file or
    // empties it at once. Returns nullptr when it cannot be created or
    // truncated, or the stream table is full. errno tells why.
    static ByteWriter* Open(const std::string& name, std::string_view mode);
    // Opens `name` relative to the directory `dirfd` with the open(2)
    // creation flags `flags` (O_CREAT, O_EXCL, O_TRUNC, O_NOFOLLOW ...;
    // O_WRONLY is implied) and mode 0666 under the umask. Same results as Open().
    static ByteWriter* OpenAt(int dirfd, const std::string& name, std::string_view mode, int flags);
    // Passes the pending bytes to the file and releases the stream. Returns 0,
    // or -1 for nullptr, a failed pass or a failed close. The stream is
    // released in every case.
    static int Close(ByteWriter* writer);
    // Releases the stream without passing pending bytes and cuts a regular
    // file back to length 0, so a broken output never looks complete.
    static void Discard(ByteWriter* writer);

    // Stores value mod 256; returns the stored byte, or -1 when the byte was
    // not stored (a pass to the file failed).
    int WriteByte(int value) {
        if (count_ < kStreamBufferSize) {
            const auto b = static_cast<std::uint8_t>(value);
            buf_[count_++] = b;
            return b;
        }
        return WriteSlow(value);
    }

    // Free room in the buffer. Filling n bytes of it and calling Commit(n) is
    // the same as n calls of WriteByte() that all fit.
    std::span<std::uint8_t> Room() { return {buf_ + count_, kStreamBufferSize - count_}; }
    void Commit(std::size_t n) { count_ += n; }

    // Writes every byte of `text` (for standard output's messages).
    void WriteText(std::string_view text);
    // Passes the buffered bytes to the file now. Returns false if it failed.
    bool Flush();

    bool text() const { return text_; }
    bool failed() const { return failed_; }
    int error_code() const { return errno_; }
    int fd() const { return fd_; }

    ByteWriter(const ByteWriter&) = delete;
    ByteWriter& operator=(const ByteWriter&) = delete;

  private:
    ByteWriter(int fd, bool text) : fd_(fd), text_(text) {}
    ~ByteWriter() = default;
    int WriteSlow(int value);
    friend struct StreamTableAccess;

    std::size_t count_ = 0;
    int fd_;
    bool text_;
    bool failed_ = false;
    int errno_ = 0;
    std::uint8_t buf_[kStreamBufferSize];
};

// Standard output as a 512-byte buffered text stream; its bytes reach the
// file descriptor once 512 have gathered or at exit.
ByteWriter& StdOut();

// Passes every open writer's pending bytes to its file. Also runs by itself
// when the process ends through exit() or a return from main, after every
// exit routine.
void FlushAll();

// Number of table entries in use, standard streams included.
int OpenStreamCount();

}  // namespace ottomix
