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
    int EntryOf(const std::string& mountPoint) const {
        for (int i = 0; i < drives->count(); ++i) {
            if (drives->itemVolume(i) == mountPoint) return i;
        }
        return -1;
    }
    // Runs the event loop until `done` or `limit` ms passed; returns the
    // milliseconds it took.
    template <typename Condition>
    qint64 RunEventsUntil(Condition done, int limit = 3000) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < limit) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return timer.elapsed();
    }
};

TEST_F(HotPlugTest, MountedVolumeAppearsAndUnmountedOneIsLeft) {
    RunWithPrivateMounts([this] {
        MakeDir("work");
        MakeFile("work/w.txt");
        MakeDir("media/stick");
        MakeFile("media/m.txt");
        Enter("work");
        CreateBrowser("*.txt");
        RunPostedEvents();
        const std::string home = drives->volume();
        ASSERT_EQ(home, FileSystem::instance().volumeOf(Path("work")));
        const int home_entry = drives->currentIndex();
        ASSERT_GE(home_entry, 0);

        // A stick is mounted: the selector has it within a second, and the
        // chosen entry stays.
        ASSERT_EQ(mount("stick", Path("media/stick").c_str(), "tmpfs", 0, "size=1m"), 0)
            << ErrnoText("mount tmpfs");
        const qint64 appeared = RunEventsUntil([&] { return EntryOf(Path("media/stick")) >= 0; });
        EXPECT_LT(appeared, 1500);
        EXPECT_EQ(drives->volume(), home);
        EXPECT_EQ(drives->currentIndex(), EntryOf(home));
        EXPECT_EQ(tree->currentDir(), Path("work"));
        ExpectCwdMatchesList();

        // The browser goes onto it.
        MakeDir("media/stick/docs");
        MakeFile("media/stick/docs/d.txt");
        drives->selectVolume(Path("media/stick"));
        tree->changeDir(Path("media/stick/docs"));
        ASSERT_THAT(ListRows(), ElementsAre("d.txt"));
        ExpectCwdMatchesList();

        // Unmounted (lazily: the browser is inside it), the browser moves to
        // the directory above the mount point, with one message at most.
        ASSERT_EQ(umount2(Path("media/stick").c_str(), MNT_DETACH), 0) << ErrnoText("umount2");
        const qint64 left = RunEventsUntil([&] { return tree->currentDir() == Path("media"); });
        EXPECT_LT(left, 1500);
        EXPECT_EQ(tree->currentDir(), Path("media"));
        EXPECT_THAT(ListRows(), ElementsAre("m.txt"));
        EXPECT_EQ(EntryOf(Path("media/stick")), -1);
        EXPECT_EQ(drives->volume(), FileSystem::instance().volumeOf(Path("media")));
        EXPECT_EQ(drives->currentIndex(), EntryOf(drives->volume()));
        EXPECT_LE(ShownFailures().size(), 1u);
        ExpectCwdMatchesList();
    });
}

}  // namespace
}  // namespace ottomix
