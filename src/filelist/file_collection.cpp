// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/file_collection.h"

#include <set>

#include "platform/folder_listing.h"

namespace quorvel::filelist {
namespace {

using platform::FileIdentity;

// Length of the UTF-8 sequence that a lead byte starts; 0 for a byte that starts none.
std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if ((lead & 0xE0U) == 0xC0U) {
        return 2;
    }
    if ((lead & 0xF0U) == 0xE0U) {
        return 3;
    }
    return (lead & 0xF8U) == 0xF0U ? 4 : 0;
}

// Decodes UTF-8 into code points, so that '?' stands for one character whatever its length;
// a byte that starts no valid sequence stands for itself.
std::u32string codePoints(std::string_view text) {
    std::u32string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = sequenceLength(lead);
        bool valid = length != 0 && i + length <= text.size();
        char32_t point = length == 1 ? lead : lead & (0x7FU >> length);
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0U) == 0x80U;
            point = (point << 6) | (next & 0x3FU);
        }
        result.push_back(valid ? point : char32_t{0xDC00U} + lead);
        i += valid ? length : 1;
    }
    return result;
}

// Lower case of the letters a name may hold in either case: ASCII and full-width Latin.
char32_t folded(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= U'\uFF21' && c <= U'\uFF3A')) {
        return c + 0x20;
    }
    return c;
}

bool matchesFrom(const std::u32string& pattern, const std::u32string& name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starAt = std::u32string::npos;
    std::size_t resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == U'?' || folded(pattern[p]) == folded(name[n]))) {
            ++p;
            ++n;
        } else if (starAt != std::u32string::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*') {
        ++p;
    }
    return p == pattern.size();
}

void gatherInto(const std::string& folder, std::set<FileIdentity>& entered,
                std::vector<std::string>& result) {
    for (const platform::Subfolder& subfolder : platform::listSubfolders(folder)) {
        if (!entered.insert(subfolder.identity).second) {
            continue;
        }
        result.push_back(subfolder.path);
        gatherInto(subfolder.path, entered, result);
    }
}

}  // namespace

bool matchesWildcard(std::string_view pattern, std::string_view name) {
    if (pattern == "*.*") {
        return true;
    }
    return matchesFrom(codePoints(pattern), codePoints(name));
}

std::vector<std::string> splitKinds(std::string_view kinds) {
    std::vector<std::string> pieces;
    while (!kinds.empty()) {
        const std::size_t end = kinds.find(';');
        pieces.emplace_back(kinds.substr(0, end));
        kinds.remove_prefix(end == std::string_view::npos ? kinds.size() : end + 1);
    }
    return pieces;
}

std::vector<std::string> ListMatchingFiles(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> paths;
    for (const platform::ListedFile& file : platform::listRegularFiles(folder)) {
        if ((!file.hidden || file.readOnly) && matchesWildcard(pattern, file.name)) {
            paths.push_back(file.path);
        }
    }
    return paths;
}

std::vector<std::string> GatherSubfolders(const std::string& folder) {
    std::vector<std::string> result;
    std::set<FileIdentity> entered;
    if (const auto identity = platform::folderIdentity(folder)) {
        entered.insert(*identity);
    }
    gatherInto(folder, entered, result);
    return result;
}

std::vector<std::string> CollectFolderFiles(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> files;
    for (const std::string& subfolder : GatherSubfolders(folder)) {
        const std::vector<std::string> found = ListMatchingFiles(subfolder, pattern);
        files.insert(files.end(), found.begin(), found.end());
    }
    const std::vector<std::string> own = ListMatchingFiles(folder, pattern);
    files.insert(files.end(), own.begin(), own.end());
    return files;
}

}  // namespace quorvel::filelist
