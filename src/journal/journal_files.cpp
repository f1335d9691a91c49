// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/journal_files.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>

#include "platform/utf8_path.h"

namespace quorvel::journal {
namespace {

using namespace std::chrono;

constexpr std::string_view kPartialPrefix = ".";
constexpr std::string_view kPartialSuffix = ".partial";

constexpr std::array<std::string_view, 6> kKindNames = {"change", "folders", "apply",
                                                        "undo",   "write",   "folder-undo"};
static_assert(kKindNames.size() == static_cast<std::size_t>(RunKind::FolderUndo) + 1);

// The decimal number of text from at up to a separator or the end.
std::optional<std::int64_t> numberAt(std::string_view text, std::size_t& at) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data() + at, end, value);
    if (error != std::errc()) {
        return std::nullopt;
    }
    at = static_cast<std::size_t>(next - text.data());
    return value;
}

}  // namespace

std::string runFolderName(std::int64_t unixMillis) {
    const sys_time<milliseconds> time{milliseconds(unixMillis)};
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char name[32];
    std::snprintf(name, sizeof name, "%04d%02u%02u-%02d%02d%02d-%03d", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(clock.hours().count()),
                  int(clock.minutes().count()), int(clock.seconds().count()),
                  int(clock.subseconds().count()));
    return name;
}

std::optional<std::int64_t> runStartOf(std::string_view name) {
    int y = 0;
    unsigned mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    char tail = 0;
    const std::string text(name);
    if (name.size() != 19 || std::sscanf(text.c_str(), "%4d%2u%2u-%2u%2u%2u-%3u%c", &y, &mo, &d, &h,
                                         &mi, &s, &ms, &tail) != 7) {
        return std::nullopt;
    }
    const year_month_day date{year(y), month(mo), day(d)};
    if (!date.ok() || h > 23 || mi > 59 || s > 59) {
        return std::nullopt;
    }
    return (sys_days(date).time_since_epoch() + hours(h) + minutes(mi) + seconds(s)) / 1s;
}

std::filesystem::path partialRunName(const std::filesystem::path& folder) {
    std::string name(kPartialPrefix);  // piece by piece: GCC 12 -O3 warns falsely on a + b + c
    name += platform::utf8FromPath(folder.filename());
    name += kPartialSuffix;
    return platform::pathFromUtf8(name);
}

bool isPartialRunName(std::string_view name) {
    return name.starts_with(kPartialPrefix) && name.ends_with(kPartialSuffix);
}

std::string runFileText(RunKind kind, std::size_t files) {
    std::string text = "kind=";
    text += kKindNames[static_cast<std::size_t>(kind)];
    text += "\nfiles=";
    text += std::to_string(files);
    text += '\n';
    return text;
}

bool parseRunFile(std::string_view text, RunKind& kind) {
    constexpr std::string_view kKey = "kind=";
    if (!text.starts_with(kKey)) {
        return false;
    }
    const std::string_view name = text.substr(kKey.size(), text.find('\n') - kKey.size());
    for (std::size_t i = 0; i < kKindNames.size(); ++i) {
        if (kKindNames[i] == name) {
            kind = static_cast<RunKind>(i);
            return true;
        }
    }
    return false;
}

std::string markLine(std::size_t entry) {
    std::string line = "W ";  // piece by piece: GCC 12 -O3 warns falsely about "W " + ...
    line += std::to_string(entry);
    line += '\n';
    return line;
}

std::string resultLine(std::size_t entry, std::int64_t modified) {
    std::string line = "T ";
    line += std::to_string(entry);
    line += ' ';
    line += std::to_string(modified);
    line += '\n';
    return line;
}

Marks parseMarks(std::string_view text, std::size_t entries) {
    Marks marks{std::vector<bool>(entries), std::vector<std::optional<std::int64_t>>(entries)};
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            break;  // torn by a crash
        }
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        std::size_t at = 2;
        const auto entry = line.size() > 2 && line[1] == ' ' ? numberAt(line, at) : std::nullopt;
        if (!entry || *entry < 0 || *entry >= static_cast<std::int64_t>(entries)) {
            continue;
        }
        const auto index = static_cast<std::size_t>(*entry);
        if (line[0] == 'W' && at == line.size()) {
            marks.written[index] = true;
        } else if (line[0] == 'T' && at < line.size() && line[at] == ' ') {
            ++at;
            const auto modified = numberAt(line, at);
            marks.modified[index] = at == line.size() ? modified : std::nullopt;
        }
    }
    return marks;
}

}  // namespace quorvel::journal
