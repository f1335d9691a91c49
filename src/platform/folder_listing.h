// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_identity.h"

namespace quorvel::platform {

// One folder inside another.
struct Subfolder {
    std::string name;
    std::string path;  // the parent's path, one separator, the name
    FileIdentity identity;
};

// The folder's own identity (following links); none when it cannot be reached.
std::optional<FileIdentity> folderIdentity(const std::string& path);

// The folders directly inside a folder, links to folders included, hidden ones
// included, in byte order of their names. A folder that cannot be read has none.
std::vector<Subfolder> listSubfolders(const std::string& folder);

// One regular file inside a folder.
struct ListedFile {
    std::string name;
    std::string path;       // the folder's path, one separator, the name
    bool readOnly = false;  // the owner's write permission bit is clear (Windows: the attribute)
    bool hidden = false;    // a dot-file, or (Windows) one with the hidden attribute
};

// The regular files directly inside a folder (links to regular files included; never
// FIFOs, sockets or devices), in byte order of their names. A folder that cannot be read
// has none.
std::vector<ListedFile> listRegularFiles(const std::string& folder);

// Whether the folder is the root of the file system (on Windows: of a drive).
bool isFileSystemRoot(const std::string& folder);

// Joins a folder path and a name with exactly one separator.
std::string joinPath(const std::string& folder, const std::string& name);

}  // namespace quorvel::platform
