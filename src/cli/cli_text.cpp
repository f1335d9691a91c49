// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_text.h"

#include <cstdio>

#include "platform/local_time.h"

namespace quorvel::cli {
namespace {

// Length of the valid UTF-8 sequence at the start of text; 0 when invalid.
std::size_t utf8SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    char32_t minimum = 0;
    char32_t codePoint = 0;
    if (lead < 0x80) {
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return codePoint < minimum || codePoint > 0x10FFFF || surrogate ? 0 : length;
}

}  // namespace

std::string outcomeText(props::MessageCode code) {
    if (code == props::kSuccess) {
        return "0 OK";
    }
    return std::to_string(code) + " " + std::string(props::messageCodeText(code));
}

std::string localTimeText(std::uint64_t fileTime) {
    platform::LocalDateTime local;
    if (!platform::toLocalDateTime(platform::fileTimeToUnixSeconds(fileTime), local)) {
        return {};
    }
    char text[64];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", local.year, local.month,
                  local.day, local.hour, local.minute, local.second);
    return text;
}

std::string jsonEscaped(std::string_view text) {
    std::string out;
    appendJsonEscaped(out, text);
    return out;
}

void appendJsonEscaped(std::string& out, std::string_view text) {
    while (!text.empty()) {
        // Printable ASCII other than quote and backslash goes out as it is, a run at a time.
        std::size_t plain = 0;
        while (plain < text.size()) {
            const auto byte = static_cast<unsigned char>(text[plain]);
            if (byte < 0x20 || byte >= 0x80 || byte == '"' || byte == '\\') {
                break;
            }
            ++plain;
        }
        out.append(text.substr(0, plain));
        text.remove_prefix(plain);
        if (text.empty()) {
            break;
        }
        const char c = text[0];
        const std::size_t length = utf8SequenceLength(text);
        if (length == 0) {
            out += "\\ufffd";
            text.remove_prefix(1);
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
}

}  // namespace quorvel::cli
