// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/replacement_leftovers.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/utf8_path.h"

namespace quorvel::io {
namespace {

constexpr std::string_view kInfix = ".quorvel-";
constexpr std::size_t kRandomLength = 6;

bool isRandomCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

std::string replacementPrefix(std::string_view name) {
    std::string prefix(1, '.');  // appended piece by piece: GCC 12 -O3 warns on "." + name
    prefix.append(name).append(kInfix);
    return prefix;
}

bool isReplacementOf(std::string_view entry, std::string_view name) {
    const std::string prefix = replacementPrefix(name);
    if (entry.size() != prefix.size() + kRandomLength || !entry.starts_with(prefix)) {
        return false;
    }
    const std::string_view random = entry.substr(prefix.size());
    return std::all_of(random.begin(), random.end(), isRandomCharacter);
}

void removeReplacementLeftovers(const std::string& target) {
    namespace fs = std::filesystem;
    const fs::path document = platform::pathFromUtf8(target);
    const std::string name = platform::utf8FromPath(document.filename());
    std::error_code error;
    for (fs::directory_iterator entry(document.parent_path(), error), end; !error && entry != end;
         entry.increment(error)) {
        if (isReplacementOf(platform::utf8FromPath(entry->path().filename()), name) &&
            fs::is_regular_file(entry->symlink_status(error))) {
            fs::remove(entry->path(), error);
        }
    }
}

}  // namespace quorvel::io
