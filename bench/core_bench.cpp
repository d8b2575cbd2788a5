// Throughput of the cipher job (through ottomix-cli) beside reference tools
// measured in the same run on the same files:
//   floor - dd bs=512 reading the file once plus dd bs=512 copying it once:
//           the system calls a job's two passes make with 512-byte buffers
//   tr    - GNU tr doing the binary shift
//   cp    - a plain copy
// Usage: ottomix_bench_core PATH/TO/ottomix-cli [MiB] [repeats]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Run {
    double seconds = 0;
    long max_rss_kib = 0;
};

// Runs argv with optional stdin/stdout files; returns wall time and peak RSS
// (an upper bound: the child's figure includes this program's own pages it
// shared before exec).
Run Spawn(const std::vector<std::string>& args, const std::string& in = "",
          const std::string& out = "", const std::string& cwd = "") {
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    if (!in.empty()) posix_spawn_file_actions_addopen(&fa, 0, in.c_str(), O_RDONLY, 0);
    if (!out.empty())
        posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&fa, cwd.c_str());
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(1);
    }
    int status = 0;
    struct rusage ru {};
    wait4(pid, &status, 0, &ru);
    const auto t1 = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&fa);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed (status %d)\n", argv[0], status);
        std::exit(1);
    }
    return {std::chrono::duration<double>(t1 - t0).count(), ru.ru_maxrss};
}

Run Best(int repeats, const auto& fn) {
    Run best{1e300, 0};
    for (int i = 0; i < repeats; ++i) {
        const Run r = fn();
        if (r.seconds < best.seconds) best.seconds = r.seconds;
        if (r.max_rss_kib > best.max_rss_kib) best.max_rss_kib = r.max_rss_kib;
    }
    return best;
}

void MakeRandom(const std::string& path, std::size_t bytes) {
    std::mt19937_64 rng(42);
    std::vector<std::uint64_t> block(1 << 17);
    FILE* f = std::fopen(path.c_str(), "wb");
    for (std::size_t done = 0; done < bytes;) {
        for (auto& w : block) w = rng();
        const std::size_t n = std::min(bytes - done, block.size() * 8);
        std::fwrite(block.data(), 1, n, f);
        done += n;
    }
    std::fclose(f);
}

// Printable ASCII in lines of 20..100 characters ended by CR LF.
void MakeText(const std::string& path, std::size_t bytes) {
    std::mt19937 rng(7);
    std::string buf;
    buf.reserve(1 << 20);
    FILE* f = std::fopen(path.c_str(), "wb");
    std::size_t done = 0;
    while (done < bytes) {
        buf.clear();
        while (buf.size() < (1 << 20) - 128) {
            const int len = 20 + static_cast<int>(rng() % 81);
            for (int i = 0; i < len; ++i) buf += static_cast<char>(' ' + rng() % 95);
            buf += "\r\n";
        }
        const std::size_t n = std::min(bytes - done, buf.size());
        std::fwrite(buf.data(), 1, n, f);
        done += n;
    }
    std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s ottomix-cli [MiB] [repeats]\n", argv[0]);
        return 2;
    }
    const std::string cli = fs::absolute(argv[1]).string();
    const std::size_t mib = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 256;
    const int repeats = argc > 3 ? std::atoi(argv[3]) : 3;
    const std::size_t bytes = mib << 20;

    char tmpl[] = "/tmp/ottomix-bench-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    const std::string bin = dir + "/random.bin", txt = dir + "/text.txt";
    const std::string small = dir + "/small.bin", copy = dir + "/copy";
    std::printf("Generating %zu MiB of random bytes and %zu MiB of text in %s ...\n", mib, mib,
                dir.c_str());
    MakeRandom(bin, bytes);
    MakeText(txt, bytes);
    MakeRandom(small, 1 << 20);
    const double mb = static_cast<double>(bytes) / 1e6;

    auto floor_of = [&](const std::string& f) {
        const Run a = Best(repeats, [&] {
            return Spawn({"dd", "if=" + f, "of=/dev/null", "bs=512", "status=none"});
        });
        const Run b = Best(repeats, [&] {
            return Spawn({"dd", "if=" + f, "of=" + copy, "bs=512", "status=none"});
        });
        return a.seconds + b.seconds;
    };
    const double floor_bin = floor_of(bin), floor_txt = floor_of(txt);
    const Run tr = Best(repeats, [&] {
        return Spawn({"tr", std::string("\\000-\\377"), std::string("\\001-\\377\\000")}, bin,
                     copy);
    });
    const Run cp = Best(repeats, [&] { return Spawn({"cp", bin, copy}); });

    std::printf("\nReference (same run)          time     MB/s\n");
    std::printf("  512-byte floor, random     %6.3f s %7.1f\n", floor_bin, mb / floor_bin);
    std::printf("  512-byte floor, text       %6.3f s %7.1f\n", floor_txt, mb / floor_txt);
    std::printf("  tr binary shift            %6.3f s %7.1f\n", tr.seconds, mb / tr.seconds);
    std::printf("  cp                         %6.3f s %7.1f\n", cp.seconds, mb / cp.seconds);

    struct Case {
        const char* name;
        const char* dir;
        const char* mode;
        const std::string* input;
        double floor;
        double target;
    };
    const Case cases[] = {
        {"binary encrypt", "encrypt", "--binary", &bin, floor_bin, 1.3},
        {"binary decrypt", "decrypt", "--binary", &bin, floor_bin, 1.3},
        {"text encrypt  ", "encrypt", "--text", &txt, floor_txt, 1.5},
        {"text decrypt  ", "decrypt", "--text", &txt, floor_txt, 1.5},
    };
    std::printf("\nJob (ottomix-cli)  time     MB/s  x floor (target)  x tr   x cp  peak RSS\n");
    bool all_met = true;
    for (const Case& c : cases) {
        const Run r = Best(repeats, [&] {
            return Spawn({cli, c.dir, c.mode, *c.input}, "", "/dev/null", dir);
        });
        const double ratio = r.seconds / c.floor;
        all_met = all_met && ratio <= c.target;
        std::printf("  %s  %6.3f s %7.1f  %5.2f (<= %.1f) %s %5.2f %6.2f  %5.1f MiB\n", c.name,
                    r.seconds, mb / r.seconds, ratio, c.target, ratio <= c.target ? "ok " : "MISS",
                    r.seconds / tr.seconds, r.seconds / cp.seconds, r.max_rss_kib / 1024.0);
    }
    const Run small_run = Spawn({cli, "encrypt", "--binary", small}, "", "", dir);
    const Run big_run = Spawn({cli, "encrypt", "--binary", bin}, "", "", dir);
    std::printf(
        "\nPeak memory of ottomix-cli: 1 MiB input %.1f MiB, %zu MiB input %.1f MiB (limit 8 "
        "MiB)\n",
        small_run.max_rss_kib / 1024.0, mib, big_run.max_rss_kib / 1024.0);
    // A job syncs its output before renaming it into place, so a crash leaves
    // the whole earlier or the whole new file. What that costs on this disk:
    for (const std::string* f : {&small, &bin}) {
        const Run plain = Best(repeats, [&] {
            return Spawn({"dd", "if=" + *f, "of=" + copy, "bs=1M", "status=none"});
        });
        const Run synced = Best(repeats, [&] {
            return Spawn(
                {"dd", "if=" + *f, "of=" + copy, "bs=1M", "conv=fdatasync", "status=none"});
        });
        std::printf("fdatasync of a %zu MiB output costs %.1f ms (dd with and without it)\n",
                    static_cast<std::size_t>(fs::file_size(*f) >> 20),
                    1000.0 * (synced.seconds - plain.seconds));
    }
    std::printf("%s\n",
                all_met ? "All throughput targets met." : "Some throughput targets missed.");
    fs::remove_all(dir);
    return 0;
}
