// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string_view>

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

TEST(CodePage, DecodesPlainAsciiAsEachCodePageReadsIt) {
    struct Case {
        std::uint32_t codePage;
        std::string_view bytes;
        bool decodes;
        std::string_view text;
    };
    const Case cases[] = {
        {932, "Path \\ ~ 100%", true, "Path \\ ~ 100%"},
        {1252, "plain", true, "plain"},
        {65001, "", true, ""},
        {1200, std::string_view("A\0b\0", 4), true, "Ab"},  // ASCII bytes, not ASCII text
        {54321, "plain", false, ""},                        // a code page iconv does not know
    };
    for (const Case& c : cases) {
        for (int again = 0; again < 2; ++again) {  // the code page's first use and a later one
            std::string text = "previous";
            EXPECT_EQ(decodeCodePage(c.codePage, c.bytes, text), c.decodes) << c.codePage;
            if (c.decodes) {
                EXPECT_EQ(text, c.text) << c.codePage;
            }
        }
    }
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
