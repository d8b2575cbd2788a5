// The drive selector over a mount table given as text: the entries, moving
// between volumes, and a volume that cannot be entered.
#include <QTest>

#include "browser_test_support.h"

using ::testing::ElementsAre;

namespace ottomix {
namespace {

class DriveSelectorTest : public BrowserTest {
  protected:
    void SetUp() override {
        BrowserTest::SetUp();
        for (const char* dir : {"fixed/sub", "usb/docs", "net", "ram", "cd", "with space", "dev",
                                "labels", "sys/devices/sdb/sdb1", "sys/class/block"}) {
            makeDir(dir);
        }
        for (const char* device : {"dev/sda1", "dev/sdb1", "dev/sr0"}) makeFile(device);
        makeFile("fixed/sub/f.txt");
        makeFile("usb/u.txt");
        makeFile("usb/docs/d.txt");
        makeFile("plainfile");
        // udev's label links, one with an escaped blank; the USB stick has one too.
        ASSERT_EQ(symlink("../dev/sda1", path("labels/My\\x20Disk").c_str()), 0);
        ASSERT_EQ(symlink("../dev/sdb1", path("labels/STICK").c_str()), 0);
        // sysfs: the partition's disk says it is removable.
        makeFile("sys/devices/sdb/removable", "1\n");
        makeFile("sys/devices/sdb/sdb1/partition", "1\n");
        ASSERT_EQ(symlink("../../devices/sdb/sdb1", path("sys/class/block/sdb1").c_str()), 0);

        const std::string r = root_;
        FileSystem::Options options;
        table_ =
            "/dev/vda / ext4 rw 0 0\n"
            "proc /proc proc rw 0 0\n"
            "tmpfs /run/user/0 tmpfs rw 0 0\n"
            "/dev/loop3 /snap/core/1 squashfs ro 0 0\n" +
            r + "/dev/sda1 " + r + "/fixed ext4 rw 0 0\n" + r + "/dev/sdb1 " + r +
            "/usb vfat rw 0 0\n" + "Server:/Export " + r + "/net nfs4 rw 0 0\n" + "tmpfs " + r +
            "/ram tmpfs rw 0 0\n" + r + "/dev/sr0 " + r + "/cd iso9660 ro 0 0\n" + "/dev/sdc1 " +
            r + "/gone ext4 rw 0 0\n" + "/dev/sdd1 " + r + "/with\\040space ext4 rw 0 0\n" +
            "/dev/sde1 " + r + "/plainfile ext4 rw 0 0\n" + "/dev/vda /etc/hostname ext4 rw 0 0\n";
        options.mountTable = table_;
        options.labelsDir = path("labels");
        options.blockClassDir = path("sys/class/block");
        useFileSystem(options);
        enter("fixed/sub");
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> texts;
        for (int i = 0; i < drives_->count(); ++i)
            texts.push_back(drives_->itemText(i).toStdString());
        return texts;
    }
    int entryOf(const std::string& mountPoint) const {
        for (int i = 0; i < drives_->count(); ++i) {
            if (drives_->itemVolume(i) == mountPoint) return i;
        }
        return -1;
    }
    void track() {
        QObject::connect(drives_, &DriveSelector::userSelected,
                         [this] { events_.push_back("click"); });
        QObject::connect(drives_, &DriveSelector::changed, [this] { events_.push_back("drives"); });
        QObject::connect(tree_, &DirectoryTree::changed, [this] { events_.push_back("tree"); });
    }
    // The table with `line` added or, when present, taken out.
    void changeMountTable(const std::string& line) {
        const size_t at = table_.find(line);
        if (at == std::string::npos) {
            table_ += line;
        } else {
            table_.erase(at, line.size());
        }
        FileSystem::instance().setMountTable(table_);
    }
    std::string table_;
    std::vector<std::string> events_;
};

TEST_F(DriveSelectorTest, EntriesFollowTheMountTable) {
    createBrowser();
    const std::string r = root_;
    // A file bound onto a file ("plainfile") cannot be told from a volume
    // without asking it, which the list never does; the files container
    // engines bind into /etc are left out by their place.
    EXPECT_THAT(entries(), ElementsAre("/ []", r + "/cd []", r + "/fixed [my disk]", r + "/gone []",
                                       r + "/net server:/export", r + "/plainfile []",
                                       r + "/ram []", r + "/usb", r + "/with space []"));
    EXPECT_EQ(drives_->volume(), r + "/fixed");
    EXPECT_EQ(drives_->currentIndex(), entryOf(r + "/fixed"));

    drives_->setTextCase(TextCase::Upper);
    EXPECT_EQ(drives_->itemText(entryOf(r + "/fixed")).toStdString(), r + "/fixed [MY DISK]");
    EXPECT_EQ(drives_->itemText(entryOf(r + "/net")).toStdString(), r + "/net SERVER:/EXPORT");
    EXPECT_EQ(drives_->currentIndex(), entryOf(r + "/fixed"));

    const auto volumes = FileSystem::instance().volumes();
    ASSERT_EQ(volumes.size(), 9u);
    EXPECT_EQ(volumes[1].type, VolumeType::CdRom);
    EXPECT_EQ(volumes[2].type, VolumeType::Fixed);
    EXPECT_EQ(volumes[4].type, VolumeType::Remote);
    EXPECT_EQ(volumes[6].type, VolumeType::Ram);
    EXPECT_EQ(volumes[7].type, VolumeType::Removable);
    EXPECT_EQ(volumes[7].label, "");  // a removable medium is not asked for its label

    // Chosen, the file bound as a volume is found to be no directory.
    drives_->selectVolume(r + "/plainfile");
    runPostedEvents();
    EXPECT_THAT(shownFailures(), ElementsAre("Invalid filename."));
    EXPECT_EQ(tree_->currentDir(), r + "/fixed/sub");
    expectCwdMatchesList();
}

TEST_F(DriveSelectorTest, FirstShowingSelectsTheCurrentVolumeOnce) {
    createBrowser("*.txt", false);
    track();
    EXPECT_EQ(drives_->volume(), path("fixed"));
    EXPECT_EQ(drives_->count(), 0);
    window_->show();
    EXPECT_THAT(events_, ElementsAre("drives"));
    EXPECT_EQ(drives_->currentIndex(), entryOf(path("fixed")));
    EXPECT_EQ(tree_->currentDir(), path("fixed/sub"));
    expectCwdMatchesList();
}

TEST_F(DriveSelectorTest, ChoosingVolumesRemembersWhereEachWasLeft) {
    createBrowser();
    track();
    drives_->selectVolume(path("usb"));
    EXPECT_THAT(events_, ElementsAre("tree", "drives"));
    EXPECT_EQ(tree_->currentDir(), path("usb"));
    EXPECT_THAT(listRows(), ElementsAre("u.txt"));
    EXPECT_FALSE(tree_->isCaseSensitive());  // vfat keeps case but ignores it
    EXPECT_TRUE(tree_->preservesCase());
    expectCwdMatchesList();

    tree_->changeDir(path("usb/docs"));
    drives_->selectVolume(path("fixed"));
    EXPECT_EQ(tree_->currentDir(), path("fixed/sub"));
    expectCwdMatchesList();
    drives_->selectVolume(path("usb"));
    EXPECT_EQ(tree_->currentDir(), path("usb/docs"));
    EXPECT_THAT(listRows(), ElementsAre("d.txt"));
    expectCwdMatchesList();

    // Choosing the volume already shown does nothing.
    events_.clear();
    drives_->selectVolume(path("usb"));
    EXPECT_TRUE(events_.empty());
}

TEST_F(DriveSelectorTest, CaseBlindVolumeStillTellsNamesThatAreNotUtf8Apart) {
    makeDir("usb/caf\xe9");
    makeDir("usb/caf\xe8");
    createBrowser();
    track();
    tree_->changeDir(path("usb/caf\xe9"));
    ASSERT_FALSE(tree_->isCaseSensitive());  // vfat
    tree_->changeDir(path("usb/caf\xe8"));
    EXPECT_EQ(tree_->currentDir(), path("usb/caf\xe8"));
    expectCwdMatchesList();
    tree_->changeDir(path("usb/docs"));
    events_.clear();
    tree_->changeDir(path("usb/DOCS"));  // the same directory there
    EXPECT_TRUE(events_.empty());
    EXPECT_EQ(tree_->currentDir(), path("usb/docs"));
}

TEST_F(DriveSelectorTest, TreeMovingToAnotherVolumeSwitchesTheSelector) {
    createBrowser();
    track();
    tree_->changeDir(path("usb/docs"));
    EXPECT_EQ(drives_->volume(), path("usb"));
    EXPECT_EQ(drives_->currentIndex(), entryOf(path("usb")));
    EXPECT_EQ(tree_->volume(), path("usb"));
    // The drive switch does not refill the tree; only the final change does.
    EXPECT_THAT(events_, ElementsAre("drives", "tree"));
    EXPECT_THAT(listRows(), ElementsAre("d.txt"));
    expectCwdMatchesList();
}

TEST_F(DriveSelectorTest, SignalsNameTheDirectoryAndTheVolume) {
    createBrowser();
    std::vector<std::string> told;
    auto note = [&told](const char* what) {
        return [&told, what](const std::string& path) { told.push_back(what + path); };
    };
    QObject::connect(tree_, &DirectoryTree::currentDirectoryChanged, note("dir "));
    QObject::connect(tree_, &DirectoryTree::volumeChanged, note("volume "));
    QObject::connect(drives_, &DriveSelector::volumeChosen, note("chosen "));
    tree_->changeDir(path("usb/docs"));
    drives_->selectVolume(path("fixed"));
    tree_->changeDir(path("fixed"));
    drives_->selectVolume(path("fixed"));  // the tree is there already: nothing to ask
    EXPECT_THAT(told, ElementsAre("volume " + path("usb"), "dir " + path("usb/docs"),
                                  "dir " + path("fixed/sub"), "volume " + path("fixed"),
                                  "chosen " + path("fixed"), "dir " + path("fixed")));
}

TEST_F(DriveSelectorTest, VolumeThatCannotBeEnteredLeavesTheBrowserWhereItWas) {
    createBrowser();
    track();
    const std::string gone = path("gone");
    drives_->selectVolume(gone);
    runPostedEvents();
    EXPECT_THAT(shownFailures(), ElementsAre("File not found."));
    // The selector shows the chosen volume; nothing else moved.
    EXPECT_EQ(drives_->volume(), gone);
    EXPECT_EQ(drives_->currentIndex(), entryOf(gone));
    EXPECT_EQ(tree_->currentDir(), path("fixed/sub"));
    EXPECT_TRUE(events_.empty());
    expectCwdMatchesList();

    drives_->selectVolume(gone);  // the same volume again is ignored
    runPostedEvents();
    EXPECT_TRUE(events_.empty());
    EXPECT_EQ(shownFailures().size(), 1u);
    drives_->selectVolume(path("ram"));
    EXPECT_EQ(tree_->currentDir(), path("ram"));
    expectCwdMatchesList();
}

TEST_F(DriveSelectorTest, UserChoiceClicksThenChangesAndFailuresAreShown) {
    createBrowser();
    track();
    drives_->setFocus();
    // Down from the fixed disk: the next entry is the one that is gone.
    QTest::keyClick(drives_, Qt::Key_Down);
    runPostedEvents();
    EXPECT_THAT(shownFailures(), ElementsAre("File not found."));
    EXPECT_THAT(events_, ElementsAre("click"));
    expectCwdMatchesList();

    events_.clear();
    QTest::keyClick(drives_, Qt::Key_Down);  // the network volume
    runPostedEvents();
    EXPECT_THAT(events_, ElementsAre("click", "tree", "drives"));
    EXPECT_EQ(tree_->currentDir(), path("net"));
    EXPECT_EQ(shownFailures().size(), 1u);
    expectCwdMatchesList();
}

TEST_F(DriveSelectorTest, WithoutSelectorTheTreeSwitchesVolumesItself) {
    createBrowser();
    drives_->selectVolume("");  // no volume: nothing selected, the tree stays
    EXPECT_EQ(drives_->currentIndex(), -1);
    EXPECT_EQ(tree_->currentDir(), path("fixed/sub"));
    delete drives_;
    drives_ = nullptr;
    tree_->changeDir(path("usb/docs"));
    EXPECT_EQ(tree_->volume(), path("usb"));
    EXPECT_THAT(listRows(), ElementsAre("d.txt"));
    expectCwdMatchesList();
    tree_->setVolume(path("fixed"));
    EXPECT_EQ(tree_->currentDir(), path("fixed/sub"));
    expectCwdMatchesList();
}

TEST_F(DriveSelectorTest, ClosedSelectorShortensTheMountPointAndKeepsTheLabel) {
    const std::string deep = "deep/a-rather-long-directory-name/and-another-long-one/disk";
    makeDir(deep);
    FileSystem::Options options;
    options.mountTable =
        "/dev/vda / ext4 rw 0 0\n" + path("dev/sda1") + " " + path(deep) + " ext4 rw 0 0\n";
    options.labelsDir = path("labels");
    useFileSystem(options);
    enter(deep);
    createBrowser();
    ASSERT_EQ(drives_->currentIndex(), entryOf(path(deep)));
    const QString full = drives_->itemText(drives_->currentIndex());
    EXPECT_EQ(full.toStdString(), path(deep) + " [my disk]");
    const QString shown = drives_->closedText();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();  // "…"
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/tmp/"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("/disk [my disk]"))) << shown.toStdString();
    const QFontMetrics metrics(drives_->font());
    EXPECT_LT(metrics.horizontalAdvance(shown), drives_->width() - 16);
    // The pop-up's entries keep the whole text; a short one is shown whole.
    EXPECT_EQ(drives_->fittedText(drives_->currentIndex(), 10000), full);
    drives_->selectVolume("/");
    EXPECT_EQ(drives_->closedText(), QStringLiteral("/ []"));

    // A label too long for the room leaves the mount point a third of it.
    const int width = metrics.horizontalAdvance(QStringLiteral(" [my disk]")) * 7 / 5;
    const QString squeezed = drives_->fittedText(entryOf(path(deep)), width);
    EXPECT_LE(metrics.horizontalAdvance(squeezed), width);
    EXPECT_TRUE(squeezed.contains(QStringLiteral(" [m"))) << squeezed.toStdString();
    EXPECT_TRUE(squeezed.endsWith(QChar(0x2026))) << squeezed.toStdString();
}

TEST_F(DriveSelectorTest, NewMountsAppearAndTheChoiceStays) {
    createBrowser();
    track();
    const std::string r = root_;
    makeDir("stick");
    changeMountTable("/dev/sdf1 " + r + "/stick vfat rw 0 0\n");
    drives_->refreshVolumes();
    EXPECT_GE(entryOf(path("stick")), 0);
    EXPECT_EQ(drives_->volume(), path("fixed"));
    EXPECT_EQ(drives_->currentIndex(), entryOf(path("fixed")));
    EXPECT_TRUE(events_.empty());  // nothing moved
    expectCwdMatchesList();

    // Unmounted while it is not on show: the entry goes, nothing else.
    changeMountTable("/dev/sdf1 " + r + "/stick vfat rw 0 0\n");
    drives_->refreshVolumes();
    EXPECT_EQ(entryOf(path("stick")), -1);
    EXPECT_EQ(drives_->currentIndex(), entryOf(path("fixed")));
    EXPECT_TRUE(events_.empty());
}

TEST_F(DriveSelectorTest, UnmountingTheVolumeOnShowMovesToTheNearestParent) {
    const std::string r = root_;
    makeDir("media/anna/stick/docs");
    makeFile("media/m.txt");
    const std::string line = "/dev/sdf1 " + r + "/media/anna/stick vfat rw 0 0\n";
    changeMountTable(line);
    createBrowser();
    tree_->changeDir(path("media/anna/stick/docs"));
    ASSERT_EQ(drives_->volume(), path("media/anna/stick"));
    track();
    // The stick goes, and with it the directory it was mounted on.
    changeMountTable(line);
    std::filesystem::remove_all(path("media/anna"));
    drives_->refreshVolumes();
    runPostedEvents();
    EXPECT_EQ(tree_->currentDir(), path("media"));
    EXPECT_THAT(listRows(), ElementsAre("m.txt"));
    EXPECT_EQ(drives_->volume(), "/");
    EXPECT_EQ(drives_->currentIndex(), entryOf("/"));
    EXPECT_EQ(entryOf(path("media/anna/stick")), -1);
    EXPECT_THAT(events_, ElementsAre("tree", "drives"));
    EXPECT_TRUE(shownFailures().empty());
    expectCwdMatchesList();
}

TEST_F(DriveSelectorTest, RowHeightIsFontOrGlyph) {
    createBrowser();
    EXPECT_EQ(drives_->itemHeight(), 13);
    QFont big = drives_->font();
    big.setPixelSize(30);
    drives_->setFont(big);
    EXPECT_GE(drives_->itemHeight(), QFontMetrics(big).height());
}

}  // namespace
}  // namespace ottomix
