#include "core/byte_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
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
    static ByteReader* newReader(int fd, bool text) {
        auto buffer =
            std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[kStreamBufferSize]);
        if (buffer == nullptr) return nullptr;
        return new (std::nothrow) ByteReader(fd, text, std::move(buffer));
    }
    static ByteWriter* newWriter(int fd, bool text, std::size_t capacity) {
        auto buffer = std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[capacity]);
        if (buffer == nullptr) return nullptr;
        std::unique_ptr<std::uint8_t[]> stage;
        if (text) {
            stage.reset(new (std::nothrow) std::uint8_t[capacity]);
            if (stage == nullptr) return nullptr;
        }
        return new (std::nothrow)
            ByteWriter(fd, text, std::move(buffer), std::move(stage), capacity);
    }
    static ByteReader* create(ByteReader*, int fd, bool text) { return newReader(fd, text); }
    static ByteWriter* create(ByteWriter*, int fd, bool text) {
        return newWriter(fd, text, kStreamBufferSize);
    }
    static void destroy(ByteReader* r) { delete r; }
    static void destroy(ByteWriter* w) { delete w; }
};

namespace {

struct StreamTable {
    std::array<Entry, kStreamTableSize> entries{};
    ByteWriter* stdOut = nullptr;

    StreamTable() {
        entries[0].kind = Kind::Reserved;  // standard input
        entries[2].kind = Kind::Reserved;  // standard error
        stdOut = StreamTableAccess::newWriter(STDOUT_FILENO, true, kStdOutBufferSize);
        entries[1] = {Kind::Writer, stdOut};
    }

    // Callers check hasFree() first.
    void take(Kind kind, void* stream) {
        for (auto& e : entries) {
            if (e.kind == Kind::Free) {
                e = {kind, stream};
                return;
            }
        }
    }

    void release(const void* stream) {
        for (auto& e : entries) {
            if (e.stream == stream) e = Entry{};
        }
    }

    bool hasFree() const {
        for (const auto& e : entries)
            if (e.kind == Kind::Free) return true;
        return false;
    }
};

// Never destroyed: the exit path flushes through it after static destructors
// may already have run.
StreamTable* gTable = nullptr;

StreamTable& streamTable() {
    if (gTable == nullptr) gTable = new StreamTable;
    return *gTable;
}

// Runs with the program's finalisers, after every exit routine, whenever
// they were registered, so bytes those routines write are not lost.
__attribute__((destructor)) void flushAtExit() {
    flushAll();
}

// Parses "r"/"rb"/"rt" style modes: `base` is the required first letter.
// Returns 0 for text, 1 for binary, -1 for a mode we do not open.
int parseMode(std::string_view mode, char base) {
    if (mode.empty() || mode[0] != base) return -1;
    if (mode.size() == 1) return 0;  // the process default is text
    if (mode.size() == 2 && mode[1] == 'b') return 1;
    if (mode.size() == 2 && mode[1] == 't') return 0;
    return -1;
}

// Opened non-blocking so that a FIFO or device never hangs the caller; regular
// files ignore the flag, and it is cleared again once the file is open.
void clearNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

ssize_t readRetry(int fd, std::uint8_t* buf, std::size_t n) {
    for (;;) {
        const ssize_t got = ::read(fd, buf, n);
        if (got >= 0 || errno != EINTR) return got;
    }
}

// A write that blocks (a pipe nobody drains) is cut short by a signal; it
// goes on unless `stop` says the signal asked to stop.
bool writeAll(int fd, const std::uint8_t* data, std::size_t n, int* err,
              const std::atomic<int>* stop) {
    while (n > 0) {
        if (stop != nullptr && stop->load() != 0) {
            *err = EINTR;
            return false;
        }
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

// Enters a new stream of type Stream in the table for the descriptor that
// `openFd` gives; nullptr with errno set when that cannot be done.
template <typename Stream, typename OpenFd>
Stream* openStream(std::string_view mode, char base, Kind kind, OpenFd openFd) {
    const int m = parseMode(mode, base);
    if (m < 0) {
        errno = EINVAL;
        return nullptr;
    }
    StreamTable& table = streamTable();
    if (!table.hasFree()) {
        errno = EMFILE;
        return nullptr;
    }
    const int fd = openFd();
    if (fd < 0) return nullptr;
    Stream* stream = StreamTableAccess::create(static_cast<Stream*>(nullptr), fd, m == 0);
    if (stream == nullptr) {
        ::close(fd);
        errno = ENOMEM;
        return nullptr;
    }
    table.take(kind, stream);
    return stream;
}

// Opens `name` (relative to `dirfd`) for a new stream of type Stream.
template <typename Stream>
Stream* openNamed(int dirfd, const std::string& name, std::string_view mode, char base, int flags,
                  Kind kind) {
    return openStream<Stream>(mode, base, kind, [&] {
        if (name.empty()) {
            errno = ENOENT;
            return -1;
        }
        const int fd = ::openat(dirfd, name.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
        if (fd < 0) return -1;
        struct stat st {};
        if (kind == Kind::Reader && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd);
            errno = EISDIR;
            return -1;
        }
        clearNonBlocking(fd);
        return fd;
    });
}

}  // namespace

// ---------------------------------------------------------------- ByteReader

ByteReader* ByteReader::open(const std::string& name, std::string_view mode) {
    return openNamed<ByteReader>(AT_FDCWD, name, mode, 'r', O_RDONLY, Kind::Reader);
}

int ByteReader::close(ByteReader* reader) {
    if (reader == nullptr) return -1;
    const int rc = ::close(reader->fd_);
    streamTable().release(reader);
    StreamTableAccess::destroy(reader);
    return rc == 0 ? 0 : -1;
}

bool ByteReader::refill() {
    pos_ = count_ = 0;
    if (error_) return false;
    std::uint8_t* const buf = buf_.get();
    for (;;) {
        if (markSeen_) return false;
        const ssize_t got = readRetry(fd_, buf, kStreamBufferSize);
        if (got < 0) {
            error_ = true;
            errno_ = errno;
            return false;
        }
        if (got == 0) {
            if (pendingCr_) noteLoneCr(pendingCrOffset_);
            pendingCr_ = false;
            return false;
        }
        std::size_t n = static_cast<std::size_t>(got);
        const std::uint64_t chunkStart = rawRead_;
        rawRead_ += n;
        chunkOffset_ = chunkStart;
        chunkHadCr_ = false;
        if (text_) {
            if (const void* mark = std::memchr(buf, 0x1A, n)) {
                n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(mark) - buf);
                markSeen_ = true;
                markOffset_ = static_cast<std::int64_t>(chunkStart + n);
            }
            if (pendingCr_) {
                pendingCr_ = false;
                if (n == 0 || buf[0] != 0x0A) noteLoneCr(pendingCrOffset_);
            }
            chunkLength_ = n;
            n = dropCrs(chunkStart, n);
        } else {
            chunkLength_ = n;
        }
        if (n > 0) {
            count_ = n;
            deliveredEnd_ += n;
            return true;
        }
        // Only CRs (or a mark at the start): read on, or end at the mark.
    }
}

std::size_t ByteReader::dropCrs(std::uint64_t chunkStart, std::size_t n) {
    std::uint8_t* const buf = buf_.get();
    const std::uint8_t* const end = buf + n;
    auto* cr = static_cast<std::uint8_t*>(std::memchr(buf, 0x0D, n));
    if (cr == nullptr) return n;
    chunkHadCr_ = true;
    // Close up the chunk over every CR, a run between two CRs at a time.
    // `in` still reads the chunk as it came from the file: `out` never
    // passes it.
    std::uint8_t* out = cr;
    const std::uint8_t* in = cr;
    while (in < end) {
        // *in is a CR.
        const auto at = static_cast<std::int64_t>(chunkStart) + (in - buf);
        if (in + 1 < end) {
            if (in[1] != 0x0A) noteLoneCr(at);
        } else if (markSeen_) {
            noteLoneCr(at);  // followed by the end-of-file mark
        } else {
            pendingCr_ = true;  // the next chunk decides
            pendingCrOffset_ = at;
        }
        ++in;
        const auto* next = static_cast<const std::uint8_t*>(
            std::memchr(in, 0x0D, static_cast<std::size_t>(end - in)));
        if (next == nullptr) next = end;
        const auto run = static_cast<std::size_t>(next - in);
        std::memmove(out, in, run);
        out += run;
        in = next;
    }
    const auto kept = static_cast<std::size_t>(out - buf);
    crDropped_ += n - kept;
    return kept;
}

void ByteReader::noteLoneCr(std::int64_t offset) {
    if (loneCr_++ == 0) firstLoneCr_ = offset;
}

std::int64_t ByteReader::fileOffsetOf(std::uint64_t deliveredIndex) const {
    const std::uint64_t first = deliveredEnd_ - count_;
    if (deliveredIndex < first || deliveredIndex >= deliveredEnd_) return -1;
    const std::size_t wanted = static_cast<std::size_t>(deliveredIndex - first);
    if (!chunkHadCr_) return static_cast<std::int64_t>(chunkOffset_ + wanted);
    // The CRs are gone from the buffer: count through the chunk as stored.
    // Asked at most once per job, so a scratch copy is fine here.
    const std::unique_ptr<std::uint8_t[]> raw(new (std::nothrow) std::uint8_t[chunkLength_ + 1]);
    if (raw == nullptr) return -1;
    const ssize_t got = ::pread(fd_, raw.get(), chunkLength_, static_cast<off_t>(chunkOffset_));
    std::size_t seen = 0;
    for (ssize_t i = 0; i < got; ++i) {
        if (raw[i] == 0x0D) continue;
        if (seen++ == wanted) return static_cast<std::int64_t>(chunkOffset_) + i;
    }
    return -1;
}

// ---------------------------------------------------------------- ByteWriter

ByteWriter* ByteWriter::open(const std::string& name, std::string_view mode) {
    return openAt(AT_FDCWD, name, mode, O_CREAT | O_TRUNC);
}

ByteWriter* ByteWriter::openAt(int dirfd, const std::string& name, std::string_view mode,
                               int flags) {
    return openNamed<ByteWriter>(dirfd, name, mode, 'w', O_WRONLY | flags, Kind::Writer);
}

ByteWriter* ByteWriter::openDescriptor(int fd, std::string_view mode) {
    return openStream<ByteWriter>(mode, 'w', Kind::Writer,
                                  [fd] { return ::fcntl(fd, F_DUPFD_CLOEXEC, 0); });
}

int ByteWriter::close(ByteWriter* writer) {
    if (writer == nullptr) return -1;
    // A writer that lost bytes on an earlier pass closes as a failure too.
    const bool passed = writer->flush() && !writer->failed_;
    const int saved = writer->errno_;
    const int rc = ::close(writer->fd_);
    const int closeErrno = errno;
    streamTable().release(writer);
    StreamTableAccess::destroy(writer);
    if (!passed) {
        errno = saved;
        return -1;
    }
    if (rc != 0) {
        errno = closeErrno;
        return -1;
    }
    return 0;
}

void ByteWriter::discard(ByteWriter* writer) {
    if (writer == nullptr) return;
    struct stat st {};
    if (::fstat(writer->fd_, &st) == 0 && S_ISREG(st.st_mode)) {
        if (::ftruncate(writer->fd_, 0) != 0) {
            // Nothing more can be done; the caller removes the file by name.
        }
    }
    ::close(writer->fd_);
    streamTable().release(writer);
    StreamTableAccess::destroy(writer);
}

int ByteWriter::writeSlow(int value) {
    if (!makeRoom()) return -1;
    const auto b = static_cast<std::uint8_t>(value);
    buf_[count_++] = b;
    return b;
}

bool ByteWriter::makeRoom() {
    // The buffer is full: pass it on before storing more. A writer that
    // already lost a pass stores nothing more once its buffer is full.
    if (failed_) return false;
    return flush();
}

bool ByteWriter::flush() {
    const std::size_t n = count_;
    count_ = 0;  // the buffer is empty afterwards, whether the write worked or not
    if (n == 0) return true;
    const bool ok = text_ ? passText(buf_.get(), n) : writeAll(fd_, buf_.get(), n, &errno_, stop_);
    if (!ok) failed_ = true;
    return ok;
}

bool ByteWriter::passText(const std::uint8_t* in, std::size_t n) {
    // Every LF becomes CR LF. The translated bytes gather in the staging
    // area and reach the file a staging area's worth at a time.
    std::uint8_t* const out = stage_.get();
    const std::uint8_t* const end = in + n;
    std::size_t o = 0;
    while (in < end) {
        const std::size_t room = capacity_ - o;
        if (room < 2) {
            if (!writeAll(fd_, out, o, &errno_, stop_)) return false;
            o = 0;
        } else if (*in == 0x0A) {
            out[o++] = 0x0D;
            out[o++] = 0x0A;
            ++in;
        } else {
            const auto* lf = static_cast<const std::uint8_t*>(
                std::memchr(in, 0x0A, static_cast<std::size_t>(end - in)));
            const auto run = std::min(static_cast<std::size_t>((lf ? lf : end) - in), room);
            std::memcpy(out + o, in, run);
            o += run;
            in += run;
        }
    }
    return o == 0 || writeAll(fd_, out, o, &errno_, stop_);
}

void ByteWriter::writeText(std::string_view text) {
    for (const char c : text) writeByte(static_cast<unsigned char>(c));
}

ByteWriter& stdOut() {
    return *streamTable().stdOut;
}

void flushAll() {
    if (gTable == nullptr) return;  // nothing was ever opened
    for (auto& e : gTable->entries) {
        if (e.kind == Kind::Writer) static_cast<ByteWriter*>(e.stream)->flush();
    }
}

int openStreamCount() {
    int n = 0;
    for (const auto& e : streamTable().entries)
        if (e.kind != Kind::Free) ++n;
    return n;
}

}  // namespace ottomix
