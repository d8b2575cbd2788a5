// The file list: what it lists, when it reads, selection and its events,
// the busy pointer and the current directory it keeps.
#include <sys/socket.h>
#include <sys/un.h>

#include <QAbstractItemModel>
#include <QTest>
#include <cstdio>

#include "browser_test_support.h"

using ::testing::ElementsAre;

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
        list = new TFileListBox(window_.get());
        list->setGeometry(0, 0, 185, 129);
        list->SetMask(mask);
        QObject::connect(list, &TFileListBox::OnClick, [this] { events.push_back("click"); });
        QObject::connect(list, &TFileListBox::OnChange, [this] { events.push_back("change"); });
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
    list = new TFileListBox(window_.get());
    EXPECT_EQ(list->CurrentDir(), Path("docs"));
    list->SetMask("*.txt");
    list->Reread();
    EXPECT_EQ(list->Count(), 0);
    window_->show();
    EXPECT_THAT(ListRows(), ElementsAre("a.txt"));
    EXPECT_EQ(list->LastIndex(), -1);
}

TEST_F(FileListTest, MaskSelectsAndRowsSortIgnoringCase) {
    for (const char* name : {"b.txt", "A.TXT", "a.txt", "c.dat", "README", "Notes.Txt"}) {
        MakeFile(std::string("docs/") + name);
    }
    CreateList("*.txt");
    EXPECT_THAT(ListRows(), ElementsAre("A.TXT", "a.txt", "b.txt", "Notes.Txt"));

    events.clear();
    list->SetMask("*.*");  // every plain file, with or without a dot
    EXPECT_THAT(ListRows(), ElementsAre("A.TXT", "a.txt", "b.txt", "c.dat", "Notes.Txt", "README"));
    EXPECT_THAT(events, ElementsAre("change"));

    list->SetMask("*.*");  // the same text reads nothing
    EXPECT_THAT(events, ElementsAre("change"));
    list->Reread();  // an explicit read always reads
    EXPECT_THAT(events, ElementsAre("change", "change"));

    list->SetMask("?.txt");
    EXPECT_THAT(ListRows(), ElementsAre("A.TXT", "a.txt", "b.txt"));
    list->SetMask("*.TXT;c*");
    EXPECT_THAT(ListRows(), ElementsAre("A.TXT", "a.txt", "b.txt", "c.dat", "Notes.Txt"));
}

TEST_F(FileListTest, OverlappingPatternsListTwiceAndEmptyMaskListsNothing) {
    MakeFile("docs/one.txt");
    MakeFile("docs/two.bin");
    CreateList("*.txt;*.*");
    EXPECT_THAT(ListRows(), ElementsAre("one.txt", "one.txt", "two.bin"));
    list->SetMask("");
    EXPECT_EQ(list->Count(), 0);
    list->SetMask(";");
    EXPECT_EQ(list->Count(), 0);
    RunPostedEvents();
    EXPECT_TRUE(CaughtErrors().empty());
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

    list->SetFileType(ftNormal | ftDirectory | ftHidden);
    EXPECT_THAT(ListRows(),
                ElementsAre(".hidden.txt", "[folder.txt]", "link.txt", "locked.txt", "plain.txt"));
    // Without ftNormal only entries carrying a searched attribute come back.
    list->SetFileType(ftSystem);
    EXPECT_THAT(ListRows(), ElementsAre("dead.txt", "pipe.txt"));
    list->SetFileType(ftDirectory);
    EXPECT_THAT(ListRows(), ElementsAre("[folder.txt]"));
}

TEST_F(FileListTest, FileNameJoinsDirectoryAndExactBytes) {
    const std::string latin1 = "caf\xe9.txt";  // not UTF-8
    MakeFile("docs/" + latin1, "bytes");
    MakeFile("docs/plain.txt");
    CreateList("*.txt");
    ASSERT_EQ(list->Count(), 2);
    EXPECT_EQ(list->FileName(), "");
    EXPECT_EQ(list->ItemText(0), QStringLiteral("caf\\xe9.txt"));
    list->SetItemIndex(0);
    EXPECT_EQ(list->FileName(), Path("docs/") + latin1);
    std::FILE* file = std::fopen(list->FileName().c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_EQ(ottomix::joinPath("/", "notes.txt"), "/notes.txt");
    EXPECT_EQ(ottomix::joinPath("/docs", "notes.txt"), "/docs/notes.txt");
}

TEST_F(FileListTest, RereadClearsSelection) {
    MakeFile("docs/a.txt");
    MakeFile("docs/b.txt");
    CreateList("*.txt");
    ClickRow(1);
    EXPECT_EQ(list->FileName(), Path("docs/b.txt"));
    EXPECT_EQ(list->LastIndex(), 1);
    MakeFile("docs/encrypt.txt");
    list->Reread();
    EXPECT_THAT(ListRows(), ElementsAre("a.txt", "b.txt", "encrypt.txt"));
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_EQ(list->FileName(), "");
    EXPECT_EQ(list->LastIndex(), -1);
}

TEST_F(FileListTest, UserSelectionFiresClickThenChange) {
    MakeFile("docs/a.txt");
    MakeFile("docs/b.txt");
    MakeFile("docs/c.txt");
    CreateList("*.txt");
    events.clear();
    ClickRow(1);
    EXPECT_THAT(events, ElementsAre("click", "change"));
    EXPECT_EQ(list->LastIndex(), 1);
    events.clear();
    ClickRow(1);  // the same row again: a click, no change
    EXPECT_THAT(events, ElementsAre("click"));
    events.clear();
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_THAT(events, ElementsAre("click", "change"));
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(list->LastIndex(), 2);
    events.clear();
    list->SetItemIndex(0);
    EXPECT_TRUE(events.empty());
}

TEST_F(FileListTest, UserCannotTakeTheSelectionAway) {
    MakeFile("docs/a.txt");
    MakeFile("docs/b.txt");
    CreateList("*.txt");
    ClickRow(1);
    events.clear();
    // Ctrl+click on the selected row, Ctrl+Space, a click below the rows:
    // the file stays selected, so FileName still names what the user chose.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualRect(list->model()->index(1, 0)).center());
    EXPECT_EQ(list->FileName(), Path("docs/b.txt"));
    EXPECT_THAT(events, ElementsAre("click"));
    QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(list->ItemIndex(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, list->height() - 10));
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(list->LastIndex(), 1);
}

TEST_F(FileListTest, BusyPointerOnlyFromRowHundred) {
    auto pointer_while_inserting = [this](int files) {
        std::filesystem::remove_all(Path("docs"));
        MakeDir("docs");
        for (int i = 0; i < files; ++i) MakeFile("docs/f" + std::to_string(i) + ".txt");
        std::vector<int> shapes;
        auto connection = QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, [&] {
            const QCursor* cursor = QApplication::overrideCursor();
            shapes.push_back(cursor != nullptr ? cursor->shape() : -1);
        });
        list->Reread();
        QObject::disconnect(connection);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(list->Count(), files);
        return shapes;
    };
    CreateList("*.txt");
    EXPECT_THAT(pointer_while_inserting(100), ElementsAre(-1));
    EXPECT_THAT(pointer_while_inserting(101), ElementsAre(Qt::WaitCursor));
}

TEST_F(FileListTest, RereadOfAVanishedDirectoryKeepsRows) {
    MakeFile("docs/a.txt");
    CreateList("*.txt");
    std::filesystem::remove_all(Path("docs"));
    Enter("");
    try {
        list->Reread();
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.code(), 2);
        EXPECT_STREQ(error.what(), "File not found");
    }
    EXPECT_THAT(ListRows(), ElementsAre("a.txt"));
}

TEST_F(FileListTest, CurrentDirMovesListAndProcess) {
    MakeDir("docs/sub");
    MakeFile("docs/sub/inner.txt");
    MakeDir("other");
    MakeFile("other/x.txt");
    CreateList("*.txt");
    list->SetCurrentDir("sub");  // relative to the list's directory
    EXPECT_EQ(list->CurrentDir(), Path("docs/sub"));
    EXPECT_THAT(ListRows(), ElementsAre("inner.txt"));
    EXPECT_EQ(Cwd(), list->CurrentDir());
    list->SetCurrentDir(Path("other"));
    EXPECT_THAT(ListRows(), ElementsAre("x.txt"));
    EXPECT_EQ(Cwd(), Path("other"));
    EXPECT_THROW(list->SetCurrentDir(Path("nowhere")), EInOutError);
    EXPECT_EQ(Cwd(), Path("other"));
    EXPECT_EQ(list->CurrentDir(), Path("other"));
}

TEST_F(FileListTest, RowHeightFollowsFontAndGlyphs) {
    CreateList("*.txt");
    EXPECT_EQ(list->ItemHeight(), 13);  // the main window's font
    list->SetShowGlyphs(true);
    EXPECT_EQ(list->ItemHeight(), 16);  // glyph height + 1
    list->SetShowGlyphs(false);
    QFont big = list->font();
    big.setPixelSize(30);
    list->setFont(big);
    EXPECT_GE(list->ItemHeight(), QFontMetrics(big).height());
    EXPECT_LE(list->ItemHeight(), QFontMetrics(big).height() + 1);
    MakeFile("docs/a.txt");
    list->Reread();
    EXPECT_EQ(list->visualRect(list->model()->index(0, 0)).height(), list->ItemHeight());
}

TEST(DisplayName, ValidUtf8AsItIsOtherBytesEscaped) {
    EXPECT_EQ(ottomix::DisplayName("caf\xc3\xa9 \xf0\x9f\x98\x80"),
              QString::fromUtf8("caf\xc3\xa9 \xf0\x9f\x98\x80"));
    EXPECT_EQ(ottomix::DisplayName("a\xc0\xaf"
                                   "b"),
              QStringLiteral("a\\xc0\\xafb"));  // overlong
    EXPECT_EQ(ottomix::DisplayName("\xed\xa0\x80"),
              QStringLiteral("\\xed\\xa0\\x80"));  // surrogate
    EXPECT_EQ(ottomix::DisplayName("\xff\xc3\xa9"), QString::fromUtf8("\\xff\xc3\xa9"));
}

TEST(MaskMatches, WildcardsIgnoreCase) {
    EXPECT_TRUE(ottomix::MaskMatches("*.*", "README"));
    EXPECT_TRUE(ottomix::MaskMatches("*.*", ".profile"));
    EXPECT_TRUE(ottomix::MaskMatches("*.TXT", "notes.txt"));
    EXPECT_FALSE(ottomix::MaskMatches("*.txt", "notes.txt.bak"));
    EXPECT_TRUE(ottomix::MaskMatches("data.*", "data"));
    EXPECT_FALSE(ottomix::MaskMatches("data.*", "database"));
    EXPECT_TRUE(ottomix::MaskMatches("?x", "\xc3\xa9x"));  // one character, two bytes
    EXPECT_TRUE(ottomix::MaskMatches("a*b*c", "aXbYbZc"));
    EXPECT_FALSE(ottomix::MaskMatches("", "anything"));
}

TEST(InOutError, MessagesAndErrnoCodes) {
    EXPECT_EQ(EInOutError(2).what(), std::string("File not found"));
    EXPECT_EQ(EInOutError(3).what(), std::string("Invalid filename"));
    EXPECT_EQ(EInOutError(4).what(), std::string("Too many open files"));
    EXPECT_EQ(EInOutError(5).what(), std::string("File access denied"));
    EXPECT_EQ(EInOutError(101).what(), std::string("Disk full"));
    EXPECT_EQ(EInOutError(21).what(), std::string("I/O error 21"));
    EXPECT_EQ(EInOutError::FromErrno(ENOENT).code(), 2);
    EXPECT_EQ(EInOutError::FromErrno(ENOTDIR).code(), 3);
    EXPECT_EQ(EInOutError::FromErrno(EMFILE).code(), 4);
    EXPECT_EQ(EInOutError::FromErrno(EACCES).code(), 5);
    EXPECT_EQ(EInOutError::FromErrno(ENODEV).code(), ENODEV);
    EXPECT_EQ(EInOutError::FromErrno(EIO).code(), 1000 + EIO);  // not "File access denied"
}

}  // namespace
