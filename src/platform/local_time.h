// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace quorvel::platform {

// File time: 100-nanosecond units since 1601-01-01 00:00 UTC.
using FileTime = std::uint64_t;

// Seconds from 1601-01-01 to 1970-01-01.
inline constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

// Whole seconds since 1970 (fractions dropped toward the past).
std::int64_t fileTimeToUnixSeconds(FileTime fileTime);
// Negative results (before 1601) are clamped to 0.
FileTime unixSecondsToFileTime(std::int64_t seconds);

// Calendar fields of a local time.
struct LocalDateTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 4;  // 0 = Sunday
};

// Local calendar time of a moment, with the offset in force at that moment
// (for moments before 1970: the offset in force now). False when out of range.
bool toLocalDateTime(std::int64_t unixSeconds, LocalDateTime& out);
// The moment of a local calendar time (mktime rules; weekday is ignored).
bool fromLocalDateTime(const LocalDateTime& local, std::int64_t& unixSeconds);
// The moment of calendar fields at a fixed offset (seconds east of UTC); false when the fields
// name no real date and time.
bool fromDateTimeAtOffset(const LocalDateTime& fields, std::int64_t offset,
                          std::int64_t& unixSeconds);
// The calendar fields of a moment at a fixed offset (seconds east of UTC).
void toDateTimeAtOffset(std::int64_t unixSeconds, std::int64_t offset, LocalDateTime& out);

}  // namespace quorvel::platform
