// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/local_time.h"

#include <gtest/gtest.h>

#include "support/time_zone_scope.h"

namespace quorvel::platform {
namespace {

using test::TimeZoneScope;

TEST(LocalTime, FileTimeAndUnixSecondsConvertBothWays) {
    EXPECT_EQ(fileTimeToUnixSeconds(116444736000000000ULL), 0);
    EXPECT_EQ(fileTimeToUnixSeconds(116444736009999999ULL), 0);  // fractions dropped
    EXPECT_EQ(unixSecondsToFileTime(1), 116444736010000000ULL);
    EXPECT_EQ(unixSecondsToFileTime(-kSecondsFrom1601To1970 - 5), 0U);
}

TEST(LocalTime, TokyoRoundTripAndEditDurationIn1601) {
    TimeZoneScope tz("Asia/Tokyo");
    LocalDateTime local;
    ASSERT_TRUE(toLocalDateTime(1049515629, local));  // 2003-04-05 04:07:09 UTC
    EXPECT_EQ(local.year, 2003);
    EXPECT_EQ(local.hour, 13);
    EXPECT_EQ(local.weekday, 6);
    std::int64_t back = 0;
    ASSERT_TRUE(fromLocalDateTime(local, back));
    EXPECT_EQ(back, 1049515629);

    // Two hours of editing are stored as a 1601 date and shown with today's offset.
    const std::int64_t twoHours = fileTimeToUnixSeconds(72'000'000'000ULL);
    ASSERT_TRUE(toLocalDateTime(twoHours, local));
    EXPECT_EQ(local.year, 1601);
    EXPECT_EQ(local.month, 1);
    EXPECT_EQ(local.day, 1);
    EXPECT_EQ(local.hour, 11);
    ASSERT_TRUE(fromLocalDateTime(local, back));
    EXPECT_EQ(back, twoHours);
}

TEST(LocalTime, BerlinUsesTheOffsetInForceAtTheDate) {
    QUORVEL_SKIP_UNLESS_TIME_ZONE("Europe/Berlin");
    TimeZoneScope tz("Europe/Berlin");
    LocalDateTime summer;
    ASSERT_TRUE(toLocalDateTime(1719835200, summer));  // 2024-07-01 12:00 UTC
    EXPECT_EQ(summer.hour, 14);
    LocalDateTime winter;
    ASSERT_TRUE(toLocalDateTime(1704110400, winter));  // 2024-01-01 12:00 UTC
    EXPECT_EQ(winter.hour, 13);
    std::int64_t back = 0;
    ASSERT_TRUE(fromLocalDateTime(summer, back));
    EXPECT_EQ(back, 1719835200);
}

}  // namespace
}  // namespace quorvel::platform
