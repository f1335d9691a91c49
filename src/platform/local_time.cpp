// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/local_time.h"

#include <limits>

#include "platform/local_time_system.h"

namespace quorvel::platform {
namespace {

constexpr std::int64_t kUnitsPerSecond = 10'000'000;
constexpr std::int64_t kSecondsPerDay = 86'400;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, LocalDateTime& out) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    out.year = static_cast<int>(yoe + era * 400 + (out.month <= 2));
}

}  // namespace

namespace detail {

std::int64_t secondsAsUtc(const LocalDateTime& fields) {
    return daysFromCivil(fields.year, fields.month, fields.day) * kSecondsPerDay +
           fields.hour * 3600 + fields.minute * 60 + fields.second;
}

void splitWithOffset(std::int64_t unixSeconds, std::int64_t offset, LocalDateTime& out) {
    const std::int64_t local = unixSeconds + offset;
    std::int64_t days = local / kSecondsPerDay;
    std::int64_t rest = local % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    civilFromDays(days, out);
    out.hour = static_cast<int>(rest / 3600);
    out.minute = static_cast<int>(rest / 60 % 60);
    out.second = static_cast<int>(rest % 60);
    out.weekday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
}

}  // namespace detail

void toDateTimeAtOffset(std::int64_t unixSeconds, std::int64_t offset, LocalDateTime& out) {
    detail::splitWithOffset(unixSeconds, offset, out);
}

bool fromDateTimeAtOffset(const LocalDateTime& fields, std::int64_t offset,
                          std::int64_t& unixSeconds) {
    const std::int64_t seconds = detail::secondsAsUtc(fields) - offset;
    LocalDateTime check;
    detail::splitWithOffset(seconds, offset, check);
    if (check.year != fields.year || check.month != fields.month || check.day != fields.day ||
        check.hour != fields.hour || check.minute != fields.minute ||
        check.second != fields.second) {
        return false;
    }
    unixSeconds = seconds;
    return true;
}

std::int64_t fileTimeToUnixSeconds(FileTime fileTime) {
    return static_cast<std::int64_t>(fileTime / kUnitsPerSecond) - kSecondsFrom1601To1970;
}

FileTime unixSecondsToFileTime(std::int64_t seconds) {
    if (seconds <= -kSecondsFrom1601To1970) {
        return 0;
    }
    const auto sinceEpoch1601 = static_cast<FileTime>(seconds + kSecondsFrom1601To1970);
    if (sinceEpoch1601 > std::numeric_limits<FileTime>::max() / kUnitsPerSecond) {
        return std::numeric_limits<FileTime>::max();
    }
    return sinceEpoch1601 * kUnitsPerSecond;
}

bool toLocalDateTime(std::int64_t unixSeconds, LocalDateTime& out) {
    if (unixSeconds < 0) {
        detail::splitWithOffset(unixSeconds, detail::currentUtcOffset(), out);
        return true;
    }
    return detail::systemLocalTime(unixSeconds, out);
}

bool fromLocalDateTime(const LocalDateTime& local, std::int64_t& unixSeconds) {
    const std::int64_t withCurrentOffset = detail::secondsAsUtc(local) - detail::currentUtcOffset();
    if (withCurrentOffset < 0) {
        unixSeconds = withCurrentOffset;
        return true;
    }
    return detail::systemMoment(local, unixSeconds);
}

}  // namespace quorvel::platform
