// Times the browser's two long reads: the file list's reread() of a directory
// of 100,000 files and the tree's fillTree() of one with 20,000 subdirectories;
// and the drive list's build from a mount table of 200 entries, as on a host
// running containers. Prints figures; runs offscreen unless DISPLAY is set.
//
//   ottomix_bench_browser [--files N] [--dirs N] [--runs N] [--dir PARENT]
//
// The directories are made under a temporary directory in PARENT (default
// /tmp) and removed afterwards.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QLocale>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ui/browser/directory_tree.h"
#include "ui/browser/file_list.h"
#include "ui/browser/file_system.h"

namespace {

using Clock = std::chrono::steady_clock;

// This process's CPU time (helper threads included): on a shared machine it
// shows the work done when the wall clock is swamped by other programs.
double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) * 1e-6;
}

// Median and best of `runs` timings of `action`, wall and CPU, in milliseconds.
void timeIt(const char* what, int runs, const std::function<void()>& action) {
    std::vector<double> ms;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        const double cpuStart = cpuMs();
        const auto start = Clock::now();
        action();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        cpu.push_back(cpuMs() - cpuStart);
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("%-40s median %8.2f ms  best %8.2f ms  cpu %8.2f ms  (%d runs)\n", what,
                ms[ms.size() / 2], ms.front(), cpu[cpu.size() / 2], runs);
    std::fflush(stdout);
}

// Names in mixed case and order, so the sort has work to do.
std::string name(int i, const char* extension) {
    static const char* kStems[] = {"Report", "notes", "DATA", "image", "Zeta", "alpha"};
    const unsigned scrambled = static_cast<unsigned>(i) * 2654435761u;
    return std::string(kStems[scrambled % 6]) + "_" + std::to_string(scrambled % 1000003) + "_" +
           std::to_string(i) + extension;
}

// A container host's /proc/self/mountinfo with `entries` lines: the system's
// own mounts, a few volumes, and for the rest the overlays, shm, network
// namespaces and pod volumes of running containers.
std::string containerHostTable(int entries) {
    std::string table =
        "26 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "21 26 0:20 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw\n"
        "22 26 0:21 / /sys rw,nosuid,nodev,noexec,relatime shared:2 - sysfs sysfs rw\n"
        "23 26 0:5 / /dev rw,nosuid,relatime shared:8 - devtmpfs udev rw,mode=755\n"
        "25 26 0:23 / /run rw,nosuid,nodev,noexec,relatime shared:10 - tmpfs tmpfs rw,mode=755\n"
        "27 22 0:24 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime - cgroup2 cgroup2 rw\n"
        "30 26 8:17 / /var/lib/docker rw,relatime shared:20 - xfs /dev/sdb1 rw\n"
        "31 26 8:33 / /data rw,relatime shared:21 - xfs /dev/sdc1 rw\n"
        "32 26 0:40 / /mnt/backup rw,relatime shared:22 - nfs backup01:/export rw,hard\n"
        "33 26 0:41 / /home/ops/remote rw,relatime - fuse.sshfs ops@build:/srv rw\n";
    for (int i = 10; i < entries; ++i) {
        char id[65];
        std::snprintf(id, sizeof id, "%016x%016x%016x%016x", i * 2654435761u, i * 40503u,
                      i * 97u + 13u, i * 7u + 1u);
        const std::string n = std::to_string(100 + i);
        switch (i % 4) {
            case 0:
                table += n + " 30 0:" + n + " / /var/lib/docker/overlay2/" + id +
                         "/merged rw,relatime - overlay overlay rw,lowerdir=/var/lib/docker/"
                         "overlay2/l/ABCDEFGH:/var/lib/docker/overlay2/l/IJKLMNOP,upperdir=/var/"
                         "lib/docker/overlay2/" +
                         id + "/diff,workdir=/var/lib/docker/overlay2/" + id + "/work\n";
                break;
            case 1:
                table += n + " 30 0:" + n + " / /var/lib/docker/containers/" + id +
                         "/mounts/shm rw,nosuid,nodev,noexec,relatime - tmpfs shm rw,size=65536k\n";
                break;
            case 2:
                table += n + " 25 0:4 net:[40265" + n + "] /run/docker/netns/" +
                         std::string(id, 12) + " rw - nsfs nsfs rw\n";
                break;
            default:
                table += n + " 26 0:" + n + " / /var/lib/kubelet/pods/" + std::string(id, 32) +
                         "/volumes/kubernetes.io~projected/kube-api-access-" + std::string(id, 5) +
                         " rw,relatime - tmpfs tmpfs rw,size=16777216k\n";
                break;
        }
    }
    return table;
}

}  // namespace

int main(int argc, char** argv) {
    int files = 100000;
    int dirs = 20000;
    int runs = 5;
    std::string parent = "/tmp";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--files") == 0) files = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--dirs") == 0) dirs = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--dir") == 0) parent = argv[i + 1];
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    {
        ottomix::FileSystem::Options options;
        options.mountTable = containerHostTable(200);
        const ottomix::FileSystem fs(options);
        size_t listed = 0;
        timeIt("drive list, 200-entry mount table", runs * 20,
               [&] { listed = fs.volumes().size(); });
        std::printf("drive list: %zu of 200 mounts offered\n", listed);
        timeIt("volumeOf, 200-entry mount table", runs * 20,
               [&] { listed = fs.volumeOf("/data/projects/x").size(); });
        const ottomix::FileSystem live;
        timeIt("drive list, this machine's mount table", runs * 20,
               [&] { listed = live.volumes().size(); });
    }

    std::string pattern = parent + "/ottomix-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror(parent.c_str());
        return 1;
    }
    const std::string root = pattern;
    const std::string fileDir = root + "/files";
    const std::string treeDir = root + "/dirs";
    mkdir(fileDir.c_str(), 0755);
    mkdir(treeDir.c_str(), 0755);
    std::printf("making %d files and %d directories in %s ...\n", files, dirs, root.c_str());
    std::fflush(stdout);
    for (int i = 0; i < files; ++i) {
        const std::string path = fileDir + "/" + name(i, i % 2 == 0 ? ".txt" : ".dat");
        const int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0) close(fd);
    }
    for (int i = 0; i < dirs; ++i) mkdir((treeDir + "/" + name(i, "")).c_str(), 0755);

    const std::string saved = std::filesystem::current_path().string();
    {
        QWidget window;
        window.resize(500, 306);
        auto* tree = new ottomix::DirectoryTree(&window);
        tree->setGeometry(40, 24, 201, 129);
        auto* list = new ottomix::FileList(&window);
        list->setGeometry(256, 24, 185, 129);
        QObject::connect(tree, &ottomix::DirectoryTree::currentDirectoryChanged, list,
                         &ottomix::FileList::showDirectory);
        window.show();
        QCoreApplication::processEvents();

        tree->changeDir(fileDir);
        std::printf("file list: %d rows with \"*.*\"\n", list->count());
        timeIt("reread, 100k files, mask \"*.*\"", runs, [&] { list->reread(); });
        timeIt("reread + repaint, mask \"*.*\"", runs, [&] {
            list->reread();
            QCoreApplication::processEvents();
        });
        // The same in a locale whose collation is ICU's, not code points.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        timeIt("reread, 100k files, \"*.*\", de_DE", runs, [&] { list->reread(); });
        QLocale::setDefault(QLocale::system());
        list->setMask("*.txt");
        std::printf("file list: %d rows with \"*.txt\"\n", list->count());
        timeIt("reread, 100k files, mask \"*.txt\"", runs, [&] { list->reread(); });
        list->setMask("*.txt;*.*");
        std::printf("file list: %d rows with \"*.txt;*.*\"\n", list->count());
        timeIt("reread, 100k files, mask \"*.txt;*.*\"", runs, [&] { list->reread(); });

        tree->changeDir(treeDir);
        std::printf("tree: %d rows\n", tree->count());
        timeIt("fillTree, 20k subdirectories", runs, [&] { tree->fillTree(); });
        timeIt("fillTree + repaint", runs, [&] {
            tree->fillTree();
            QCoreApplication::processEvents();
        });
        timeIt("changeDir out and back (tree + list)", runs, [&] {
            tree->changeDir(root);
            tree->changeDir(treeDir);
        });
    }
    if (chdir(saved.c_str()) != 0) std::perror(saved.c_str());
    std::filesystem::remove_all(root);
    return 0;
}
