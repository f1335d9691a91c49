// SPDX-License-Identifier: GPL-3.0-or-later
#include "package/xml_time.h"

#include <array>
#include <cstdio>
#include <limits>

#include "platform/local_time.h"

namespace quorvel::package {
namespace {

constexpr std::uint64_t kUnitsPerSecond = 10'000'000;
constexpr std::int64_t kSecondsPerDay = 86'400;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
std::int64_t daysFromCivil(int year, int month, int day) {
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
}

platform::LocalDateTime civilFromSeconds(std::int64_t seconds) {
    std::int64_t days = seconds / kSecondsPerDay;
    std::int64_t rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    platform::LocalDateTime out;
    out.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    out.year = static_cast<int>(yearOfEra + era * 400 + (out.month <= 2 ? 1 : 0));
    out.hour = static_cast<int>(rest / 3600);
    out.minute = static_cast<int>(rest / 60 % 60);
    out.second = static_cast<int>(rest % 60);
    return out;
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// Reads text front to back; every read checks what is left.
class Cursor {
  public:
    explicit Cursor(std::string_view text) : m_text(text) {}
    bool atEnd() const { return m_text.empty(); }
    bool take(char c) {
        if (!m_text.empty() && m_text.front() == c) {
            m_text.remove_prefix(1);
            return true;
        }
        return false;
    }
    // Exactly count digits.
    bool digits(std::size_t count, int& value) {
        if (m_text.size() < count) {
            return false;
        }
        value = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (m_text[i] < '0' || m_text[i] > '9') {
                return false;
            }
            value = value * 10 + (m_text[i] - '0');
        }
        m_text.remove_prefix(count);
        return true;
    }
    // One to maxDigits digits.
    bool number(std::size_t maxDigits, std::uint64_t& value) {
        std::size_t count = 0;
        value = 0;
        while (count < m_text.size() && m_text[count] >= '0' && m_text[count] <= '9') {
            if (count == maxDigits) {
                return false;
            }
            value = value * 10 + static_cast<std::uint64_t>(m_text[count] - '0');
            ++count;
        }
        m_text.remove_prefix(count);
        return count > 0;
    }
    // ".ddd": a fraction of a second in 100 ns units (digits past the seventh dropped).
    bool fraction(std::uint32_t& units) {
        units = 0;
        if (!take('.')) {
            return true;
        }
        std::size_t count = 0;
        while (!m_text.empty() && m_text.front() >= '0' && m_text.front() <= '9') {
            if (count < 7) {
                units = units * 10 + static_cast<std::uint32_t>(m_text.front() - '0');
            }
            ++count;
            m_text.remove_prefix(1);
        }
        for (std::size_t i = count; i < 7; ++i) {
            units *= 10;
        }
        return count > 0;
    }

  private:
    std::string_view m_text;
};

bool readTime(Cursor& in, DateTimeText& out) {
    return in.digits(2, out.hour) && in.take(':') && in.digits(2, out.minute) && in.take(':') &&
           in.digits(2, out.second) && in.fraction(out.fraction) && out.hour < 24 &&
           out.minute < 60 && out.second < 60;
}

bool readZone(Cursor& in, DateTimeText& out) {
    if (in.atEnd()) {
        return true;
    }
    if (in.take('Z')) {
        out.zone = ZoneStyle::Utc;
        return in.atEnd();
    }
    const bool east = in.take('+');
    if (!east && !in.take('-')) {
        return false;
    }
    int hours = 0;
    int minutes = 0;
    if (!in.digits(2, hours) || !in.take(':') || !in.digits(2, minutes) || hours > 14 ||
        minutes > 59) {
        return false;
    }
    out.zone = ZoneStyle::Offset;
    out.offsetMinutes = (east ? 1 : -1) * (hours * 60 + minutes);
    return in.atEnd();
}

std::string printed(const char* format, int a, int b, int c, int d, int e, int f) {
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), format, a, b, c, d, e, f);
    return buffer.data();
}

std::string fractionText(std::uint64_t units) {
    if (units == 0) {
        return {};
    }
    std::array<char, 16> buffer{};
    std::snprintf(buffer.data(), buffer.size(), ".%07u", static_cast<unsigned>(units));
    std::string text = buffer.data();
    return text.substr(0, text.find_last_not_of('0') + 1);
}

std::int64_t unixSecondsOf(FileTime time) {
    return static_cast<std::int64_t>(time / kUnitsPerSecond) - platform::kSecondsFrom1601To1970;
}

std::string calendarText(const platform::LocalDateTime& t) {
    return printed("%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                   t.second);
}

}  // namespace

std::optional<DateTimeText> parseDateTime(std::string_view text) {
    DateTimeText out;
    Cursor in(text);
    if (!in.digits(4, out.year)) {
        return std::nullopt;
    }
    if (in.take('-')) {
        if (!in.digits(2, out.month) || out.month < 1 || out.month > 12) {
            return std::nullopt;
        }
        if (in.take('-') &&
            (!in.digits(2, out.day) || out.day < 1 || out.day > daysInMonth(out.year, out.month))) {
            return std::nullopt;
        }
    }
    if (in.take('T') && !readTime(in, out)) {
        return std::nullopt;
    }
    if (!readZone(in, out)) {
        return std::nullopt;
    }
    return out;
}

std::optional<FileTime> momentOf(const DateTimeText& text, ZonelessAs zoneless) {
    std::int64_t seconds = 0;
    if (text.zone == ZoneStyle::None && zoneless == ZonelessAs::LocalTime) {
        const platform::LocalDateTime local{text.year, text.month,  text.day,
                                            text.hour, text.minute, text.second};
        if (!platform::fromLocalDateTime(local, seconds)) {
            return std::nullopt;
        }
    } else {
        seconds = daysFromCivil(text.year, text.month, text.day) * kSecondsPerDay +
                  text.hour * 3600 + text.minute * 60 + text.second - text.offsetMinutes * 60;
    }
    const std::int64_t since1601 = seconds + platform::kSecondsFrom1601To1970;
    if (since1601 < 0) {
        return std::nullopt;
    }
    return static_cast<FileTime>(since1601) * kUnitsPerSecond + text.fraction;
}

std::optional<std::string> w3cdtfText(FileTime time) {
    const platform::LocalDateTime utc = civilFromSeconds(unixSecondsOf(time));
    if (utc.year > 9999) {
        return std::nullopt;
    }
    return calendarText(utc) + "Z";
}

std::optional<std::string> dateTimeTextLike(FileTime time, const DateTimeText& style) {
    const std::int64_t seconds = unixSecondsOf(time);
    platform::LocalDateTime fields;
    std::string zone;
    switch (style.zone) {
        case ZoneStyle::None:
            if (!platform::toLocalDateTime(seconds, fields)) {
                return std::nullopt;
            }
            break;
        case ZoneStyle::Utc:
            fields = civilFromSeconds(seconds);
            zone = "Z";
            break;
        case ZoneStyle::Offset: {
            fields = civilFromSeconds(seconds + style.offsetMinutes * 60);
            const int offset = style.offsetMinutes < 0 ? -style.offsetMinutes : style.offsetMinutes;
            std::array<char, 16> buffer{};
            std::snprintf(buffer.data(), buffer.size(), "%c%02d:%02d",
                          style.offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
            zone = buffer.data();
            break;
        }
    }
    if (fields.year < 1000 || fields.year > 9999) {
        return std::nullopt;
    }
    return calendarText(fields) + fractionText(time % kUnitsPerSecond) + zone;
}

std::optional<std::uint64_t> parseDuration(std::string_view text) {
    // Twelve digits per component keep the sum of seconds far below 2^64; the sum in
    // 100 ns units is checked at the end.
    constexpr std::size_t kMaxDigits = 12;
    Cursor in(text);
    if (!in.take('P')) {
        return std::nullopt;
    }
    std::uint64_t seconds = 0;
    std::uint64_t value = 0;
    bool any = false;
    if (in.number(kMaxDigits, value)) {
        if (!in.take('D')) {
            return std::nullopt;  // years and months have no fixed length
        }
        seconds += value * kSecondsPerDay;
        any = true;
    }
    std::uint32_t fraction = 0;
    if (in.take('T')) {
        bool anyTime = false;
        static constexpr std::array<std::pair<char, std::uint64_t>, 2> kUnits = {
            {{'H', 3600}, {'M', 60}}};
        for (const auto& [designator, size] : kUnits) {
            Cursor probe = in;
            if (probe.number(kMaxDigits, value) && probe.take(designator)) {
                in = probe;
                seconds += value * size;
                anyTime = true;
            }
        }
        if (in.number(kMaxDigits, value)) {
            if (!in.fraction(fraction) || !in.take('S')) {
                return std::nullopt;
            }
            seconds += value;
            anyTime = true;
        }
        if (!anyTime) {
            return std::nullopt;
        }
        any = true;
    }
    if (!any || !in.atEnd() ||
        seconds > (std::numeric_limits<std::uint64_t>::max() - fraction) / kUnitsPerSecond) {
        return std::nullopt;
    }
    return seconds * kUnitsPerSecond + fraction;
}

std::string durationText(std::uint64_t units) {
    const std::uint64_t seconds = units / kUnitsPerSecond;
    const std::uint64_t fraction = units % kUnitsPerSecond;
    const std::uint64_t days = seconds / kSecondsPerDay;
    const std::uint64_t hours = seconds / 3600 % 24;
    const std::uint64_t minutes = seconds / 60 % 60;
    const std::uint64_t rest = seconds % 60;
    std::string text = "P";
    if (days != 0) {
        text += std::to_string(days) + "D";
    }
    if (days != 0 && hours == 0 && minutes == 0 && rest == 0 && fraction == 0) {
        return text;
    }
    text += "T";
    if (hours != 0) {
        text += std::to_string(hours) + "H";
    }
    if (minutes != 0) {
        text += std::to_string(minutes) + "M";
    }
    if (rest != 0 || fraction != 0 || (hours == 0 && minutes == 0)) {
        text += std::to_string(rest) + fractionText(fraction) + "S";
    }
    return text;
}

}  // namespace quorvel::package
