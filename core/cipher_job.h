// The two-pass cipher job: count the input, then write a byte-shifted copy.
//
// Format: the input's bytes, each shifted, no header. Binary Mode adds 1
// (Encrypt) or subtracts 1 (Decrypt) mod 256. Text Mode reads and writes
// through text streams and subtracts (Encrypt) or adds (Decrypt) a key
// offset that runs 2, 3, 2, 3, ... from the first byte of every job.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "core/job_progress.h"

namespace ottomix {

enum class Direction { Encrypt, Decrypt };
enum class Mode { Text, Binary };

// "encrypt.txt", "dencrypt.txt", "encrypt.exe" or "decrypt.exe".
const char* outputName(Direction direction, Mode mode);
// "File Successfully Encrypted!" or "File Successfully Decrypted!".
const char* jobCaption(Direction direction);
// "Encryption Failed" or "Decryption Failed".
const char* jobFailedCaption(Direction direction);
// "Encryption Cancelled" or "Decryption Cancelled".
const char* jobCancelledCaption(Direction direction);

// A stop flag: 0 while the job may go on. It is set from another thread
// (the window's Cancel) or from a signal handler, which stores the signal's
// number; the user's Cancel stores kStopCancelled.
using StopFlag = std::atomic<int>;
static_assert(StopFlag::is_always_lock_free, "a signal handler sets it");
inline constexpr int kStopCancelled = -1;

enum class JobStatus {
    Done,
    NothingSelected,     // empty input name: the job stays silent
    CannotOpenInput,     // missing, a directory, no access
    NotRegularFile,      // a FIFO, socket or device
    InputIsOutput,       // the input is the file the job would write
    CannotCreateOutput,  // the output could not be created or emptied
    InputVanished,       // the input could not be opened for the second pass
    ReadError,           // a read failed in either pass
    WriteError,          // a write or the final close failed (full disk)
    InputChanged,        // the input changed while the job read it
    Stopped,             // cancelled by the user or ended by a signal
};

struct JobResult {
    JobStatus status = JobStatus::Done;
    // For a failure: the message ("Cannot open file %s", ...) and the
    // system's reason (strerror text, or empty).
    std::string message;
    std::string reason;
    std::uint64_t bytes = 0;  // bytes the reader delivered in the transform pass
    // For Stopped: the stop flag's value, a signal number or kStopCancelled.
    int stoppedBy = 0;
    // The output went straight into a stream (a pipe, standard output), so
    // a job that did not finish may have left part of it there.
    bool streamed = false;

    // Text Mode losses, so the program can warn.
    std::uint64_t crDropped = 0;          // CR bytes the text reader left out
    std::uint64_t loneCrDropped = 0;      // of those, CRs not part of a CR LF
    std::uint64_t bytesAfterMark = 0;     // bytes from the first Ctrl-Z on
    std::uint64_t unsafeValues = 0;       // written 0x0D / 0x1A values
    std::int64_t firstUnsafeOffset = -1;  // byte index of the first of them
    // Where in the input file (offsets from 0) the first lone CR, the
    // end-of-file mark and the byte behind the first unsafe value stand; -1
    // when there is none.
    std::int64_t firstLoneCrPosition = -1;
    std::int64_t markPosition = -1;
    std::int64_t firstUnsafePosition = -1;

    bool ok() const { return status == JobStatus::Done; }
    bool silent() const { return status == JobStatus::NothingSelected; }
    // "message: reason", or the message alone.
    std::string describe() const;
    // CR LF line ends come back from Decrypt as CR LF, so only lone CRs count.
    bool lossy() const { return loneCrDropped + bytesAfterMark + unsafeValues > 0; }
};

struct JobRequest {
    Direction direction = Direction::Encrypt;
    Mode mode = Mode::Text;
    std::string input;   // full path; empty when nothing is selected
    std::string output;  // empty: the fixed name in `directory`
    // How messages name the input, when not by `input` (standard input).
    std::string inputName = {};
    // When not -1, the output goes into this open descriptor (standard
    // output) as it is, and `output` only names it in messages.
    int outputFd = -1;
    // Where the fixed output name lands: empty for the current directory.
    // A window fixes it when the job starts, so nothing done while the job
    // runs can move the output.
    std::string directory = {};
    // Set to non-zero to stop the job: it looks at the flag once per block
    // of either pass.
    const StopFlag* stop = nullptr;
};

// Runs the whole job synchronously, on whichever thread calls it; one job
// at a time. `progressTotal` receives the bytes the counting pass counted
// + 1, the progress bar's maximum (it keeps its value when the input cannot
// be opened).
//
// The output never loses data: it is written beside its name and put in
// place only when complete (see core/output_file.h). A job that fails, is
// stopped, or finds its input changed leaves an earlier output as it was.
JobResult runCipherJob(const JobRequest& request, JobProgress& progress,
                       std::int64_t& progressTotal);

}  // namespace ottomix
