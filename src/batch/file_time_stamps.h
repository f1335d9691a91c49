// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

class QWidget;

namespace quorvel::ui {
class Prompts;
}  // namespace quorvel::ui

namespace quorvel::batch {

// Times to give a file, in seconds since 1970-01-01 UTC; 0 leaves that time unchanged.
struct FileTimeStamps {
    std::int64_t creation = 0;
    std::int64_t access = 0;
    std::int64_t modification = 0;
};

// Outcome of SetFileTimeStamps.
struct TimeStampOutcome {
    std::uint8_t result = 0;    // 0 done (or no status), 1 kept read-only, 2 file error shown
    bool creationKept = false;  // a creation time was given but the file system cannot store it
};

// Sets a file's time stamps, first offering to clear a read-only attribute (string 113). The
// attribute is not put back. A file whose status cannot be read is left alone (result 0).
TimeStampOutcome SetFileTimeStamps(ui::Prompts& prompts, QWidget* owner, const std::string& path,
                                   const FileTimeStamps& times);

}  // namespace quorvel::batch
