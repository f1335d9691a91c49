// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "platform/folder_listing.h"

// The system's half of a folder listing: the entries in the order the system gives them.
namespace quorvel::platform::detail {

std::vector<Subfolder> readSubfolders(const std::string& folder);
std::vector<ListedFile> readRegularFiles(const std::string& folder);

// Names that start with a dot are hidden on every system.
inline bool isDotFile(const std::string& name) {
    return !name.empty() && name.front() == '.';
}

}  // namespace quorvel::platform::detail
