// Test support for real mounts: a child process with a mount namespace of
// its own, so nothing it mounts reaches the machine, and a FUSE file system
// that never answers (mounted from /dev/fuse with nobody reading the
// device, so every request on it waits for good, as on a dead server).
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

namespace ottomix {

// The child's exit status for "skipped"; the reason goes through a pipe.
inline constexpr int kSkippedStatus = 77;

inline int& skipReasonPipe() {
    static int fd = -1;
    return fd;
}

// Ends the child, reporting the test as skipped for `why`.
[[noreturn]] inline void skipChild(const std::string& why) {
    if (skipReasonPipe() >= 0 && write(skipReasonPipe(), why.data(), why.size()) < 0) {
        std::perror("skip reason");
    }
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(kSkippedStatus);
}

inline std::string errnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

class DeadFuseMount {
  public:
    DeadFuseMount() = default;
    DeadFuseMount(const DeadFuseMount&) = delete;
    DeadFuseMount& operator=(const DeadFuseMount&) = delete;
    ~DeadFuseMount() { abortConnection(); }

    // Mounts the file system at `dir` as type fuse.deadtest; false, with
    // the reason, when /dev/fuse or the mount is not to be had.
    bool mountAt(const std::string& dir, std::string* why) {
        // Close-on-exec: a program started meanwhile must not keep the
        // connection alive after abortConnection().
        fd_ = open("/dev/fuse", O_RDWR | O_CLOEXEC);
        if (fd_ < 0) {
            *why = errnoText("/dev/fuse");
            return false;
        }
        const std::string options =
            "fd=" + std::to_string(fd_) + ",rootmode=40000,user_id=0,group_id=0";
        if (::mount("deadtest", dir.c_str(), "fuse.deadtest", MS_NOSUID | MS_NODEV,
                    options.c_str()) != 0) {
            *why = errnoText("mount fuse.deadtest");
            abortConnection();
            return false;
        }
        return true;
    }
    // Ends the connection: every request waiting on it fails, so the threads
    // blocked on it return.
    void abortConnection() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

  private:
    int fd_ = -1;
};

// Runs `body` in a forked child that has a mount namespace of its own with
// "/" made private, and turns the child's outcome into this test's: the
// child's failures are printed as they happen and make it exit with 1;
// SkipChild() skips the test; a child that has not finished within
// `limit` is killed and fails it. Where no namespace can be had (not root)
// the test is skipped.
inline void runWithPrivateMounts(const std::function<void()>& body,
                                 std::chrono::seconds limit = std::chrono::seconds(60)) {
    int reason[2];
    ASSERT_EQ(pipe2(reason, O_CLOEXEC), 0);
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    ASSERT_GE(child, 0) << errnoText("fork");
    if (child == 0) {
        close(reason[0]);
        skipReasonPipe() = reason[1];
        if (unshare(CLONE_NEWNS) != 0) skipChild(errnoText("unshare(CLONE_NEWNS), needs root"));
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            skipChild(errnoText("making / private"));
        }
        body();
        const bool failed = ::testing::Test::HasFailure();
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(failed ? 1 : 0);
    }
    close(reason[1]);
    int status = 0;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (waitpid(child, &status, WNOHANG) != child) {
        if (std::chrono::steady_clock::now() > end) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            close(reason[0]);
            FAIL() << "the child did not finish within " << limit.count() << " s";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::string why;
    char buffer[256];
    for (ssize_t n; (n = read(reason[0], buffer, sizeof buffer)) > 0;) why.append(buffer, n);
    close(reason[0]);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kSkippedStatus) GTEST_SKIP() << why;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the child failed (status " << status << "); its failures are printed above";
}

}  // namespace ottomix
