// Calls on helper threads with a bounded wait: results in time, calls given
// up on, keys still blocked, and a batch with one call that never returns.
#include "ui/browser/bounded_call.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

namespace ottomix {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// Blocks the calls that wait on it until the test opens it.
struct Gate {
    std::promise<void> promise;
    std::shared_future<void> opened = promise.get_future().share();
    void open() { promise.set_value(); }
};

milliseconds since(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

// Waits (briefly) until every helper has returned.
void waitForHelpers() {
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (runningHelpers() > 0 && Clock::now() < end) {
        std::this_thread::sleep_for(milliseconds(5));
    }
}

TEST(BoundedCall, ResultInTime) {
    EXPECT_EQ(callWithin(milliseconds(1000), [] { return 42; }), 42);
    waitForHelpers();
}

TEST(BoundedCall, BlockedCallIsGivenUpAndItsKeyStaysBlocked) {
    auto gate = std::make_shared<Gate>();
    auto started = std::make_shared<std::atomic<int>>(0);
    auto late = std::make_shared<std::atomic<int>>(-1);
    auto blockedCall = [gate, started] {
        ++*started;
        gate->opened.wait();
        return 7;
    };
    auto start = Clock::now();
    EXPECT_EQ(callWithin(milliseconds(200), blockedCall, "dead", [late](int r) { *late = r; }),
              std::nullopt);
    EXPECT_GE(since(start), milliseconds(200));
    EXPECT_LT(since(start), milliseconds(1000));

    // The same key again: no answer at once, and no second helper.
    start = Clock::now();
    EXPECT_EQ(callWithin(milliseconds(2000), blockedCall, "dead"), std::nullopt);
    EXPECT_LT(since(start), milliseconds(1000));
    EXPECT_EQ(started->load(), 1);
    // Another key is not held up.
    EXPECT_EQ(callWithin(
                  milliseconds(1000), [] { return 1; }, "alive"),
              1);

    // The blocked call returns at last: its result goes to `discard` and
    // the key is free again.
    gate->open();
    waitForHelpers();
    EXPECT_EQ(late->load(), 7);
    EXPECT_EQ(callWithin(
                  milliseconds(1000), [] { return 3; }, "dead"),
              3);
    waitForHelpers();
}

TEST(BoundedCall, BatchGoesOnPastAStuckCallWithOneDeadline) {
    auto gate = std::make_shared<Gate>();
    const auto start = Clock::now();
    int progress = 0;
    const auto results = callAllWithin(
        20,
        [gate](std::size_t i) {
            if (i == 2 || i == 5) gate->opened.wait();
            return static_cast<int>(i) * 10;
        },
        milliseconds(500), [](std::size_t i) { return "batch/" + std::to_string(i); },
        [&progress] { ++progress; });
    const milliseconds took = since(start);
    EXPECT_GE(took, milliseconds(500));
    EXPECT_LT(took, milliseconds(1500));  // one deadline, not one per stuck call
    EXPECT_GT(progress, 0);
    ASSERT_EQ(results.size(), 20u);
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (i == 2 || i == 5) {
            EXPECT_EQ(results[i], std::nullopt) << i;
        } else {
            EXPECT_EQ(results[i], static_cast<int>(i) * 10) << i;
        }
    }
    // Read again while they are stuck: the two are left out at once.
    const auto againStart = Clock::now();
    const auto again = callAllWithin(
        20, [](std::size_t i) { return static_cast<int>(i); }, milliseconds(2000),
        [](std::size_t i) { return "batch/" + std::to_string(i); });
    EXPECT_LT(since(againStart), milliseconds(1000));
    EXPECT_EQ(again[2], std::nullopt);
    EXPECT_EQ(again[3], 3);
    gate->open();
    waitForHelpers();
}

}  // namespace
}  // namespace ottomix
