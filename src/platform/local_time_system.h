// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "platform/local_time.h"

// The system's time-zone rules under local_time.cpp.
namespace quorvel::platform::detail {

// The local offset from UTC in force now, in seconds.
std::int64_t currentUtcOffset();
// Local calendar time of a moment from 1970 on, by the rules in force at that moment.
bool systemLocalTime(std::int64_t unixSeconds, LocalDateTime& out);
// The moment of a local calendar time by the rules in force then (mktime rules).
bool systemMoment(const LocalDateTime& local, std::int64_t& unixSeconds);

// The calendar fields read as UTC, without the C library's range.
std::int64_t secondsAsUtc(const LocalDateTime& fields);
// Calendar fields of a moment shifted by a fixed offset, without the C library's range.
void splitWithOffset(std::int64_t unixSeconds, std::int64_t offset, LocalDateTime& out);

}  // namespace quorvel::platform::detail
