// Runs the real ottomix-cli binary.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>

#include "core/cipher_job.h"
#include "tests/core/test_support.h"

namespace ottomix {
namespace {

using test::Bytes;
using test::toBytes;
using test::writeFile;

constexpr const char* kUsageLine =
    "Usage: ottomix-cli encrypt|decrypt --text|--binary INPUT [-o OUTPUT]";

test::ProcessResult cli(std::vector<std::string> args, const std::string& cwd = ".",
                        int errFd = -1) {
    args.insert(args.begin(), OTTOMIX_CLI);
    return test::run(args, cwd, errFd);
}

bool contains(const std::string& haystack, const std::string& needle) {
    return haystack.find(needle) != std::string::npos;
}

TEST(Cli, UsageErrorsExitWithTwoAndShowTheUsage) {
    test::TempDir dir;
    writeFile("in", toBytes("x"));
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"encrypt"},
        {"encrypt", "--text"},
        {"--text", "in"},
        {"encrypt", "in"},
        {"encrypt", "decrypt", "--text", "in"},
        {"encrypt", "--text", "--binary", "in"},
        {"encrypt", "--text", "in", "in"},
        {"encrypt", "--text", "in", "-o"},
        {"encrypt", "--text", "in", "-o", ""},
        {"encrypt", "--text", "--bogus", "in"},
        {"encrypt", "--text", ""},
        {"scramble", "--text", "in"},
    };
    for (const auto& args : bad) {
        const test::ProcessResult r = cli(args);
        std::string shown;
        for (const auto& a : args) shown += "'" + a + "' ";
        EXPECT_EQ(r.exitCode, 2) << shown;
        // One line saying what is wrong, and where to look.
        EXPECT_EQ(r.err.rfind("ottomix-cli: ", 0), 0u) << shown << r.err;
        EXPECT_TRUE(r.err.ends_with("\nTry 'ottomix-cli --help' for more information.\n"))
            << shown << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << shown << r.err;
        EXPECT_TRUE(r.out.empty()) << shown;
    }
    EXPECT_FALSE(test::exists("encrypt.txt") || test::exists("encrypt.exe"));

    const test::ProcessResult help = cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(contains(help.out, kUsageLine));
    EXPECT_TRUE(help.err.empty());
}

TEST(Cli, WritesTheSameBytesAsTheWindowsJob) {
    test::TempDir dir;
    ASSERT_EQ(::mkdir("cli", 0755), 0);
    ASSERT_EQ(::mkdir("job", 0755), 0);
    std::mt19937 rng(4242);
    Bytes raw(3000);
    for (auto& b : raw)
        b = static_cast<std::uint8_t>(rng() % 5 == 0 ? "\r\n\x1a"[rng() % 3] : rng());
    writeFile("in", raw);

    for (const Mode m : {Mode::Text, Mode::Binary}) {
        for (const Direction d : {Direction::Encrypt, Direction::Decrypt}) {
            const std::string verb = d == Direction::Encrypt ? "encrypt" : "decrypt";
            const std::string flag = m == Mode::Text ? "--text" : "--binary";
            const test::ProcessResult r = cli({verb, flag, dir / "in"}, dir / "cli");
            EXPECT_EQ(r.exitCode, 0) << r.err;

            std::filesystem::current_path(dir / "job");
            NullProgress quiet;
            std::int64_t progressTotal = 0;
            test::CapturedStdout jobStdout;
            ASSERT_TRUE(runCipherJob({d, m, dir / "in", ""}, quiet, progressTotal).ok());
            EXPECT_EQ(jobStdout.take(), r.out);
            std::filesystem::current_path(dir.path());

            const std::string name = outputName(d, m);
            const Bytes job = test::readFile("job/" + name);
            EXPECT_FALSE(job.empty());
            EXPECT_EQ(test::readFile("cli/" + name), job) << verb << " " << flag;
        }
    }
    const test::ProcessResult r = cli({"encrypt", "--binary", "in", "-o", "job/chosen"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(test::readFile("job/chosen"), test::readFile("job/encrypt.exe"));
}

TEST(Cli, TextDecryptPrintsTwoLinesOnStandardOutput) {
    test::TempDir dir;
    writeFile("in", toBytes("Jgnnq\r\n"));
    test::ProcessResult r = cli({"decrypt", "--text", "in"});
    EXPECT_EQ(r.exitCode, 0);
    // Standard output is a text stream: each line ends in CR LF.
    EXPECT_EQ(r.out,
              "File in text has been converted\r\n"
              "Output is stored in file dencrypt.txt\r\n");
    r = cli({"decrypt", "--text", dir / "in"});
    EXPECT_EQ(r.out, "File " + (dir / "in") +
                         " text has been converted\r\n"
                         "Output is stored in file dencrypt.txt\r\n");
    for (const auto& args : std::vector<std::vector<std::string>>{{"encrypt", "--text", "in"},
                                                                  {"decrypt", "--binary", "in"},
                                                                  {"encrypt", "--binary", "in"}}) {
        r = cli(args);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(r.out.empty()) << args[0] << " " << args[1] << ": " << r.out;
    }
    // A failed decrypt announces nothing.
    r = cli({"decrypt", "--text", "in", "-o", "nodir/out"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.empty()) << r.out;
}

TEST(Cli, FailuresExitWithOneNamingTheFileAndTheReason) {
    test::TempDir dir;
    writeFile("in", Bytes(2000, 'q'));
    writeFile("encrypt.txt", toBytes("keep me"));
    ASSERT_EQ(::mkdir("folder", 0755), 0);
    ASSERT_EQ(::mkfifo("fifo", 0644), 0);
    ASSERT_EQ(::symlink("/dev/full", "full"), 0);
    const std::string eol = "\n";
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"encrypt", "--text", dir / "gone"},
         "Cannot open file " + (dir / "gone") + ": " + std::strerror(ENOENT) + eol},
        {{"encrypt", "--text", dir / "folder"},
         "Cannot open file " + (dir / "folder") + ": " + std::strerror(EISDIR) + eol},
        {{"decrypt", "--binary", "fifo"}, "Cannot open file fifo: "},
        {{"decrypt", "--binary", "/dev/zero"}, "Cannot open file /dev/zero: "},
        {{"encrypt", "--binary", "/proc/self/mem"},
         std::string("Cannot read file /proc/self/mem: ") + std::strerror(EIO) + eol},
        {{"encrypt", "--binary", "in", "-o", "full"},
         "Cannot write file " + (dir / "full") + ": " + std::strerror(ENOSPC) + eol},
        {{"encrypt", "--text", "in", "-o", "nodir/out"},
         "Cannot create file " + (dir / "nodir/out") + ": " + std::strerror(ENOENT) + eol},
        {{"encrypt", "--text", "encrypt.txt"}, "Cannot use file encrypt.txt as input: "},
        {{"encrypt", "--binary", "in", "-o", "in"}, "Cannot use file in as input: "},
    };
    for (const auto& c : cases) {
        const test::ProcessResult r = cli(c.args, dir.path());
        EXPECT_EQ(r.exitCode, 1) << c.message;
        EXPECT_EQ(r.err.rfind("ottomix-cli: " + c.message, 0), 0u) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_EQ(test::readFile("encrypt.txt"), toBytes("keep me"));
    EXPECT_EQ(test::readFile("in"), Bytes(2000, 'q'));
    EXPECT_FALSE(test::exists("encrypt.exe") || test::exists("decrypt.exe"));
}

TEST(Cli, FailedWriteLeavesTheEarlierOutput) {
    test::TempDir dir;
    writeFile("in", Bytes(20000, 'z'));
    writeFile("encrypt.exe", toBytes("earlier"));
    // The shell's file size limit (at most a few KiB in any unit) makes the
    // writes fail part way; SIGXFSZ stays ignored across exec.
    const test::ProcessResult r =
        test::run({"/bin/sh", "-c", "trap '' XFSZ; ulimit -f 4 && exec \"$0\" encrypt --binary in",
                   OTTOMIX_CLI},
                  dir.path());
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_TRUE(contains(r.err, std::strerror(EFBIG))) << r.err;
    EXPECT_EQ(test::readFile("encrypt.exe"), toBytes("earlier"));
    EXPECT_EQ(test::hiddenFiles(dir.path()), std::vector<std::string>{});
}

TEST(Cli, TextModeWarnsAboutWhatItChanges) {
    test::TempDir dir;
    writeFile("clean", toBytes("plain text\nsecond line\n"));
    test::ProcessResult r = cli({"encrypt", "--text", "clean"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.empty()) << r.err;

    // DOS line ends come back from Decrypt as they were: no warning.
    writeFile("dos", toBytes("plain text\r\nsecond line\r\n"));
    r = cli({"encrypt", "--text", "dos"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.empty()) << r.err;

    writeFile("lossy", toBytes("a\rb\r\r\nc\x0f\x1a"
                               "rest"));
    r = cli({"encrypt", "--text", "lossy"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(contains(r.err, "warning")) << r.err;
    // Positions count from 1 in the input file, as cmp counts: the lone CRs
    // are bytes 2 and 4, the 0x0F byte 8 and the Ctrl-Z byte 9.
    EXPECT_TRUE(contains(r.err,
                         "2 carriage-return bytes outside CR LF line ends were left out, "
                         "the first at byte 2"))
        << r.err;
    EXPECT_TRUE(contains(r.err, "5 bytes from the end-of-file mark (Ctrl-Z) at byte 9 on"))
        << r.err;
    EXPECT_TRUE(contains(r.err, "1 encrypted bytes will not decrypt back")) << r.err;
    EXPECT_TRUE(contains(r.err, "differs from byte 8 on")) << r.err;

    r = cli({"encrypt", "--binary", "lossy"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.empty()) << "Binary Mode loses nothing: " << r.err;
}

TEST(Cli, VersionDoubleDashAndRepeatedOptions) {
    test::TempDir dir;
    test::ProcessResult r = cli({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, std::string("ottomix-cli ") + OTTOMIX_VERSION + "\n");
    EXPECT_TRUE(r.err.empty());

    // "--" ends the options wherever it stands.
    writeFile("-dash", toBytes("A"));
    writeFile("--text", toBytes("B"));
    r = cli({"encrypt", "--binary", "--", "-dash"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(test::readFile("encrypt.exe"), toBytes("B"));
    r = cli({"decrypt", "--binary", "--", "--text"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(test::readFile("decrypt.exe"), toBytes("A"));
    r = cli({"--binary", "--", "encrypt", "-"});
    EXPECT_EQ(r.exitCode, 2) << "encrypt after -- is a file name, not the direction";
    r = cli({"decrypt", "--", "--binary", "in"});
    EXPECT_EQ(r.exitCode, 2) << "--binary after -- is a file name, not an option";
    // The output name joined to its option, as getopt has it.
    for (const char* option : {"--output=joined", "-ojoined"}) {
        r = cli({"decrypt", "--binary", option, "--", "-dash"});
        EXPECT_EQ(r.exitCode, 0) << option << r.err;
        EXPECT_EQ(test::readFile("joined"), toBytes("@")) << option;
        ::unlink("joined");
    }

    writeFile("in", toBytes("x"));
    const struct {
        std::vector<std::string> args;
        std::string message;
    } repeated[] = {
        {{"encrypt", "--text", "--binary", "in"}, "--binary conflicts with --text"},
        {{"encrypt", "--binary", "--binary", "in"}, "--binary given twice"},
        {{"encrypt", "decrypt", "--text", "in"}, "decrypt conflicts with encrypt"},
        {{"decrypt", "--text", "in", "decrypt"}, "decrypt given twice"},
        {{"encrypt", "--text", "in", "-o", "a", "-o", "b"}, "-o given twice"},
        {{"encrypt", "--text", "in", "--output=a", "-ob"}, "-o given twice"},
    };
    for (const auto& c : repeated) {
        r = cli(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.message;
        EXPECT_EQ(r.err.rfind("ottomix-cli: " + c.message + "\n", 0), 0u) << r.err;
    }
    EXPECT_FALSE(test::exists("a") || test::exists("b"));
}

// SIGINT, SIGTERM and SIGHUP in the middle of a job: the temporary file goes,
// the earlier output stays, and the program then dies by the signal.
TEST(Cli, SignalsLeaveTheEarlierOutput) {
    test::TempDir dir;
    {  // Sparse, so it is quick to make but takes a while to read.
        std::ofstream f("big", std::ios::binary);
        f.seekp((256 << 20) - 1);
        f.put('x');
    }
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        writeFile("encrypt.exe", toBytes("earlier"));
        const int err = ::memfd_create("stderr", 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(err, 2);
            ::execl(OTTOMIX_CLI, OTTOMIX_CLI, "encrypt", "--binary", "big", nullptr);
            ::_exit(127);
        }
        // Wait for the transform pass: its temporary file appears.
        bool running = false;
        for (int i = 0; i < 20000 && !running; ++i) {
            running = !test::hiddenFiles(dir.path()).empty();
            if (!running) ::usleep(500);
        }
        ASSERT_TRUE(running) << "the job's temporary file never appeared";
        ::kill(pid, signalNumber);
        int status = 0;
        ::waitpid(pid, &status, 0);
        const std::string shown = test::readMemFile(err);
        ASSERT_TRUE(WIFSIGNALED(status)) << "signal " << signalNumber << ": " << shown;
        EXPECT_EQ(WTERMSIG(status), signalNumber) << shown;
        EXPECT_EQ(shown, "ottomix-cli: interrupted, encrypt.exe left unchanged\n");
        EXPECT_EQ(test::readFile("encrypt.exe"), toBytes("earlier"));
        EXPECT_EQ(test::hiddenFiles(dir.path()), std::vector<std::string>{});
    }
}

// An output naming standard output or error is written into that
// descriptor as it is: a log opened for appending keeps what it had, a pipe
// or socket gets the bytes, and nothing is replaced or truncated.
TEST(Cli, StandardStreamsAreWrittenAsTheyAre) {
    test::TempDir dir;
    writeFile("in", toBytes("ABC\n"));
    const std::string cli = OTTOMIX_CLI;
    const std::string binary = "\x42\x43\x44\x0b",
                      text = "CEE\r";  // encrypt --binary, decrypt --text
    const struct {
        std::string script, file, expected;
    } cases[] = {
        {"printf 'log\\n' >app.log; " + cli + " encrypt --binary in -o /dev/stdout >>app.log",
         "app.log", "log\n" + binary},
        {"printf 'err\\n' >err.log; " + cli + " encrypt --binary in -o /dev/stderr 2>>err.log",
         "err.log", "err\n" + binary},
        {cli + " encrypt --binary in -o - | cat >piped", "piped", binary},
        {cli + " decrypt --text in -o - >only.txt 2>lines", "only.txt", text},
        // Standard input, also a pipe, is read once and kept for both passes.
        {"cat in | " + cli + " encrypt --binary - -o piped-in", "piped-in", binary},
        {cli + " decrypt --text - -o - <in >both.txt", "both.txt", text},
    };
    for (const auto& c : cases) {
        const test::ProcessResult r = test::run({"/bin/bash", "-c", c.script}, dir.path());
        EXPECT_EQ(r.exitCode, 0) << c.script << "\n" << r.err;
        const Bytes got = test::readFile(c.file);
        EXPECT_EQ(std::string(got.begin(), got.end()), c.expected) << c.script;
    }
    const Bytes lines = test::readFile("lines");
    EXPECT_EQ(std::string(lines.begin(), lines.end()),
              "File in text has been converted\nOutput is stored in file standard output\n");

    int sockets[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, sockets), 0);
    const test::ProcessResult r = test::run(
        {"/bin/bash", "-c", cli + " encrypt --binary in -o - >&" + std::to_string(sockets[1])},
        dir.path());
    ::close(sockets[1]);
    std::string received(16, '\0');
    received.resize(
        static_cast<std::size_t>(std::max<ssize_t>(0, ::read(sockets[0], received.data(), 16))));
    ::close(sockets[0]);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(received, binary) << "into a socket";

    // The Decrypt lines that cannot reach standard output fail the job.
    const test::ProcessResult full =
        test::run({"/bin/bash", "-c", cli + " decrypt --text in >/dev/full"}, dir.path());
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_NE(full.err.find("cannot write to standard output"), std::string::npos) << full.err;
}

void writeSparse(const char* name, std::int64_t size) {
    std::ofstream f(name, std::ios::binary);
    f.seekp(size - 1);
    f.put('x');
}

// KILL leaves the temporary file behind; the next job writing that name
// removes it once it is old enough to be no live job's.
TEST(Cli, KillLeavesATemporaryFileTheNextJobRemoves) {
    test::TempDir dir;
    writeSparse("big", std::int64_t{1} << 30);
    writeFile("small", toBytes("x"));
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl(OTTOMIX_CLI, OTTOMIX_CLI, "encrypt", "--binary", "big", nullptr);
        ::_exit(127);
    }
    for (int i = 0; i < 20000 && test::hiddenFiles(dir.path()).empty(); ++i) ::usleep(500);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    const std::vector<std::string> left = test::hiddenFiles(dir.path());
    ASSERT_EQ(left.size(), 1u);
    const timespec longAgo[2] = {{0, UTIME_OMIT}, {1000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, left[0].c_str(), longAgo, 0), 0);
    const test::ProcessResult r = cli({"encrypt", "--binary", "small"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(test::hiddenFiles(dir.path()), std::vector<std::string>{});
}

// Ctrl+C in a terminal reaches the whole job: the job dies by SIGINT, and
// so the shell running a loop of jobs stops too.
TEST(Cli, CtrlCStopsAShellLoopOfJobs) {
    test::TempDir dir;
    writeSparse("a", std::int64_t{8} << 30);
    writeSparse("b", std::int64_t{8} << 30);
    const std::string loop = std::string("for f in a b; do ") + OTTOMIX_CLI +
                             " encrypt --binary $f -o /dev/null; done; touch went-on";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setsid();  // a process group of its own, as a terminal gives a job
        ::execl("/bin/bash", "bash", "-c", loop.c_str(), nullptr);
        ::_exit(127);
    }
    ::usleep(500000);
    ::killpg(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    EXPECT_FALSE(test::exists("went-on"));
}

// A job blocked writing into a pipe nobody drains still stops at SIGTERM,
// and does not claim the pipe was left unchanged.
TEST(Cli, SignalStopsAJobBlockedInAPipe) {
    test::TempDir dir;
    writeFile("in", Bytes(1 << 20, 'p'));
    ASSERT_EQ(::mkfifo("fifo", 0600), 0);
    const int reader = ::open("fifo", O_RDONLY | O_NONBLOCK);  // open, never read
    ASSERT_GE(reader, 0);
    const int err = ::memfd_create("stderr", 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(err, 2);
        ::execl(OTTOMIX_CLI, OTTOMIX_CLI, "encrypt", "--binary", "in", "-o", "fifo", nullptr);
        ::_exit(127);
    }
    ::usleep(300000);  // long enough to fill the pipe and block
    ::kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 300 && ::waitpid(pid, &status, WNOHANG) == 0; ++i) ::usleep(10000);
    if (::waitpid(pid, &status, WNOHANG) == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        ADD_FAILURE() << "the job did not stop within 3 s of SIGTERM";
    }
    ::close(reader);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(test::readMemFile(err),
              "ottomix-cli: interrupted, fifo got only part of the output\n");
}

// A real full disk: a small tmpfs in a private mount namespace.
TEST(Cli, FullDiskLeavesTheEarlierOutput) {
    test::TempDir dir;
    writeFile("in", Bytes(300000, 'q'));
    ASSERT_EQ(::mkdir("small", 0755), 0);
    const std::string script =
        "mount -t tmpfs -o size=128k tmpfs small 2>/dev/null || exit 77; cd small; "
        "printf earlier > encrypt.exe; \"$0\" encrypt --binary ../in; echo \"status $?\"; "
        "cat encrypt.exe; echo; ls -A";
    const test::ProcessResult r =
        test::run({"/usr/bin/unshare", "-m", "/bin/sh", "-c", script, OTTOMIX_CLI}, dir.path());
    if (r.exitCode == 77 || r.exitCode == 1 || r.exitCode == 127)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << r.err;
    EXPECT_TRUE(contains(r.err, "Cannot write file") && contains(r.err, std::strerror(ENOSPC)))
        << r.err;
    EXPECT_EQ(r.out, "status 1\nearlier\nencrypt.exe\n");
}

TEST(Cli, ProgressBarOnlyWhenStandardErrorIsATerminal) {
    test::TempDir dir;
    writeFile("in", toBytes("abc"));
    test::ProcessResult r = cli({"encrypt", "--binary", "in"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.empty()) << r.err;

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    r = cli({"encrypt", "--binary", "in"}, ".", slave);
    ::close(slave);
    std::string shown;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(master, buf, sizeof buf)) > 0)
        shown.append(buf, static_cast<std::size_t>(n));
    ::close(master);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(contains(shown, "[" + std::string(40, '#') + "] 100%")) << shown;
    EXPECT_TRUE(contains(shown, "  0%")) << shown;
    EXPECT_TRUE(r.out.empty());
}

}  // namespace
}  // namespace ottomix
