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
        MakeDir("docs");
        Enter("docs");
    }
    // A list on its own, read for the first time by show().
    void CreateList(const std::string& mask) {
        window_ = MainWindowLike();
        list = new FileList(window_.get());
        list->setGeometry(0, 0, 185, 129);
        list->setMask(mask);
        QObject::connect(list, &FileList::userSelected, [this] { events.push_back("click"); });
        QObject::connect(list, &FileList::changed, [this] { events.push_back("change"); });
        window_->show();
    }
    void ClickRow(int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 0)).center());
    }
    std::vector<std::string> events;
};

TEST_F(FileListTest, FirstReadWaitsForTheFirstShowing) {
    MakeFile("docs/a.txt");
    window_ = std::make_unique<QWidget>();
    list = new FileList(window_.get());
    EXPECT_EQ(list->currentDir(), Path("docs"));
    list->setMask("*.txt");
    list->reread();
    EXPECT_EQ(list->count(), 0);
    window_->show();
    EXPECT_THAT(ListRows(), ElementsAre("a.txt"));
    EXPECT_EQ(list->rowAtLastChange(), -1);
}

TEST_F(FileListTest, MaskSelectsAndRowsSortIgnoringCase) {
    for (const char* name : {"b.txt", "A.TXT", "a.txt", "c.dat", "README", "Notes.Txt"}) {
        MakeFile(std::string("docs/") + name);
    }
    CreateList("*.txt");
    EXPECT_THAT(ListRows(), ElementsAre("A.TXT", "a.txt", "b.txt", "Notes.Txt"));

    events.clear();
    list->setMask("*.*");  // every plain file, with or without a dot
    EXPECT_THAT(ListRows(), ElementsAre("A.TXT", "a.txt", "b.txt", "c.dat", "Notes.Txt", "README"));
    EXPECT_THAT(events, ElementsAre("change"));

    list->setMask("*.*");  // the same text reads nothing
    EXPECT_THAT(events, ElementsAre("change"));
    list->reread();  // an explicit read always reads
    EXPECT_THAT(events, ElementsAre("change", "change"));

    list->setMask("?.txt");
    EXPECT_THAT(ListRows(), ElementsAre("A.TXT", "a.txt", "b.txt"));
    list->setMask("*.TXT;c*");
    EXPECT_THAT(ListRows(), ElementsAre("A.TXT", "a.txt", "b.txt", "c.dat", "Notes.Txt"));
}

TEST_F(FileListTest, OverlappingPatternsListTwiceAndEmptyMaskListsNothing) {
    MakeFile("docs/one.txt");
    MakeFile("docs/two.bin");
    CreateList("*.txt;*.*");
    EXPECT_THAT(ListRows(), ElementsAre("one.txt", "one.txt", "two.bin"));
    list->setMask("");
    EXPECT_EQ(list->count(), 0);
    list->setMask(";");
    EXPECT_EQ(list->count(), 0);
    RunPostedEvents();
    EXPECT_TRUE(ShownFailures().empty());
}

TEST_F(FileListTest, OnlyPlainFilesUnlessFileTypeAsksForMore) {
    MakeFile("docs/plain.txt");
    MakeFile("docs/.hidden.txt");
    MakeDir("docs/folder.txt");
    ASSERT_EQ(mkfifo(Path("docs/pipe.txt").c_str(), 0600), 0);
    ASSERT_EQ(symlink("plain.txt", Path("docs/link.txt").c_str()), 0);
    ASSERT_EQ(symlink("missing", Path("docs/dead.txt").c_str()), 0);
    MakeFile("docs/locked.txt");
    chmod(Path("docs/locked.txt").c_str(), 0444);
    CreateList("*.txt");
    EXPECT_THAT(ListRows(), ElementsAre("link.txt", "locked.txt", "plain.txt"));

    list->setFileTypes(FileTypeFlag::Normal | FileTypeFlag::Directory | FileTypeFlag::Hidden);
    EXPECT_THAT(ListRows(),
                ElementsAre(".hidden.txt", "[folder.txt]", "link.txt", "locked.txt", "plain.txt"));
    // Without FileTypeFlag::Normal only entries carrying a searched attribute come back.
    list->setFileTypes(FileTypeFlag::System);
    EXPECT_THAT(ListRows(), ElementsAre("dead.txt", "pipe.txt"));
    list->setFileTypes(FileTypeFlag::Directory);
    EXPECT_THAT(ListRows(), ElementsAre("[folder.txt]"));
}

TEST_F(FileListTest, FileNameJoinsDirectoryAndExactBytes) {
    const std::string latin1 = "caf\xe9.txt";  // not UTF-8
    MakeFile("docs/" + latin1, "bytes");
    MakeFile("docs/plain.txt");
    CreateList("*.txt");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->fileName(), "");
    EXPECT_EQ(list->itemText(0), QStringLiteral("caf\\xe9.txt"));
    list->setSelectedRow(0);
    EXPECT_EQ(list->fileName(), Path("docs/") + latin1);
    std::FILE* file = std::fopen(list->fileName().c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_EQ(joinPath("/", "notes.txt"), "/notes.txt");
    EXPECT_EQ(joinPath("/docs", "notes.txt"), "/docs/notes.txt");
}

TEST_F(FileListTest, RereadClearsSelection) {
    MakeFile("docs/a.txt");
    MakeFile("docs/b.txt");
    CreateList("*.txt");
    ClickRow(1);
    EXPECT_EQ(list->fileName(), Path("docs/b.txt"));
    EXPECT_EQ(list->rowAtLastChange(), 1);
    MakeFile("docs/encrypt.txt");
    list->reread();
    EXPECT_THAT(ListRows(), ElementsAre("a.txt", "b.txt", "encrypt.txt"));
    EXPECT_EQ(list->selectedRow(), -1);
    EXPECT_EQ(list->fileName(), "");
    EXPECT_EQ(list->rowAtLastChange(), -1);
}

TEST_F(FileListTest, RereadShowsTheFirstRow) {
    for (int i = 0; i < 200; ++i) MakeFile("docs/f" + std::to_string(1000 + i) + ".txt");
    CreateList("*.txt");
    list->scrollToBottom();
    RunPostedEvents();
    ASSERT_GT(list->verticalScrollBar()->value(), 0);
    ASSERT_GT(list->indexAt(QPoint(2, 2)).row(), 0);
    list->reread();
    RunPostedEvents();
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
    EXPECT_EQ(list->indexAt(QPoint(2, 2)).row(), 0);
}

TEST_F(FileListTest, UserSelectionFiresClickThenChange) {
    MakeFile("docs/a.txt");
    MakeFile("docs/b.txt");
    MakeFile("docs/c.txt");
    CreateList("*.txt");
    events.clear();
    ClickRow(1);
    EXPECT_THAT(events, ElementsAre("click", "change"));
    EXPECT_EQ(list->rowAtLastChange(), 1);
    events.clear();
    ClickRow(1);  // the same row again: a click, no change
    EXPECT_THAT(events, ElementsAre("click"));
    events.clear();
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_THAT(events, ElementsAre("click", "change"));
    EXPECT_EQ(list->selectedRow(), 2);
    EXPECT_EQ(list->rowAtLastChange(), 2);
    events.clear();
    list->setSelectedRow(0);
    EXPECT_TRUE(events.empty());
}

TEST_F(FileListTest, UserCannotTakeTheSelectionAway) {
    MakeFile("docs/a.txt");
    MakeFile("docs/b.txt");
    CreateList("*.txt");
    ClickRow(1);
    events.clear();
    // Ctrl+click on the selected row, Ctrl+Space, a click below the rows:
    // the file stays selected, so fileName() still names what the user chose.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualRect(list->model()->index(1, 0)).center());
    EXPECT_EQ(list->fileName(), Path("docs/b.txt"));
    EXPECT_THAT(events, ElementsAre("click"));
    QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(list->selectedRow(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, list->height() - 10));
    EXPECT_EQ(list->selectedRow(), 1);
    EXPECT_EQ(list->rowAtLastChange(), 1);
}

// The pointer goes up once a read has lasted a tenth of a second, however
// many rows it finds. The clock is the test's: it moves `step` a reading.
TEST_F(FileListTest, BusyPointerOnceAReadLastsATenthOfASecond) {
    std::chrono::milliseconds step{0};
    FileSystem::Clock::time_point now{};
    std::vector<int> at_reading;  // the override pointer whenever the clock is read
    auto shape = [] {
        const QCursor* cursor = QApplication::overrideCursor();
        return cursor != nullptr ? static_cast<int>(cursor->shape()) : -1;
    };
    FileSystem::Options options;
    options.clock = [&] {
        at_reading.push_back(shape());
        now += step;
        return now;
    };
    UseFileSystem(options);
    auto pointer_while_inserting = [&](int files) {
        std::filesystem::remove_all(Path("docs"));
        MakeDir("docs");
        for (int i = 0; i < files; ++i) MakeFile("docs/f" + std::to_string(i) + ".txt");
        std::vector<int> shapes;
        auto connection = QObject::connect(list->model(), &QAbstractItemModel::rowsInserted,
                                           [&] { shapes.push_back(shape()); });
        at_reading.clear();
        list->reread();
        QObject::disconnect(connection);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(list->count(), files);
        return shapes;
    };
    CreateList("*.txt");
    // A clock that stands still: no pointer, however many rows.
    EXPECT_THAT(pointer_while_inserting(150), ElementsAre(-1));
    EXPECT_THAT(at_reading, Each(-1));
    // 40 ms a reading: the fourth reading finds 120 ms passed and puts the
    // pointer up before the rows go in, however few they are.
    step = std::chrono::milliseconds(40);
    EXPECT_THAT(pointer_while_inserting(3), ElementsAre(Qt::WaitCursor));
    EXPECT_THAT(at_reading, ElementsAre(-1, -1, -1, -1));
}

TEST_F(FileListTest, RereadOfAVanishedDirectoryKeepsRows) {
    MakeFile("docs/a.txt");
    CreateList("*.txt");
    std::filesystem::remove_all(Path("docs"));
    Enter("");
    try {
        list->reread();
        FAIL() << "no error";
    } catch (const BrowserError& error) {
        EXPECT_EQ(error.code(), 2);
        EXPECT_STREQ(error.what(), "File not found");
    }
    EXPECT_THAT(ListRows(), ElementsAre("a.txt"));
}

TEST_F(FileListTest, FirstReadOfAVanishedDirectoryIsReported) {
    std::filesystem::remove_all(Path("docs"));  // the process is still in it
    window_ = MainWindowLike();
    list = new FileList(window_.get());
    std::vector<std::string> failures;
    QObject::connect(list, &FileList::failed, [&failures](const QString& message) {
        failures.push_back(message.toStdString());
    });
    window_->show();
    EXPECT_THAT(failures, ElementsAre("File not found"));
    EXPECT_EQ(list->count(), 0);
}

TEST_F(FileListTest, CurrentDirMovesListAndProcess) {
    MakeDir("docs/sub");
    MakeFile("docs/sub/inner.txt");
    MakeDir("other");
    MakeFile("other/x.txt");
    CreateList("*.txt");
    list->setCurrentDir("sub");  // relative to the list's directory
    EXPECT_EQ(list->currentDir(), Path("docs/sub"));
    EXPECT_THAT(ListRows(), ElementsAre("inner.txt"));
    EXPECT_EQ(Cwd(), list->currentDir());
    list->setCurrentDir(Path("other"));
    EXPECT_THAT(ListRows(), ElementsAre("x.txt"));
    EXPECT_EQ(Cwd(), Path("other"));
    EXPECT_THROW(list->setCurrentDir(Path("nowhere")), BrowserError);
    EXPECT_EQ(Cwd(), Path("other"));
    EXPECT_EQ(list->currentDir(), Path("other"));
}

TEST_F(FileListTest, RowHeightFollowsFontAndGlyphs) {
    CreateList("*.txt");
    EXPECT_EQ(list->itemHeight(), 13);  // the main window's font
    list->setShowGlyphs(true);
    EXPECT_EQ(list->itemHeight(), 16);  // glyph height + 1
    list->setShowGlyphs(false);
    QFont big = list->font();
    big.setPixelSize(30);
    list->setFont(big);
    EXPECT_GE(list->itemHeight(), QFontMetrics(big).height());
    EXPECT_LE(list->itemHeight(), QFontMetrics(big).height() + 1);
    MakeFile("docs/a.txt");
    list->reread();
    EXPECT_EQ(list->visualRect(list->model()->index(0, 0)).height(), list->itemHeight());
}

}  // namespace
}  // namespace ottomix
