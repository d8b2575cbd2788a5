// The file list: what it lists, when it reads, selection and its events,
// the busy pointer and the current directory it keeps.
#include <sys/socket.h>
#include <sys/un.h>

#include <QAbstractItemModel>
#include <QScrollBar>
#include <QTest>
#include <cstdio>

#include "browser_test_support.h"

using ::testing::Each;
using ::testing::ElementsAre;

namespace ottomix {
namespace {

class FileListTest : public BrowserTest {
  protected:
    void SetUp() override {
        BrowserTest::SetUp();
        makeDir("docs");
        enter("docs");
    }
    // A list on its own, read for the first time by show().
    void createList(const std::string& mask) {
        window_ = mainWindowLike();
        list_ = new FileList(window_.get());
        list_->setGeometry(0, 0, 185, 129);
        list_->setMask(mask);
        QObject::connect(list_, &FileList::userSelected, [this] { events_.push_back("click"); });
        QObject::connect(list_, &FileList::changed, [this] { events_.push_back("change"); });
        window_->show();
    }
    void clickRow(int row) {
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {},
                          list_->visualRect(list_->model()->index(row, 0)).center());
    }
    std::vector<std::string> events_;
};

TEST_F(FileListTest, FirstReadWaitsForTheFirstShowing) {
    makeFile("docs/a.txt");
    window_ = std::make_unique<QWidget>();
    list_ = new FileList(window_.get());
    EXPECT_EQ(list_->currentDir(), path("docs"));
    list_->setMask("*.txt");
    list_->reread();
    EXPECT_EQ(list_->count(), 0);
    window_->show();
    EXPECT_THAT(listRows(), ElementsAre("a.txt"));
    EXPECT_EQ(list_->rowAtLastChange(), -1);
}

TEST_F(FileListTest, MaskSelectsAndRowsSortIgnoringCase) {
    for (const char* name : {"b.txt", "A.TXT", "a.txt", "c.dat", "README", "Notes.Txt"}) {
        makeFile(std::string("docs/") + name);
    }
    createList("*.txt");
    EXPECT_THAT(listRows(), ElementsAre("A.TXT", "a.txt", "b.txt", "Notes.Txt"));

    events_.clear();
    list_->setMask("*.*");  // every plain file, with or without a dot
    EXPECT_THAT(listRows(), ElementsAre("A.TXT", "a.txt", "b.txt", "c.dat", "Notes.Txt", "README"));
    EXPECT_THAT(events_, ElementsAre("change"));

    list_->setMask("*.*");  // the same text reads nothing
    EXPECT_THAT(events_, ElementsAre("change"));
    list_->reread();  // an explicit read always reads
    EXPECT_THAT(events_, ElementsAre("change", "change"));

    list_->setMask("?.txt");
    EXPECT_THAT(listRows(), ElementsAre("A.TXT", "a.txt", "b.txt"));
    list_->setMask("*.TXT;c*");
    EXPECT_THAT(listRows(), ElementsAre("A.TXT", "a.txt", "b.txt", "c.dat", "Notes.Txt"));
}

TEST_F(FileListTest, OverlappingPatternsListTwiceAndEmptyMaskListsNothing) {
    makeFile("docs/one.txt");
    makeFile("docs/two.bin");
    createList("*.txt;*.*");
    EXPECT_THAT(listRows(), ElementsAre("one.txt", "one.txt", "two.bin"));
    list_->setMask("");
    EXPECT_EQ(list_->count(), 0);
    list_->setMask(";");
    EXPECT_EQ(list_->count(), 0);
    runPostedEvents();
    EXPECT_TRUE(shownFailures().empty());
}

TEST_F(FileListTest, OnlyPlainFilesUnlessFileTypeAsksForMore) {
    makeFile("docs/plain.txt");
    makeFile("docs/.hidden.txt");
    makeDir("docs/folder.txt");
    ASSERT_EQ(mkfifo(path("docs/pipe.txt").c_str(), 0600), 0);
    ASSERT_EQ(symlink("plain.txt", path("docs/link.txt").c_str()), 0);
    ASSERT_EQ(symlink("missing", path("docs/dead.txt").c_str()), 0);
    makeFile("docs/locked.txt");
    chmod(path("docs/locked.txt").c_str(), 0444);
    createList("*.txt");
    EXPECT_THAT(listRows(), ElementsAre("link.txt", "locked.txt", "plain.txt"));

    list_->setFileTypes(FileTypeFlag::Normal | FileTypeFlag::Directory | FileTypeFlag::Hidden);
    EXPECT_THAT(listRows(),
                ElementsAre(".hidden.txt", "[folder.txt]", "link.txt", "locked.txt", "plain.txt"));
    // Without FileTypeFlag::Normal only entries carrying a searched attribute come back.
    list_->setFileTypes(FileTypeFlag::System);
    EXPECT_THAT(listRows(), ElementsAre("dead.txt", "pipe.txt"));
    list_->setFileTypes(FileTypeFlag::Directory);
    EXPECT_THAT(listRows(), ElementsAre("[folder.txt]"));
}

TEST_F(FileListTest, FileNameJoinsDirectoryAndExactBytes) {
    const std::string latin1 = "caf\xe9.txt";  // not UTF-8
    makeFile("docs/" + latin1, "bytes");
    makeFile("docs/plain.txt");
    createList("*.txt");
    ASSERT_EQ(list_->count(), 2);
    EXPECT_EQ(list_->fileName(), "");
    EXPECT_EQ(list_->itemText(0), QStringLiteral("caf\\xe9.txt"));
    list_->setSelectedRow(0);
    EXPECT_EQ(list_->fileName(), path("docs/") + latin1);
    std::FILE* file = std::fopen(list_->fileName().c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_EQ(joinPath("/", "notes.txt"), "/notes.txt");
    EXPECT_EQ(joinPath("/docs", "notes.txt"), "/docs/notes.txt");
}

TEST_F(FileListTest, RereadClearsSelection) {
    makeFile("docs/a.txt");
    makeFile("docs/b.txt");
    createList("*.txt");
    clickRow(1);
    EXPECT_EQ(list_->fileName(), path("docs/b.txt"));
    EXPECT_EQ(list_->rowAtLastChange(), 1);
    makeFile("docs/encrypt.txt");
    list_->reread();
    EXPECT_THAT(listRows(), ElementsAre("a.txt", "b.txt", "encrypt.txt"));
    EXPECT_EQ(list_->selectedRow(), -1);
    EXPECT_EQ(list_->fileName(), "");
    EXPECT_EQ(list_->rowAtLastChange(), -1);
}

TEST_F(FileListTest, RereadShowsTheFirstRow) {
    for (int i = 0; i < 200; ++i) makeFile("docs/f" + std::to_string(1000 + i) + ".txt");
    createList("*.txt");
    list_->scrollToBottom();
    runPostedEvents();
    ASSERT_GT(list_->verticalScrollBar()->value(), 0);
    ASSERT_GT(list_->indexAt(QPoint(2, 2)).row(), 0);
    list_->reread();
    runPostedEvents();
    EXPECT_EQ(list_->verticalScrollBar()->value(), 0);
    EXPECT_EQ(list_->indexAt(QPoint(2, 2)).row(), 0);
}

TEST_F(FileListTest, UserSelectionFiresClickThenChange) {
    makeFile("docs/a.txt");
    makeFile("docs/b.txt");
    makeFile("docs/c.txt");
    createList("*.txt");
    events_.clear();
    clickRow(1);
    EXPECT_THAT(events_, ElementsAre("click", "change"));
    EXPECT_EQ(list_->rowAtLastChange(), 1);
    events_.clear();
    clickRow(1);  // the same row again: a click, no change
    EXPECT_THAT(events_, ElementsAre("click"));
    events_.clear();
    QTest::keyClick(list_, Qt::Key_Down);
    EXPECT_THAT(events_, ElementsAre("click", "change"));
    EXPECT_EQ(list_->selectedRow(), 2);
    EXPECT_EQ(list_->rowAtLastChange(), 2);
    events_.clear();
    list_->setSelectedRow(0);
    EXPECT_TRUE(events_.empty());
}

TEST_F(FileListTest, UserCannotTakeTheSelectionAway) {
    makeFile("docs/a.txt");
    makeFile("docs/b.txt");
    createList("*.txt");
    clickRow(1);
    events_.clear();
    // Ctrl+click on the selected row, Ctrl+Space, a click below the rows:
    // the file stays selected, so fileName() still names what the user chose.
    QTest::mouseClick(list_->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list_->visualRect(list_->model()->index(1, 0)).center());
    EXPECT_EQ(list_->fileName(), path("docs/b.txt"));
    EXPECT_THAT(events_, ElementsAre("click"));
    QTest::keyClick(list_, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(list_->selectedRow(), 1);
    QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, QPoint(20, list_->height() - 10));
    EXPECT_EQ(list_->selectedRow(), 1);
    EXPECT_EQ(list_->rowAtLastChange(), 1);
}

// The pointer goes up once a read has lasted a tenth of a second, however
// many rows it finds. The clock is the test's: it moves `step` a reading.
TEST_F(FileListTest, BusyPointerOnceAReadLastsATenthOfASecond) {
    std::chrono::milliseconds step{0};
    FileSystem::Clock::time_point now{};
    std::vector<int> atReading;  // the override pointer whenever the clock is read
    auto shape = [] {
        const QCursor* cursor = QApplication::overrideCursor();
        return cursor != nullptr ? static_cast<int>(cursor->shape()) : -1;
    };
    FileSystem::Options options;
    options.clock = [&] {
        atReading.push_back(shape());
        now += step;
        return now;
    };
    useFileSystem(options);
    auto pointerWhileInserting = [&](int files) {
        std::filesystem::remove_all(path("docs"));
        makeDir("docs");
        for (int i = 0; i < files; ++i) makeFile("docs/f" + std::to_string(i) + ".txt");
        std::vector<int> shapes;
        auto connection = QObject::connect(list_->model(), &QAbstractItemModel::rowsInserted,
                                           [&] { shapes.push_back(shape()); });
        atReading.clear();
        list_->reread();
        QObject::disconnect(connection);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(list_->count(), files);
        return shapes;
    };
    createList("*.txt");
    // A clock that stands still: no pointer, however many rows.
    EXPECT_THAT(pointerWhileInserting(150), ElementsAre(-1));
    EXPECT_THAT(atReading, Each(-1));
    // 40 ms a reading: the fourth reading finds 120 ms passed and puts the
    // pointer up before the rows go in, however few they are.
    step = std::chrono::milliseconds(40);
    EXPECT_THAT(pointerWhileInserting(3), ElementsAre(Qt::WaitCursor));
    EXPECT_THAT(atReading, ElementsAre(-1, -1, -1, -1));
}

TEST_F(FileListTest, RereadOfAVanishedDirectoryKeepsRows) {
    makeFile("docs/a.txt");
    createList("*.txt");
    std::filesystem::remove_all(path("docs"));
    enter("");
    try {
        list_->reread();
        FAIL() << "no error";
    } catch (const BrowserError& error) {
        EXPECT_EQ(error.code(), 2);
        EXPECT_STREQ(error.what(), "File not found");
    }
    EXPECT_THAT(listRows(), ElementsAre("a.txt"));
}

TEST_F(FileListTest, FirstReadOfAVanishedDirectoryIsReported) {
    std::filesystem::remove_all(path("docs"));  // the process is still in it
    window_ = mainWindowLike();
    list_ = new FileList(window_.get());
    std::vector<std::string> failures;
    QObject::connect(list_, &FileList::failed, [&failures](const QString& message) {
        failures.push_back(message.toStdString());
    });
    window_->show();
    EXPECT_THAT(failures, ElementsAre("File not found"));
    EXPECT_EQ(list_->count(), 0);
}

TEST_F(FileListTest, CurrentDirMovesListAndProcess) {
    makeDir("docs/sub");
    makeFile("docs/sub/inner.txt");
    makeDir("other");
    makeFile("other/x.txt");
    createList("*.txt");
    list_->setCurrentDir("sub");  // relative to the list's directory
    EXPECT_EQ(list_->currentDir(), path("docs/sub"));
    EXPECT_THAT(listRows(), ElementsAre("inner.txt"));
    EXPECT_EQ(cwd(), list_->currentDir());
    list_->setCurrentDir(path("other"));
    EXPECT_THAT(listRows(), ElementsAre("x.txt"));
    EXPECT_EQ(cwd(), path("other"));
    EXPECT_THROW(list_->setCurrentDir(path("nowhere")), BrowserError);
    EXPECT_EQ(cwd(), path("other"));
    EXPECT_EQ(list_->currentDir(), path("other"));
}

TEST_F(FileListTest, RowHeightFollowsFontAndGlyphs) {
    createList("*.txt");
    EXPECT_EQ(list_->itemHeight(), 13);  // the main window's font
    list_->setShowGlyphs(true);
    EXPECT_EQ(list_->itemHeight(), 16);  // glyph height + 1
    list_->setShowGlyphs(false);
    QFont big = list_->font();
    big.setPixelSize(30);
    list_->setFont(big);
    EXPECT_GE(list_->itemHeight(), QFontMetrics(big).height());
    EXPECT_LE(list_->itemHeight(), QFontMetrics(big).height() + 1);
    makeFile("docs/a.txt");
    list_->reread();
    EXPECT_EQ(list_->visualRect(list_->model()->index(0, 0)).height(), list_->itemHeight());
}

}  // namespace
}  // namespace ottomix
