// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/local_time_system.h"

#include <ctime>

namespace quorvel::platform::detail {

std::int64_t currentUtcOffset() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) {
        return 0;
    }
    return local.tm_gmtoff;
}

bool systemLocalTime(std::int64_t unixSeconds, LocalDateTime& out) {
    const auto t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) {
        return false;
    }
    out = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
           local.tm_min,         local.tm_sec,     local.tm_wday};
    return true;
}

bool systemMoment(const LocalDateTime& local, std::int64_t& unixSeconds) {
    std::tm fields{};
    fields.tm_year = local.year - 1900;
    fields.tm_mon = local.month - 1;
    fields.tm_mday = local.day;
    fields.tm_hour = local.hour;
    fields.tm_min = local.minute;
    fields.tm_sec = local.second;
    fields.tm_isdst = -1;
    const std::time_t t = std::mktime(&fields);
    if (t == static_cast<std::time_t>(-1)) {
        return false;
    }
    unixSeconds = t;
    return true;
}

}  // namespace quorvel::platform::detail
