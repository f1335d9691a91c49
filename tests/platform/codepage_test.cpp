#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace quorvel::platform {
namespace {

TEST(CodePage, ConvertsTheCodePagesDocumentsUse) {
    std::string bytes;
    ASSERT_TRUE(encodeCodePage(932, "日本語", bytes));
    EXPECT_EQ(bytes, "\x93\xfa\x96\x7b\x8c\xea");
    std::string text;
    ASSERT_TRUE(decodeCodePage(932, bytes, text));
    EXPECT_EQ(text, "日本語");

    ASSERT_TRUE(encodeCodePage(1200, "Aé", bytes));
    EXPECT_EQ(bytes, std::string("A\0\xe9\0", 4));
    ASSERT_TRUE(decodeCodePage(1252, "caf\xe9", text));
    EXPECT_EQ(text, "café");
    ASSERT_TRUE(decodeCodePage(65001, "ü", text));
    EXPECT_EQ(text, "ü");
}

TEST(CodePage, RefusesWhatCannotBeHeldUnlessLossy) {
    std::string bytes;
    EXPECT_FALSE(encodeCodePage(1252, "日本", bytes));
    EXPECT_FALSE(encodeCodePage(54321, "x", bytes));
    EXPECT_EQ(encodeCodePageLossy(932, "a\u00e9b日"), std::string("a?b\x93\xfa"));
    std::string text;
    EXPECT_FALSE(decodeCodePage(932, "\x93", text));  // cut-off double-byte character
}

}  // namespace
}  // namespace quorvel::platform
