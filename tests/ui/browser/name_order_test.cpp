// The one order of names: the tree and the file list put accented and
// mixed-case names in the same order, with case ignored for every letter.
#include "ui/browser/name_order.h"

#include <QLocale>

#include "browser_test_support.h"

using ::testing::ElementsAreArray;

namespace ottomix {
namespace {

// UTF-8 names, with pairs that differ only in the case of a letter outside A-Z.
const std::vector<std::string> kNames = {"Zebra",
                                         "zoo",
                                         "\xc3\x84pfel",
                                         "\xc3\xa4pfel",
                                         "apfel",
                                         "Apfelmus",
                                         "eclair",
                                         "\303\211clair",
                                         "\303\251clair",
                                         "\303\251crit",
                                         "\xc3\x96lberg",
                                         "\303\234ber",
                                         "\303\274ber",
                                         "uber",
                                         "\xce\xa3\xce\x99\xce\x93\xce\x9c\xce\x91",
                                         "\xcf\x83\xce\xb9\xce\xb3\xce\xbc\xce\xb1",
                                         "ab",
                                         "ab1",
                                         "ab_c",
                                         "Ab2",
                                         "10",
                                         "9"};

class NameOrderTest : public BrowserTest {
  protected:
    void SetUp() override {
        BrowserTest::SetUp();
        for (const auto& name : kNames) {
            makeDir("dirs/" + name);
            makeDir("files");
            makeFile("files/" + name);
        }
        enter("dirs");
    }
    void TearDown() override {
        QLocale::setDefault(QLocale::system());
        BrowserTest::TearDown();
    }
    // The tree's rows below the current directory.
    std::vector<std::string> subdirectories() const {
        const std::vector<std::string> rows = treeRows();
        const int current = tree_->selectedRow();
        return std::vector<std::string>(rows.begin() + current + 1, rows.end());
    }
    // The list's rows, as names, brackets of directories taken off.
    std::vector<std::string> listNames() const {
        std::vector<std::string> names;
        for (std::string row : listRows()) {
            if (row.size() > 2 && row.front() == '[') row = row.substr(1, row.size() - 2);
            names.push_back(row);
        }
        return names;
    }
    static int place(const std::vector<std::string>& order, const std::string& name) {
        return static_cast<int>(std::find(order.begin(), order.end(), name) - order.begin());
    }
    // Each case pair stands together, the upper-case one (smaller bytes) first.
    static void expectCasePairsTogether(const std::vector<std::string>& order) {
        const std::pair<const char*, const char*> pairs[] = {
            {"\xc3\x84pfel", "\xc3\xa4pfel"},
            {"\303\211clair", "\303\251clair"},
            {"\303\234ber", "\303\274ber"},
            {"\xce\xa3\xce\x99\xce\x93\xce\x9c\xce\x91",
             "\xcf\x83\xce\xb9\xce\xb3\xce\xbc\xce\xb1"}};
        for (const auto& [upper, lower] : pairs) {
            EXPECT_EQ(place(order, upper) + 1, place(order, lower)) << upper << " / " << lower;
        }
    }
};

TEST_F(NameOrderTest, TreeAndListOrderNamesAlike) {
    createBrowser("*");
    const std::vector<std::string> treeOrder = subdirectories();
    ASSERT_EQ(treeOrder.size(), kNames.size());
    expectCasePairsTogether(treeOrder);
    EXPECT_LT(place(treeOrder, "ab"), place(treeOrder, "ab1"));
    EXPECT_LT(place(treeOrder, "ab1"), place(treeOrder, "Ab2"));

    // The same names as directories in the list...
    list_->setFileTypes(FileTypeFlag::Directory);
    EXPECT_THAT(listNames(), ElementsAreArray(treeOrder));
    // ... and as files in another directory.
    list_->setFileTypes(FileTypeFlag::Normal);
    list_->setCurrentDir(path("files"));
    EXPECT_THAT(listNames(), ElementsAreArray(treeOrder));
    EXPECT_EQ(cwd(), list_->currentDir());
}

TEST_F(NameOrderTest, AccentsSortByTheLocale) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    createBrowser("*");
    const std::vector<std::string> treeOrder = subdirectories();
    expectCasePairsTogether(treeOrder);
    // German: an accent counts after the letters, so "éclair" goes with "eclair".
    EXPECT_LT(place(treeOrder, "eclair"), place(treeOrder, "\303\211clair"));
    EXPECT_LT(place(treeOrder, "\303\251clair"), place(treeOrder, "\303\251crit"));
    EXPECT_LT(place(treeOrder, "\303\274ber"), place(treeOrder, "Zebra"));
    list_->setCurrentDir(path("files"));
    EXPECT_THAT(listNames(), ElementsAreArray(treeOrder));
}

// Both ways of keeping keys: the C locale's bytes and a collating locale's.
TEST(NameOrder, EqualKeysFallBackToBytesThenPlace) {
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        QLocale::setDefault(locale);
        NameOrder order;
        std::vector<BrowserRow> rows;
        for (const char* name :
             {"b", "B", "a", "b", "\xc3\xa4pfel", "\xc3\x84pfel", "Apfelmus-und-noch-mehr", "c"}) {
            BrowserRow row;
            row.name = name;
            row.text = QString::fromUtf8(name);
            row.indent = static_cast<int>(rows.size());  // where it came from
            order.add(row.text);
            rows.push_back(row);
        }
        order.sort(&rows);
        std::vector<std::string> names;
        for (const auto& row : rows) names.push_back(row.name);
        const std::string localeName = locale.name().toStdString();
        auto place = [&names](const std::string& name) {
            return std::find(names.begin(), names.end(), name) - names.begin();
        };
        EXPECT_LT(place("a"), place("B")) << localeName;
        // "B", then the two "b" in the order they came.
        const auto upperB = place("B");
        ASSERT_LT(upperB + 2, static_cast<long>(rows.size()));
        EXPECT_EQ(rows[upperB + 1].indent, 0) << localeName;
        EXPECT_EQ(rows[upperB + 2].indent, 3) << localeName;
        EXPECT_LT(upperB, place("c")) << localeName;
        EXPECT_EQ(place("\xc3\x84pfel") + 1, place("\xc3\xa4pfel")) << localeName;
    }
    QLocale::setDefault(QLocale::system());
}

// In the C locale the keys are kept as bytes; the order is still exactly
// the one Qt's collator gives.
TEST(NameOrder, CLocaleOrderIsQtCollatorOrder) {
    QLocale::setDefault(QLocale::c());
    std::vector<BrowserRow> rows;
    NameOrder order;
    for (const std::string& name : kNames) {
        for (const std::string& variant : {name, name + "_x", "[" + name, "~" + name}) {
            BrowserRow row;
            row.name = variant;
            row.text = QString::fromStdString(variant);
            order.add(row.text);
            rows.push_back(row);
        }
    }
    std::vector<std::string> expected;
    for (const auto& row : rows) expected.push_back(row.name);
    QCollator collator(QLocale::c());
    std::stable_sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
        const int c = collator.sortKey(QString::fromStdString(a).toCaseFolded())
                          .compare(collator.sortKey(QString::fromStdString(b).toCaseFolded()));
        return c != 0 ? c < 0 : a < b;
    });
    order.sort(&rows);
    std::vector<std::string> sorted;
    for (const auto& row : rows) sorted.push_back(row.name);
    EXPECT_EQ(sorted, expected);
    QLocale::setDefault(QLocale::system());
}

}  // namespace
}  // namespace ottomix
