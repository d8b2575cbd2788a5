// Helpers shared by the core and command-line tests: scratch directories,
// whole-file I/O and running a child program with its output captured.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_stream.h"

namespace ottomix::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes toBytes(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const Bytes& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
    ASSERT_TRUE(out.good()) << path;
}

// Names in `dir` that begin with a dot: where a job's temporary files would be.
inline std::vector<std::string> hiddenFiles(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name[0] == '.') names.push_back(name);
    }
    return names;
}

inline bool exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

// A fresh directory under /tmp that is the current directory while the
// object lives; the previous current directory is restored and the
// directory removed afterwards.
class TempDir {
  public:
    TempDir() {
        char tmpl[] = "/tmp/ottomix-test-XXXXXX";
        if (::mkdtemp(tmpl) == nullptr) std::abort();
        path_ = tmpl;
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::current_path(old_, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
    std::filesystem::path old_;
};

struct ProcessResult {
    int exitCode = -1;  // -1 when the child did not exit normally
    std::string out;
    std::string err;
};

inline std::string readMemFile(int fd) {
    std::string s;
    ::lseek(fd, 0, SEEK_SET);
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) s.append(buf, static_cast<std::size_t>(n));
    ::close(fd);
    return s;
}

// Runs argv[0] in `cwd` with standard input from /dev/null. Standard output
// and error are captured, unless `err_fd` names a descriptor to use for
// standard error instead.
inline ProcessResult run(const std::vector<std::string>& args, const std::string& cwd = ".",
                         int errFd = -1) {
    const int out = ::memfd_create("stdout", 0);
    const int err = errFd >= 0 ? -1 : ::memfd_create("stderr", 0);
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(errFd >= 0 ? errFd : err, 2);
        if (::chdir(cwd.c_str()) != 0) ::_exit(126);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ProcessResult r;
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
    r.out = readMemFile(out);
    if (err >= 0) r.err = readMemFile(err);
    return r;
}

// Sends standard output (fd 1) to a memory file while it lives, so the
// lines the jobs print can be checked.
class CapturedStdout {
  public:
    CapturedStdout() : saved_(::dup(1)), fd_(::memfd_create("captured", 0)) {
        ottomix::stdOut().flush();
        ::dup2(fd_, 1);
    }
    ~CapturedStdout() { take(); }
    std::string take() {
        if (saved_ < 0) return {};
        ottomix::stdOut().flush();
        ::dup2(saved_, 1);
        ::close(saved_);
        saved_ = -1;
        return readMemFile(fd_);
    }

  private:
    int saved_;
    int fd_;
};

}  // namespace ottomix::test
