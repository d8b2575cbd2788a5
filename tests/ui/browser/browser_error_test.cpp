// The browser's error codes and their messages.
#include "ui/browser/browser_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace ottomix {
namespace {

TEST(BrowserError, MessagesAndErrnoCodes) {
    EXPECT_EQ(BrowserError(2).what(), std::string("File not found"));
    EXPECT_EQ(BrowserError(3).what(), std::string("Invalid filename"));
    EXPECT_EQ(BrowserError(4).what(), std::string("Too many open files"));
    EXPECT_EQ(BrowserError(5).what(), std::string("File access denied"));
    EXPECT_EQ(BrowserError(101).what(), std::string("Disk full"));
    EXPECT_EQ(BrowserError(21).what(), std::string("I/O error 21"));
    EXPECT_EQ(BrowserError::fromErrno(ENOENT).code(), 2);
    EXPECT_EQ(BrowserError::fromErrno(ENOTDIR).code(), 3);
    EXPECT_EQ(BrowserError::fromErrno(EMFILE).code(), 4);
    EXPECT_EQ(BrowserError::fromErrno(EACCES).code(), 5);
    EXPECT_EQ(BrowserError::fromErrno(ENODEV).code(), ENODEV);
    EXPECT_EQ(BrowserError::fromErrno(EIO).code(), 1000 + EIO);  // not "File access denied"
}

TEST(BrowserError, VolumeThatDoesNotAnswerIsNamed) {
    const BrowserError error = BrowserError::notResponding("/mnt/nas");
    EXPECT_STREQ(error.what(), "/mnt/nas does not respond");
    EXPECT_EQ(error.code(), BrowserError::codeFromErrno(ETIMEDOUT));
    try {
        throwIfFailed(ETIMEDOUT, "/media/caf\xe9");
        FAIL() << "no error";
    } catch (const BrowserError& thrown) {
        EXPECT_STREQ(thrown.what(), "/media/caf\\xe9 does not respond");  // as shown
    }
    EXPECT_THROW(throwIfFailed(ENOENT, "/x"), BrowserError);
    EXPECT_NO_THROW(throwIfFailed(0, "/x"));
}

}  // namespace
}  // namespace ottomix
