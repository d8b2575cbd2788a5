// The directory tree inside the linked browser: its rows, opening rows by
// mouse and keyboard, failures, and the current directory after each step.
#include <QTest>

#include "browser_test_support.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace ottomix {
namespace {

class DirectoryTreeTest : public BrowserTest {
  protected:
    void SetUp() override {
        BrowserTest::SetUp();
        for (const char* dir : {"a/b/Gamma", "a/b/alpha", "a/b/Beta", "a/b/.git"}) MakeDir(dir);
        MakeFile("a/b/file");
        MakeFile("a/b/top.txt");
        MakeFile("a/b/alpha/inner.txt");
        MakeFile("a/up.txt");
        ASSERT_EQ(symlink("Gamma", Path("a/b/linkdir").c_str()), 0);
        Enter("a/b");
        CreateBrowser("*.txt");
        QObject::connect(tree, &DirectoryTree::changed, [this] { events.push_back("tree"); });
        QObject::connect(list, &FileList::changed, [this] { events.push_back("list"); });
    }
    // Rows of the tree for root_ and below: "/" and root_'s own components first.
    std::vector<std::string> Ancestors() const {
        std::vector<std::string> rows{"/"};
        std::string rest = root_.substr(1);
        for (size_t at; (at = rest.find('/')) != std::string::npos; rest = rest.substr(at + 1)) {
            rows.push_back(rest.substr(0, at));
        }
        rows.push_back(rest);
        return rows;
    }
    int RowOf(const std::string& name) const {
        for (int i = 0; i < tree->count(); ++i) {
            if (tree->itemName(i) == name) return i;
        }
        return -1;
    }
    void DoubleClick(int row) {
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {},
                           tree->visualRect(tree->model()->index(row, 0)).center());
    }
    std::vector<std::string> events;
};

TEST_F(DirectoryTreeTest, RowsAreRootAncestorsCurrentThenSortedSubdirectories) {
    std::vector<std::string> expected = Ancestors();
    const int current = static_cast<int>(expected.size()) + 1;
    for (const char* row : {"a", "b", "alpha", "Beta", "Gamma", "linkdir"}) expected.push_back(row);
    EXPECT_THAT(TreeRows(), ElementsAreArray(expected));
    EXPECT_EQ(tree->selectedRow(), current);  // the current row is selected
    EXPECT_TRUE(tree->isCaseSensitive());
    EXPECT_TRUE(tree->preservesCase());

    EXPECT_EQ(tree->rowPath(0), "/");
    EXPECT_EQ(tree->rowPath(current - 1), Path("a"));
    EXPECT_EQ(tree->rowPath(current), Path("a/b"));
    EXPECT_EQ(tree->rowPath(current + 1), Path("a/b/alpha"));
    EXPECT_EQ(tree->rowPath(tree->count()), "");
    EXPECT_THAT(ListRows(), ElementsAre("top.txt"));
    ExpectCwdMatchesList();
}

TEST_F(DirectoryTreeTest, OpeningRowsMovesTreeListAndProcess) {
    DoubleClick(RowOf("alpha"));
    EXPECT_EQ(tree->currentDir(), Path("a/b/alpha"));
    EXPECT_THAT(ListRows(), ElementsAre("inner.txt"));
    EXPECT_THAT(events, ElementsAre("list", "tree"));
    ExpectCwdMatchesList();

    // An ancestor, chosen with the keyboard and opened with Enter.
    events.clear();
    tree->setSelectedRow(RowOf("a"));
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(tree->currentDir(), Path("a"));
    EXPECT_EQ(tree->itemName(tree->selectedRow()), "a");
    EXPECT_THAT(ListRows(), ElementsAre("up.txt"));
    EXPECT_THAT(events, ElementsAre("list", "tree"));
    ExpectCwdMatchesList();

    // A symbolic link to a directory is entered like one; the directory
    // then shows under its real path, as the system reports it.
    tree->changeDir(Path("a/b/linkdir"));
    EXPECT_EQ(list->currentDir(), Path("a/b/Gamma"));
    ExpectCwdMatchesList();
}

TEST_F(DirectoryTreeTest, OpeningTheCurrentRowDoesNothing) {
    DoubleClick(tree->selectedRow());
    tree->changeDir(tree->currentDir());
    EXPECT_TRUE(events.empty());
    RunPostedEvents();
    EXPECT_TRUE(ShownFailures().empty());
}

TEST_F(DirectoryTreeTest, VanishedDirectoryIsReportedAndNothingMoves) {
    const std::vector<std::string> rows = TreeRows();
    std::filesystem::remove_all(Path("a/b/alpha"));
    DoubleClick(RowOf("alpha"));
    RunPostedEvents();
    EXPECT_THAT(ShownFailures(), ElementsAre("File not found."));
    EXPECT_EQ(tree->currentDir(), Path("a/b"));
    EXPECT_EQ(TreeRows(), rows);
    EXPECT_TRUE(events.empty());
    ExpectCwdMatchesList();

    EXPECT_THROW(tree->changeDir(Path("a/b/alpha")), BrowserError);
    EXPECT_THROW(tree->changeDir(Path("a/b/file/deeper")), BrowserError);
    ExpectCwdMatchesList();
}

TEST_F(DirectoryTreeTest, DirectoryDeletedWhileShownCanStillBeLeft) {
    tree->changeDir(Path("a/b/alpha"));
    std::filesystem::remove_all(Path("a/b/alpha"));
    // A mode switch: the list cannot read, reports it and keeps its rows.
    EXPECT_THROW(list->reread(), BrowserError);
    EXPECT_THAT(ListRows(), ElementsAre("inner.txt"));
    // A failed change puts the process back into the deleted directory, not
    // half-way; nothing relative can be found from there.
    EXPECT_THROW(tree->changeDir(Path("a/nowhere")), BrowserError);
    EXPECT_THROW(tree->changeDir("Beta"), BrowserError);
    EXPECT_EQ(Cwd(), "");  // still inside the deleted directory
    EXPECT_EQ(tree->currentDir(), Path("a/b/alpha"));
    // Its parent, an ancestor row, can be opened.
    events.clear();
    DoubleClick(RowOf("b"));
    RunPostedEvents();
    EXPECT_TRUE(ShownFailures().empty());
    EXPECT_EQ(tree->currentDir(), Path("a/b"));
    EXPECT_THAT(ListRows(), ElementsAre("top.txt"));
    EXPECT_THAT(events, ElementsAre("list", "tree"));
    ExpectCwdMatchesList();
}

TEST_F(DirectoryTreeTest, ChangeDirResolvesFilesPatternsAndRelativePaths) {
    tree->changeDir("alpha");  // relative to the current directory
    EXPECT_EQ(tree->currentDir(), Path("a/b/alpha"));
    tree->changeDir("..");
    EXPECT_EQ(tree->currentDir(), Path("a/b"));
    tree->changeDir(Path("a/up.txt"));  // a file: its directory
    EXPECT_EQ(tree->currentDir(), Path("a"));
    tree->changeDir(Path("a/b/alpha/*.txt"));  // a pattern: its directory
    EXPECT_EQ(tree->currentDir(), Path("a/b/alpha"));
    ExpectCwdMatchesList();
    // Unless a directory is called that: wildcards are legal in names.
    MakeDir("a/b/alpha/why?");
    MakeDir("a/b/alpha/why?/*");
    tree->changeDir(Path("a/b/alpha/why?"));
    EXPECT_EQ(tree->currentDir(), Path("a/b/alpha/why?"));
    tree->setSelectedRow(tree->count() - 1);
    ASSERT_EQ(tree->itemName(tree->selectedRow()), "*");
    tree->openSelected();
    EXPECT_EQ(tree->currentDir(), Path("a/b/alpha/why?/*"));
    tree->setSelectedRow(tree->count() - 2);  // the ancestor "why?"
    tree->openSelected();
    EXPECT_EQ(tree->currentDir(), Path("a/b/alpha/why?"));
    ExpectCwdMatchesList();

    tree->changeDir("/");
    EXPECT_EQ(tree->itemName(0), "/");
    EXPECT_EQ(tree->selectedRow(), 0);
    ASSERT_GT(tree->count(), 1);
    EXPECT_EQ(tree->rowPath(1), "/" + tree->itemName(1));
    ExpectCwdMatchesList();
}

TEST_F(DirectoryTreeTest, ControlsCarryOnWhenAnotherGoes) {
    delete list;
    list = nullptr;
    tree->changeDir(Path("a"));
    EXPECT_EQ(Cwd(), Path("a"));
    EXPECT_THAT(events, ElementsAre("tree"));
    delete tree;
    tree = nullptr;
    drives->selectVolume("/");
    EXPECT_EQ(drives->volume(), "/");
    RunPostedEvents();
    EXPECT_TRUE(ShownFailures().empty());
}

TEST_F(DirectoryTreeTest, RowHeightIsGlyphPlusOneAtLeast) {
    EXPECT_EQ(tree->itemHeight(), 16);
    EXPECT_EQ(tree->visualRect(tree->model()->index(0, 0)).height(), tree->itemHeight());
}

TEST_F(DirectoryTreeTest, GlyphsAreIndentedAndKeyedToTheRowColour) {
    const QImage image = tree->viewport()->grab().toImage();
    const QColor base = tree->palette().color(QPalette::Base);
    const QColor highlight = tree->palette().color(QPalette::Active, QPalette::Highlight);
    // The glyph's bottom-left corner carries the transparent colour.
    auto corner = [&](int row, int indent) {
        const QRect rect = tree->visualRect(tree->model()->index(row, 0));
        return image.pixelColor(rect.left() + indent, rect.top() + (rect.height() - 15) / 2 + 14);
    };
    // Drawn at all: some pixel of the glyph differs from the background.
    auto drawn = [&](int row, int indent) {
        const QRect rect = tree->visualRect(tree->model()->index(row, 0));
        int differing = 0;
        for (int x = 0; x < 16; ++x) {
            for (int y = 0; y < rect.height(); ++y) {
                differing += image.pixelColor(rect.left() + indent + x, rect.top() + y) != base;
            }
        }
        return differing;
    };
    const int current = tree->selectedRow();
    const int depth = static_cast<int>(std::count(root_.begin(), root_.end(), '/')) + 2;
    EXPECT_EQ(corner(0, 2), base);
    EXPECT_GT(drawn(0, 2), 20);
    EXPECT_EQ(corner(current, 4 * current + 2), highlight);
    EXPECT_EQ(corner(current + 1, 4 * (depth + 1) + 2), base);
    EXPECT_GT(drawn(current + 1, 4 * (depth + 1) + 2), 20);
    EXPECT_EQ(drawn(current + 1, 4 * (depth + 1) + 2 - 16), 0);  // nothing left of the indent
}

}  // namespace
}  // namespace ottomix
