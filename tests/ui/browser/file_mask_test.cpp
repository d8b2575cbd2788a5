// The file list's wildcard patterns.
#include "ui/browser/file_mask.h"

#include <gtest/gtest.h>

namespace ottomix {
namespace {

TEST(MaskMatches, WildcardsIgnoreCase) {
    EXPECT_TRUE(maskMatches("*.*", "README"));
    EXPECT_TRUE(maskMatches("*.*", ".profile"));
    EXPECT_TRUE(maskMatches("*.TXT", "notes.txt"));
    EXPECT_FALSE(maskMatches("*.txt", "notes.txt.bak"));
    EXPECT_TRUE(maskMatches("data.*", "data"));
    EXPECT_FALSE(maskMatches("data.*", "database"));
    EXPECT_TRUE(maskMatches("?x", "\xc3\xa9x"));  // one character, two bytes
    EXPECT_TRUE(maskMatches("a*b*c", "aXbYbZc"));
    EXPECT_FALSE(maskMatches("", "anything"));
}

TEST(MaskPatterns, SplitAtSemicolonsSkippingEmptyOnes) {
    using Patterns = std::vector<std::string>;
    EXPECT_EQ(maskPatterns("*.txt"), Patterns{"*.txt"});
    EXPECT_EQ(maskPatterns(";*.txt;;*.doc;"), (Patterns{"*.txt", "*.doc"}));
    EXPECT_EQ(maskPatterns(""), Patterns{});
    EXPECT_TRUE(maskListsName("*.doc;*.TXT", "a.txt"));
    EXPECT_FALSE(maskListsName("*.doc;;", "a.txt"));
}

}  // namespace
}  // namespace ottomix
