// File names as the browser shows them: UTF-8 kept, stray bytes escaped.
#include "ui/browser/display_name.h"

#include <gtest/gtest.h>

#include <QString>

namespace ottomix {
namespace {

TEST(DisplayName, ValidUtf8AsItIsOtherBytesEscaped) {
    EXPECT_EQ(displayName("caf\xc3\xa9 \xf0\x9f\x98\x80"),
              QString::fromUtf8("caf\xc3\xa9 \xf0\x9f\x98\x80"));
    EXPECT_EQ(displayName("a\xc0\xaf"
                          "b"),
              QStringLiteral("a\\xc0\\xafb"));  // overlong
    EXPECT_EQ(displayName("\xed\xa0\x80"),
              QStringLiteral("\\xed\\xa0\\x80"));  // surrogate
    EXPECT_EQ(displayName("\xff\xc3\xa9"), QString::fromUtf8("\\xff\xc3\xa9"));
}

}  // namespace
}  // namespace ottomix
