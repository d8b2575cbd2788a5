#include "core/cipher_job.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <span>

#include "core/byte_stream.h"
#include "core/error_text.h"
#include "core/output_file.h"

namespace ottomix {

const char* outputName(Direction direction, Mode mode) {
    if (mode == Mode::Text) return direction == Direction::Encrypt ? "encrypt.txt" : "dencrypt.txt";
    return direction == Direction::Encrypt ? "encrypt.exe" : "decrypt.exe";
}

const char* jobCaption(Direction direction) {
    return direction == Direction::Encrypt ? "File Successfully Encrypted!"
                                           : "File Successfully Decrypted!";
}

const char* jobFailedCaption(Direction direction) {
    return direction == Direction::Encrypt ? "Encryption Failed" : "Decryption Failed";
}

const char* jobCancelledCaption(Direction direction) {
    return direction == Direction::Encrypt ? "Encryption Cancelled" : "Decryption Cancelled";
}

std::string JobResult::describe() const {
    if (reason.empty()) return message;
    return message + ": " + reason;
}

namespace {

// `name` as an absolute path, counting from `directory` or else the
// current directory.
std::string absolute(const std::string& name, std::string dir = {}) {
    if (!name.empty() && name[0] == '/') return name;
    if (dir.empty()) {
        char buf[4096];
        if (::getcwd(buf, sizeof buf) == nullptr) return name;
        dir = buf;
    }
    if (dir.back() != '/') dir += '/';
    return dir + name;
}

JobResult fail(JobStatus status, std::string message, int err) {
    JobResult r;
    r.status = status;
    r.message = std::move(message);
    if (err != 0) r.reason = errorText(err);
    return r;
}

bool stopRequested(const JobRequest& request) {
    return request.stop != nullptr && request.stop->load(std::memory_order_relaxed) != 0;
}

// The same file, unchanged as far as its inode tells.
bool sameState(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

struct Shift {
    bool text;
    bool encrypt;
    unsigned phase = 0;  // text mode: 0 if the next key offset is 2, 1 if it is 3
};

// Writes the shifted values of n bytes and advances the key offset. Returns
// how many written values are 0x0D / 0x1A (text mode only). Plain loops over
// whole blocks, which the compiler turns into vector code.
std::uint64_t transformChunk(Shift& shift, const std::uint8_t* in, std::uint8_t* out,
                             std::size_t n) {
    if (!shift.text) {
        const std::uint8_t d = shift.encrypt ? 1 : 0xFF;
        for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(in[i] + d);
        return 0;
    }
    // Offsets 2, 3 as 8-bit additions: -2 = 0xFE, -3 = 0xFD. d0 goes to the
    // even bytes of this chunk, d1 to the odd ones.
    const std::uint8_t two = shift.encrypt ? 0xFE : 2;
    const std::uint8_t three = shift.encrypt ? 0xFD : 3;
    const std::uint8_t d0 = shift.phase == 0 ? two : three;
    const std::uint8_t d1 = shift.phase == 0 ? three : two;
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<std::uint8_t>(in[i] + ((i & 1) != 0 ? d1 : d0));
    shift.phase ^= static_cast<unsigned>(n & 1u);
    std::uint64_t unsafe = 0;
    // Counted in pieces whose sums fit 32 bits: still one vector loop.
    for (std::size_t at = 0; at < n;) {
        const std::size_t stop = std::min(n, at + (std::size_t{1} << 24));
        std::uint32_t count = 0;
        for (std::size_t i = at; i < stop; ++i) count += (out[i] == 0x0D) | (out[i] == 0x1A);
        unsafe += count;
        at = stop;
    }
    return unsafe;
}

void writeAllTo(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t put = ::write(fd, text.data(), text.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(put));
    }
}

bool isUnsafe(std::uint8_t v) {
    return v == 0x0D || v == 0x1A;
}

}  // namespace

JobResult runCipherJob(const JobRequest& request, JobProgress& progress,
                       std::int64_t& progressTotal) {
    const bool text = request.mode == Mode::Text;
    const bool encrypt = request.direction == Direction::Encrypt;
    const char* inMode = text ? "r" : "rb";
    const char* outMode = text ? "w" : "wb";
    const std::string& input = request.input;
    const std::string output =
        request.output.empty() ? outputName(request.direction, request.mode) : request.output;
    bool streamed = false;
    const auto stopped = [&](std::uint64_t bytes) {
        JobResult r;
        r.status = JobStatus::Stopped;
        r.streamed = streamed;
        r.stoppedBy = request.stop->load();
        r.bytes = bytes;
        progress.cancelled(jobCancelledCaption(request.direction));
        return r;
    };
    const auto failed = [&](JobResult r) {
        progress.failed(jobFailedCaption(request.direction), r.describe());
        return r;
    };

    progress.reset();
    if (input.empty()) return fail(JobStatus::NothingSelected, "", 0);

    // How messages name the input.
    const std::string& shown = request.inputName.empty() ? input : request.inputName;
    const std::string openMsg = "Cannot open file " + shown;
    struct stat inSt {};
    if (::stat(input.c_str(), &inSt) != 0) return fail(JobStatus::CannotOpenInput, openMsg, errno);
    if (S_ISDIR(inSt.st_mode)) return fail(JobStatus::CannotOpenInput, openMsg, EISDIR);
    if (!S_ISREG(inSt.st_mode)) {
        JobResult r = fail(JobStatus::NotRegularFile, openMsg, 0);
        r.reason = "not a regular file (a device, pipe or socket)";
        return r;
    }
    // Fixed now, so nothing that changes the current directory during the
    // job can move the output.
    const std::string outputPath =
        request.outputFd >= 0 ? output : absolute(output, request.directory);
    // A job never reads the file it replaces (also through a link): that is
    // a slip of the user's, never a wish.
    struct stat outSt {};
    const int outFound = request.outputFd >= 0 ? ::fstat(request.outputFd, &outSt)
                                               : ::stat(outputPath.c_str(), &outSt);
    if (outFound == 0 && outSt.st_dev == inSt.st_dev && outSt.st_ino == inSt.st_ino) {
        JobResult r = fail(JobStatus::InputIsOutput, "Cannot use file " + shown + " as input", 0);
        r.reason = "it is this job's own output file " + outputPath;
        return r;
    }

    // Counting pass.
    ByteReader* reader = ByteReader::open(input, inMode);
    if (reader == nullptr) return fail(JobStatus::CannotOpenInput, openMsg, errno);
    std::uint64_t counted = 0;
    for (;;) {
        if (stopRequested(request)) {
            ByteReader::close(reader);
            return stopped(0);
        }
        const std::size_t n = reader->readBlock().size();
        if (n == 0) break;
        counted += n;
    }
    JobResult result;
    if (reader->failed()) {
        result = fail(JobStatus::ReadError, "Cannot read file " + shown, reader->errorCode());
        ByteReader::close(reader);
        return result;
    }
    const std::uint64_t countedRaw = reader->rawBytes();
    result.crDropped = reader->crDropped();
    result.loneCrDropped = reader->loneCrDropped();
    result.firstLoneCrPosition = reader->firstLoneCrOffset();
    result.markPosition = reader->markOffset();
    if (reader->markOffset() >= 0) {
        struct stat now {};
        if (::fstat(reader->fd(), &now) == 0 && now.st_size > reader->markOffset())
            result.bytesAfterMark = static_cast<std::uint64_t>(now.st_size - reader->markOffset());
    }
    ByteReader::close(reader);
    // One more than the bytes counted: the progress bar's maximum.
    progressTotal = static_cast<std::int64_t>(counted) + 1;

    progress.started(jobCaption(request.direction), progressTotal);

    // Transform pass: the output is opened first, the input second.
    OutputFile out;
    const int openErr = request.outputFd >= 0
                            ? out.openDescriptor(request.outputFd, outMode)
                            : out.open(outputPath, !request.output.empty(), outMode);
    if (const int err = openErr) {
        JobResult r =
            fail(JobStatus::CannotCreateOutput,
                 out.failure().empty() ? "Cannot create file " + outputPath : out.failure(), err);
        if (!out.failureReason().empty()) r.reason = out.failureReason();
        return failed(r);
    }
    ByteWriter* writer = out.writer();
    writer->setStop(request.stop);
    streamed = result.streamed = !out.atomic();
    reader = ByteReader::open(input, inMode);
    if (reader == nullptr) return failed(fail(JobStatus::InputVanished, openMsg, errno));

    Shift shift{text, encrypt};
    std::uint64_t bytes = 0;
    bool writeFailed = false;
    const auto noteUnsafe = [&](std::uint64_t index) {
        if (result.firstUnsafeOffset >= 0) return;
        result.firstUnsafeOffset = static_cast<std::int64_t>(index);
        result.firstUnsafePosition = reader->fileOffsetOf(index);
    };
    while (!writeFailed && !stopRequested(request)) {
        std::span<const std::uint8_t> block = reader->readBlock();
        if (block.empty()) break;
        while (!block.empty()) {
            const std::span<std::uint8_t> room = writer->room();
            if (room.empty()) {
                writeFailed = true;
                break;
            }
            const std::size_t n = std::min(block.size(), room.size());
            const std::uint64_t unsafe = transformChunk(shift, block.data(), room.data(), n);
            if (unsafe > 0 && result.firstUnsafeOffset < 0) {
                const auto first = std::find_if(room.begin(), room.begin() + n, isUnsafe);
                noteUnsafe(bytes + static_cast<std::uint64_t>(first - room.begin()));
            }
            result.unsafeValues += unsafe;
            writer->commit(n);
            block = block.subspan(n);
            bytes += n;
        }
        if (!writeFailed) progress.progressed(bytes);
    }
    result.bytes = bytes;

    // An input that changed under the job gives an output that matches no
    // state of it. Text Mode compares the raw bytes taken from the file, so
    // the text rules cannot hide a change.
    struct stat endSt {};
    const bool changed = !writeFailed && !reader->failed() &&
                         (bytes != counted || reader->rawBytes() != countedRaw ||
                          ::fstat(reader->fd(), &endSt) != 0 || !sameState(inSt, endSt));
    const bool readFailed = reader->failed();
    const int readErrno = reader->errorCode();
    ByteReader::close(reader);

    if (stopRequested(request)) {
        out.abandon();
        return stopped(bytes);
    }
    if (writeFailed || readFailed) {
        JobResult r = writeFailed
                          ? fail(JobStatus::WriteError, "Cannot write file " + outputPath,
                                 writer->errorCode())
                          : fail(JobStatus::ReadError, "Cannot read file " + shown, readErrno);
        r.bytes = bytes;
        out.abandon();
        return failed(r);
    }
    if (changed) {
        JobResult r =
            fail(JobStatus::InputChanged, "File " + shown + " changed while it was being read", 0);
        r.bytes = bytes;
        out.abandon();
        return failed(r);
    }
    if (const int err = out.commit(request.stop)) {
        if (err == ECANCELED || stopRequested(request)) return stopped(bytes);
        JobResult r = fail(JobStatus::WriteError, "Cannot write file " + outputPath, err);
        r.bytes = bytes;
        return failed(r);
    }
    // Only a finished output is announced as converted.
    if (text && !encrypt) {
        const std::string lines = "File " + shown + " text has been converted\n" +
                                  "Output is stored in file " + output + "\n";
        if (request.outputFd == STDOUT_FILENO) {
            // Standard output carries the output itself: the lines would
            // end up inside it.
            writeAllTo(STDERR_FILENO, lines);
        } else {
            stdOut().writeText(lines);
        }
    }
    progress.finished();
    return result;
}

}  // namespace ottomix
