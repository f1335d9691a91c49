// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "platform/system_error.h"

namespace quorvel::platform {

// A file's time stamps in whole seconds since 1970-01-01 00:00 UTC (fractions dropped).
struct FileTimes {
    std::int64_t created = 0;  // birth time; the modification time where none is recorded
    std::int64_t accessed = 0;
    std::int64_t modified = 0;
    bool createdRecorded = false;  // the file system records a birth time for this file
};

// What the program uses of a file's status.
struct FileStatus {
    FileTimes times;
    bool readOnly = false;  // the owner's write permission bit is clear
};

// Reads the status of the file at path (UTF-8). False when it cannot be read (missing file,
// path that does not resolve); status is then left alone.
bool queryFileStatus(const std::string& path, FileStatus& status);

// Gives the owner write permission, other permission bits unchanged. False with the
// system's error on failure.
bool clearReadOnly(const std::string& path, SystemError& error);

// Sets the access and modification times, in whole seconds. False with the platform's
// error text on failure.
bool setAccessAndModifyTimes(const std::string& path, std::int64_t accessed, std::int64_t modified,
                             SystemError& error);

}  // namespace quorvel::platform
