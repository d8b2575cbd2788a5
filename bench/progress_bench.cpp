// The window's cipher job against ottomix-cli's: the job run as the program
// runs it, on a worker thread through JobRunner reporting to a shown
// ProgressWindow, against ottomix-cli started on the same file in the same
// mode. The two run alternately; the figure is the ratio of the medians.
// Runs offscreen unless DISPLAY is set.
//
//   ottomix_bench_progress --cli PATH/TO/ottomix-cli [--mib N] [--runs N]
//                          [--dir PARENT] [--screenshot FILE]
//
// --mib and --runs default to BENCH_MIB and BENCH_REPEATS (else 512 and 5);
// the files go to a temporary directory under PARENT (default BENCH_DIR,
// else /tmp). --screenshot grabs the whole display (ImageMagick's import)
// once the bar stands at half way, in an untimed run.
#include <time.h>

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/cipher_job.h"
#include "ui/job_runner.h"
#include "ui/progress_window.h"

namespace {

using namespace ottomix_bench;

constexpr double kTarget = 1.10;

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Grabs the display once the window's bar reaches half way.
class HalfWayCamera {
  public:
    HalfWayCamera(const ottomix::ProgressWindow& window, const QString& path)
        : window_(window), path_(path) {
        if (path_.isEmpty()) return;
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
        timer_.start();
    }

  private:
    void look() {
        if (window_.maximum() <= 1 || window_.position() * 2 < window_.maximum()) return;
        timer_.stop();
        const int rc = QProcess::execute(
            QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path_});
        std::printf("screenshot at %lld of %lld bytes: %s (import exit %d)\n",
                    static_cast<long long>(window_.position()),
                    static_cast<long long>(window_.maximum()), qPrintable(path_), rc);
    }

    const ottomix::ProgressWindow& window_;
    QString path_;
    QTimer timer_;
};

struct WindowRun {
    double seconds = 0;
    double cpuSeconds = 0;  // this process's, both threads
};

// One job as the main window starts it; wall clock from start() to finished().
WindowRun runWindowJob(ottomix::JobRunner& runner, ottomix::ProgressWindow& window,
                       const ottomix::JobRequest& request) {
    QEventLoop loop;
    ottomix::JobResult result;
    std::chrono::steady_clock::time_point end;
    const auto connection = QObject::connect(&runner, &ottomix::JobRunner::finished, &loop,
                                             [&](const ottomix::JobResult& r, std::int64_t) {
                                                 end = std::chrono::steady_clock::now();
                                                 result = r;
                                                 loop.quit();
                                             });
    const double cpu = processCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    if (!runner.start(request, &window, 0)) {
        std::fprintf(stderr, "ERROR: JobRunner refused to start a job\n");
        std::exit(1);
    }
    loop.exec();
    const double cpuUsed = processCpuSeconds() - cpu;
    QObject::disconnect(connection);
    window.jobEnded();
    if (!result.ok()) {
        std::fprintf(stderr, "ERROR: the window's job failed: %s\n", result.describe().c_str());
        std::exit(1);
    }
    return {std::chrono::duration<double>(end - start).count(), cpuUsed};
}

// The offscreen platform says so every time the window is raised: noise
// in the figures. Everything else goes through.
QtMessageHandler gDefaultHandler = nullptr;
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("does not support raise()"))) return;
    gDefaultHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    gDefaultHandler = qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    std::size_t mib = envOr("BENCH_MIB", 512);
    int runs = static_cast<int>(envOr("BENCH_REPEATS", 5));
    QString shot;
    std::string cli;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--mib"))
            mib = args[i + 1].toULong();
        else if (args[i] == QLatin1String("--runs"))
            runs = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--screenshot"))
            shot = args[i + 1];
        else if (args[i] == QLatin1String("--dir"))
            qputenv("BENCH_DIR", args[i + 1].toLocal8Bit());
        else if (args[i] == QLatin1String("--cli"))
            cli = fs::absolute(args[i + 1].toStdString()).string();
    }
    if (cli.empty() || ::access(cli.c_str(), X_OK) != 0) {
        std::fprintf(stderr,
                     "usage: %s --cli PATH/TO/ottomix-cli [--mib N] [--runs N] [--dir PARENT] "
                     "[--screenshot FILE]\n",
                     argv[0]);
        return 2;
    }

    const std::string dir = makeTempDir("ottomix-window-bench");
    removeAtExit(dir);
    const std::string bin = dir + "/random.bin", txt = dir + "/text.txt";
    std::printf("Generating %zu MiB of random bytes and %zu MiB of CR LF text in %s ...\n", mib,
                mib, dir.c_str());
    makeRandom(bin, mib << 20);
    makeText(txt, mib << 20);
    const double mb = static_cast<double>(mib << 20) / 1e6;

    ottomix::ProgressWindow window;
    ottomix::JobRunner runner;
    ottomix::StopFlag never{0};
    const std::vector<std::string> outputs{"encrypt.exe", "encrypt.txt", "check.window",
                                           "check.cli"};

    struct Row {
        const char* name;
        double window, cli, windowCpu, cliCpu;
        int paints;
    };
    std::vector<Row> rows;
    int mismatches = 0;
    for (const ottomix::Mode mode : {ottomix::Mode::Binary, ottomix::Mode::Text}) {
        const bool text = mode == ottomix::Mode::Text;
        const char* name = text ? "text encrypt" : "binary encrypt";
        const std::string& input = text ? txt : bin;
        const std::string fixed = dir + "/" + (text ? "encrypt.txt" : "encrypt.exe");
        const std::vector<std::string> cliArgs{cli, "encrypt", text ? "--text" : "--binary", input};
        ottomix::JobRequest request;
        request.direction = ottomix::Direction::Encrypt;
        request.mode = mode;
        request.input = input;
        request.directory = dir;
        request.stop = &never;

        // Untimed: warms the page cache, shows both write the same bytes.
        settle(dir, outputs);
        {
            HalfWayCamera camera(window, text ? QString() : shot);
            runWindowJob(runner, window, request);
        }
        fs::rename(fixed, dir + "/check.window");
        spawn(cliArgs, "", "", dir);
        fs::rename(fixed, dir + "/check.cli");
        const std::string diff = compareFiles(dir + "/check.window", dir + "/check.cli");
        if (!diff.empty()) {
            ++mismatches;
            std::printf("\n!!!!!!!! MISMATCH !!!!!!!! window job and ottomix-cli, %s: %s\n\n", name,
                        diff.c_str());
        }

        std::vector<double> windowS, cliS, windowCpu, cliCpu;
        const int paintsBefore = window.barPaintCount();
        std::printf("%-15s", name);
        for (int r = 0; r < runs; ++r) {
            // Alternate which side goes first.
            for (int k = 0; k < 2; ++k) {
                settle(dir, outputs);
                if ((k + r) % 2 == 0) {
                    const WindowRun w = runWindowJob(runner, window, request);
                    windowS.push_back(w.seconds);
                    windowCpu.push_back(w.cpuSeconds);
                } else {
                    const Run c = spawn(cliArgs, "", "", dir);
                    cliS.push_back(c.seconds);
                    cliCpu.push_back(c.cpuSeconds);
                }
            }
            std::printf(" .");
        }
        std::printf("\n   runs (s):  window");
        for (double s : windowS) std::printf(" %.3f", s);
        std::printf("  ottomix-cli");
        for (double s : cliS) std::printf(" %.3f", s);
        std::printf("\n");
        rows.push_back({name, median(windowS), median(cliS), median(windowCpu), median(cliCpu),
                        (window.barPaintCount() - paintsBefore) / runs});
    }
    settle(dir, outputs);

    std::printf(
        "\nWindow job (JobRunner + ProgressWindow, platform %s) against ottomix-cli, "
        "%zu MiB inputs, medians of %d paired runs\n",
        qPrintable(QGuiApplication::platformName()), mib, runs);
    std::printf("%-31s %8s %8s %7s %8s %-6s %9s %9s\n", "Measure", "window s", "cli s", "ratio",
                "target", "result", "win MB/s", "cli MB/s");
    int met = 0;
    for (const Row& r : rows) {
        const double ratio = r.window / r.cli;
        const bool ok = ratio <= kTarget;
        if (ok) ++met;
        std::printf("%-31s %8.3f %8.3f %7.3f  <= %.2f %-6s %9.1f %9.1f\n",
                    (std::string("window / CLI, ") + r.name).c_str(), r.window, r.cli, ratio,
                    kTarget, ok ? "ok" : "MISS", mb / r.window, mb / r.cli);
    }
    for (const Row& r : rows)
        std::printf(
            "   %s: cpu median window %.3f s (both threads), ottomix-cli %.3f s; "
            "%d bar paints per job\n",
            r.name, r.windowCpu, r.cliCpu, r.paints);

    if (mismatches > 0)
        std::printf(
            "\n!!!!!!!! %d output MISMATCH(es) between the window's job and ottomix-cli "
            "!!!!!!!!\n",
            mismatches);
    else
        std::printf("\nOutputs: the window's job writes the same bytes as ottomix-cli.\n");
    const int targets = static_cast<int>(rows.size());
    if (met == targets)
        std::printf("All %d window job targets met.\n", targets);
    else
        std::printf("%d of %d window job targets missed.\n", targets - met, targets);
    // For bench/run.sh's summary.
    std::printf("Targets: %d of %d met; mismatches: %d\n", met, targets, mismatches);
    return 0;
}
