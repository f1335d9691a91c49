// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/pdf_date.h"

#include <array>

#include "platform/local_time.h"

namespace quorvel::pdf {
namespace {

// Reads a date text front to back; every read checks what is left.
class DateCursor {
  public:
    explicit DateCursor(std::string_view text) : m_text(text) {}

    bool take(char c) {
        if (!m_text.empty() && m_text.front() == c) {
            m_text.remove_prefix(1);
            return true;
        }
        return false;
    }
    bool takeAny(std::string_view choices, char& taken) {
        if (m_text.empty() || choices.find(m_text.front()) == std::string_view::npos) {
            return false;
        }
        taken = m_text.front();
        m_text.remove_prefix(1);
        return true;
    }
    // Exactly count digits.
    bool digits(std::size_t count, int& value) {
        if (m_text.size() < count) {
            return false;
        }
        int read = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (m_text[i] < '0' || m_text[i] > '9') {
                return false;
            }
            read = read * 10 + (m_text[i] - '0');
        }
        value = read;
        m_text.remove_prefix(count);
        return true;
    }
    void skipDigits() {
        while (!m_text.empty() && m_text.front() >= '0' && m_text.front() <= '9') {
            m_text.remove_prefix(1);
        }
    }
    bool atEnd() const { return m_text.empty(); }

  private:
    std::string_view m_text;
};

// Month to second, each after its optional XMP separator; stops at the first one missing.
void readLaterFields(DateCursor& cursor, platform::LocalDateTime& fields) {
    const std::array<std::pair<char, int*>, 5> later = {{{'-', &fields.month},
                                                         {'-', &fields.day},
                                                         {'T', &fields.hour},
                                                         {':', &fields.minute},
                                                         {':', &fields.second}}};
    for (const auto& [separator, field] : later) {
        cursor.take(separator);
        if (!cursor.digits(2, *field)) {
            return;
        }
    }
    if (cursor.take('.') || cursor.take(',')) {
        cursor.skipDigits();
    }
}

// Seconds east of UTC: "Z", "+09'00'", "+09:00", "-05"; none is UTC.
std::optional<std::int64_t> readOffset(DateCursor& cursor) {
    char sign = 0;
    if (cursor.take('Z') || !cursor.takeAny("+-", sign)) {
        return 0;
    }
    int hours = 0;
    int minutes = 0;
    if (!cursor.digits(2, hours) || hours > 23) {
        return std::nullopt;
    }
    if ((cursor.take('\'') || cursor.take(':') || !cursor.atEnd()) && cursor.digits(2, minutes) &&
        minutes > 59) {
        return std::nullopt;
    }
    const std::int64_t seconds = hours * 3600 + minutes * 60;
    return sign == '-' ? -seconds : seconds;
}

}  // namespace

std::optional<std::uint64_t> pdfDateFileTime(std::string_view text) {
    DateCursor cursor(text);
    cursor.take('D');
    cursor.take(':');
    platform::LocalDateTime fields;  // January 1st, 00:00:00 until read
    if (!cursor.digits(4, fields.year)) {
        return std::nullopt;
    }
    readLaterFields(cursor, fields);
    const std::optional<std::int64_t> offset = readOffset(cursor);
    std::int64_t seconds = 0;
    if (!offset || !platform::fromDateTimeAtOffset(fields, *offset, seconds) ||
        seconds < -platform::kSecondsFrom1601To1970) {
        return std::nullopt;
    }
    return platform::unixSecondsToFileTime(seconds);
}

}  // namespace quorvel::pdf
