// How outputs reach their names: through a hidden temporary file, never
// through a planted link, keeping what a replacement should keep, and
// refusing exactly the outputs the user may not write.
#include "core/output_file.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <sstream>
#include <thread>

#include "core/byte_stream.h"
#include "core/cipher_job.h"
#include "tests/core/test_support.h"

namespace ottomix {
namespace {

using test::Bytes;
using test::toBytes;
using test::writeFile;

constexpr Direction kEnc = Direction::Encrypt;

JobResult job(Mode m, const std::string& input, const std::string& output = "") {
    NullProgress quiet;
    std::int64_t progressTotal = 0;
    return runCipherJob({kEnc, m, input, output}, quiet, progressTotal);
}

struct stat linkStatus(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

void writeBytes(ByteWriter* writer, std::size_t n, std::uint8_t value) {
    for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(writer->writeByte(value), value);
}

TEST(OutputFile, NewContentAppearsOnlyWhenCommitted) {
    test::TempDir dir;
    writeFile("out", toBytes("old"));
    ASSERT_EQ(::link("out", "hard"), 0);

    OutputFile file;
    ASSERT_EQ(file.open("out", false, "wb"), 0);
    ASSERT_TRUE(file.atomic());
    // Hidden, beside the output, and the output untouched while it is written.
    const std::string temp = file.temporaryName();
    EXPECT_EQ(temp.rfind(".out.", 0), 0u) << temp;
    EXPECT_EQ(test::hiddenFiles(dir.path()), std::vector<std::string>{temp});
    writeBytes(file.writer(), 3000, 'n');
    EXPECT_EQ(test::readFile("out"), toBytes("old"));

    ASSERT_EQ(file.commit(), 0);
    EXPECT_EQ(test::readFile("out"), Bytes(3000, 'n'));
    EXPECT_EQ(test::readFile("hard"), toBytes("old")) << "a hard link keeps the old content";
    EXPECT_EQ(test::hiddenFiles(dir.path()), std::vector<std::string>{});
    EXPECT_EQ(openStreamCount(), kStandardStreams);
}

// The next job removes what a killed job left, but never a temporary file
// a live job still holds or one too new to judge.
TEST(OutputFile, LeftoversOfKilledJobsGoLiveJobsFilesStay) {
    test::TempDir dir;
    writeFile("in", toBytes("x"));
    const std::vector<std::string> names = {".encrypt.exe.ottomix-Killed",
                                            ".encrypt.exe.ottomix-Living",
                                            ".encrypt.exe.ottomix-Recent"};
    for (const std::string& name : names) writeFile(name, toBytes("part"));
    const timespec longAgo[2] = {{0, UTIME_OMIT}, {1000, 0}};
    for (const std::string& name : {names[0], names[1]})
        ASSERT_EQ(::utimensat(AT_FDCWD, name.c_str(), longAgo, 0), 0);
    const int held = ::open(names[1].c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    ASSERT_TRUE(job(Mode::Binary, dir / "in").ok());
    std::vector<std::string> left = test::hiddenFiles(dir.path());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{names[1], names[2]}));
    ::close(held);
}

// A signal that comes while the new bytes are synced to disk stops the
// job there: the name keeps the earlier file, and nothing is left behind.
TEST(OutputFile, StopDuringTheSyncLeavesTheEarlierFile) {
    test::TempDir dir;
    writeFile("out", toBytes("old"));
    OutputFile file;
    ASSERT_EQ(file.open("out", false, "wb"), 0);
    writeBytes(file.writer(), 3000, 'n');
    const StopFlag stop{SIGTERM};
    EXPECT_EQ(file.commit(&stop), ECANCELED);
    EXPECT_EQ(test::readFile("out"), toBytes("old"));
    EXPECT_EQ(test::hiddenFiles(dir.path()), std::vector<std::string>{});
}

TEST(OutputFile, AbandonedOutputLeavesTheEarlierFile) {
    test::TempDir dir;
    writeFile("out", toBytes("old"));
    {
        OutputFile file;
        ASSERT_EQ(file.open("out", false, "w"), 0);
        writeBytes(file.writer(), 5000, '\n');
        file.abandon();
        EXPECT_EQ(test::readFile("out"), toBytes("old"));
        EXPECT_EQ(test::hiddenFiles(dir.path()), std::vector<std::string>{});
    }
    {  // Going out of scope uncommitted abandons too.
        OutputFile file;
        ASSERT_EQ(file.open(dir / "new", false, "wb"), 0);
        writeBytes(file.writer(), 10, 'x');
    }
    EXPECT_FALSE(test::exists("new"));
    EXPECT_EQ(test::hiddenFiles(dir.path()), std::vector<std::string>{});
    EXPECT_EQ(openStreamCount(), kStandardStreams);
}

// A link planted at the fixed name is replaced; its target is never opened.
TEST(OutputFile, LinkAtTheFixedNameIsReplacedNotFollowed) {
    test::TempDir dir;
    ASSERT_EQ(::mkdir("private", 0700), 0);
    writeFile("private/victim", toBytes("not yours"));
    ASSERT_EQ(::chmod("private/victim", 0400), 0);
    writeFile("in", toBytes("ABC"));
    ASSERT_EQ(::symlink((dir / "private/victim").c_str(), "encrypt.txt"), 0);
    ASSERT_EQ(::symlink((dir / "private/missing").c_str(), "encrypt.exe"), 0);

    ASSERT_TRUE(job(Mode::Text, dir / "in").ok());
    ASSERT_TRUE(job(Mode::Binary, dir / "in").ok());

    EXPECT_TRUE(S_ISREG(linkStatus("encrypt.txt").st_mode));
    EXPECT_EQ(test::readFile("encrypt.txt"), toBytes("??A"));
    EXPECT_TRUE(S_ISREG(linkStatus("encrypt.exe").st_mode));
    EXPECT_EQ(test::readFile("encrypt.exe"), toBytes("BCD"));
    EXPECT_EQ(test::readFile("private/victim"), toBytes("not yours"));
    EXPECT_EQ(linkStatus(dir / "private/victim").st_mode & 0777, 0400u);
    EXPECT_FALSE(test::exists("private/missing"));
}

// A link the user names with -o is followed, as cp follows it: the target is
// replaced through a temporary file beside it.
TEST(OutputFile, ExplicitLinkWritesItsTargetAtomically) {
    test::TempDir dir;
    ASSERT_EQ(::mkdir("sub", 0755), 0);
    writeFile("sub/target", toBytes("old"));
    ASSERT_EQ(::link("sub/target", "sub/hard"), 0);
    ASSERT_EQ(::symlink("sub/target", "out"), 0);
    ASSERT_EQ(::symlink("out", "chain"), 0);
    ASSERT_EQ(::symlink("nowhere", "sub/dangling"), 0);
    writeFile("in", toBytes("ABC"));

    ASSERT_TRUE(job(Mode::Binary, dir / "in", "chain").ok());
    EXPECT_TRUE(S_ISLNK(linkStatus("out").st_mode));
    EXPECT_TRUE(S_ISLNK(linkStatus("chain").st_mode));
    EXPECT_EQ(test::readFile("sub/target"), toBytes("BCD"));
    EXPECT_EQ(test::readFile("sub/hard"), toBytes("old"));

    // Through a dangling link the target is made.
    ASSERT_TRUE(job(Mode::Binary, dir / "in", "sub/dangling").ok());
    EXPECT_TRUE(S_ISLNK(linkStatus("sub/dangling").st_mode));
    EXPECT_EQ(test::readFile("sub/nowhere"), toBytes("BCD"));
    EXPECT_EQ(test::hiddenFiles(dir.path()), std::vector<std::string>{});
    EXPECT_EQ(test::hiddenFiles(dir / "sub"), std::vector<std::string>{});
}

TEST(OutputFile, PipesAndDevicesAreWrittenStraightInto) {
    test::TempDir dir;
    writeFile("in", Bytes(3000, 'a'));
    ASSERT_TRUE(job(Mode::Binary, dir / "in", "/dev/null").ok());

    ASSERT_EQ(::mkfifo("pipe", 0600), 0);
    const int reader = ::open("pipe", O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::string received;
    std::thread drain([&] {
        // Until the job has opened the pipe, a read finds no writer and
        // returns nothing; read on until the bytes are in or time is up.
        char buf[4096];
        for (int idle = 0; received.size() < 3000 && idle < 5000;) {
            const ssize_t n = ::read(reader, buf, sizeof buf);
            if (n > 0) {
                received.append(buf, static_cast<std::size_t>(n));
            } else {
                ++idle;
                ::usleep(1000);
            }
        }
    });
    const JobResult r = job(Mode::Binary, dir / "in", "pipe");
    drain.join();
    ::close(reader);
    EXPECT_TRUE(r.ok()) << r.describe();
    EXPECT_EQ(received, std::string(3000, 'b'));
    EXPECT_EQ(test::hiddenFiles(dir.path()), std::vector<std::string>{});
}

TEST(OutputFile, ReplacementKeepsThePermissionBits) {
    test::TempDir dir;
    const mode_t oldUmask = ::umask(027);
    writeFile("in", toBytes("x"));
    for (const mode_t mode : {0640u, 0755u, 0600u, 0664u}) {
        writeFile("encrypt.exe", toBytes("old"));
        ASSERT_EQ(::chmod("encrypt.exe", mode), 0);
        ASSERT_TRUE(job(Mode::Binary, dir / "in").ok());
        EXPECT_EQ(linkStatus("encrypt.exe").st_mode & 07777, mode);
        EXPECT_EQ(test::readFile("encrypt.exe"), toBytes("y"));
    }
    // A new file gets the usual mode under the umask.
    ASSERT_TRUE(job(Mode::Text, dir / "in").ok());
    EXPECT_EQ(linkStatus("encrypt.txt").st_mode & 07777, 0640u);
    ::umask(oldUmask);
}

// A replacement keeps the extended attributes and the POSIX ACL of the file
// it replaces, and with them who may read and write it.
TEST(OutputFile, ReplacementKeepsExtendedAttributesAndTheAcl) {
    test::TempDir dir;
    writeFile("in", toBytes("x"));
    writeFile("encrypt.exe", toBytes("old"));
    ASSERT_EQ(::chmod("encrypt.exe", 0640), 0);
    // Version 2, then (tag, permissions, id): owner rw, user 65534 rw,
    // group r, mask rw, others nothing.
    struct Entry {
        std::uint16_t tag, perm;
        std::uint32_t id;
    };
    const struct {
        std::uint32_t version;
        Entry entries[5];
    } acl = {2, {{0x01, 6, ~0u}, {0x02, 6, 65534}, {0x04, 4, ~0u}, {0x10, 6, ~0u}, {0x20, 0, ~0u}}};
    if (::setxattr("encrypt.exe", "user.origin", "scanner", 7, 0) != 0 ||
        ::setxattr("encrypt.exe", "system.posix_acl_access", &acl, sizeof acl, 0) != 0)
        GTEST_SKIP() << "no extended attributes or ACLs here: " << std::strerror(errno);
    const auto attribute = [](const char* name) {
        std::string value(256, '\0');
        const ssize_t n = ::getxattr("encrypt.exe", name, value.data(), value.size());
        value.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
        return value;
    };
    const std::string aclBefore = attribute("system.posix_acl_access");
    ASSERT_TRUE(job(Mode::Binary, dir / "in").ok());
    EXPECT_EQ(test::readFile("encrypt.exe"), toBytes("y"));
    EXPECT_EQ(attribute("user.origin"), "scanner");
    EXPECT_EQ(attribute("system.posix_acl_access"), aclBefore);
    EXPECT_EQ(linkStatus("encrypt.exe").st_mode & 0777, 0660u) << "group bits show the mask";
}

// Runs `body` as an unprivileged user (nobody, in `groups` besides its own)
// when the tests run as root, so that permissions count; returns what it wrote.
std::string asUnprivilegedUser(const std::function<std::string()>& body,
                               const std::vector<gid_t>& groups = {}) {
    if (::geteuid() != 0) return body();
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(65534) != 0 ||
            ::setuid(65534) != 0)
            ::_exit(3);
        const std::string out = body();
        if (::write(pipeFds[1], out.data(), out.size()) < 0) ::_exit(4);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string out;
    char buf[1024];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0)
        out.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    return out;
}

// Refused: an output the user cannot open for writing; one in a directory
// that takes no new file (never overwritten in place instead); and in a
// sticky directory, what another user put at the name.
TEST(OutputFile, RefusedExactlyWhenTheUserMayNotWriteTheOutput) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    test::TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const auto make = [&](const std::string& name, mode_t mode, uid_t owner, const char* text) {
        writeFile(dir / name, toBytes(text));
        ASSERT_EQ(::chown((dir / name).c_str(), owner, owner), 0);
        ASSERT_EQ(::chmod((dir / name).c_str(), mode), 0);
    };
    const auto makeDir = [&](const std::string& name, mode_t mode, uid_t owner) {
        ASSERT_EQ(::mkdir((dir / name).c_str(), 0755), 0);
        ASSERT_EQ(::chown((dir / name).c_str(), owner, owner), 0);
        ASSERT_EQ(::chmod((dir / name).c_str(), mode), 0);
    };
    make("in", 0644, 0, "ABC");
    makeDir("mine", 0755, 65534);
    make("mine/readonly", 0444, 65534, "kept");
    make("mine/rootfile", 0644, 0, "kept");
    make("mine/shared", 0666, 0, "replaced");
    makeDir("closed", 0555, 0);
    make("closed/open", 0666, 65534, "in place");
    makeDir("sticky", 01777, 0);
    // Somebody else's link at the fixed name in a shared directory.
    ASSERT_EQ(::symlink((dir / "mine/rootfile").c_str(), (dir / "sticky/encrypt.exe").c_str()), 0);
    make("sticky/others", 0666, 0, "in place");

    const std::string report = asUnprivilegedUser([&] {
        std::ostringstream out;
        for (const char* name : {"mine/readonly", "mine/rootfile", "mine/shared", "closed/open",
                                 "closed/new", "sticky/others"}) {
            const JobResult r = job(Mode::Binary, dir / "in", dir / name);
            out << name << ": " << (r.ok() ? "ok" : r.describe()) << "\n";
        }
        if (::chdir((dir / "sticky").c_str()) != 0) return std::string("chdir failed");
        const JobResult r = job(Mode::Binary, dir / "in");
        out << "fixed name: " << (r.ok() ? "ok" : r.describe()) << "\n";
        return out.str();
    });
    const std::string denied = std::strerror(EACCES);
    const std::string create = "Cannot create file " + dir.path() + "/";
    const std::string closed = "Cannot create files in directory " + dir.path() + "/closed: ";
    const std::string theirs = ": it belongs to another user in a shared directory\n";
    EXPECT_EQ(report, "mine/readonly: " + create + "mine/readonly: " + denied + "\n" +
                          "mine/rootfile: " + create + "mine/rootfile: " + denied + "\n" +
                          "mine/shared: ok\n" + "closed/open: " + closed + denied + "\n" +
                          "closed/new: " + closed + denied + "\n" + "sticky/others: " + create +
                          "sticky/others" + theirs + "fixed name: " + create +
                          "sticky/encrypt.exe" + theirs);
    EXPECT_EQ(test::readFile(dir / "mine/readonly"), toBytes("kept"));
    EXPECT_EQ(test::readFile(dir / "mine/rootfile"), toBytes("kept"));
    EXPECT_EQ(test::readFile(dir / "mine/shared"), toBytes("BCD"));
    // Not root's group any more, so no longer writable through it.
    EXPECT_EQ(linkStatus(dir / "mine/shared").st_mode & 0777, 0606u);
    EXPECT_EQ(test::readFile(dir / "closed/open"), toBytes("in place"));
    EXPECT_TRUE(S_ISLNK(linkStatus(dir / "sticky/encrypt.exe").st_mode));
    EXPECT_EQ(test::readFile(dir / "sticky/others"), toBytes("in place"));

    // Root too leaves what another user planted in a shared directory: its
    // output is never handed to them.
    make("sticky/encrypt.txt", 0666, 65534, "planted");
    ASSERT_EQ(::chdir((dir / "sticky").c_str()), 0);
    EXPECT_EQ(job(Mode::Text, dir / "in").status, JobStatus::CannotCreateOutput);
    EXPECT_EQ(test::readFile(dir / "sticky/encrypt.txt"), toBytes("planted"));
    for (const char* sub : {"mine", "closed", "sticky"})
        EXPECT_EQ(test::hiddenFiles(dir / sub), std::vector<std::string>{}) << sub;
}

// A member of a file's group who replaces it keeps the group, and with it
// the group's access, though the file becomes the member's.
TEST(OutputFile, GroupMemberReplacingASharedFileKeepsItsGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    test::TempDir dir;
    constexpr gid_t kShared = 100;
    ASSERT_EQ(::chown(dir.path().c_str(), 0, kShared), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0775), 0);
    writeFile("in", toBytes("x"));
    writeFile("shared", toBytes("old"));
    ASSERT_EQ(::chown("shared", 0, kShared), 0);
    ASSERT_EQ(::chmod("shared", 0664), 0);
    const std::string report = asUnprivilegedUser(
        [&] {
            const JobResult r = job(Mode::Binary, dir / "in", dir / "shared");
            return r.ok() ? std::string("ok") : r.describe();
        },
        {kShared});
    EXPECT_EQ(report, "ok");
    const struct stat st = linkStatus(dir / "shared");
    EXPECT_EQ(st.st_gid, kShared);
    EXPECT_EQ(st.st_mode & 0777, 0664u);
    EXPECT_EQ(test::readFile(dir / "shared"), toBytes("y"));
}

TEST(OutputFile, DirectoriesAreRefused) {
    test::TempDir dir;
    ASSERT_EQ(::mkdir("folder", 0755), 0);
    OutputFile file;
    EXPECT_EQ(file.open("folder", false, "wb"), EISDIR);
    EXPECT_EQ(file.open("folder/", true, "wb"), EISDIR);
    EXPECT_EQ(file.open("missing/out", true, "wb"), ENOENT);
    EXPECT_EQ(openStreamCount(), kStandardStreams);
}

}  // namespace
}  // namespace ottomix
