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
            MakeDir(dir);
        }
        for (const char* device : {"dev/sda1", "dev/sdb1", "dev/sr0"}) MakeFile(device);
        MakeFile("fixed/sub/f.txt");
        MakeFile("usb/u.txt");
        MakeFile("usb/docs/d.txt");
        MakeFile("plainfile");
        // udev's label links, one with an escaped blank; the USB stick has one too.
        ASSERT_EQ(symlink("../dev/sda1", Path("labels/My\\x20Disk").c_str()), 0);
        ASSERT_EQ(symlink("../dev/sdb1", Path("labels/STICK").c_str()), 0);
        // sysfs: the partition's disk says it is removable.
        MakeFile("sys/devices/sdb/removable", "1\n");
        MakeFile("sys/devices/sdb/sdb1/partition", "1\n");
        ASSERT_EQ(symlink("../../devices/sdb/sdb1", Path("sys/class/block/sdb1").c_str()), 0);

        const std::string r = root_;
        FileSystem::Options options;
        table =
            "/dev/vda / ext4 rw 0 0\n"
            "proc /proc proc rw 0 0\n"
            "tmpfs /run/user/0 tmpfs rw 0 0\n"
            "/dev/loop3 /snap/core/1 squashfs ro 0 0\n" +
            r + "/dev/sda1 " + r + "/fixed ext4 rw 0 0\n" + r + "/dev/sdb1 " + r +
            "/usb vfat rw 0 0\n" + "Server:/Export " + r + "/net nfs4 rw 0 0\n" + "tmpfs " + r +
            "/ram tmpfs rw 0 0\n" + r + "/dev/sr0 " + r + "/cd iso9660 ro 0 0\n" + "/dev/sdc1 " +
            r + "/gone ext4 rw 0 0\n" + "/dev/sdd1 " + r + "/with\\040space ext4 rw 0 0\n" +
            "/dev/sde1 " + r + "/plainfile ext4 rw 0 0\n" + "/dev/vda /etc/hostname ext4 rw 0 0\n";
        options.mountTable = table;
        options.labelsDir = Path("labels");
        options.blockClassDir = Path("sys/class/block");
        UseFileSystem(options);
        Enter("fixed/sub");
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> texts;
        for (int i = 0; i < drives->count(); ++i)
            texts.push_back(drives->itemText(i).toStdString());
        return texts;
    }
    int EntryOf(const std::string& mountPoint) const {
        for (int i = 0; i < drives->count(); ++i) {
            if (drives->itemVolume(i) == mountPoint) return i;
        }
        return -1;
    }
    void Track() {
        QObject::connect(drives, &DriveSelector::userSelected,
                         [this] { events.push_back("click"); });
        QObject::connect(drives, &DriveSelector::changed, [this] { events.push_back("drives"); });
        QObject::connect(tree, &DirectoryTree::changed, [this] { events.push_back("tree"); });
    }
    // The table with `line` added or, when present, taken out.
    void ChangeMountTable(const std::string& line) {
        const size_t at = table.find(line);
        if (at == std::string::npos) {
            table += line;
        } else {
            table.erase(at, line.size());
        }
        FileSystem::instance().setMountTable(table);
    }
    std::string table;
    std::vector<std::string> events;
};

TEST_F(DriveSelectorTest, EntriesFollowTheMountTable) {
    CreateBrowser();
    const std::string r = root_;
    // A file bound onto a file ("plainfile") cannot be told from a volume
    // without asking it, which the list never does; the files container
    // engines bind into /etc are left out by their place.
    EXPECT_THAT(Entries(), ElementsAre("/ []", r + "/cd []", r + "/fixed [my disk]", r + "/gone []",
                                       r + "/net server:/export", r + "/plainfile []",
                                       r + "/ram []", r + "/usb", r + "/with space []"));
    EXPECT_EQ(drives->volume(), r + "/fixed");
    EXPECT_EQ(drives->currentIndex(), EntryOf(r + "/fixed"));

    drives->setTextCase(TextCase::Upper);
    EXPECT_EQ(drives->itemText(EntryOf(r + "/fixed")).toStdString(), r + "/fixed [MY DISK]");
    EXPECT_EQ(drives->itemText(EntryOf(r + "/net")).toStdString(), r + "/net SERVER:/EXPORT");
    EXPECT_EQ(drives->currentIndex(), EntryOf(r + "/fixed"));

    const auto volumes = FileSystem::instance().volumes();
    ASSERT_EQ(volumes.size(), 9u);
    EXPECT_EQ(volumes[1].type, VolumeType::CdRom);
    EXPECT_EQ(volumes[2].type, VolumeType::Fixed);
    EXPECT_EQ(volumes[4].type, VolumeType::Remote);
    EXPECT_EQ(volumes[6].type, VolumeType::Ram);
    EXPECT_EQ(volumes[7].type, VolumeType::Removable);
    EXPECT_EQ(volumes[7].label, "");  // a removable medium is not asked for its label

    // Chosen, the file bound as a volume is found to be no directory.
    drives->selectVolume(r + "/plainfile");
    RunPostedEvents();
    EXPECT_THAT(ShownFailures(), ElementsAre("Invalid filename."));
    EXPECT_EQ(tree->currentDir(), r + "/fixed/sub");
    ExpectCwdMatchesList();
}

TEST_F(DriveSelectorTest, FirstShowingSelectsTheCurrentVolumeOnce) {
    CreateBrowser("*.txt", false);
    Track();
    EXPECT_EQ(drives->volume(), Path("fixed"));
    EXPECT_EQ(drives->count(), 0);
    window_->show();
    EXPECT_THAT(events, ElementsAre("drives"));
    EXPECT_EQ(drives->currentIndex(), EntryOf(Path("fixed")));
    EXPECT_EQ(tree->currentDir(), Path("fixed/sub"));
    ExpectCwdMatchesList();
}

TEST_F(DriveSelectorTest, ChoosingVolumesRemembersWhereEachWasLeft) {
    CreateBrowser();
    Track();
    drives->selectVolume(Path("usb"));
    EXPECT_THAT(events, ElementsAre("tree", "drives"));
    EXPECT_EQ(tree->currentDir(), Path("usb"));
    EXPECT_THAT(ListRows(), ElementsAre("u.txt"));
    EXPECT_FALSE(tree->isCaseSensitive());  // vfat keeps case but ignores it
    EXPECT_TRUE(tree->preservesCase());
    ExpectCwdMatchesList();

    tree->changeDir(Path("usb/docs"));
    drives->selectVolume(Path("fixed"));
    EXPECT_EQ(tree->currentDir(), Path("fixed/sub"));
    ExpectCwdMatchesList();
    drives->selectVolume(Path("usb"));
    EXPECT_EQ(tree->currentDir(), Path("usb/docs"));
    EXPECT_THAT(ListRows(), ElementsAre("d.txt"));
    ExpectCwdMatchesList();

    // Choosing the volume already shown does nothing.
    events.clear();
    drives->selectVolume(Path("usb"));
    EXPECT_TRUE(events.empty());
}

TEST_F(DriveSelectorTest, CaseBlindVolumeStillTellsNamesThatAreNotUtf8Apart) {
    MakeDir("usb/caf\xe9");
    MakeDir("usb/caf\xe8");
    CreateBrowser();
    Track();
    tree->changeDir(Path("usb/caf\xe9"));
    ASSERT_FALSE(tree->isCaseSensitive());  // vfat
    tree->changeDir(Path("usb/caf\xe8"));
    EXPECT_EQ(tree->currentDir(), Path("usb/caf\xe8"));
    ExpectCwdMatchesList();
    tree->changeDir(Path("usb/docs"));
    events.clear();
    tree->changeDir(Path("usb/DOCS"));  // the same directory there
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(tree->currentDir(), Path("usb/docs"));
}

TEST_F(DriveSelectorTest, TreeMovingToAnotherVolumeSwitchesTheSelector) {
    CreateBrowser();
    Track();
    tree->changeDir(Path("usb/docs"));
    EXPECT_EQ(drives->volume(), Path("usb"));
    EXPECT_EQ(drives->currentIndex(), EntryOf(Path("usb")));
    EXPECT_EQ(tree->volume(), Path("usb"));
    // The drive switch does not refill the tree; only the final change does.
    EXPECT_THAT(events, ElementsAre("drives", "tree"));
    EXPECT_THAT(ListRows(), ElementsAre("d.txt"));
    ExpectCwdMatchesList();
}

TEST_F(DriveSelectorTest, SignalsNameTheDirectoryAndTheVolume) {
    CreateBrowser();
    std::vector<std::string> told;
    auto note = [&told](const char* what) {
        return [&told, what](const std::string& path) { told.push_back(what + path); };
    };
    QObject::connect(tree, &DirectoryTree::currentDirectoryChanged, note("dir "));
    QObject::connect(tree, &DirectoryTree::volumeChanged, note("volume "));
    QObject::connect(drives, &DriveSelector::volumeChosen, note("chosen "));
    tree->changeDir(Path("usb/docs"));
    drives->selectVolume(Path("fixed"));
    tree->changeDir(Path("fixed"));
    drives->selectVolume(Path("fixed"));  // the tree is there already: nothing to ask
    EXPECT_THAT(told, ElementsAre("volume " + Path("usb"), "dir " + Path("usb/docs"),
                                  "dir " + Path("fixed/sub"), "volume " + Path("fixed"),
                                  "chosen " + Path("fixed"), "dir " + Path("fixed")));
}

TEST_F(DriveSelectorTest, VolumeThatCannotBeEnteredLeavesTheBrowserWhereItWas) {
    CreateBrowser();
    Track();
    const std::string gone = Path("gone");
    drives->selectVolume(gone);
    RunPostedEvents();
    EXPECT_THAT(ShownFailures(), ElementsAre("File not found."));
    // The selector shows the chosen volume; nothing else moved.
    EXPECT_EQ(drives->volume(), gone);
    EXPECT_EQ(drives->currentIndex(), EntryOf(gone));
    EXPECT_EQ(tree->currentDir(), Path("fixed/sub"));
    EXPECT_TRUE(events.empty());
    ExpectCwdMatchesList();

    drives->selectVolume(gone);  // the same volume again is ignored
    RunPostedEvents();
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(ShownFailures().size(), 1u);
    drives->selectVolume(Path("ram"));
    EXPECT_EQ(tree->currentDir(), Path("ram"));
    ExpectCwdMatchesList();
}

TEST_F(DriveSelectorTest, UserChoiceClicksThenChangesAndFailuresAreShown) {
    CreateBrowser();
    Track();
    drives->setFocus();
    // Down from the fixed disk: the next entry is the one that is gone.
    QTest::keyClick(drives, Qt::Key_Down);
    RunPostedEvents();
    EXPECT_THAT(ShownFailures(), ElementsAre("File not found."));
    EXPECT_THAT(events, ElementsAre("click"));
    ExpectCwdMatchesList();

    events.clear();
    QTest::keyClick(drives, Qt::Key_Down);  // the network volume
    RunPostedEvents();
    EXPECT_THAT(events, ElementsAre("click", "tree", "drives"));
    EXPECT_EQ(tree->currentDir(), Path("net"));
    EXPECT_EQ(ShownFailures().size(), 1u);
    ExpectCwdMatchesList();
}

TEST_F(DriveSelectorTest, WithoutSelectorTheTreeSwitchesVolumesItself) {
    CreateBrowser();
    drives->selectVolume("");  // no volume: nothing selected, the tree stays
    EXPECT_EQ(drives->currentIndex(), -1);
    EXPECT_EQ(tree->currentDir(), Path("fixed/sub"));
    delete drives;
    drives = nullptr;
    tree->changeDir(Path("usb/docs"));
    EXPECT_EQ(tree->volume(), Path("usb"));
    EXPECT_THAT(ListRows(), ElementsAre("d.txt"));
    ExpectCwdMatchesList();
    tree->setVolume(Path("fixed"));
    EXPECT_EQ(tree->currentDir(), Path("fixed/sub"));
    ExpectCwdMatchesList();
}

TEST_F(DriveSelectorTest, ClosedSelectorShortensTheMountPointAndKeepsTheLabel) {
    const std::string deep = "deep/a-rather-long-directory-name/and-another-long-one/disk";
    MakeDir(deep);
    FileSystem::Options options;
    options.mountTable =
        "/dev/vda / ext4 rw 0 0\n" + Path("dev/sda1") + " " + Path(deep) + " ext4 rw 0 0\n";
    options.labelsDir = Path("labels");
    UseFileSystem(options);
    Enter(deep);
    CreateBrowser();
    ASSERT_EQ(drives->currentIndex(), EntryOf(Path(deep)));
    const QString full = drives->itemText(drives->currentIndex());
    EXPECT_EQ(full.toStdString(), Path(deep) + " [my disk]");
    const QString shown = drives->closedText();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();  // "…"
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/tmp/"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("/disk [my disk]"))) << shown.toStdString();
    const QFontMetrics metrics(drives->font());
    EXPECT_LT(metrics.horizontalAdvance(shown), drives->width() - 16);
    // The pop-up's entries keep the whole text; a short one is shown whole.
    EXPECT_EQ(drives->fittedText(drives->currentIndex(), 10000), full);
    drives->selectVolume("/");
    EXPECT_EQ(drives->closedText(), QStringLiteral("/ []"));

    // A label too long for the room leaves the mount point a third of it.
    const int width = metrics.horizontalAdvance(QStringLiteral(" [my disk]")) * 7 / 5;
    const QString squeezed = drives->fittedText(EntryOf(Path(deep)), width);
    EXPECT_LE(metrics.horizontalAdvance(squeezed), width);
    EXPECT_TRUE(squeezed.contains(QStringLiteral(" [m"))) << squeezed.toStdString();
    EXPECT_TRUE(squeezed.endsWith(QChar(0x2026))) << squeezed.toStdString();
}

TEST_F(DriveSelectorTest, NewMountsAppearAndTheChoiceStays) {
    CreateBrowser();
    Track();
    const std::string r = root_;
    MakeDir("stick");
    ChangeMountTable("/dev/sdf1 " + r + "/stick vfat rw 0 0\n");
    drives->refreshVolumes();
    EXPECT_GE(EntryOf(Path("stick")), 0);
    EXPECT_EQ(drives->volume(), Path("fixed"));
    EXPECT_EQ(drives->currentIndex(), EntryOf(Path("fixed")));
    EXPECT_TRUE(events.empty());  // nothing moved
    ExpectCwdMatchesList();

    // Unmounted while it is not on show: the entry goes, nothing else.
    ChangeMountTable("/dev/sdf1 " + r + "/stick vfat rw 0 0\n");
    drives->refreshVolumes();
    EXPECT_EQ(EntryOf(Path("stick")), -1);
    EXPECT_EQ(drives->currentIndex(), EntryOf(Path("fixed")));
    EXPECT_TRUE(events.empty());
}

TEST_F(DriveSelectorTest, UnmountingTheVolumeOnShowMovesToTheNearestParent) {
    const std::string r = root_;
    MakeDir("media/anna/stick/docs");
    MakeFile("media/m.txt");
    const std::string line = "/dev/sdf1 " + r + "/media/anna/stick vfat rw 0 0\n";
    ChangeMountTable(line);
    CreateBrowser();
    tree->changeDir(Path("media/anna/stick/docs"));
    ASSERT_EQ(drives->volume(), Path("media/anna/stick"));
    Track();
    // The stick goes, and with it the directory it was mounted on.
    ChangeMountTable(line);
    std::filesystem::remove_all(Path("media/anna"));
    drives->refreshVolumes();
    RunPostedEvents();
    EXPECT_EQ(tree->currentDir(), Path("media"));
    EXPECT_THAT(ListRows(), ElementsAre("m.txt"));
    EXPECT_EQ(drives->volume(), "/");
    EXPECT_EQ(drives->currentIndex(), EntryOf("/"));
    EXPECT_EQ(EntryOf(Path("media/anna/stick")), -1);
    EXPECT_THAT(events, ElementsAre("tree", "drives"));
    EXPECT_TRUE(ShownFailures().empty());
    ExpectCwdMatchesList();
}

TEST_F(DriveSelectorTest, RowHeightIsFontOrGlyph) {
    CreateBrowser();
    EXPECT_EQ(drives->itemHeight(), 13);
    QFont big = drives->font();
    big.setPixelSize(30);
    drives->setFont(big);
    EXPECT_GE(drives->itemHeight(), QFontMetrics(big).height());
}

}  // namespace
}  // namespace ottomix
