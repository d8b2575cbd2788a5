#include "core/cipher_job.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <random>

#include "core/byte_stream.h"
#include "tests/core/rules_model.h"
#include "tests/core/test_support.h"

namespace ottomix {
namespace {

using test::Bytes;
using test::toBytes;
using test::writeFile;

constexpr std::size_t kB = kStreamBufferSize;

// Records the notifications, and checks that progress comes only during
// the transform pass and only grows.
class Recorder : public JobProgress {
  public:
    std::vector<std::string> events;
    std::vector<std::uint64_t> progress;  // what progressed() said, in order
    std::function<void()> onStarted;
    std::function<void(std::uint64_t)> onProgress;
    std::string failedCaption;

    std::uint64_t done() const { return progress.empty() ? 0 : progress.back(); }

    void reset() override { events.push_back("Reset"); }
    void started(const std::string& caption, std::int64_t total) override {
        events.push_back("Started " + caption + " " + std::to_string(total));
        if (onStarted) onStarted();
    }
    void progressed(std::uint64_t done) override {
        EXPECT_EQ(events.size(), 2u) << "progress outside the transform pass";
        EXPECT_GT(done, this->done()) << "progress must grow";
        progress.push_back(done);
        if (onProgress) onProgress(done);
    }
    void finished() override { events.push_back("Finished " + std::to_string(done())); }
    void failed(const std::string& caption, const std::string& message) override {
        events.push_back("Failed " + message);
        failedCaption = caption;
    }
    void cancelled(const std::string& caption) override {
        events.push_back("Cancelled " + caption);
    }
};

JobResult job(Direction d, Mode m, const std::string& input, JobProgress& p,
              const std::string& output = "") {
    std::int64_t progressTotal = -5;
    return runCipherJob({d, m, input, output}, p, progressTotal);
}

std::string started(Direction d, std::int64_t total) {
    return "Started " + std::string(jobCaption(d)) + " " + std::to_string(total);
}

constexpr Direction kEnc = Direction::Encrypt;
constexpr Direction kDec = Direction::Decrypt;

TEST(CipherJob, KnownValues) {
    test::TempDir dir;
    const struct {
        Mode mode;
        Direction dir;
        std::string in, out;
    } cases[] = {
        {Mode::Text, kEnc, "ABC", "\x3f\x3f\x41"},
        {Mode::Text, kDec, "\x3f\x3f\x41", "ABC"},
        {Mode::Text, kEnc, "\xff\xff", "\xfd\xfc"},
        {Mode::Text, kEnc, "\x01", "\xff"},
        {Mode::Text, kDec, "\xff", "\x01"},
        {Mode::Text, kEnc, "a\n", "\x5f\x07"},
        {Mode::Text, kEnc, "\x0c", "\r\n"},  // 0x0A written, stored as CR LF
        {Mode::Text, kEnc, "A\r\nB\x1aXY", "\x3f\x07\x40"},
        {Mode::Text, kDec, "\r\n", "\x0c"},
        {Mode::Binary, kEnc, std::string("\x00\x7f\xff", 3), std::string("\x01\x80\x00", 3)},
        {Mode::Binary, kDec, std::string("\x00\x0d\x1a", 3), "\xff\x0c\x19"},
        {Mode::Binary, kEnc, "", ""},
    };
    test::CapturedStdout quietStdout;
    for (const auto& c : cases) {
        writeFile("in", toBytes(c.in));
        NullProgress quiet;
        const JobResult r = job(c.dir, c.mode, dir / "in", quiet);
        EXPECT_TRUE(r.ok()) << r.describe();
        EXPECT_EQ(test::readFile(outputName(c.dir, c.mode)), toBytes(c.out)) << "input " << c.in;
    }
}

TEST(CipherJob, NotificationsComeInOrderWithProgressPerBlock) {
    test::TempDir dir;
    const Bytes raw = toBytes(std::string(kB + 700, 'x') + "\r\n" + std::string(kB + 900, 'y'));
    writeFile("in", raw);
    for (const Mode m : {Mode::Text, Mode::Binary}) {
        for (const Direction d : {kEnc, kDec}) {
            Recorder rec;
            std::int64_t progressTotal = 0;
            const JobResult r = runCipherJob({d, m, dir / "in", ""}, rec, progressTotal);
            const std::uint64_t n = m == Mode::Text ? raw.size() - 1 : raw.size();
            EXPECT_TRUE(r.ok());
            EXPECT_EQ(r.bytes, n);
            EXPECT_EQ(progressTotal, static_cast<std::int64_t>(n + 1));
            EXPECT_EQ(rec.progress.size(), 3u) << "once per block";
            EXPECT_EQ(rec.events, (std::vector<std::string>{
                                      "Reset", started(d, static_cast<std::int64_t>(n + 1)),
                                      "Finished " + std::to_string(n)}));
        }
    }
    // An empty input: total 1, no step, an empty output.
    writeFile("empty", {});
    Recorder rec;
    EXPECT_TRUE(job(kEnc, Mode::Text, dir / "empty", rec).ok());
    EXPECT_EQ(rec.events, (std::vector<std::string>{"Reset", started(kEnc, 1), "Finished 0"}));
    EXPECT_TRUE(test::exists("encrypt.txt"));
    EXPECT_TRUE(test::readFile("encrypt.txt").empty());
}

TEST(CipherJob, OutputNamesAndRepeatedJobs) {
    test::TempDir dir;
    EXPECT_STREQ(outputName(kEnc, Mode::Text), "encrypt.txt");
    EXPECT_STREQ(outputName(kDec, Mode::Text), "dencrypt.txt");
    EXPECT_STREQ(outputName(kEnc, Mode::Binary), "encrypt.exe");
    EXPECT_STREQ(outputName(kDec, Mode::Binary), "decrypt.exe");
    EXPECT_STREQ(jobCaption(kEnc), "File Successfully Encrypted!");
    EXPECT_STREQ(jobCaption(kDec), "File Successfully Decrypted!");

    ASSERT_EQ(::mkdir("src", 0755), 0);
    writeFile("src/in", toBytes("ABCD"));
    NullProgress quiet;
    ASSERT_TRUE(job(kEnc, Mode::Text, dir / "src/in", quiet).ok());
    const Bytes first = test::readFile("encrypt.txt");
    EXPECT_EQ(first, Bytes({0x3F, 0x3F, 0x41, 0x41})) << "lands in the current directory";
    ASSERT_TRUE(job(kEnc, Mode::Text, "src/in", quiet).ok());
    EXPECT_EQ(test::readFile("encrypt.txt"), first) << "the key restarts at 2 for every job";
    writeFile("src/in", toBytes("Z"));
    ASSERT_TRUE(job(kEnc, Mode::Text, dir / "src/in", quiet).ok());
    EXPECT_EQ(test::readFile("encrypt.txt"), Bytes({'X'})) << "a new job replaces the output";
    ASSERT_TRUE(job(kDec, Mode::Binary, dir / "src/in", quiet, "chosen.bin").ok());
    EXPECT_EQ(test::readFile("chosen.bin"), Bytes({'Y'}));
    EXPECT_FALSE(test::exists("decrypt.exe"));
}

// Failures found before anything is written: only reset() is heard, no
// output appears or changes, file_size keeps its value.
TEST(CipherJob, RefusesInputsItCannotOrMustNotRead) {
    test::TempDir dir;
    ASSERT_EQ(::mkdir("folder", 0755), 0);
    ASSERT_EQ(::mkfifo("fifo", 0644), 0);
    writeFile("encrypt.txt", toBytes("previous output"));
    ASSERT_EQ(::symlink("encrypt.txt", "soft"), 0);
    ASSERT_EQ(::link("encrypt.txt", "hard"), 0);
    writeFile("plain", toBytes("data"));
    ASSERT_EQ(::symlink(std::string(dir / "plain").c_str(), "encrypt.exe"), 0);

    const struct {
        std::string input;
        Mode mode;
        JobStatus status;
        std::string message;
        std::string output = "";
    } cases[] = {
        {"", Mode::Text, JobStatus::NothingSelected, ""},
        {dir / "gone", Mode::Text, JobStatus::CannotOpenInput,
         "Cannot open file " + (dir / "gone") + ": " + std::strerror(ENOENT)},
        {dir / "folder", Mode::Binary, JobStatus::CannotOpenInput,
         "Cannot open file " + (dir / "folder") + ": " + std::strerror(EISDIR)},
        {dir / "fifo", Mode::Text, JobStatus::NotRegularFile, "Cannot open file " + (dir / "fifo")},
        {"/dev/zero", Mode::Binary, JobStatus::NotRegularFile, "Cannot open file /dev/zero"},
        {"/proc/self/mem", Mode::Binary, JobStatus::ReadError,
         std::string("Cannot read file /proc/self/mem: ") + std::strerror(EIO)},
        {dir / "encrypt.txt", Mode::Text, JobStatus::InputIsOutput, "Cannot use file"},
        {"encrypt.txt", Mode::Text, JobStatus::InputIsOutput, "Cannot use file"},
        {dir / "soft", Mode::Text, JobStatus::InputIsOutput, "Cannot use file"},
        {dir / "hard", Mode::Text, JobStatus::InputIsOutput, "Cannot use file"},
        {dir / "plain", Mode::Binary, JobStatus::InputIsOutput, "Cannot use file"},
        {dir / "plain", Mode::Text, JobStatus::InputIsOutput, "Cannot use file", "plain"},
    };
    for (const auto& c : cases) {
        Recorder rec;
        std::int64_t progressTotal = 42;
        const JobResult r = runCipherJob({kEnc, c.mode, c.input, c.output}, rec, progressTotal);
        EXPECT_EQ(r.status, c.status) << c.input;
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.silent(), c.input.empty());
        EXPECT_EQ(r.describe().rfind(c.message, 0), 0u) << r.describe();
        EXPECT_EQ(r.reason.empty(), c.input.empty()) << "reason for " << c.input;
        EXPECT_EQ(rec.events, std::vector<std::string>{"Reset"}) << c.input;
        EXPECT_EQ(progressTotal, 42);
        EXPECT_EQ(test::readFile("encrypt.txt"), toBytes("previous output")) << c.input;
        EXPECT_EQ(test::readFile("plain"), toBytes("data")) << c.input;
        EXPECT_FALSE(test::exists("decrypt.exe") || test::exists("dencrypt.txt"));
    }
}

// Failures of the transform pass: failed(message) instead of finished(), and
// no output that looks complete is left behind.
TEST(CipherJob, TransformPassFailuresAreReportedAndLeaveNoOutput) {
    test::TempDir dir;
    writeFile("in", toBytes("some text\r\n"));
    const auto expectFailed = [&](const JobResult& r, const Recorder& rec, JobStatus status,
                                  const std::string& message) {
        EXPECT_EQ(r.status, status) << r.describe();
        EXPECT_EQ(r.describe().rfind(message, 0), 0u) << r.describe();
        ASSERT_EQ(rec.events.size(), 3u);
        EXPECT_EQ(rec.events[0], "Reset");
        EXPECT_EQ(rec.events[2], "Failed " + r.describe());
    };

    {  // The output name is taken by a directory.
        ASSERT_EQ(::mkdir("encrypt.exe", 0755), 0);
        Recorder rec;
        const JobResult r = job(kEnc, Mode::Binary, dir / "in", rec);
        expectFailed(r, rec, JobStatus::CannotCreateOutput,
                     "Cannot create file " + (dir / "encrypt.exe"));
        EXPECT_EQ(r.reason, std::strerror(EISDIR));
        ASSERT_EQ(::rmdir("encrypt.exe"), 0);
    }
    {  // A FIFO nobody reads, named as the output: fail, never hang.
        ASSERT_EQ(::mkfifo("fifo", 0644), 0);
        Recorder rec;
        const JobResult r = job(kEnc, Mode::Binary, dir / "in", rec, "fifo");
        expectFailed(r, rec, JobStatus::CannotCreateOutput, "Cannot create file " + (dir / "fifo"));
        // At the fixed name it is replaced like a planted link, never opened.
        ASSERT_EQ(::rename("fifo", "encrypt.exe"), 0);
        NullProgress quiet;
        ASSERT_TRUE(job(kEnc, Mode::Binary, dir / "in", quiet).ok());
        struct stat st {};
        ASSERT_EQ(::lstat("encrypt.exe", &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        ASSERT_EQ(::unlink("encrypt.exe"), 0);
    }
    {  // The input vanishes between the two passes.
        Recorder rec;
        rec.onStarted = [&] { ::unlink((dir / "in").c_str()); };
        const JobResult r = job(kEnc, Mode::Text, dir / "in", rec);
        expectFailed(r, rec, JobStatus::InputVanished,
                     "Cannot open file " + (dir / "in") + ": " + std::strerror(ENOENT));
        EXPECT_FALSE(test::exists("encrypt.txt"));
    }
    {  // The input turns unreadable between the two passes: an older output
       // stays as it was.
        writeFile("encrypt.txt", toBytes("previous output"));
        writeFile("in", toBytes("x"));
        Recorder rec;
        rec.onStarted = [&] {
            ::unlink((dir / "in").c_str());
            ASSERT_EQ(::symlink("/proc/self/mem", (dir / "in").c_str()), 0);
        };
        const JobResult r = job(kEnc, Mode::Text, dir / "in", rec);
        expectFailed(r, rec, JobStatus::ReadError,
                     "Cannot read file " + (dir / "in") + ": " + std::strerror(EIO));
        EXPECT_EQ(test::readFile("encrypt.txt"), toBytes("previous output"));
        EXPECT_EQ(rec.failedCaption, "Encryption Failed");
        ::unlink((dir / "in").c_str());
    }
    // A full disk, found by a mid-pass write (more than a buffer) or only by
    // the final close (10 bytes).
    ASSERT_EQ(::symlink("/dev/full", "full"), 0);
    for (const std::size_t size : {std::size_t{10}, 3 * kB}) {
        for (const Mode m : {Mode::Text, Mode::Binary}) {
            writeFile("in", Bytes(size, 'a'));
            Recorder rec;
            const JobResult r = job(kDec, m, dir / "in", rec, "full");
            expectFailed(r, rec, JobStatus::WriteError,
                         "Cannot write file " + (dir / "full") + ": " + std::strerror(ENOSPC));
            EXPECT_LE(r.bytes, size);
        }
    }
    EXPECT_EQ(openStreamCount(), kStandardStreams);
}

// A file size limit makes writes to a regular file fail part way, as a full
// disk does: the earlier output, or a link's target, stays as it was, and no
// temporary file is left behind.
TEST(CipherJob, FailedWriteLeavesTheEarlierOutputAsItWas) {
    test::TempDir dir;
    writeFile("in", Bytes(5000, 'a'));
    ASSERT_EQ(::mkdir("elsewhere", 0755), 0);
    writeFile("elsewhere/target", toBytes("old"));
    ASSERT_EQ(::symlink("elsewhere/target", "linked"), 0);
    writeFile("encrypt.exe", toBytes("an older, complete output"));

    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 2048;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    NullProgress quiet;
    const JobResult plain = job(kEnc, Mode::Binary, dir / "in", quiet);
    const JobResult linked = job(kEnc, Mode::Binary, dir / "in", quiet, "linked");
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(plain.status, JobStatus::WriteError);
    EXPECT_EQ(plain.reason, std::strerror(EFBIG));
    EXPECT_EQ(test::readFile("encrypt.exe"), toBytes("an older, complete output"));
    EXPECT_EQ(linked.status, JobStatus::WriteError);
    EXPECT_EQ(test::readFile("elsewhere/target"), toBytes("old"));
    EXPECT_EQ(test::hiddenFiles(dir.path()), std::vector<std::string>{});
    EXPECT_EQ(test::hiddenFiles(dir / "elsewhere"), std::vector<std::string>{});
}

// Totals past 2^31 - 1: a sparse input of 2 GiB + 1 bytes, written to
// /dev/null.
TEST(CipherJob, TotalsBeyond32BitsAreKept) {
    test::TempDir dir;
    constexpr std::int64_t kSize = (std::int64_t{1} << 31) + 1;
    {
        std::ofstream f(dir / "big", std::ios::binary);
        f.seekp(kSize - 1);
        f.put('\x7f');
    }
    ASSERT_EQ(::symlink("/dev/null", "sink"), 0);
    Recorder rec;
    std::int64_t progressTotal = 0;
    const JobResult r = runCipherJob({kEnc, Mode::Binary, dir / "big", "sink"}, rec, progressTotal);
    EXPECT_TRUE(r.ok()) << r.describe();
    EXPECT_EQ(r.bytes, static_cast<std::uint64_t>(kSize));
    EXPECT_EQ(progressTotal, static_cast<std::int64_t>(kSize + 1));
    EXPECT_EQ(rec.events, (std::vector<std::string>{"Reset", started(kEnc, kSize + 1),
                                                    "Finished " + std::to_string(kSize)}));
}

TEST(CipherJob, TextModeCountsWhatItLoses) {
    test::TempDir dir;
    // CR dropped; 0x0F under offset 2 and 0x1D under offset 3 give 0x0D and
    // 0x1A; five bytes from the Ctrl-Z on.
    writeFile("in", toBytes("a\r\n\x0f\x1d\x1a"
                            "tail"));
    NullProgress quiet;
    JobResult r = job(kEnc, Mode::Text, dir / "in", quiet);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.lossy());
    EXPECT_EQ(r.crDropped, 1u);
    EXPECT_EQ(r.loneCrDropped, 0u);  // part of a CR LF: Decrypt writes it back
    EXPECT_EQ(r.bytesAfterMark, 5u);
    EXPECT_EQ(r.unsafeValues, 2u);
    EXPECT_EQ(r.firstUnsafeOffset, 2);
    writeFile("in", toBytes("clean\r\ntext\r\n"));
    r = job(kEnc, Mode::Text, dir / "in", quiet);
    EXPECT_FALSE(r.lossy());
    EXPECT_EQ(r.firstUnsafeOffset, -1);
}

// A receiver that changes the input while the job reads it: after the
// first block of the transform pass, or between the passes.
class ChangingInput : public Recorder {
  public:
    ChangingInput(bool midPass, const std::function<void()>& change) {
        if (!midPass) {
            onStarted = change;
            return;
        }
        onProgress = [this, change](std::uint64_t) {
            if (progress.size() == 1) change();
        };
    }
};

// An input that shrinks, grows or is rewritten while the job runs yields no
// output: the earlier one stays, and the failure says why.
TEST(CipherJob, InputThatChangesDuringTheJobFailsIt) {
    test::TempDir dir;
    const std::string in = dir / "in";
    const auto append = [&](const char* text) {
        std::ofstream(in, std::ios::binary | std::ios::app) << text;
    };
    const auto cut = [&](std::size_t size) { ASSERT_EQ(::truncate(in.c_str(), long(size)), 0); };
    const struct {
        const char* what;
        Mode mode;
        bool midPass;
        std::function<void()> change;
    } cases[] = {
        {"truncated mid-pass", Mode::Binary, true, [&] { cut(kB / 2); }},
        {"truncated mid-pass", Mode::Text, true, [&] { cut(2 * kB + 10); }},
        {"appended mid-pass", Mode::Binary, true, [&] { append("more"); }},
        {"appended mid-pass", Mode::Text, true, [&] { append("\r\r\r"); }},  // nothing to deliver
        {"appended between passes", Mode::Text, false, [&] { append("x"); }},
        {"touched between passes", Mode::Binary, false,
         [&] {
             const timespec times[2] = {{0, UTIME_OMIT}, {12345, 0}};
             ASSERT_EQ(::utimensat(AT_FDCWD, in.c_str(), times, 0), 0);
         }},
    };
    for (const auto& c : cases) {
        writeFile(in, Bytes(3 * kB, 'a'));
        writeFile(outputName(kEnc, c.mode), toBytes("earlier"));
        ChangingInput rec(c.midPass, c.change);
        const JobResult r = job(kEnc, c.mode, in, rec);
        EXPECT_EQ(r.status, JobStatus::InputChanged) << c.what << ": " << r.describe();
        EXPECT_EQ(r.describe(), "File " + in + " changed while it was being read") << c.what;
        ASSERT_EQ(rec.events.size(), 3u) << c.what;
        EXPECT_EQ(rec.events[2], "Failed " + r.describe());
        EXPECT_EQ(rec.failedCaption, "Encryption Failed");
        EXPECT_EQ(test::readFile(outputName(kEnc, c.mode)), toBytes("earlier")) << c.what;
        EXPECT_EQ(test::hiddenFiles(dir.path()), std::vector<std::string>{}) << c.what;
    }
    EXPECT_EQ(openStreamCount(), kStandardStreams);
}

// A stop flag (set by a signal handler or the window's Cancel) ends the job
// at the next block, in either pass, leaving the earlier output.
TEST(CipherJob, StopFlagEndsTheJobAndKeepsTheEarlierOutput) {
    test::TempDir dir;
    writeFile("in", Bytes(4 * kB, 'a'));
    for (const bool inCountingPass : {true, false}) {
        for (const Mode m : {Mode::Text, Mode::Binary}) {
            writeFile(outputName(kDec, m), toBytes("earlier"));
            StopFlag stop{inCountingPass ? SIGTERM : 0};
            Recorder rec;
            rec.onProgress = [&](std::uint64_t) { stop.store(SIGTERM); };
            JobRequest request{kDec, m, dir / "in", ""};
            request.stop = &stop;
            std::int64_t progressTotal = 7;
            const JobResult r = runCipherJob(request, rec, progressTotal);
            const std::string where = inCountingPass ? "counting" : "transform";
            EXPECT_EQ(r.status, JobStatus::Stopped) << where;
            EXPECT_EQ(r.stoppedBy, SIGTERM);
            EXPECT_EQ(rec.progress.size(), inCountingPass ? 0u : 1u)
                << where << ": the job read on after the stop";
            EXPECT_EQ(rec.events.back(), "Cancelled Decryption Cancelled") << where;
            EXPECT_EQ(rec.events.size(), inCountingPass ? 2u : 3u) << where;
            if (inCountingPass) {
                EXPECT_EQ(progressTotal, 7);
            }
            EXPECT_EQ(test::readFile(outputName(kDec, m)), toBytes("earlier")) << where;
            EXPECT_EQ(test::hiddenFiles(dir.path()), std::vector<std::string>{}) << where;
        }
    }
    EXPECT_EQ(openStreamCount(), kStandardStreams);
}

std::string convertedLines(const std::string& input) {
    return "File " + input +
           " text has been converted\r\nOutput is stored in file dencrypt.txt\r\n";
}

// Random inputs, both modes and directions: the block engine must agree
// with the byte-at-a-time model byte for byte, also where CR LF pairs, CR
// runs, the Ctrl-Z mark and the key's parity meet a block edge; and a text
// Encrypt must decrypt back up to its first unsafe value.
TEST(CipherJob, RandomInputsMatchTheModel) {
    test::TempDir dir;
    std::mt19937 rng(9001);
    // What is special about an input, each placed at or next to a block edge.
    enum class Edge { None, CrLf, CrRun, MarkFirst, MarkAtEdge, MarkLast };
    std::vector<std::pair<std::size_t, Edge>> inputs = {{0, Edge::None}, {1, Edge::MarkFirst}};
    for (const std::size_t size : {kB - 1, kB, kB + 1, 2 * kB + 1})
        inputs.push_back({size, Edge::None});
    for (const Edge e :
         {Edge::CrLf, Edge::CrRun, Edge::MarkFirst, Edge::MarkAtEdge, Edge::MarkLast})
        inputs.push_back({2 * kB + 3, e});
    for (int i = 0; i < 8; ++i) inputs.push_back({rng() % 6000, Edge::None});

    test::CapturedStdout captured;
    std::string printed;  // what text-mode Decrypt jobs must have printed
    for (const auto& [size, edge] : inputs) {
        Bytes raw(size);
        const bool withMark = edge == Edge::None && rng() % 3 == 0;
        for (auto& b : raw) {
            const unsigned r = rng() % 100;
            b = r < 8 ? 0x0D : r < 16 ? 0x0A : static_cast<std::uint8_t>(rng());
            if (b == 0x1A) b = 0x1C;
        }
        if (withMark && size > 0) raw[rng() % size] = 0x1A;
        switch (edge) {
            case Edge::None:
                break;
            case Edge::CrLf:
                raw[kB - 1] = 0x0D, raw[kB] = 0x0A;
                break;
            case Edge::CrRun:
                std::fill(raw.begin() + kB, raw.begin() + 2 * kB, 0x0D);
                break;
            case Edge::MarkFirst:
                raw[0] = 0x1A;
                break;
            case Edge::MarkAtEdge:
                raw[kB] = 0x1A;
                break;
            case Edge::MarkLast:
                raw[size - 1] = 0x1A;
                break;
        }
        writeFile("in", raw);

        for (const Mode m : {Mode::Text, Mode::Binary}) {
            for (const Direction d : {kEnc, kDec}) {
                const bool text = m == Mode::Text;
                const test::ModelJob want = test::modelCipher(raw, text, d == kEnc);
                const std::uint64_t n = want.read.delivered.size();
                {
                    Recorder rec;
                    std::int64_t progressTotal = 0;
                    const JobResult r = runCipherJob({d, m, dir / "in", ""}, rec, progressTotal);
                    const std::string where = "size " + std::to_string(size) + " edge " +
                                              std::to_string(static_cast<int>(edge)) +
                                              (text ? " text" : " binary") +
                                              (d == kEnc ? " encrypt" : " decrypt");
                    ASSERT_TRUE(r.ok()) << where << ": " << r.describe();
                    if (text && d == kDec) printed += convertedLines(dir / "in");
                    ASSERT_EQ(test::readFile(outputName(d, m)), want.file) << where;
                    EXPECT_EQ(r.bytes, n) << where;
                    EXPECT_EQ(rec.done(), n) << where;
                    EXPECT_EQ(progressTotal, static_cast<std::int64_t>(n + 1)) << where;
                    EXPECT_EQ(rec.events[1], started(d, static_cast<std::int64_t>(n + 1)));
                    EXPECT_EQ(r.crDropped, want.read.crDropped) << where;
                    EXPECT_EQ(r.loneCrDropped, want.read.loneCr) << where;
                    EXPECT_EQ(r.bytesAfterMark, want.read.afterMark) << where;
                    EXPECT_EQ(r.unsafeValues, want.unsafe) << where;
                    EXPECT_EQ(r.firstUnsafeOffset, want.firstUnsafe) << where;
                    // Positions in the input file, as the warnings name them.
                    EXPECT_EQ(r.firstLoneCrPosition, want.read.firstLoneCr) << where;
                    EXPECT_EQ(r.markPosition, want.read.markOffset) << where;
                    EXPECT_EQ(r.firstUnsafePosition,
                              want.firstUnsafe < 0
                                  ? -1
                                  : want.read.positions[static_cast<std::size_t>(want.firstUnsafe)])
                        << where;
                }
                if (d != kEnc) continue;
                // Round trip through the real job.
                ASSERT_EQ(::rename(outputName(d, m), "enc"), 0);
                NullProgress quiet;
                ASSERT_TRUE(job(kDec, m, dir / "enc", quiet).ok());
                if (text) printed += convertedLines(dir / "enc");
                const Bytes back = test::readFile(outputName(kDec, m));
                const Bytes& orig = want.read.delivered;
                if (want.firstUnsafe < 0) {
                    EXPECT_EQ(back, test::modelWriteFile({orig.begin(), orig.end()}, text))
                        << "size " << size;
                } else {
                    const auto keep = static_cast<std::size_t>(want.firstUnsafe);
                    const test::ModelRead again = test::modelReadFile(back, text);
                    ASSERT_GE(again.delivered.size(), keep);
                    EXPECT_TRUE(std::equal(orig.begin(), orig.begin() + static_cast<long>(keep),
                                           again.delivered.begin()))
                        << "size " << size << ": the text before the first unsafe value differs";
                }
            }
        }
    }
    EXPECT_EQ(captured.take(), printed);
}

}  // namespace
}  // namespace ottomix
