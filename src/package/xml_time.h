// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::package {

// File time: 100-nanosecond units since 1601-01-01 00:00 UTC.
using FileTime = std::uint64_t;

// How a date-time text places its moment.
enum class ZoneStyle { None, Utc, Offset };

// An ISO 8601 / xsd:dateTime text: 2024-03-05T10:20:30.5+09:00. The W3CDTF reduced forms
// YYYY and YYYY-MM and a date without time are accepted too (the rest taken as its start).
struct DateTimeText {
    int year = 0;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    std::uint32_t fraction = 0;  // 100 ns units
    ZoneStyle zone = ZoneStyle::None;
    int offsetMinutes = 0;  // east of UTC, for ZoneStyle::Offset
};

std::optional<DateTimeText> parseDateTime(std::string_view text);

// The moment of a parsed text; a text without a zone is read as UTC or as local time.
enum class ZonelessAs { Utc, LocalTime };
std::optional<FileTime> momentOf(const DateTimeText& text, ZonelessAs zoneless);

// "2024-03-05T01:20:30Z", whole seconds, as Office writes core dates; nullopt when the
// year does not have four digits.
std::optional<std::string> w3cdtfText(FileTime time);
// A moment in the style of an existing text: zone-less local time, UTC with Z, or the
// same offset; fractions of a second only when the moment has them.
std::optional<std::string> dateTimeTextLike(FileTime time, const DateTimeText& style);

// ISO 8601 durations (xsd:duration) without years or months: P1DT2H3M4.5S.
std::optional<std::uint64_t> parseDuration(std::string_view text);
std::string durationText(std::uint64_t units);

}  // namespace quorvel::package
