#include "core/cipher_job.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <span>

#include "core/byte_stream.h"
#include "core/output_file.h"

namespace ottomix {

const char* OutputName(Direction direction, Mode mode) {
    if (mode == Mode::Text) return direction == Direction::Encrypt ? "encrypt.txt" : "dencrypt.txt";
    return direction == Direction::Encrypt ? "encrypt.exe" : "decrypt.exe";
}

const char* JobCaption(Direction direction) {
    return direction == Direction::Encrypt ? "File Successfully Encrypted!"
                                           : "File Successfully Decrypted!";
}

const char* JobFailedCaption(Direction direction) {
    return direction == Direction::Encrypt ? "Encryption Failed" : "Decryption Failed";
}

const char* JobCancelledCaption(Direction direction) {
    return direction == Direction::Encrypt ? "Encryption Cancelled" : "Decryption Cancelled";
}

std::string JobResult::Describe() const {
    if (reason.empty()) return message;
    return message + ": " + reason;
}

namespace {

// `name` as an absolute path, counting from `directory` or else the
// current directory.
std::string Absolute(const std::string& name, std::string dir = {}) {
    if (!name.empty() && name[0] == '/') return name;
    if (dir.empty()) {
        char buf[4096];
        if (::getcwd(buf, sizeof buf) == nullptr) return name;
        dir = buf;
    }
    if (dir.back() != '/') dir += '/';
    return dir + name;
}

JobResult Fail(JobStatus status, std::string message, int err) {
    JobResult r;
    r.status = status;
    r.message = std::move(message);
    if (err != 0) r.reason = std::strerror(err);
    return r;
}

bool StopRequested(const JobRequest& request) {
    return request.stop != nullptr && request.stop->load(std::memory_order_relaxed) != 0;
}

// The same file, unchanged as far as its inode tells.
bool SameState(const struct stat& a, const struct stat& b) {
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
std::uint64_t TransformChunk(Shift& shift, const std::uint8_t* in, std::uint8_t* out,
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

void WriteAllTo(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t put = ::write(fd, text.data(), text.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(put));
    }
}

bool IsUnsafe(std::uint8_t v) {
    return v == 0x0D || v == 0x1A;
}

}  // namespace

JobResult RunCipherJob(const JobRequest& request, JobProgress& progress, double& file_size) {
    const bool text = request.mode == Mode::Text;
    const bool encrypt = request.direction == Direction::Encrypt;
    const char* in_mode = text ? "r" : "rb";
    const char* out_mode = text ? "w" : "wb";
    const std::string& input = request.input;
    const std::string output =
        request.output.empty() ? OutputName(request.direction, request.mode) : request.output;
    bool streamed = false;
    const auto stopped = [&](std::uint64_t bytes) {
        JobResult r;
        r.status = JobStatus::Stopped;
        r.streamed = streamed;
        r.stopped_by = request.stop->load();
        r.bytes = bytes;
        progress.Cancelled(JobCancelledCaption(request.direction));
        return r;
    };
    const auto failed = [&](JobResult r) {
        progress.Failed(JobFailedCaption(request.direction), r.Describe());
        return r;
    };

    progress.Reset();
    if (input.empty()) return Fail(JobStatus::NothingSelected, "", 0);

    // How messages name the input.
    const std::string& shown = request.input_name.empty() ? input : request.input_name;
    const std::string open_msg = "Cannot open file " + shown;
    struct stat in_st {};
    if (::stat(input.c_str(), &in_st) != 0)
        return Fail(JobStatus::CannotOpenInput, open_msg, errno);
    if (S_ISDIR(in_st.st_mode)) return Fail(JobStatus::CannotOpenInput, open_msg, EISDIR);
    if (!S_ISREG(in_st.st_mode)) {
        JobResult r = Fail(JobStatus::NotRegularFile, open_msg, 0);
        r.reason = "not a regular file (a device, pipe or socket)";
        return r;
    }
    // Fixed now, so nothing that changes the current directory during the
    // job can move the output.
    const std::string output_path =
        request.output_fd >= 0 ? output : Absolute(output, request.directory);
    // A job never reads the file it replaces (also through a link): that is
    // a slip of the user's, never a wish.
    struct stat out_st {};
    const int out_found = request.output_fd >= 0 ? ::fstat(request.output_fd, &out_st)
                                                 : ::stat(output_path.c_str(), &out_st);
    if (out_found == 0 && out_st.st_dev == in_st.st_dev &&
        out_st.st_ino == in_st.st_ino) {
        JobResult r = Fail(JobStatus::InputIsOutput, "Cannot use file " + shown + " as input", 0);
        r.reason = "it is this job's own output file " + output_path;
        return r;
    }

    // Counting pass.
    ByteReader* reader = ByteReader::Open(input, in_mode);
    if (reader == nullptr) return Fail(JobStatus::CannotOpenInput, open_msg, errno);
    std::uint64_t counted = 0;
    for (;;) {
        if (StopRequested(request)) {
            ByteReader::Close(reader);
            return stopped(0);
        }
        const std::size_t n = reader->ReadBlock().size();
        if (n == 0) break;
        counted += n;
    }
    JobResult result;
    if (reader->failed()) {
        result = Fail(JobStatus::ReadError, "Cannot read file " + shown, reader->error_code());
        ByteReader::Close(reader);
        return result;
    }
    const std::uint64_t counted_raw = reader->raw_bytes();
    result.cr_dropped = reader->cr_dropped();
    result.lone_cr_dropped = reader->lone_cr_dropped();
    result.first_lone_cr_position = reader->first_lone_cr_offset();
    result.mark_position = reader->mark_offset();
    if (reader->mark_offset() >= 0) {
        struct stat now {};
        if (::fstat(reader->fd(), &now) == 0 && now.st_size > reader->mark_offset())
            result.bytes_after_mark =
                static_cast<std::uint64_t>(now.st_size - reader->mark_offset());
    }
    ByteReader::Close(reader);
    // Byte count + 1, as a double: exact up to 2^53 bytes.
    file_size = 1.0 + static_cast<double>(counted);

    progress.Started(JobCaption(request.direction), static_cast<std::int64_t>(file_size));

    // Transform pass: the output is opened first, the input second.
    OutputFile out;
    const int open_err = request.output_fd >= 0
                             ? out.OpenDescriptor(request.output_fd, out_mode)
                             : out.Open(output_path, !request.output.empty(), out_mode);
    if (const int err = open_err) {
        JobResult r = Fail(JobStatus::CannotCreateOutput,
                           out.failure().empty() ? "Cannot create file " + output_path
                                                 : out.failure(),
                           err);
        if (!out.failure_reason().empty()) r.reason = out.failure_reason();
        return failed(r);
    }
    ByteWriter* writer = out.writer();
    writer->set_stop(request.stop);
    streamed = result.streamed = !out.atomic();
    reader = ByteReader::Open(input, in_mode);
    if (reader == nullptr) return failed(Fail(JobStatus::InputVanished, open_msg, errno));

    Shift shift{text, encrypt};
    std::uint64_t bytes = 0;
    bool write_failed = false;
    const auto note_unsafe = [&](std::uint64_t index) {
        if (result.first_unsafe_offset >= 0) return;
        result.first_unsafe_offset = static_cast<std::int64_t>(index);
        result.first_unsafe_position = reader->FileOffsetOf(index);
    };
    while (!write_failed && !StopRequested(request)) {
        std::span<const std::uint8_t> block = reader->ReadBlock();
        if (block.empty()) break;
        while (!block.empty()) {
            const std::span<std::uint8_t> room = writer->Room();
            if (room.empty()) {
                write_failed = true;
                break;
            }
            const std::size_t n = std::min(block.size(), room.size());
            const std::uint64_t unsafe = TransformChunk(shift, block.data(), room.data(), n);
            if (unsafe > 0 && result.first_unsafe_offset < 0) {
                const auto first = std::find_if(room.begin(), room.begin() + n, IsUnsafe);
                note_unsafe(bytes + static_cast<std::uint64_t>(first - room.begin()));
            }
            result.unsafe_values += unsafe;
            writer->Commit(n);
            block = block.subspan(n);
            bytes += n;
        }
        if (!write_failed) progress.Progressed(bytes);
    }
    result.bytes = bytes;

    // An input that changed under the job gives an output that matches no
    // state of it. Text Mode compares the raw bytes taken from the file, so
    // the text rules cannot hide a change.
    struct stat end_st {};
    const bool changed = !write_failed && !reader->failed() &&
                         (bytes != counted || reader->raw_bytes() != counted_raw ||
                          ::fstat(reader->fd(), &end_st) != 0 || !SameState(in_st, end_st));
    const bool read_failed = reader->failed();
    const int read_errno = reader->error_code();
    ByteReader::Close(reader);

    if (StopRequested(request)) {
        out.Abandon();
        return stopped(bytes);
    }
    if (write_failed || read_failed) {
        JobResult r = write_failed
                          ? Fail(JobStatus::WriteError, "Cannot write file " + output_path,
                                 writer->error_code())
                          : Fail(JobStatus::ReadError, "Cannot read file " + shown, read_errno);
        r.bytes = bytes;
        out.Abandon();
        return failed(r);
    }
    if (changed) {
        JobResult r =
            Fail(JobStatus::InputChanged, "File " + shown + " changed while it was being read", 0);
        r.bytes = bytes;
        out.Abandon();
        return failed(r);
    }
    if (const int err = out.Commit(request.stop)) {
        if (err == ECANCELED || StopRequested(request)) return stopped(bytes);
        JobResult r = Fail(JobStatus::WriteError, "Cannot write file " + output_path, err);
        r.bytes = bytes;
        return failed(r);
    }
    // Only a finished output is announced as converted.
    if (text && !encrypt) {
        const std::string lines = "File " + shown + " text has been converted\n" +
                                  "Output is stored in file " + output + "\n";
        if (request.output_fd == STDOUT_FILENO) {
            // Standard output carries the output itself: the lines would
            // end up inside it.
            WriteAllTo(STDERR_FILENO, lines);
        } else {
            StdOut().WriteText(lines);
        }
    }
    progress.Finished();
    return result;
}

}  // namespace ottomix
