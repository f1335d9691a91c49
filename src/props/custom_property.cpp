// SPDX-License-Identifier: GPL-3.0-or-later
#include "props/custom_property.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/local_time.h"

namespace quorvel::props {
namespace {

constexpr std::array<std::string_view, 6> kTypeNames = {"text", "int",  "real",
                                                        "date", "bool", "other"};
constexpr std::array<std::string_view, 3> kReservedNames = {"_PID_LINKBASE", "_PID_HLINKS",
                                                            "_PID_GUID"};

// Folds one UTF-8 character at text[at] for comparing names, advancing at: ASCII letters and
// the full-width Latin letters (U+FF21..U+FF3A) to lower case; other bytes as they are.
std::uint32_t foldedCharacter(std::string_view text, std::size_t& at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte >= 'A' && byte <= 'Z') {
        ++at;
        return byte + ('a' - 'A');
    }
    // U+FF21..U+FF3A is EF BC A1..BA; U+FF41.. is EF BD 81..
    if (byte == 0xEF && at + 2 < text.size() && static_cast<unsigned char>(text[at + 1]) == 0xBC) {
        const auto last = static_cast<unsigned char>(text[at + 2]);
        if (last >= 0xA1 && last <= 0xBA) {
            at += 3;
            return 0xFF41u + (last - 0xA1u);
        }
    }
    ++at;
    return byte;
}

bool isDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<int> number(std::string_view text, std::size_t at, std::size_t length) {
    if (at + length > text.size() || !isDigits(text.substr(at, length))) {
        return std::nullopt;
    }
    int value = 0;
    std::from_chars(text.data() + at, text.data() + at + length, value);
    return value;
}

std::optional<std::string> canonicalInteger(std::string_view value) {
    std::int64_t parsed = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), parsed);
    if (error != std::errc() || end != value.data() + value.size() ||
        parsed < std::numeric_limits<std::int32_t>::min() ||
        parsed > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return std::to_string(parsed);
}

std::optional<std::string> canonicalReal(std::string_view value) {
    double parsed = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), parsed);
    if (value.empty() || error != std::errc() || end != value.data() + value.size() ||
        !std::isfinite(parsed)) {
        return std::nullopt;
    }
    return customRealText(parsed);
}

std::optional<std::string> canonicalBool(std::string_view value) {
    static constexpr std::array<std::string_view, 3> kTrue = {"true", "1", "yes"};
    static constexpr std::array<std::string_view, 3> kFalse = {"false", "0", "no"};
    std::string lower(value);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    if (std::find(kTrue.begin(), kTrue.end(), lower) != kTrue.end()) {
        return "true";
    }
    if (std::find(kFalse.begin(), kFalse.end(), lower) != kFalse.end()) {
        return "false";
    }
    return std::nullopt;
}

// "YYYY-MM-DD" with an optional "THH:MM[:SS]" (or a space for T) and an optional Z.
std::optional<std::uint64_t> parseDate(std::string_view text) {
    if (!text.empty() && text.back() == 'Z') {
        text.remove_suffix(1);
    }
    const auto year = number(text, 0, 4);
    const auto month = number(text, 5, 2);
    const auto day = number(text, 8, 2);
    if (!year || !month || !day || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    platform::LocalDateTime fields{*year, *month, *day, 0, 0, 0, 0};
    if (text.size() > 10) {
        const auto hour = number(text, 11, 2);
        const auto minute = number(text, 14, 2);
        const bool withSeconds = text.size() == 19;
        const auto second = withSeconds ? number(text, 17, 2) : std::optional<int>(0);
        if ((text[10] != 'T' && text[10] != ' ') || !hour || !minute || !second ||
            text[13] != ':' || (withSeconds && text[16] != ':') ||
            (text.size() != 16 && !withSeconds)) {
            return std::nullopt;
        }
        fields.hour = *hour;
        fields.minute = *minute;
        fields.second = *second;
    } else if (text.size() != 10) {
        return std::nullopt;
    }
    std::int64_t seconds = 0;
    if (!platform::fromDateTimeAtOffset(fields, 0, seconds) ||
        seconds < -platform::kSecondsFrom1601To1970) {
        return std::nullopt;
    }
    return platform::unixSecondsToFileTime(seconds);
}

}  // namespace

bool sameCustomName(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t k = 0;
    while (i < a.size() && k < b.size()) {
        if (foldedCharacter(a, i) != foldedCharacter(b, k)) {
            return false;
        }
    }
    return i == a.size() && k == b.size();
}

bool isReservedCustomName(std::string_view name) {
    return std::any_of(kReservedNames.begin(), kReservedNames.end(),
                       [&](std::string_view reserved) { return sameCustomName(name, reserved); });
}

std::string_view customTypeName(CustomType type) {
    return kTypeNames[static_cast<std::size_t>(type)];
}

std::optional<CustomType> customTypeFromName(std::string_view name) {
    const auto it = std::find(kTypeNames.begin(), kTypeNames.end(), name);
    if (it == kTypeNames.end()) {
        return std::nullopt;
    }
    return static_cast<CustomType>(it - kTypeNames.begin());
}

std::optional<std::string> canonicalCustomValue(CustomType type, std::string_view value) {
    switch (type) {
        case CustomType::Text:
            return std::string(value);
        case CustomType::Integer:
            return canonicalInteger(value);
        case CustomType::Real:
            return canonicalReal(value);
        case CustomType::Date: {
            const std::optional<std::uint64_t> time = parseDate(value);
            return time ? std::optional(customDateText(*time)) : std::nullopt;
        }
        case CustomType::Bool:
            return canonicalBool(value);
        case CustomType::Other:
            break;
    }
    return std::nullopt;
}

CustomType inferCustomType(std::string_view value) {
    for (const CustomType type : {CustomType::Integer, CustomType::Real}) {
        if (canonicalCustomValue(type, value) == value) {
            return type;
        }
    }
    if (parseDate(value)) {
        return CustomType::Date;
    }
    if (value == "true" || value == "false") {
        return CustomType::Bool;
    }
    return CustomType::Text;
}

std::string customRealText(double value) {
    std::array<char, 32> text{};
    char* printed = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    return std::string(text.data(), printed);
}

std::string customDateText(std::uint64_t fileTime) {
    platform::LocalDateTime utc;
    platform::toDateTimeAtOffset(platform::fileTimeToUnixSeconds(fileTime), 0, utc);
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%04d-%02d-%02dT%02d:%02d:%02dZ", utc.year, utc.month,
                  utc.day, utc.hour, utc.minute, utc.second);
    return text.data();
}

std::optional<std::uint64_t> customDateFileTime(std::string_view canonical) {
    return parseDate(canonical);
}

const CustomProperty* findCustom(const std::vector<CustomProperty>& items, std::string_view name) {
    const auto it = std::find_if(items.begin(), items.end(), [&](const CustomProperty& item) {
        return sameCustomName(item.name, name);
    });
    return it == items.end() ? nullptr : &*it;
}

}  // namespace quorvel::props
