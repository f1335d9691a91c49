// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "support/environment.h"

namespace quorvel::test {

// On Windows (measured under Wine) the C runtime follows TZ set at run time, but only in the
// POSIX form, with US daylight-saving dates; the Win32 time zone stays what TZ was at process
// start (the tests start in Tokyo, TZ=JST-9). So there a test can switch only to Tokyo time;
// elsewhere to any zone of the tz database.
inline bool canUseTimeZone([[maybe_unused]] std::string_view zone) {
#ifdef _WIN32
    return zone == "Asia/Tokyo";
#else
    return true;
#endif
}

// Sets the process's time zone (a tz database name the platform can use, see above).
inline void useTimeZone(const std::string& zone) {
#ifdef _WIN32
    static const std::string tokyo = "JST-9";  // POSIX form, which the C runtime reads
    setEnvironment("TZ", zone == "Asia/Tokyo" ? tokyo : zone);
#else
    setEnvironment("TZ", zone);
#endif
    ::tzset();
}

// Sets TZ for the lifetime of the scope.
class TimeZoneScope {
  public:
    explicit TimeZoneScope(const char* zone) {
        const char* old = std::getenv("TZ");
        m_old = old ? old : "";
        useTimeZone(zone);
    }
    ~TimeZoneScope() {
        setEnvironment("TZ", m_old);
        ::tzset();
    }
    TimeZoneScope(const TimeZoneScope&) = delete;
    TimeZoneScope& operator=(const TimeZoneScope&) = delete;

  private:
    std::string m_old;
};

// Skips the running test where the process cannot be put in the time zone.
#define QUORVEL_SKIP_UNLESS_TIME_ZONE(zone)                                            \
    do {                                                                               \
        if (!::quorvel::test::canUseTimeZone(zone)) {                                  \
            GTEST_SKIP() << "the process cannot be put in " << (zone)                  \
                         << " here: the C runtime takes only POSIX zones with US "     \
                            "daylight-saving dates, the Win32 zone is fixed at start"; \
        }                                                                              \
    } while (false)

}  // namespace quorvel::test
