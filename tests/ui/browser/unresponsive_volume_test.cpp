// The browser beside a FUSE volume whose server never answers: the drive
// list, a directory with links into the volume, entering it, and a cipher
// job, each in a child with a mount namespace of its own (as root; skipped
// elsewhere).
#include <QElapsedTimer>
#include <filesystem>

#include "browser_test_support.h"
#include "core/cipher_job.h"
#include "mount_namespace.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

namespace ottomix {
namespace {

class UnresponsiveVolumeTest : public BrowserTest {
  protected:
    // In the child: the dead volume at dead/, and work/ with two files, a
    // subdirectory and links to a file, a directory and more in the volume.
    void MountDeadVolume() {
        MakeDir("dead");
        std::string why;
        if (!dead_.Mount(Path("dead"), &why)) SkipChild(why);
        MakeDir("work/sub");
        MakeFile("work/a.txt");
        MakeFile("work/b.txt");
        for (const char* link : {"into.txt", "intodir", "more1.txt", "more2.txt", "more3.txt"}) {
            const std::string target = std::string(link) == "intodir" ? "dead" : "dead/x.txt";
            ASSERT_EQ(symlink(Path(target).c_str(), Path(std::string("work/") + link).c_str()), 0);
        }
        Enter("work");
    }
    void Track() {
        QObject::connect(drives, &DriveSelector::changed, [this] { events.push_back("drives"); });
        QObject::connect(tree, &DirectoryTree::changed, [this] { events.push_back("tree"); });
        QObject::connect(list, &FileList::changed, [this] { events.push_back("list"); });
    }
    // A "does not respond" error for `path`, thrown by `action`.
    template <typename Action>
    void ExpectNoResponse(const std::string& path, Action action) {
        QElapsedTimer timer;
        timer.start();
        try {
            action();
            ADD_FAILURE() << "no error for " << path;
        } catch (const BrowserError& error) {
            EXPECT_EQ(error.what(), path + " does not respond");
        }
        EXPECT_LT(timer.elapsed(), 2000) << path;
    }

    DeadFuseMount dead_;
    std::vector<std::string> events;
};

TEST_F(UnresponsiveVolumeTest, DriveListIsBuiltFromTheTableAlone) {
    RunWithPrivateMounts([this] {
        MountDeadVolume();
        QElapsedTimer timer;
        timer.start();
        const FileSystem fs;
        const std::vector<Volume> volumes = fs.volumes();
        EXPECT_LT(timer.elapsed(), 500);
        const Volume* found = nullptr;
        for (const Volume& v : volumes) {
            if (v.mountPoint == Path("dead")) found = &v;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->type, VolumeType::Remote);
        EXPECT_EQ(found->fsType, "fuse.deadtest");
        EXPECT_EQ(fs.volumeOf(Path("dead/x")), Path("dead"));

        // The whole browser comes up, the selector listing the volume.
        CreateBrowser("*.txt");
        EXPECT_LT(timer.elapsed(), 2500);
        EXPECT_EQ(drives
                      ->itemText(drives->findText(QString::fromStdString(Path("dead")),
                                                  Qt::MatchStartsWith))
                      .toStdString(),
                  Path("dead") + " deadtest");
        ExpectCwdMatchesList();
    });
}

TEST_F(UnresponsiveVolumeTest, TheWaitIsTheFileSystemsTimeout) {
    RunWithPrivateMounts([this] {
        MountDeadVolume();
        FileSystem::Options options;
        options.responseTimeout = std::chrono::milliseconds(300);
        const FileSystem fs(options);
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(fs.changeDirectory(Path("dead")), ETIMEDOUT);
        EXPECT_GE(timer.elapsed(), 300);
        EXPECT_LT(timer.elapsed(), 900);
        EXPECT_EQ(Cwd(), Path("work"));
        std::vector<DirEntry> entries;
        timer.restart();
        EXPECT_EQ(fs.readDirectory(Path("work"), false, &entries), 0);
        EXPECT_LT(timer.elapsed(), 900);
        EXPECT_EQ(entries.size(), 5u);  // ".", "..", a.txt, b.txt, sub
    });
}

TEST_F(UnresponsiveVolumeTest, LinksIntoTheVolumeAreLeftOut) {
    RunWithPrivateMounts([this] {
        MountDeadVolume();
        QElapsedTimer timer;
        timer.start();
        CreateBrowser("*.txt");
        // One deadline for the listing, not one per link; the tree's reading
        // of the same directory does not wait for the same links again.
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_THAT(ListRows(), ElementsAre("a.txt", "b.txt"));
        EXPECT_THAT(TreeRows(), Contains("sub"));
        EXPECT_THAT(TreeRows(), Not(Contains("intodir")));
        ExpectCwdMatchesList();

        timer.restart();
        list->reread();
        list->setFileTypes(FileTypeFlag::Normal | FileTypeFlag::Directory | FileTypeFlag::System);
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_THAT(ListRows(), ElementsAre("a.txt", "b.txt"));
        ExpectCwdMatchesList();

        // Read-only attributes are asked of entries too, and wait the same way.
        timer.restart();
        list->setMask("*");
        list->setFileTypes(FileTypeFlag::ReadOnly | FileTypeFlag::Directory);
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_THAT(ListRows(), ElementsAre("[sub]"));
        ExpectCwdMatchesList();
    });
}

TEST_F(UnresponsiveVolumeTest, EnteringTheVolumeSaysItDoesNotRespond) {
    RunWithPrivateMounts([this] {
        MountDeadVolume();
        CreateBrowser("*.txt");
        Track();
        // Chosen by the user, the error is shown, once.
        const int dead_entry =
            drives->findText(QString::fromStdString(Path("dead")), Qt::MatchStartsWith);
        ASSERT_GE(dead_entry, 0);
        drives->setCurrentIndex(dead_entry);
        QElapsedTimer timer;
        timer.start();
        emit drives->activated(dead_entry);
        RunPostedEvents();
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_THAT(ShownFailures(), ElementsAre(Path("dead") + " does not respond."));
        EXPECT_EQ(tree->currentDir(), Path("work"));
        EXPECT_TRUE(events.empty());
        ExpectCwdMatchesList();

        ExpectNoResponse(Path("dead/sub"), [this] { tree->changeDir(Path("dead/sub")); });
        ExpectNoResponse(Path("work/intodir"), [this] { tree->changeDir("intodir"); });
        ExpectNoResponse(Path("dead"), [this] { list->setCurrentDir(Path("dead")); });
        EXPECT_EQ(tree->currentDir(), Path("work"));
        EXPECT_THAT(ListRows(), ElementsAre("a.txt", "b.txt"));
        EXPECT_TRUE(events.empty());
        ExpectCwdMatchesList();

        // Everything else still works.
        tree->changeDir(Path("work/sub"));
        EXPECT_EQ(list->currentDir(), Path("work/sub"));
        ExpectCwdMatchesList();
    });
}

TEST_F(UnresponsiveVolumeTest, CipherJobRunsInTheBrowsersDirectory) {
    RunWithPrivateMounts([this] {
        MountDeadVolume();
        MakeFile("work/a.txt", "plain text\n");
        CreateBrowser("*.txt");
        list->setSelectedRow(0);
        ASSERT_EQ(list->fileName(), Path("work/a.txt"));
        JobRequest request;
        request.direction = Direction::Encrypt;
        request.mode = Mode::Binary;
        request.input = list->fileName();
        NullProgress progress;
        std::int64_t size = 0;
        const JobResult result = runCipherJob(request, progress, size);
        EXPECT_TRUE(result.ok()) << result.describe();
        EXPECT_TRUE(
            std::filesystem::exists(Path("work/") + outputName(request.direction, request.mode)));
        list->setMask("*.*");
        EXPECT_THAT(ListRows(), Contains(outputName(request.direction, request.mode)));
        ExpectCwdMatchesList();
    });
}

}  // namespace
}  // namespace ottomix
