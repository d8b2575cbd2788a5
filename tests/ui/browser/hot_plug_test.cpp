// Mounting and unmounting while the browser runs: a tmpfs mounted in a
// mount namespace of the test's own (as root; skipped elsewhere) shows up
// in the drive selector, and unmounting the volume on show moves the
// browser to the directory above it.
#include <sys/mount.h>

#include <QElapsedTimer>

#include "browser_test_support.h"
#include "mount_namespace.h"

using ::testing::ElementsAre;

namespace ottomix {
namespace {

class HotPlugTest : public BrowserTest {
  protected:
    int entryOf(const std::string& mountPoint) const {
        for (int i = 0; i < drives_->count(); ++i) {
            if (drives_->itemVolume(i) == mountPoint) return i;
        }
        return -1;
    }
    // Runs the event loop until `done` or `limit` ms passed; returns the
    // milliseconds it took.
    template <typename Condition>
    qint64 runEventsUntil(Condition done, int limit = 3000) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < limit) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return timer.elapsed();
    }
};

TEST_F(HotPlugTest, MountedVolumeAppearsAndUnmountedOneIsLeft) {
    runWithPrivateMounts([this] {
        makeDir("work");
        makeFile("work/w.txt");
        makeDir("media/stick");
        makeFile("media/m.txt");
        enter("work");
        createBrowser("*.txt");
        runPostedEvents();
        const std::string home = drives_->volume();
        ASSERT_EQ(home, FileSystem::instance().volumeOf(path("work")));
        const int homeEntry = drives_->currentIndex();
        ASSERT_GE(homeEntry, 0);

        // A stick is mounted: the selector has it within a second, and the
        // chosen entry stays.
        ASSERT_EQ(mount("stick", path("media/stick").c_str(), "tmpfs", 0, "size=1m"), 0)
            << errnoText("mount tmpfs");
        const qint64 appeared = runEventsUntil([&] { return entryOf(path("media/stick")) >= 0; });
        EXPECT_LT(appeared, 1500);
        EXPECT_EQ(drives_->volume(), home);
        EXPECT_EQ(drives_->currentIndex(), entryOf(home));
        EXPECT_EQ(tree_->currentDir(), path("work"));
        expectCwdMatchesList();

        // The browser goes onto it.
        makeDir("media/stick/docs");
        makeFile("media/stick/docs/d.txt");
        drives_->selectVolume(path("media/stick"));
        tree_->changeDir(path("media/stick/docs"));
        ASSERT_THAT(listRows(), ElementsAre("d.txt"));
        expectCwdMatchesList();

        // Unmounted (lazily: the browser is inside it), the browser moves to
        // the directory above the mount point, with one message at most.
        ASSERT_EQ(umount2(path("media/stick").c_str(), MNT_DETACH), 0) << errnoText("umount2");
        const qint64 left = runEventsUntil([&] { return tree_->currentDir() == path("media"); });
        EXPECT_LT(left, 1500);
        EXPECT_EQ(tree_->currentDir(), path("media"));
        EXPECT_THAT(listRows(), ElementsAre("m.txt"));
        EXPECT_EQ(entryOf(path("media/stick")), -1);
        EXPECT_EQ(drives_->volume(), FileSystem::instance().volumeOf(path("media")));
        EXPECT_EQ(drives_->currentIndex(), entryOf(drives_->volume()));
        EXPECT_LE(shownFailures().size(), 1u);
        expectCwdMatchesList();
    });
}

}  // namespace
}  // namespace ottomix
