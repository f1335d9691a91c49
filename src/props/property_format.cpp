// SPDX-License-Identifier: GPL-3.0-or-later
#include "props/property_format.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "platform/local_time.h"

namespace quorvel::props {
namespace {

template <typename... Args>
std::string printed(const char* format, Args... args) {
    const int length = std::snprintf(nullptr, 0, format, args...);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, args...);
    text.pop_back();
    return text;
}

// A number as printf's "%0<width>d" shows it, appended to out (snprintf is slow on the read
// path that formats every date and count of every file).
void appendNumber(std::string& out, long long value, std::size_t width = 0) {
    std::array<char, 24> digits{};
    const char* end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    const auto length = static_cast<std::size_t>(end - digits.data());
    if (value >= 0 && length < width) {
        out.append(width - length, '0');
    }
    out.append(digits.data(), length);
}

// "01:07.09 pm, Sat 04/05/2003": a 12-hour dial on which midnight shows as 00.
std::string timeText(std::uint64_t fileTime) {
    static constexpr std::array<const char*, 7> kWeekdays = {"Sun", "Mon", "Tue", "Wed",
                                                             "Thu", "Fri", "Sat"};
    platform::LocalDateTime local;
    if (!platform::toLocalDateTime(platform::fileTimeToUnixSeconds(fileTime), local)) {
        return {};
    }
    const int dialHour = ((local.hour - 1) % 12) + 1;
    std::string text;
    appendNumber(text, dialHour, 2);
    text += ':';
    appendNumber(text, local.minute, 2);
    text += '.';
    appendNumber(text, local.second, 2);
    text += local.hour < 12 ? " am, " : " pm, ";
    text += kWeekdays[static_cast<std::size_t>(local.weekday % 7)];
    text += ' ';
    appendNumber(text, local.month, 2);
    text += '/';
    appendNumber(text, local.day, 2);
    text += '/';
    appendNumber(text, local.year);
    return text;
}

}  // namespace

void FormatPropertyValue(const PropertyValue& value, std::string& text) {
    if (value.type & VT_ARRAY) {
        text = "Array";
        return;
    }
    if (value.type & VT_BYREF) {
        text.clear();
        return;
    }
    switch (value.type) {
        case VT_EMPTY:
        case VT_NULL:
        case VT_BLOB:
        case VT_CF:
            text.clear();
            return;
        case VT_I2:
        case VT_I4:
            text.clear();
            appendNumber(text, value.integer);
            return;
        case VT_R4:
        case VT_R8:
            text = printed("%.2lf", value.real);
            return;
        case VT_BSTR:
            text = value.text + " (VT_BSTR)";
            return;
        case VT_BOOL:
            text = value.integer != 0 ? "TRUE/YES" : "FALSE/NO";
            return;
        case VT_LPSTR:
            text = value.text;
            return;
        case VT_FILETIME:
            text = timeText(value.fileTime);
            return;
        default:
            text = printed("(Unhandled type: 0x%08lx)", static_cast<unsigned long>(value.type));
            return;
    }
}

}  // namespace quorvel::props
