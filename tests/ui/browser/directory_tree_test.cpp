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
        for (const char* dir : {"a/b/Gamma", "a/b/alpha", "a/b/Beta", "a/b/.git"}) makeDir(dir);
        makeFile("a/b/file");
        makeFile("a/b/top.txt");
        makeFile("a/b/alpha/inner.txt");
        makeFile("a/up.txt");
        ASSERT_EQ(symlink("Gamma", path("a/b/linkdir").c_str()), 0);
        enter("a/b");
        createBrowser("*.txt");
        QObject::connect(tree_, &DirectoryTree::changed, [this] { events_.push_back("tree"); });
        QObject::connect(list_, &FileList::changed, [this] { events_.push_back("list"); });
    }
    // Rows of the tree for root_ and below: "/" and root_'s own components first.
    std::vector<std::string> ancestors() const {
        std::vector<std::string> rows{"/"};
        std::string rest = root_.substr(1);
        for (size_t at; (at = rest.find('/')) != std::string::npos; rest = rest.substr(at + 1)) {
            rows.push_back(rest.substr(0, at));
        }
        rows.push_back(rest);
        return rows;
    }
    int rowOf(const std::string& name) const {
        for (int i = 0; i < tree_->count(); ++i) {
            if (tree_->itemName(i) == name) return i;
        }
        return -1;
    }
    void doubleClick(int row) {
        QTest::mouseDClick(tree_->viewport(), Qt::LeftButton, {},
                           tree_->visualRect(tree_->model()->index(row, 0)).center());
    }
    std::vector<std::string> events_;
};

TEST_F(DirectoryTreeTest, RowsAreRootAncestorsCurrentThenSortedSubdirectories) {
    std::vector<std::string> expected = ancestors();
    const int current = static_cast<int>(expected.size()) + 1;
    for (const char* row : {"a", "b", "alpha", "Beta", "Gamma", "linkdir"}) expected.push_back(row);
    EXPECT_THAT(treeRows(), ElementsAreArray(expected));
    EXPECT_EQ(tree_->selectedRow(), current);  // the current row is selected
    EXPECT_TRUE(tree_->isCaseSensitive());
    EXPECT_TRUE(tree_->preservesCase());

    EXPECT_EQ(tree_->rowPath(0), "/");
    EXPECT_EQ(tree_->rowPath(current - 1), path("a"));
    EXPECT_EQ(tree_->rowPath(current), path("a/b"));
    EXPECT_EQ(tree_->rowPath(current + 1), path("a/b/alpha"));
    EXPECT_EQ(tree_->rowPath(tree_->count()), "");
    EXPECT_THAT(listRows(), ElementsAre("top.txt"));
    expectCwdMatchesList();
}

TEST_F(DirectoryTreeTest, OpeningRowsMovesTreeListAndProcess) {
    doubleClick(rowOf("alpha"));
    EXPECT_EQ(tree_->currentDir(), path("a/b/alpha"));
    EXPECT_THAT(listRows(), ElementsAre("inner.txt"));
    EXPECT_THAT(events_, ElementsAre("list", "tree"));
    expectCwdMatchesList();

    // An ancestor, chosen with the keyboard and opened with Enter.
    events_.clear();
    tree_->setSelectedRow(rowOf("a"));
    QTest::keyClick(tree_, Qt::Key_Return);
    EXPECT_EQ(tree_->currentDir(), path("a"));
    EXPECT_EQ(tree_->itemName(tree_->selectedRow()), "a");
    EXPECT_THAT(listRows(), ElementsAre("up.txt"));
    EXPECT_THAT(events_, ElementsAre("list", "tree"));
    expectCwdMatchesList();

    // A symbolic link to a directory is entered like one; the directory
    // then shows under its real path, as the system reports it.
    tree_->changeDir(path("a/b/linkdir"));
    EXPECT_EQ(list_->currentDir(), path("a/b/Gamma"));
    expectCwdMatchesList();
}

TEST_F(DirectoryTreeTest, OpeningTheCurrentRowDoesNothing) {
    doubleClick(tree_->selectedRow());
    tree_->changeDir(tree_->currentDir());
    EXPECT_TRUE(events_.empty());
    runPostedEvents();
    EXPECT_TRUE(shownFailures().empty());
}

TEST_F(DirectoryTreeTest, VanishedDirectoryIsReportedAndNothingMoves) {
    const std::vector<std::string> rows = treeRows();
    std::filesystem::remove_all(path("a/b/alpha"));
    doubleClick(rowOf("alpha"));
    runPostedEvents();
    EXPECT_THAT(shownFailures(), ElementsAre("File not found."));
    EXPECT_EQ(tree_->currentDir(), path("a/b"));
    EXPECT_EQ(treeRows(), rows);
    EXPECT_TRUE(events_.empty());
    expectCwdMatchesList();

    EXPECT_THROW(tree_->changeDir(path("a/b/alpha")), BrowserError);
    EXPECT_THROW(tree_->changeDir(path("a/b/file/deeper")), BrowserError);
    expectCwdMatchesList();
}

TEST_F(DirectoryTreeTest, DirectoryDeletedWhileShownCanStillBeLeft) {
    tree_->changeDir(path("a/b/alpha"));
    std::filesystem::remove_all(path("a/b/alpha"));
    // A mode switch: the list cannot read, reports it and keeps its rows.
    EXPECT_THROW(list_->reread(), BrowserError);
    EXPECT_THAT(listRows(), ElementsAre("inner.txt"));
    // A failed change puts the process back into the deleted directory, not
    // half-way; nothing relative can be found from there.
    EXPECT_THROW(tree_->changeDir(path("a/nowhere")), BrowserError);
    EXPECT_THROW(tree_->changeDir("Beta"), BrowserError);
    EXPECT_EQ(cwd(), "");  // still inside the deleted directory
    EXPECT_EQ(tree_->currentDir(), path("a/b/alpha"));
    // Its parent, an ancestor row, can be opened.
    events_.clear();
    doubleClick(rowOf("b"));
    runPostedEvents();
    EXPECT_TRUE(shownFailures().empty());
    EXPECT_EQ(tree_->currentDir(), path("a/b"));
    EXPECT_THAT(listRows(), ElementsAre("top.txt"));
    EXPECT_THAT(events_, ElementsAre("list", "tree"));
    expectCwdMatchesList();
}

TEST_F(DirectoryTreeTest, ChangeDirResolvesFilesPatternsAndRelativePaths) {
    tree_->changeDir("alpha");  // relative to the current directory
    EXPECT_EQ(tree_->currentDir(), path("a/b/alpha"));
    tree_->changeDir("..");
    EXPECT_EQ(tree_->currentDir(), path("a/b"));
    tree_->changeDir(path("a/up.txt"));  // a file: its directory
    EXPECT_EQ(tree_->currentDir(), path("a"));
    tree_->changeDir(path("a/b/alpha/*.txt"));  // a pattern: its directory
    EXPECT_EQ(tree_->currentDir(), path("a/b/alpha"));
    expectCwdMatchesList();
    // Unless a directory is called that: wildcards are legal in names.
    makeDir("a/b/alpha/why?");
    makeDir("a/b/alpha/why?/*");
    tree_->changeDir(path("a/b/alpha/why?"));
    EXPECT_EQ(tree_->currentDir(), path("a/b/alpha/why?"));
    tree_->setSelectedRow(tree_->count() - 1);
    ASSERT_EQ(tree_->itemName(tree_->selectedRow()), "*");
    tree_->openSelected();
    EXPECT_EQ(tree_->currentDir(), path("a/b/alpha/why?/*"));
    tree_->setSelectedRow(tree_->count() - 2);  // the ancestor "why?"
    tree_->openSelected();
    EXPECT_EQ(tree_->currentDir(), path("a/b/alpha/why?"));
    expectCwdMatchesList();

    tree_->changeDir("/");
    EXPECT_EQ(tree_->itemName(0), "/");
    EXPECT_EQ(tree_->selectedRow(), 0);
    ASSERT_GT(tree_->count(), 1);
    EXPECT_EQ(tree_->rowPath(1), "/" + tree_->itemName(1));
    expectCwdMatchesList();
}

TEST_F(DirectoryTreeTest, ControlsCarryOnWhenAnotherGoes) {
    delete list_;
    list_ = nullptr;
    tree_->changeDir(path("a"));
    EXPECT_EQ(cwd(), path("a"));
    EXPECT_THAT(events_, ElementsAre("tree"));
    delete tree_;
    tree_ = nullptr;
    drives_->selectVolume("/");
    EXPECT_EQ(drives_->volume(), "/");
    runPostedEvents();
    EXPECT_TRUE(shownFailures().empty());
}

TEST_F(DirectoryTreeTest, RowHeightIsGlyphPlusOneAtLeast) {
    EXPECT_EQ(tree_->itemHeight(), 16);
    EXPECT_EQ(tree_->visualRect(tree_->model()->index(0, 0)).height(), tree_->itemHeight());
}

TEST_F(DirectoryTreeTest, GlyphsAreIndentedAndKeyedToTheRowColour) {
    const QImage image = tree_->viewport()->grab().toImage();
    const QColor base = tree_->palette().color(QPalette::Base);
    const QColor highlight = tree_->palette().color(QPalette::Active, QPalette::Highlight);
    // The glyph's bottom-left corner carries the transparent colour.
    auto corner = [&](int row, int indent) {
        const QRect rect = tree_->visualRect(tree_->model()->index(row, 0));
        return image.pixelColor(rect.left() + indent, rect.top() + (rect.height() - 15) / 2 + 14);
    };
    // Drawn at all: some pixel of the glyph differs from the background.
    auto drawn = [&](int row, int indent) {
        const QRect rect = tree_->visualRect(tree_->model()->index(row, 0));
        int differing = 0;
        for (int x = 0; x < 16; ++x) {
            for (int y = 0; y < rect.height(); ++y) {
                differing += image.pixelColor(rect.left() + indent + x, rect.top() + y) != base;
            }
        }
        return differing;
    };
    const int current = tree_->selectedRow();
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
