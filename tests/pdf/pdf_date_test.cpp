// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "pdf/pdf_date.h"
#include "platform/local_time.h"

namespace quorvel::pdf {
namespace {

TEST(PdfDateTest, PdfAndXmpDatesGiveTheirMomentInUtc) {
    const std::int64_t kMoment = 1709601630;  // 2024-03-05 01:20:30 UTC
    const struct {
        const char* text;
        std::optional<std::int64_t> unixSeconds;
    } cases[] = {
        {"D:20240305102030+09'00'", kMoment},
        {"D:20240305102030+09'00", kMoment},
        {"D:20240305012030Z", kMoment},
        {"D:20240305012030Z00'00'", kMoment},
        {"D:20240304202030-05'00'", kMoment},
        {"20240305012030", kMoment},  // no "D:", no zone: UTC
        {"D:2024", 1704067200},       // the rest taken as its start
        {"D:202403051020+09'00'", kMoment - 30},
        {"2024-03-05T10:20:30+09:00", kMoment},
        {"2024-03-05T01:20:30.75Z", kMoment},
        {"2024-03-05", kMoment - 4830},
        {"D:20240230102030", std::nullopt},  // February 30th
        {"D:20241305102030", std::nullopt},
        {"D:20240305102030+24'00'", std::nullopt},
        {"D:00000805034056", std::nullopt},  // before 1601
        {"D:99", std::nullopt},
        {"", std::nullopt},
        {"yesterday", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<std::uint64_t> time = pdfDateFileTime(c.text);
        ASSERT_EQ(time.has_value(), c.unixSeconds.has_value());
        if (time) {
            EXPECT_EQ(platform::fileTimeToUnixSeconds(*time), *c.unixSeconds);
        }
    }
}

}  // namespace
}  // namespace quorvel::pdf
