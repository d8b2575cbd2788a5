// How long the viewer takes to show 4 MiB files that are hard to lay out, and
// what twenty loads cost in memory. Runs offscreen unless DISPLAY is set.
//
//   ottomix_bench_viewer [--runs N] [--dir PARENT] [--file PATH]...
//
// For each file: "load" is TextViewer::loadFromFile() ("cpu" its CPU time),
// "shown" that plus the first paint of the visible part. QTextEdit lays out
// the rest of the document afterwards, in steps between events; "rest" is
// how long all of those take together. Plain text of the same size is the
// reference.
#include <time.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "ui/viewer/text_viewer.h"

namespace {

constexpr std::size_t kSize = 4 * 1024 * 1024;

// `unit` repeated up to exactly kSize bytes; `tail` ends the file.
void writeRepeated(const std::string& path, const std::string& head, const std::string& unit,
                   const std::string& tail, char pad) {
    std::string s = head;
    s.reserve(kSize);
    while (s.size() + unit.size() + tail.size() <= kSize) s += unit;
    s.append(kSize - s.size() - tail.size(), pad);
    s += tail;
    std::ofstream(path, std::ios::binary) << s;
}

// Every word switches bold, italic, colour or size: a fragment of its own.
void writeRichRtf(const std::string& path) {
    const std::string head =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
        "{\\colortbl ;\\red200\\green0\\blue0;\\red0\\green0\\blue160;}\\pard\\fs20 ";
    std::string unit;
    for (int i = 0; i < 3; ++i)
        unit +=
            "\\b bold\\b0  plain {\\i italic} \\cf1 red\\cf0  \\ul under\\ulnone  {\\fs28 big} "
            "{\\b\\i\\cf2 mixed} text ";
    unit += "\\par\n";
    writeRepeated(path, head, unit, "}", '\n');
}

void writePlain(const std::string& path) {
    writeRepeated(path, "",
                  "The quick brown fox jumps over the lazy dog, and then it runs away again.\n", "",
                  ' ');
}

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double wallSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

long rssKiB() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

struct Figures {
    double load = 1e30;
    double loadCpu = 1e30;
    double shown = 1e30;
    double layoutAll = 1e30;
    int blocks = 0;
    bool cut = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    int runs = 3;
    std::vector<std::string> extra;  // more files to time, after the generated ones
    QString parent = QDir::tempPath();
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--runs"))
            runs = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--dir"))
            parent = args[i + 1];
        else if (args[i] == QLatin1String("--file"))
            extra.push_back(args[i + 1].toStdString());
    }
    QTemporaryDir dir(parent + QStringLiteral("/viewer-bench-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        return 2;
    }
    auto file = [&dir](const char* name) {
        return dir.filePath(QLatin1String(name)).toStdString();
    };
    const std::string rich = file("rich.rtf");
    const std::string letters = file("one-letter-runs.rtf");
    const std::string oneChar = file("one-char-lines.txt");
    const std::string separators = file("u2029.txt");
    const std::string plain = file("plain.txt");
    const std::string plain2 = file("plain2.txt");
    writeRichRtf(rich);
    writeRepeated(letters, "{\\rtf1\\ansi ", "\\b a\\b0 b", "}", '\n');
    writeRepeated(oneChar, "", "x\n", "", '\n');
    writeRepeated(separators, "", "x\xE2\x80\xA9", "", ' ');
    writePlain(plain);
    writeRepeated(plain2, "", "Pack my box with five dozen liquor jugs, said the sphinx.\n", "",
                  ' ');

    ottomix::TextViewer viewer;
    viewer.resize(800, 600);
    viewer.show();
    QCoreApplication::processEvents();
    std::printf("platform %s, 4 MiB files, best of %d runs\n",
                qPrintable(QGuiApplication::platformName()), runs);
    // Clicking between two files: what stays behind of each document,
    // against the idle program (first, before anything else was loaded).
    const long idle = rssKiB();
    const double start = wallSeconds();
    for (int i = 0; i < 20; ++i) {
        viewer.loadFromFile(i % 2 == 0 ? plain : plain2);
        QCoreApplication::processEvents();
    }
    const long after = rssKiB();
    std::printf(
        "20 loads of 4 MiB text: %.2f s, resident memory %ld MiB idle, %ld MiB after (+%ld MiB)\n",
        wallSeconds() - start, idle / 1024, after / 1024, (after - idle) / 1024);

    std::printf("%-22s %8s %8s %8s %10s %8s %s\n", "file", "load s", "cpu s", "shown s", "rest s",
                "blocks", "cut");

    struct Case {
        const char* name;
        std::string path;
    };
    std::vector<Case> cases = {{"rich RTF", rich},
                               {"one-letter runs RTF", letters},
                               {"one-character lines", oneChar},
                               {"U+2029 lines", separators},
                               {"plain text", plain}};
    for (const std::string& path : extra) cases.push_back({path.c_str(), path});
    for (const Case& c : cases) {
        Figures best;
        for (int r = 0; r < runs; ++r) {
            viewer.loadFromFile(plain2);  // something else in between, as when clicking around
            QCoreApplication::processEvents();
            const double cpu = cpuSeconds();
            const double start = wallSeconds();
            viewer.loadFromFile(c.path);
            const double loaded = wallSeconds();
            const double loadCpu = cpuSeconds() - cpu;
            viewer.viewport()->repaint();
            const double shown = wallSeconds();
            viewer.document()->documentLayout()->documentSize();  // lays out all of it
            const double laidOut = wallSeconds();
            best.load = std::min(best.load, loaded - start);
            best.loadCpu = std::min(best.loadCpu, loadCpu);
            best.shown = std::min(best.shown, shown - start);
            best.layoutAll = std::min(best.layoutAll, laidOut - shown);
            best.blocks = viewer.document()->blockCount();
            best.cut = viewer.isTruncated();
        }
        std::printf("%-22s %8.3f %8.3f %8.3f %10.3f %8d %s\n", c.name, best.load, best.loadCpu,
                    best.shown, best.layoutAll, best.blocks, best.cut ? "yes" : "no");
    }

    return 0;
}
