// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Finding the files of dropped folders: plain functions over UTF-8 paths, no window needed.
namespace quorvel::filelist {

// Wildcard match of one name: '*' any run of characters, '?' any one character, letters
// without regard to case. "*.*" matches every name, extension or not.
bool matchesWildcard(std::string_view pattern, std::string_view name);

// The pieces of a file-kind text split at each ';', exactly as they stand (an empty piece
// stays; a final ';' adds none).
std::vector<std::string> splitKinds(std::string_view kinds);

// The regular files directly in folder that match pattern. Hidden files (dot-files) count
// only when they are also read-only.
std::vector<std::string> ListMatchingFiles(const std::string& folder, const std::string& pattern);

// Every folder below folder, depth-first pre-order. Links to folders are followed, but no
// folder is entered twice, so a link back to an ancestor cannot loop.
std::vector<std::string> GatherSubfolders(const std::string& folder);

// The matching files of all subfolders, in walk order, then those of folder itself.
std::vector<std::string> CollectFolderFiles(const std::string& folder, const std::string& pattern);

}  // namespace quorvel::filelist
