// The cipher job (ottomix-cli) against references timed in the same run on
// the same files:
//   floor - ottomix_bench_floor: the same two passes and the same bytes out,
//           with plain read/write and 1 MiB buffers, synced as a job syncs
//   tr    - GNU tr doing the binary shift (one pass, no sync)
// and, for information, the floor without its sync: what the disk adds.
// Each measure runs the job and its references alternately, each run from a
// clean state, and compares the medians. Every job's output is checked
// against the floor's, byte for byte, before anything is timed.
//
// Usage: ottomix_bench_core PATH/TO/ottomix-cli [MiB] [repeats]
// BENCH_BASELINE_CLI=another/ottomix-cli times that one too, in the same runs,
// for a before/after comparison. BENCH_DIR is where the temporary files go.
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

using namespace ottomix_bench;

constexpr double kFloorTarget = 1.15;
constexpr double kTrTarget = 0.80;
constexpr double kRssLimitMiB = 8.0;

// Outputs that differ from a reference's: [0] this build's CLI, [1] the baseline's.
int gMismatches[2] = {0, 0};

const char* fixedOutputName(bool encrypt, bool text) {
    if (text) return encrypt ? "encrypt.txt" : "dencrypt.txt";
    return encrypt ? "encrypt.exe" : "decrypt.exe";
}

struct Job {
    bool encrypt;
    bool text;
    const char* direction() const { return encrypt ? "encrypt" : "decrypt"; }
    const char* mode() const { return text ? "--text" : "--binary"; }
    std::string name() const { return std::string(text ? "text " : "binary ") + direction(); }
};

// One program timed in a measure.
struct Contender {
    enum Kind { Cli, Floor, FloorNoSync, Tr } kind;
    std::string label;    // "ottomix-cli", "before", "floor", "floor, no sync", "tr"
    std::string program;  // for Cli and Floor
    std::vector<double> seconds;
    long maxRssKib = 0;
};

class Bench {
  public:
    explicit Bench(std::string dir) : dir_(std::move(dir)) {}

    // Runs `c` once on `input`; its output lands in `output` (a name in the
    // temporary directory), or for a job under the fixed name, then renamed.
    Run runOnce(Contender& c, const Job& job, const std::string& input,
                const std::string& output = "") {
        Run r;
        switch (c.kind) {
            case Contender::Cli: {
                r = spawn({c.program, job.direction(), job.mode(), input}, "", "", dir_);
                c.maxRssKib = std::max(c.maxRssKib, r.maxRssKib);
                if (!output.empty())
                    fs::rename(dir_ + "/" + fixedOutputName(job.encrypt, job.text),
                               dir_ + "/" + output);
                break;
            }
            case Contender::Floor:
                r = spawn({c.program, job.direction(), job.mode(), input,
                           dir_ + "/" + (output.empty() ? "floor.out" : output)});
                break;
            case Contender::FloorNoSync:
                r = spawn({c.program, job.direction(), job.mode(), input,
                           dir_ + "/" + (output.empty() ? "floor.out" : output), "--no-sync"});
                break;
            case Contender::Tr:
                r = spawn({"tr", "\\000-\\377", "\\001-\\377\\000"}, input,
                          dir_ + "/" + (output.empty() ? "tr.out" : output));
                break;
        }
        return r;
    }

    void clean() {
        settle(dir_, {"encrypt.exe", "decrypt.exe", "encrypt.txt", "dencrypt.txt", "floor.out",
                      "tr.out", "check.job", "check.ref"});
    }

    // The job's output against the reference's, on `input`; loud when they differ.
    bool check(Contender& jobSide, Contender& ref, const Job& job, const std::string& input,
               const std::string& what) {
        clean();
        runOnce(ref, job, input, "check.ref");
        runOnce(jobSide, job, input, "check.job");
        const std::string diff = compareFiles(dir_ + "/check.job", dir_ + "/check.ref");
        clean();
        if (diff.empty()) return true;
        ++gMismatches[jobSide.label == "before" ? 1 : 0];
        std::printf("\n!!!!!!!! MISMATCH !!!!!!!! %s %s %s on %s: output differs from %s's: %s\n\n",
                    jobSide.label.c_str(), job.mode(), job.direction(), what.c_str(),
                    ref.label.c_str(), diff.c_str());
        std::fflush(stdout);
        return false;
    }

    const std::string& dir() const { return dir_; }

  private:
    std::string dir_;
};

// Small files that take the text rules through their corners: CRs alone and
// in pairs, LFs written as CR LF, CR LF pairs across every power-of-two
// buffer edge, Ctrl-Z in the middle, an empty file.
std::vector<std::pair<std::string, std::string>> makeCheckFiles(const std::string& dir) {
    std::vector<std::pair<std::string, std::string>> files;
    auto add = [&](const std::string& name, const std::string& what, const std::string& bytes) {
        const std::string path = dir + "/" + name;
        FILE* f = createOrDie(path);
        writeFileOrDie(f, bytes.data(), bytes.size(), path);
        closeOrDie(f, path);
        files.emplace_back(path, what);
    };
    add("empty", "an empty file", "");
    add("one-cr", "a file of one CR", "\r");
    add("one-mark", "a file of one Ctrl-Z", "\x1a");

    std::mt19937_64 rng(2024);
    // Every byte value but Ctrl-Z, so Text Mode reads it all.
    std::string mixed(3 * (1 << 20) + 777, '\0');
    for (auto& c : mixed) {
        c = static_cast<char>(rng() & 0xFF);
        if (c == '\x1a') c = '\x1b';
    }
    add("mixed", "3 MiB of random bytes without Ctrl-Z", mixed);
    // The same with a Ctrl-Z past the first MiB and more bytes behind it.
    std::string marked = mixed;
    marked[(1 << 20) + 300001] = '\x1a';
    add("marked", "random bytes with a Ctrl-Z at byte 1348877", marked);
    // Printable lines; a CR LF pair straddles every multiple of 4096, with
    // a lone CR and a byte that shifts onto LF both ways close behind.
    std::string edges(2 * (1 << 20) + 5, 'x');
    for (std::size_t i = 0; i < edges.size(); ++i) edges[i] = static_cast<char>(' ' + rng() % 95);
    for (std::size_t p = 4096; p + 200 < edges.size(); p += 4096) {
        edges[p - 1] = '\r';
        edges[p] = '\n';
        edges[p + 100] = '\r';
        edges[p + 150] = '\x0c';  // LF after encrypting with key 2
        edges[p + 151] = '\x07';  // LF after decrypting with key 3
        edges[p + 152] = '\x08';  // LF after decrypting with key 2
    }
    add("edges", "2 MiB of lines with CR LF across buffer edges", edges);
    return files;
}

struct Row {
    std::string measure;
    std::string who;
    double job = 0, ref = 0;
    double target = 0;
    bool counts = false;  // a target of this build (not of the baseline)
    double mb = 0;
};

std::string fmt(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s ottomix-cli [MiB] [repeats]\n", argv[0]);
        return 2;
    }
    // Big buffers straight from the system and back, whatever their history:
    // a child's peak memory figure includes what this process holds when
    // it forks (see Spawn), so this process keeps no freed heap around.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string cli = fs::absolute(argv[1]).string();
    const std::size_t mib = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 512;
    const int repeats = std::max(1, argc > 3 ? std::atoi(argv[3]) : 5);
    const std::size_t bytes = mib << 20;
    const std::string floor =
        (fs::read_symlink("/proc/self/exe").parent_path() / "ottomix_bench_floor").string();
    const char* baselineEnv = std::getenv("BENCH_BASELINE_CLI");
    const std::string baseline =
        baselineEnv != nullptr && *baselineEnv != '\0' ? fs::absolute(baselineEnv).string() : "";
    for (const std::string* p : {&cli, &floor, &baseline}) {
        if (!p->empty() && ::access(p->c_str(), X_OK) != 0) {
            std::fprintf(stderr, "ERROR: %s is not an executable program\n", p->c_str());
            return 2;
        }
    }

    const std::string dir = makeTempDir("ottomix-bench");
    removeAtExit(dir);
    Bench bench(dir);

    Contender job{Contender::Cli, "ottomix-cli", cli, {}, 0};
    Contender before{Contender::Cli, "before", baseline, {}, 0};
    Contender floorRef{Contender::Floor, "floor", floor, {}, 0};
    Contender trRef{Contender::Tr, "tr", "", {}, 0};
    Contender unsynced{Contender::FloorNoSync, "floor-nosync", floor, {}, 0};
    std::vector<Contender*> jobs{&job};
    if (!baseline.empty()) jobs.push_back(&before);

    std::printf("ottomix-cli: %s\n", cli.c_str());
    if (!baseline.empty()) std::printf("before:      %s (BENCH_BASELINE_CLI)\n", baseline.c_str());
    std::printf("floor:       %s\n", floor.c_str());

    // Corner cases first: a wrong output makes every figure moot.
    const auto checkFiles = makeCheckFiles(dir);
    int checks = 0, checkFailures = 0;
    for (const auto& [path, what] : checkFiles)
        for (const bool text : {false, true})
            for (const bool encrypt : {true, false})
                for (Contender* j : jobs) {
                    ++checks;
                    if (!bench.check(*j, floorRef, Job{encrypt, text}, path, what)) ++checkFailures;
                }
    std::printf("Output check on %zu small files: %d of %d jobs identical to the floor%s\n",
                checkFiles.size(), checks - checkFailures, checks,
                checkFailures == 0 ? "" : "  <== MISMATCH");
    for (const auto& f : checkFiles) fs::remove(f.first);

    const std::string bin = dir + "/random.bin", txt = dir + "/text.txt";
    std::printf("Generating %zu MiB of random bytes and %zu MiB of CR LF text in %s ...\n", mib,
                mib, dir.c_str());
    makeRandom(bin, bytes);
    makeText(txt, bytes);
    const double mb = static_cast<double>(bytes) / 1e6;

    struct Measure {
        Job job;
        const std::string* input;
        bool withTr;
    };
    const Measure measures[] = {
        {{true, false}, &bin, true},
        {{false, false}, &bin, false},
        {{true, true}, &txt, false},
        {{false, true}, &txt, false},
    };
    std::vector<Row> rows;
    long rssBin[2] = {0, 0}, rssTxt[2] = {0, 0};  // [job, before]
    for (const Measure& m : measures) {
        std::vector<Contender*> all = jobs;
        all.push_back(&floorRef);
        if (m.withTr) all.push_back(&trRef);
        if (m.withTr) all.push_back(&unsynced);
        for (Contender* c : all) {
            c->seconds.clear();
            c->maxRssKib = 0;
        }
        // Untimed: warms the page cache and checks the big outputs.
        const std::string what =
            std::to_string(mib) + " MiB of " + (m.job.text ? "text" : "random bytes");
        for (Contender* j : jobs) {
            bench.check(*j, floorRef, m.job, *m.input, what);
            if (m.withTr) bench.check(*j, trRef, m.job, *m.input, what);
        }
        std::printf("%-15s", m.job.name().c_str());
        for (int r = 0; r < repeats; ++r) {
            // Rotate the order so no side always follows the same one.
            for (std::size_t k = 0; k < all.size(); ++k) {
                Contender* c = all[(k + static_cast<std::size_t>(r)) % all.size()];
                bench.clean();
                c->seconds.push_back(bench.runOnce(*c, m.job, *m.input).seconds);
            }
            std::printf(" .");
        }
        bench.clean();
        std::printf("\n   runs (s):");
        for (Contender* c : all) {
            std::printf("  %s", c->label.c_str());
            for (double s : c->seconds) std::printf(" %.3f", s);
        }
        std::printf("\n");

        for (std::size_t i = 0; i < jobs.size(); ++i) {
            Contender& j = *jobs[i];
            const std::string who = i == 0 ? "new" : "before";
            rows.push_back({m.job.name() + " / floor", who, median(j.seconds),
                            median(floorRef.seconds), kFloorTarget, i == 0, mb});
            if (m.withTr) {
                rows.push_back({m.job.name() + " / tr", who, median(j.seconds),
                                median(trRef.seconds), kTrTarget, i == 0, mb});
                rows.push_back({m.job.name() + " / floor, no sync", who, median(j.seconds),
                                median(unsynced.seconds), 0, false, mb});
            }
            long* rss = m.job.text ? rssTxt : rssBin;
            rss[i] = std::max(rss[i], j.maxRssKib);
        }
    }

    // Floor rows first, then tr, each with its before row under it.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return a.target > b.target; });
    int targets = 0, met = 0;
    std::vector<std::string> missed;
    std::printf("\nCipher job, %zu MiB inputs, medians of %d paired runs\n", mib, repeats);
    std::printf("%-31s %-6s %8s %8s %7s %8s %-6s %9s %9s\n", "Measure", "CLI", "job s", "ref s",
                "ratio", "target", "result", "job MB/s", "ref MB/s");
    for (const Row& r : rows) {
        const double ratio = r.job / r.ref;
        const bool ok = ratio <= r.target;
        if (r.target == 0) {  // for information only
            std::printf("%-31s %-6s %8.3f %8.3f %7.3f %8s %-6s %9.1f %9.1f\n", r.measure.c_str(),
                        r.who.c_str(), r.job, r.ref, ratio, "", "info", r.mb / r.job, r.mb / r.ref);
            continue;
        }
        if (r.counts) {
            ++targets;
            if (ok)
                ++met;
            else
                missed.push_back(r.measure);
        }
        std::printf("%-31s %-6s %8.3f %8.3f %7.3f %8s %-6s %9.1f %9.1f\n", r.measure.c_str(),
                    r.who.c_str(), r.job, r.ref, ratio, ("<= " + fmt("%.2f", r.target)).c_str(),
                    ok ? "ok" : "MISS", r.mb / r.job, r.mb / r.ref);
    }
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        for (const bool text : {false, true}) {
            const double rss = static_cast<double>(text ? rssTxt[i] : rssBin[i]) / 1024.0;
            const bool ok = rss < kRssLimitMiB;
            const std::string measure = std::string("CLI peak RSS, ") + (text ? "text" : "binary");
            if (i == 0) {
                ++targets;
                if (ok)
                    ++met;
                else
                    missed.push_back(measure);
            }
            std::printf("%-31s %-6s %8s %8s %7s %8s %-6s\n", measure.c_str(),
                        i == 0 ? "new" : "before", (fmt("%.1f", rss) + " MiB").c_str(), "", "",
                        ("< " + fmt("%.0f", kRssLimitMiB) + " MiB").c_str(), ok ? "ok" : "MISS");
        }
    }
    // What a child started the same way shows when it does nothing.
    const Run idle = spawn({"true"});
    std::printf(
        "(peak RSS: the most any run of the job reached on the %zu MiB inputs; /bin/true "
        "started the same way shows %.1f MiB)\n",
        mib, static_cast<double>(idle.maxRssKib) / 1024.0);

    if (gMismatches[0] > 0)
        std::printf(
            "\n!!!!!!!! %d output MISMATCH(es) of ottomix-cli against a reference: see "
            "above !!!!!!!!\n",
            gMismatches[0]);
    else
        std::printf(
            "\nOutputs: every output of ottomix-cli is identical to the floor's (and to "
            "tr's).\n");
    if (!baseline.empty())
        std::printf("Outputs of the baseline CLI: %d MISMATCH(es).\n", gMismatches[1]);
    if (met == targets) {
        std::printf("All %d cipher job targets met.\n", targets);
    } else {
        std::printf("%d of %d cipher job targets missed:", targets - met, targets);
        for (const auto& m : missed) std::printf(" [%s]", m.c_str());
        std::printf("\n");
    }
    // For bench/run.sh's summary.
    std::printf("Targets: %d of %d met; mismatches: %d\n", met, targets, gMismatches[0]);
    return 0;
}
