// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/update_tail.h"

#include <algorithm>
#include <charconv>
#include <span>
#include <string>

namespace quorvel::pdf {
namespace {

constexpr std::uint64_t kTailWindow = 1024;
// An update holds an Info dictionary and an XMP packet of at most a few megabytes.
constexpr std::uint64_t kLongestUpdate = 6 * 1024 * 1024;
constexpr std::string_view kEndMark = "%%EOF";
constexpr std::size_t kLongestMarkerLine = 48;

std::string bytesAt(io::BlockDevice& device, std::uint64_t offset, std::uint64_t count) {
    std::string bytes(static_cast<std::size_t>(count), '\0');
    if (!device.readAt(offset, std::as_writable_bytes(std::span(bytes)))) {
        bytes.clear();
    }
    return bytes;
}

std::string_view withoutTrailingSpace(std::string_view text) {
    const std::size_t last = text.find_last_not_of(std::string_view(" \t\r\n\f\0", 6));
    return text.substr(0, last == std::string_view::npos ? 0 : last + 1);
}

// The length before the update whose marker starts line, if line is one.
std::optional<std::uint64_t> markedLength(std::string_view line) {
    if (!line.starts_with(kUpdateMarker)) {
        return std::nullopt;
    }
    line.remove_prefix(kUpdateMarker.size());
    std::uint64_t length = 0;
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), length);
    if (error != std::errc() || end == line.data() || end == line.data() + line.size() ||
        *end != '\n') {
        return std::nullopt;
    }
    return length;
}

}  // namespace

std::uint64_t intactLength(io::BlockDevice& device) {
    const std::uint64_t size = device.size();
    const std::uint64_t tailStart = size - std::min(size, kTailWindow);
    if (withoutTrailingSpace(bytesAt(device, tailStart, size - tailStart)).ends_with(kEndMark)) {
        return size;
    }
    // An update holds no "%" but its marker and its end mark, of which a torn one keeps at
    // most the beginning: the first other "%" from the end must be the marker.
    const std::uint64_t windowStart = size - std::min(size, kLongestUpdate);
    const std::string window = bytesAt(device, windowStart, size - windowStart);
    std::size_t percent = window.size();
    while (percent > 0 && (percent = window.rfind('%', percent - 1)) != std::string::npos) {
        const std::string_view rest = std::string_view(window).substr(percent);
        const bool secondOfEndMark = percent > 0 && window[percent - 1] == '%';
        if (kEndMark.starts_with(rest) ||
            (secondOfEndMark && kEndMark.substr(1).starts_with(rest))) {
            continue;
        }
        const std::uint64_t at = windowStart + percent;
        const std::optional<std::uint64_t> before =
            markedLength(rest.substr(0, kLongestMarkerLine));
        return before && *before <= at && at - *before <= 1 ? *before : size;
    }
    return size;
}

std::optional<std::uint64_t> lastStartxref(io::BlockDevice& device, std::uint64_t length) {
    const std::uint64_t tailStart = length - std::min(length, kTailWindow);
    const std::string tail = bytesAt(device, tailStart, length - tailStart);
    const std::size_t keyword = tail.rfind("startxref");
    if (keyword == std::string::npos) {
        return std::nullopt;
    }
    std::string_view number = std::string_view(tail).substr(keyword + 9);
    number.remove_prefix(std::min(number.find_first_not_of(" \t\r\n\f"), number.size()));
    std::uint64_t offset = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), offset);
    if (error != std::errc() || end == number.data() || offset >= length) {
        return std::nullopt;
    }
    return offset;
}

}  // namespace quorvel::pdf
