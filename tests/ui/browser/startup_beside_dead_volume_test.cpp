// The real program started beside a FUSE volume that never answers, in a
// mount namespace of the test's own (as root; skipped elsewhere), in a
// directory holding a link into that volume: after three seconds it still
// runs with its main thread back in the event loop, not waiting on the
// volume, and ends on SIGTERM.
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "mount_namespace.h"

namespace ottomix {
namespace {

// The main thread's state letter and the kernel function it sleeps in.
std::string mainThreadWait(pid_t pid) {
    const std::string task = "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid);
    std::ifstream statFile(task + "/stat");
    std::string statLine;
    std::getline(statFile, statLine);
    // "pid (comm) S ...": the state follows the last ')'.
    const size_t paren = statLine.rfind(')');
    const std::string state = paren == std::string::npos ? "?" : statLine.substr(paren + 2, 1);
    std::ifstream wchanFile(task + "/wchan");
    std::string wchan;
    std::getline(wchanFile, wchan);
    return state + " " + wchan;
}

TEST(StartupBesideDeadVolume, ProgramComesUpAndStaysResponsive) {
    char pattern[] = "/tmp/ottomix-startup-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string root = pattern;
    runWithPrivateMounts([&root] {
        mkdir((root + "/dead").c_str(), 0755);
        mkdir((root + "/work").c_str(), 0755);
        std::ofstream(root + "/work/notes.txt") << "x";
        DeadFuseMount dead;
        std::string why;
        if (!dead.mountAt(root + "/dead", &why)) skipChild(why);
        ASSERT_EQ(symlink((root + "/dead/x.txt").c_str(), (root + "/work/link.txt").c_str()), 0);

        const pid_t program = fork();
        ASSERT_GE(program, 0);
        if (program == 0) {
            if (chdir((root + "/work").c_str()) != 0) _exit(126);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            execl(OTTOMIX_PROGRAM, OTTOMIX_PROGRAM, static_cast<char*>(nullptr));
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::seconds(3));
        int status = 0;
        ASSERT_EQ(waitpid(program, &status, WNOHANG), 0)
            << "the program ended at start-up (status " << status << ")";
        // Sampled a few times: never waiting on FUSE (or, where the kernel
        // does not name the function, never in an uninterruptible wait).
        for (int i = 0; i < 5; ++i) {
            const std::string wait = mainThreadWait(program);
            const std::string function = wait.substr(2);
            if (function.empty() || function == "0") {
                EXPECT_NE(wait[0], 'D') << wait;
            } else {
                EXPECT_EQ(function.find("fuse"), std::string::npos) << wait;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        kill(program, SIGTERM);
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (waitpid(program, &status, WNOHANG) != program) {
            if (std::chrono::steady_clock::now() > end) {
                kill(program, SIGKILL);
                waitpid(program, &status, 0);
                ADD_FAILURE() << "the program did not end on SIGTERM";
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        dead.abortConnection();
    });
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace ottomix
