#pragma once

#include <cstdlib>
#include <ctime>
#include <string>

namespace quorvel::test {

// Sets TZ for the lifetime of the scope.
class TimeZoneScope {
  public:
    explicit TimeZoneScope(const char* zone) {
        const char* old = std::getenv("TZ");
        m_old = old ? old : "";
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZoneScope() {
        ::setenv("TZ", m_old.c_str(), 1);
        ::tzset();
    }
    TimeZoneScope(const TimeZoneScope&) = delete;
    TimeZoneScope& operator=(const TimeZoneScope&) = delete;

  private:
    std::string m_old;
};

}  // namespace quorvel::test
