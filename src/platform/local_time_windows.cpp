// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/local_time_system.h"

#include "platform/windows_api.h"

namespace quorvel::platform::detail {
namespace {

SYSTEMTIME systemTimeOf(const LocalDateTime& fields) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(fields.year);
    time.wMonth = static_cast<WORD>(fields.month);
    time.wDay = static_cast<WORD>(fields.day);
    time.wHour = static_cast<WORD>(fields.hour);
    time.wMinute = static_cast<WORD>(fields.minute);
    time.wSecond = static_cast<WORD>(fields.second);
    return time;
}

// Fields out of their range carried over as mktime does (the 32nd day of a month is the
// first of the next).
LocalDateTime normalized(LocalDateTime fields) {
    const int monthIndex = fields.month - 1;
    const int yearShift = monthIndex >= 0 ? monthIndex / 12 : (monthIndex - 11) / 12;
    fields.year += yearShift;
    fields.month = monthIndex - yearShift * 12 + 1;
    LocalDateTime out;
    splitWithOffset(secondsAsUtc(fields), 0, out);
    return out;
}

}  // namespace

std::int64_t currentUtcOffset() {
    TIME_ZONE_INFORMATION zone{};
    const DWORD state = ::GetTimeZoneInformation(&zone);
    LONG bias = zone.Bias;
    if (state == TIME_ZONE_ID_DAYLIGHT) {
        bias += zone.DaylightBias;
    } else if (state == TIME_ZONE_ID_STANDARD) {
        bias += zone.StandardBias;
    }
    return state == TIME_ZONE_ID_INVALID ? 0 : -std::int64_t{bias} * 60;
}

// The zone's rules for the year in question (its daylight-saving dates then), not this
// year's.
bool systemLocalTime(std::int64_t unixSeconds, LocalDateTime& out) {
    const FILETIME moment = fileTimeOf(unixSeconds);
    SYSTEMTIME utc{};
    TIME_ZONE_INFORMATION zone{};
    SYSTEMTIME local{};
    if (::FileTimeToSystemTime(&moment, &utc) == 0 ||
        ::GetTimeZoneInformationForYear(utc.wYear, nullptr, &zone) == 0 ||
        ::SystemTimeToTzSpecificLocalTime(&zone, &utc, &local) == 0) {
        return false;
    }
    out = {local.wYear,   local.wMonth,  local.wDay,      local.wHour,
           local.wMinute, local.wSecond, local.wDayOfWeek};
    return true;
}

bool systemMoment(const LocalDateTime& local, std::int64_t& unixSeconds) {
    const SYSTEMTIME fields = systemTimeOf(normalized(local));
    TIME_ZONE_INFORMATION zone{};
    SYSTEMTIME utc{};
    FILETIME moment{};
    if (::GetTimeZoneInformationForYear(fields.wYear, nullptr, &zone) == 0 ||
        ::TzSpecificLocalTimeToSystemTime(&zone, &fields, &utc) == 0 ||
        ::SystemTimeToFileTime(&utc, &moment) == 0) {
        return false;
    }
    unixSeconds = unixSecondsOf(moment);
    return true;
}

}  // namespace quorvel::platform::detail
