// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

namespace quorvel::test {

// The errors the tests provoke, as this system numbers them.
#ifdef _WIN32
inline constexpr int kNoSuchFileError = ERROR_FILE_NOT_FOUND;
inline constexpr int kNoSuchFolderError = ERROR_PATH_NOT_FOUND;  // a missing folder on the way
inline constexpr int kNotAFolderError = ERROR_DIRECTORY;
inline constexpr int kIsAFolderError = ERROR_ACCESS_DENIED;  // a folder opened as a file
inline constexpr int kDiskFullError = ERROR_DISK_FULL;       // /dev/full: there under Wine
#else
inline constexpr int kNoSuchFileError = ENOENT;
inline constexpr int kNoSuchFolderError = ENOENT;
inline constexpr int kNotAFolderError = ENOTDIR;
inline constexpr int kIsAFolderError = EISDIR;
inline constexpr int kDiskFullError = ENOSPC;
#endif

}  // namespace quorvel::test
