// The busy pointer on its own, on the test's clock, and a long read that
// reports its progress often enough for the pointer to go up while it reads.
#include "ui/browser/busy_pointer.h"

#include <QTest>

#include "browser_test_support.h"

namespace ottomix {
namespace {

class BusyPointerTest : public BrowserTest {
  protected:
    void SetUp() override {
        BrowserTest::SetUp();
        FileSystem::Options options;
        options.clock = [this] { return now_; };
        useFileSystem(options);
    }
    static bool pointerIsBusy() {
        const QCursor* cursor = QApplication::overrideCursor();
        return cursor != nullptr && cursor->shape() == Qt::WaitCursor;
    }
    FileSystem::Clock::time_point now_{};
};

TEST_F(BusyPointerTest, UpAfterTheDelayAndBackWhenTheReadEnds) {
    {
        BusyPointer busy;
        now_ += std::chrono::milliseconds(99);
        busy.check();
        EXPECT_FALSE(busy.isUp());
        EXPECT_FALSE(pointerIsBusy());
        now_ += std::chrono::milliseconds(1);
        busy.check();
        EXPECT_TRUE(busy.isUp());
        EXPECT_TRUE(pointerIsBusy());
        busy.check();  // once is enough: one pointer to put back
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(BusyPointerTest, PutBackWhenTheReadThrows) {
    try {
        BusyPointer busy;
        now_ += std::chrono::seconds(1);
        busy.check();
        ASSERT_TRUE(pointerIsBusy());
        throw BrowserError(2);
    } catch (const BrowserError&) {
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(BusyPointerTest, LongReadReportsProgressWhileItReads) {
    makeDir("many");
    for (int i = 0; i < 5000; ++i) makeFile("many/f" + std::to_string(i));
    std::vector<DirEntry> entries;
    int reports = 0;
    ASSERT_EQ(FileSystem::instance().readDirectory(path("many"), false, &entries,
                                                   [&reports] { ++reports; }),
              0);
    EXPECT_EQ(entries.size(), 5002u);
    EXPECT_GE(reports, 4);  // every 1024 entries
}

}  // namespace
}  // namespace ottomix
