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
    void mountDeadVolume() {
        makeDir("dead");
        std::string why;
        if (!dead_.mountAt(path("dead"), &why)) skipChild(why);
        makeDir("work/sub");
        makeFile("work/a.txt");
        makeFile("work/b.txt");
        for (const char* link : {"into.txt", "intodir", "more1.txt", "more2.txt", "more3.txt"}) {
            const std::string target = std::string(link) == "intodir" ? "dead" : "dead/x.txt";
            ASSERT_EQ(symlink(path(target).c_str(), path(std::string("work/") + link).c_str()), 0);
        }
        enter("work");
    }
    void track() {
        QObject::connect(drives_, &DriveSelector::changed, [this] { events_.push_back("drives"); });
        QObject::connect(tree_, &DirectoryTree::changed, [this] { events_.push_back("tree"); });
        QObject::connect(list_, &FileList::changed, [this] { events_.push_back("list"); });
    }
    // A "does not respond" error for `path`, thrown by `action`.
    template <typename Action>
    void expectNoResponse(const std::string& path, Action action) {
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
    std::vector<std::string> events_;
};

TEST_F(UnresponsiveVolumeTest, DriveListIsBuiltFromTheTableAlone) {
    runWithPrivateMounts([this] {
        mountDeadVolume();
        QElapsedTimer timer;
        timer.start();
        const FileSystem fs;
        const std::vector<Volume> volumes = fs.volumes();
        EXPECT_LT(timer.elapsed(), 500);
        const Volume* found = nullptr;
        for (const Volume& v : volumes) {
            if (v.mountPoint == path("dead")) found = &v;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->type, VolumeType::Remote);
        EXPECT_EQ(found->fsType, "fuse.deadtest");
        EXPECT_EQ(fs.volumeOf(path("dead/x")), path("dead"));

        // The whole browser comes up, the selector listing the volume.
        createBrowser("*.txt");
        EXPECT_LT(timer.elapsed(), 2500);
        EXPECT_EQ(drives_
                      ->itemText(drives_->findText(QString::fromStdString(path("dead")),
                                                   Qt::MatchStartsWith))
                      .toStdString(),
                  path("dead") + " deadtest");
        expectCwdMatchesList();
    });
}

TEST_F(UnresponsiveVolumeTest, TheWaitIsTheFileSystemsTimeout) {
    runWithPrivateMounts([this] {
        mountDeadVolume();
        FileSystem::Options options;
        options.responseTimeout = std::chrono::milliseconds(300);
        const FileSystem fs(options);
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(fs.changeDirectory(path("dead")), ETIMEDOUT);
        EXPECT_GE(timer.elapsed(), 300);
        EXPECT_LT(timer.elapsed(), 900);
        EXPECT_EQ(cwd(), path("work"));
        std::vector<DirEntry> entries;
        timer.restart();
        EXPECT_EQ(fs.readDirectory(path("work"), false, &entries), 0);
        EXPECT_LT(timer.elapsed(), 900);
        EXPECT_EQ(entries.size(), 5u);  // ".", "..", a.txt, b.txt, sub
    });
}

TEST_F(UnresponsiveVolumeTest, LinksIntoTheVolumeAreLeftOut) {
    runWithPrivateMounts([this] {
        mountDeadVolume();
        QElapsedTimer timer;
        timer.start();
        createBrowser("*.txt");
        // One deadline for the listing, not one per link; the tree's reading
        // of the same directory does not wait for the same links again.
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_THAT(listRows(), ElementsAre("a.txt", "b.txt"));
        EXPECT_THAT(treeRows(), Contains("sub"));
        EXPECT_THAT(treeRows(), Not(Contains("intodir")));
        expectCwdMatchesList();

        timer.restart();
        list_->reread();
        list_->setFileTypes(FileTypeFlag::Normal | FileTypeFlag::Directory | FileTypeFlag::System);
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_THAT(listRows(), ElementsAre("a.txt", "b.txt"));
        expectCwdMatchesList();

        // Read-only attributes are asked of entries too, and wait the same way.
        timer.restart();
        list_->setMask("*");
        list_->setFileTypes(FileTypeFlag::ReadOnly | FileTypeFlag::Directory);
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_THAT(listRows(), ElementsAre("[sub]"));
        expectCwdMatchesList();
    });
}

TEST_F(UnresponsiveVolumeTest, EnteringTheVolumeSaysItDoesNotRespond) {
    runWithPrivateMounts([this] {
        mountDeadVolume();
        createBrowser("*.txt");
        track();
        // Chosen by the user, the error is shown, once.
        const int deadEntry =
            drives_->findText(QString::fromStdString(path("dead")), Qt::MatchStartsWith);
        ASSERT_GE(deadEntry, 0);
        drives_->setCurrentIndex(deadEntry);
        QElapsedTimer timer;
        timer.start();
        emit drives_->activated(deadEntry);
        runPostedEvents();
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_THAT(shownFailures(), ElementsAre(path("dead") + " does not respond."));
        EXPECT_EQ(tree_->currentDir(), path("work"));
        EXPECT_TRUE(events_.empty());
        expectCwdMatchesList();

        expectNoResponse(path("dead/sub"), [this] { tree_->changeDir(path("dead/sub")); });
        expectNoResponse(path("work/intodir"), [this] { tree_->changeDir("intodir"); });
        expectNoResponse(path("dead"), [this] { list_->setCurrentDir(path("dead")); });
        EXPECT_EQ(tree_->currentDir(), path("work"));
        EXPECT_THAT(listRows(), ElementsAre("a.txt", "b.txt"));
        EXPECT_TRUE(events_.empty());
        expectCwdMatchesList();

        // Everything else still works.
        tree_->changeDir(path("work/sub"));
        EXPECT_EQ(list_->currentDir(), path("work/sub"));
        expectCwdMatchesList();
    });
}

TEST_F(UnresponsiveVolumeTest, CipherJobRunsInTheBrowsersDirectory) {
    runWithPrivateMounts([this] {
        mountDeadVolume();
        makeFile("work/a.txt", "plain text\n");
        createBrowser("*.txt");
        list_->setSelectedRow(0);
        ASSERT_EQ(list_->fileName(), path("work/a.txt"));
        JobRequest request;
        request.direction = Direction::Encrypt;
        request.mode = Mode::Binary;
        request.input = list_->fileName();
        NullProgress progress;
        std::int64_t size = 0;
        const JobResult result = runCipherJob(request, progress, size);
        EXPECT_TRUE(result.ok()) << result.describe();
        EXPECT_TRUE(
            std::filesystem::exists(path("work/") + outputName(request.direction, request.mode)));
        list_->setMask("*.*");
        EXPECT_THAT(listRows(), Contains(outputName(request.direction, request.mode)));
        expectCwdMatchesList();
    });
}

}  // namespace
}  // namespace ottomix
