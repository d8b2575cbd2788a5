#include "core/byte_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

namespace ottomix {

namespace {

enum class Kind : std::uint8_t { Free, Reserved, Reader, Writer };

struct Entry {
    Kind kind = Kind::Free;
    void* stream = nullptr;
};

}  // namespace

struct StreamTableAccess {
    template <typename Stream>
    static Stream* New(int fd, bool text) {
        return new (std::nothrow) Stream(fd, text);
    }
    static void Delete(ByteReader* r) { delete r; }
    static void Delete(ByteWriter* w) { delete w; }
};

namespace {

struct StreamTable {
    std::array<Entry, kStreamTableSize> entries{};
    ByteWriter* std_out = nullptr;

    StreamTable() {
        entries[0].kind = Kind::Reserved;  // standard input
        entries[2].kind = Kind::Reserved;  // standard error
        std_out = StreamTableAccess::New<ByteWriter>(STDOUT_FILENO, true);
        entries[1] = {Kind::Writer, std_out};
    }

    // Callers check HasFree() first.
    void Take(Kind kind, void* stream) {
        for (auto& e : entries) {
            if (e.kind == Kind::Free) {
                e = {kind, stream};
                return;
            }
        }
    }

    void Release(const void* stream) {
        for (auto& e : entries) {
            if (e.stream == stream) e = Entry{};
        }
    }

    bool HasFree() const {
        for (const auto& e : entries)
            if (e.kind == Kind::Free) return true;
        return false;
    }
};

// Never destroyed: the exit path flushes through it after static destructors
// may already have run.
StreamTable* g_table = nullptr;

StreamTable& Table() {
    if (g_table == nullptr) g_table = new StreamTable;
    return *g_table;
}

// Runs with the program's finalisers, after every exit routine, whenever
// they were registered, so bytes those routines write are not lost.
__attribute__((destructor)) void FlushAtExit() {
    FlushAll();
}

// Parses "r"/"rb"/"rt" style modes: `base` is the required first letter.
// Returns 0 for text, 1 for binary, -1 for a mode we do not open.
int ParseMode(std::string_view mode, char base) {
    if (mode.empty() || mode[0] != base) return -1;
    if (mode.size() == 1) return 0;  // the process default is text
    if (mode.size() == 2 && mode[1] == 'b') return 1;
    if (mode.size() == 2 && mode[1] == 't') return 0;
    return -1;
}

// Opened non-blocking so that a FIFO or device never hangs the caller; regular
// files ignore the flag, and it is cleared again once the file is open.
void ClearNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

ssize_t ReadRetry(int fd, std::uint8_t* buf, std::size_t n) {
    for (;;) {
        const ssize_t got = ::read(fd, buf, n);
        if (got >= 0 || errno != EINTR) return got;
    }
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t n, int* err) {
    while (n > 0) {
        const ssize_t put = ::write(fd, data, n);
        if (put < 0) {
            if (errno == EINTR) continue;
            *err = errno;
            return false;
        }
        if (put == 0) {
            *err = ENOSPC;
            return false;
        }
        data += put;
        n -= static_cast<std::size_t>(put);
    }
    return true;
}

// Opens `name` (relative to `dirfd`) for a new stream of type Stream and
// enters it in the table; nullptr with errno set when that cannot be done.
template <typename Stream>
Stream* OpenStream(int dirfd, const std::string& name, std::string_view mode, char base, int flags,
                   Kind kind) {
    const int m = ParseMode(mode, base);
    if (m < 0) {
        errno = EINVAL;
        return nullptr;
    }
    if (name.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    StreamTable& table = Table();
    if (!table.HasFree()) {
        errno = EMFILE;
        return nullptr;
    }
    const int fd = ::openat(dirfd, name.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (kind == Kind::Reader && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return nullptr;
    }
    ClearNonBlocking(fd);
    Stream* stream = StreamTableAccess::New<Stream>(fd, m == 0);
    if (stream == nullptr) {
        ::close(fd);
        errno = ENOMEM;
        return nullptr;
    }
    table.Take(kind, stream);
    return stream;
}

}  // namespace

// ---------------------------------------------------------------- ByteReader

ByteReader* ByteReader::Open(const std::string& name, std::string_view mode) {
    return OpenStream<ByteReader>(AT_FDCWD, name, mode, 'r', O_RDONLY, Kind::Reader);
}

int ByteReader::Close(ByteReader* reader) {
    if (reader == nullptr) return -1;
    const int rc = ::close(reader->fd_);
    Table().Release(reader);
    StreamTableAccess::Delete(reader);
    return rc == 0 ? 0 : -1;
}

int ByteReader::Refill() {
    pos_ = count_ = 0;
    if (error_) return -1;
    if (!text_) {
        const ssize_t got = ReadRetry(fd_, buf_, kStreamBufferSize);
        if (got < 0) {
            error_ = true;
            errno_ = errno;
            return -1;
        }
        if (got == 0) return -1;
        chunk_offset_ = raw_read_;
        chunk_length_ = static_cast<std::size_t>(got);
        raw_read_ += static_cast<std::uint64_t>(got);
        count_ = static_cast<std::size_t>(got);
        delivered_end_ += count_;
        pos_ = 1;
        return buf_[0];
    }
    for (;;) {
        if (mark_seen_) return -1;
        const ssize_t got = ReadRetry(fd_, buf_, kStreamBufferSize);
        if (got < 0) {
            error_ = true;
            errno_ = errno;
            return -1;
        }
        if (got == 0) {
            if (pending_cr_) NoteLoneCr(pending_cr_offset_);
            pending_cr_ = false;
            return -1;
        }
        std::size_t n = static_cast<std::size_t>(got);
        const std::uint64_t chunk_start = raw_read_;
        raw_read_ += n;
        if (const void* mark = std::memchr(buf_, 0x1A, n)) {
            n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(mark) - buf_);
            mark_seen_ = true;
            mark_offset_ = static_cast<std::int64_t>(chunk_start + n);
        }
        if (pending_cr_) {
            pending_cr_ = false;
            if (n == 0 || buf_[0] != 0x0A) NoteLoneCr(pending_cr_offset_);
        }
        chunk_offset_ = chunk_start;
        chunk_length_ = n;
        chunk_had_cr_ = false;
        // Close up the chunk over every CR, keeping the other bytes in order.
        // `in` still reads the chunk as it came from the file: `out` never
        // passes it.
        std::uint8_t* cr = static_cast<std::uint8_t*>(std::memchr(buf_, 0x0D, n));
        if (cr != nullptr) {
            chunk_had_cr_ = true;
            std::uint8_t* out = cr;
            const std::uint8_t* end = buf_ + n;
            for (const std::uint8_t* in = cr; in < end; ++in) {
                if (*in == 0x0D) {
                    const auto at = static_cast<std::int64_t>(chunk_start) + (in - buf_);
                    if (in + 1 < end) {
                        if (in[1] != 0x0A) NoteLoneCr(at);
                    } else if (mark_seen_) {
                        NoteLoneCr(at);  // followed by the end-of-file mark
                    } else {
                        pending_cr_ = true;  // the next chunk decides
                        pending_cr_offset_ = at;
                    }
                }
                *out = *in;
                out += (*in != 0x0D);
            }
            const auto kept = static_cast<std::size_t>(out - buf_);
            cr_dropped_ += n - kept;
            n = kept;
        }
        if (n > 0) {
            count_ = n;
            delivered_end_ += n;
            pos_ = 1;
            return buf_[0];
        }
        // Only CRs (or a mark at the start): read on, or end at the mark.
    }
}

void ByteReader::NoteLoneCr(std::int64_t offset) {
    if (lone_cr_++ == 0) first_lone_cr_ = offset;
}

std::int64_t ByteReader::FileOffsetOf(std::uint64_t delivered_index) const {
    const std::uint64_t first = delivered_end_ - count_;
    if (delivered_index < first || delivered_index >= delivered_end_) return -1;
    const std::size_t wanted = static_cast<std::size_t>(delivered_index - first);
    if (!chunk_had_cr_) return static_cast<std::int64_t>(chunk_offset_ + wanted);
    // The CRs are gone from the buffer: count through the chunk as stored.
    std::uint8_t raw[kStreamBufferSize];
    const ssize_t got = ::pread(fd_, raw, chunk_length_, static_cast<off_t>(chunk_offset_));
    std::size_t seen = 0;
    for (ssize_t i = 0; i < got; ++i) {
        if (raw[i] == 0x0D) continue;
        if (seen++ == wanted) return static_cast<std::int64_t>(chunk_offset_) + i;
    }
    return -1;
}

// ---------------------------------------------------------------- ByteWriter

ByteWriter* ByteWriter::Open(const std::string& name, std::string_view mode) {
    return OpenAt(AT_FDCWD, name, mode, O_CREAT | O_TRUNC);
}

ByteWriter* ByteWriter::OpenAt(int dirfd, const std::string& name, std::string_view mode,
                               int flags) {
    return OpenStream<ByteWriter>(dirfd, name, mode, 'w', O_WRONLY | flags, Kind::Writer);
}

int ByteWriter::Close(ByteWriter* writer) {
    if (writer == nullptr) return -1;
    // A writer that lost bytes on an earlier pass closes as a failure too.
    const bool passed = writer->Flush() && !writer->failed_;
    const int saved = writer->errno_;
    const int rc = ::close(writer->fd_);
    const int close_errno = errno;
    Table().Release(writer);
    StreamTableAccess::Delete(writer);
    if (!passed) {
        errno = saved;
        return -1;
    }
    if (rc != 0) {
        errno = close_errno;
        return -1;
    }
    return 0;
}

void ByteWriter::Discard(ByteWriter* writer) {
    if (writer == nullptr) return;
    struct stat st {};
    if (::fstat(writer->fd_, &st) == 0 && S_ISREG(st.st_mode)) {
        if (::ftruncate(writer->fd_, 0) != 0) {
            // Nothing more can be done; the caller removes the file by name.
        }
    }
    ::close(writer->fd_);
    Table().Release(writer);
    StreamTableAccess::Delete(writer);
}

int ByteWriter::WriteSlow(int value) {
    // The buffer is full: pass it on before storing the new byte.
    if (failed_) return -1;
    if (!Flush()) return -1;
    const auto b = static_cast<std::uint8_t>(value);
    buf_[count_++] = b;
    return b;
}

bool ByteWriter::Flush() {
    const std::size_t n = count_;
    count_ = 0;  // the buffer is empty afterwards, whether the write worked or not
    if (n == 0) return true;
    bool ok;
    if (!text_) {
        ok = WriteAll(fd_, buf_, n, &errno_);
    } else {
        // Every LF becomes CR LF; at most twice the buffer.
        std::uint8_t out[2 * kStreamBufferSize];
        std::size_t o = 0;
        const std::uint8_t* in = buf_;
        const std::uint8_t* end = buf_ + n;
        while (in < end) {
            const auto* lf = static_cast<const std::uint8_t*>(
                std::memchr(in, 0x0A, static_cast<std::size_t>(end - in)));
            const std::uint8_t* stop = lf ? lf : end;
            const auto run = static_cast<std::size_t>(stop - in);
            std::memcpy(out + o, in, run);
            o += run;
            in = stop;
            if (lf) {
                out[o++] = 0x0D;
                out[o++] = 0x0A;
                ++in;
            }
        }
        ok = WriteAll(fd_, out, o, &errno_);
    }
    if (!ok) failed_ = true;
    return ok;
}

void ByteWriter::WriteText(std::string_view text) {
    for (const char c : text) WriteByte(static_cast<unsigned char>(c));
}

ByteWriter& StdOut() {
    return *Table().std_out;
}

void FlushAll() {
    if (g_table == nullptr) return;  // nothing was ever opened
    for (auto& e : g_table->entries) {
        if (e.kind == Kind::Writer) static_cast<ByteWriter*>(e.stream)->Flush();
    }
}

int OpenStreamCount() {
    int n = 0;
    for (const auto& e : Table().entries)
        if (e.kind != Kind::Free) ++n;
    return n;
}

}  // namespace ottomix
