// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/folder_listing.h"

#include <algorithm>

#include "platform/folder_listing_system.h"

namespace quorvel::platform {

std::vector<Subfolder> listSubfolders(const std::string& folder) {
    std::vector<Subfolder> subfolders = detail::readSubfolders(folder);
    std::sort(subfolders.begin(), subfolders.end(),
              [](const Subfolder& a, const Subfolder& b) { return a.name < b.name; });
    return subfolders;
}

std::vector<ListedFile> listRegularFiles(const std::string& folder) {
    std::vector<ListedFile> files = detail::readRegularFiles(folder);
    std::sort(files.begin(), files.end(),
              [](const ListedFile& a, const ListedFile& b) { return a.name < b.name; });
    return files;
}

}  // namespace quorvel::platform
