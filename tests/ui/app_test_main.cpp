// GoogleTest main for the application's tests: one Application for the
// whole run, on the offscreen platform.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ui/application.h"

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    // Death tests run the child through a fresh exec of this binary, so the
    // child has its own Application and its own windows.
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    ottomix::Application app(argc, argv);
    return RUN_ALL_TESTS();
}
