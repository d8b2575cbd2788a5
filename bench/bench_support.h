// What the cipher job benches share: input files, starting programs and
// timing them, comparing outputs, medians.
#pragma once

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace ottomix_bench {

namespace fs = std::filesystem;

struct Run {
    double seconds = 0;     // wall clock, start to reaped
    double cpuSeconds = 0;  // user + system time of the child
    long maxRssKib = 0;     // the child's peak resident set
};

inline double seconds(const timeval& tv) {
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
}

// `name` as execv wants it: names without a slash are looked up in PATH.
inline std::string findProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = end == start ? std::string(".") : dirs.substr(start, end - start);
        candidate.append("/").append(name);
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return name;
}

// Runs `args` and waits for it, with standard input from `in` (default
// /dev/null), standard output to `out` (created; default /dev/null), in
// directory `cwd` (default ours). Standard error goes to a file in memory
// that is shown only when the child fails. A child that cannot start or
// does not exit with 0 ends the bench: its figures would mean nothing.
//
// fork, not posix_spawn: the kernel counts the peak of the address space an
// exec leaves into the child's ru_maxrss, and posix_spawn's child leaves ours,
// our peak size. After fork it leaves a copy holding our private pages only,
// so a small parent keeps the figure the child's own.
inline Run spawn(const std::vector<std::string>& args, const std::string& in = "",
                 const std::string& out = "", const std::string& cwd = "") {
    const std::string program = findProgram(args.at(0));
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const char* inPath = in.empty() ? "/dev/null" : in.c_str();
    const char* outPath = out.empty() ? "/dev/null" : out.c_str();
    const char* dir = cwd.empty() ? nullptr : cwd.c_str();
    const int errFd = ::memfd_create("child-stderr", MFD_CLOEXEC);

    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls from here: the parent may have threads.
        const int i = ::open(inPath, O_RDONLY | O_CLOEXEC);
        const int o = ::open(outPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const int e = errFd >= 0 ? errFd : ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (i < 0 || o < 0 || e < 0) ::_exit(126);
        if (::dup2(i, 0) < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0) ::_exit(126);
        if (dir != nullptr && ::chdir(dir) != 0) ::_exit(126);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (pid < 0) {
        std::perror("fork");
        std::exit(1);
    }
    int status = 0;
    struct rusage ru {};
    while (::wait4(pid, &status, 0, &ru) < 0) {
        if (errno != EINTR) {
            std::perror("wait4");
            std::exit(1);
        }
    }
    const auto t1 = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "\nERROR: %s failed (%s %d):", program.c_str(),
                     WIFEXITED(status) ? "exit status" : "signal",
                     WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status));
        for (const auto& a : args) std::fprintf(stderr, " %s", a.c_str());
        std::fprintf(stderr, "\n");
        if (errFd >= 0) {
            char said[4096];
            const ssize_t n = ::pread(errFd, said, sizeof said - 1, 0);
            if (n > 0) std::fprintf(stderr, "It said: %.*s\n", static_cast<int>(n), said);
        }
        std::exit(1);
    }
    if (errFd >= 0) ::close(errFd);
    return {std::chrono::duration<double>(t1 - t0).count(),
            seconds(ru.ru_utime) + seconds(ru.ru_stime), ru.ru_maxrss};
}

inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Buffers for the generators and the compare are freed again at once (they
// are large enough for malloc to map them), so this process stays small for
// the children's peak figures.
using Buffer = std::unique_ptr<unsigned char[]>;
constexpr std::size_t kIoBlock = 1 << 20;

inline void writeFileOrDie(FILE* f, const void* data, std::size_t n, const std::string& path) {
    if (std::fwrite(data, 1, n, f) != n) {
        std::fprintf(stderr, "ERROR: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

inline FILE* createOrDie(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::fprintf(stderr, "ERROR: cannot create %s: %s\n", path.c_str(), std::strerror(errno));
        std::exit(1);
    }
    return f;
}

inline void closeOrDie(FILE* f, const std::string& path) {
    if (std::fclose(f) != 0) {
        std::fprintf(stderr, "ERROR: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

// Uniformly random bytes.
inline void makeRandom(const std::string& path, std::size_t bytes, std::uint64_t seed = 42) {
    std::mt19937_64 rng(seed);
    Buffer block(new unsigned char[kIoBlock]);
    FILE* f = createOrDie(path);
    for (std::size_t done = 0; done < bytes;) {
        for (std::size_t i = 0; i < kIoBlock; i += 8) {
            const std::uint64_t w = rng();
            std::memcpy(block.get() + i, &w, 8);
        }
        const std::size_t n = std::min(bytes - done, kIoBlock);
        writeFileOrDie(f, block.get(), n, path);
        done += n;
    }
    closeOrDie(f, path);
}

// Printable ASCII in lines of 20..100 characters ended by CR LF.
inline void makeText(const std::string& path, std::size_t bytes) {
    std::mt19937 rng(7);
    std::string buf;
    buf.reserve(kIoBlock);
    FILE* f = createOrDie(path);
    std::size_t done = 0;
    while (done < bytes) {
        buf.clear();
        while (buf.size() < kIoBlock - 128) {
            const int len = 20 + static_cast<int>(rng() % 81);
            for (int i = 0; i < len; ++i) buf += static_cast<char>(' ' + rng() % 95);
            buf += "\r\n";
        }
        const std::size_t n = std::min(bytes - done, buf.size());
        writeFileOrDie(f, buf.data(), n, path);
        done += n;
    }
    closeOrDie(f, path);
}

// Empty when the files hold the same bytes; otherwise where they first differ.
inline std::string compareFiles(const std::string& a, const std::string& b) {
    const int fa = ::open(a.c_str(), O_RDONLY);
    const int fb = ::open(b.c_str(), O_RDONLY);
    if (fa < 0 || fb < 0) {
        if (fa >= 0) ::close(fa);
        if (fb >= 0) ::close(fb);
        return std::string("cannot open ") + (fa < 0 ? a : b);
    }
    struct stat sa {
    }, sb{};
    ::fstat(fa, &sa);
    ::fstat(fb, &sb);
    Buffer ba(new unsigned char[kIoBlock]), bb(new unsigned char[kIoBlock]);
    std::string diff;
    std::uint64_t offset = 0;
    for (;;) {
        // Full blocks from both sides, so the two stay in step.
        auto fill = [](int fd, unsigned char* p) {
            std::size_t got = 0;
            while (got < kIoBlock) {
                const ssize_t n = ::read(fd, p + got, kIoBlock - got);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                got += static_cast<std::size_t>(n);
            }
            return got;
        };
        const std::size_t na = fill(fa, ba.get()), nb = fill(fb, bb.get());
        const std::size_t common = std::min(na, nb);
        if (std::memcmp(ba.get(), bb.get(), common) != 0) {
            std::size_t i = 0;
            while (ba[i] == bb[i]) ++i;
            char text[160];
            std::snprintf(text, sizeof text,
                          "first difference at byte offset %llu: 0x%02X vs 0x%02X",
                          static_cast<unsigned long long>(offset) + i, ba[i], bb[i]);
            diff = text;
            break;
        }
        if (na != nb) {
            char text[160];
            std::snprintf(text, sizeof text,
                          "one output ends at byte offset %llu, the other goes on",
                          static_cast<unsigned long long>(offset) + common);
            diff = text;
            break;
        }
        if (na == 0) break;
        offset += na;
    }
    ::close(fa);
    ::close(fb);
    if (!diff.empty() || sa.st_size != sb.st_size) {
        char sizes[120];
        std::snprintf(sizes, sizeof sizes, "%ssizes %lld and %lld bytes", diff.empty() ? "" : "; ",
                      static_cast<long long>(sa.st_size), static_cast<long long>(sb.st_size));
        diff += sizes;
    }
    return diff;
}

// Between two timed runs: the outputs of earlier runs go (so no run pays for
// truncating or replacing a big file) and everything dirty on that file
// system is written out (so no run pays for an earlier run's write-back).
inline void settle(const std::string& dir, const std::vector<std::string>& names) {
    for (const auto& n : names) ::unlink(std::string(dir).append("/").append(n).c_str());
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

// Removes `dir` and all in it when the process exits, also after an error.
inline void removeAtExit(const std::string& dir) {
    static std::string victim;
    static bool registered = false;
    victim = dir;
    if (!registered) {
        registered = true;
        std::atexit([] {
            std::error_code ignored;
            if (!victim.empty()) fs::remove_all(victim, ignored);
        });
    }
}

// A fresh directory under BENCH_DIR, or else the system's temporary one.
inline std::string makeTempDir(const char* prefix) {
    const char* parent = std::getenv("BENCH_DIR");
    std::string tmpl = std::string(parent != nullptr && *parent != '\0' ? parent : "/tmp") + "/" +
                       prefix + "-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) == nullptr) {
        std::fprintf(stderr, "ERROR: cannot make %s: %s\n", tmpl.c_str(), std::strerror(errno));
        std::exit(1);
    }
    return buf.data();
}

inline std::size_t envOr(const char* name, std::size_t fallback) {
    const char* v = std::getenv(name);
    if (v == nullptr || *v == '\0') return fallback;
    const long n = std::strtol(v, nullptr, 10);
    return n > 0 ? static_cast<std::size_t>(n) : fallback;
}

}  // namespace ottomix_bench
