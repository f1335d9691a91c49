// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "platform/creation_time.h"
#include "platform/system_error.h"

namespace quorvel::platform {

// The three time stamps of a folder in whole seconds since 1970-01-01 00:00:00 UTC.
struct FolderTimes {
    std::int64_t creation = 0;
    std::int64_t access = 0;
    std::int64_t modification = 0;
};

// What reading the times found out about the creation time.
enum class CreationTimeSource { Recorded, NotRecorded };

// An open folder, held only for one read or one write. Opening tests that the folder
// exists and can be opened; the times are read and written through the open descriptor.
class FolderHandle {
  public:
    FolderHandle() = default;
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;
    ~FolderHandle();

    // Opens the folder (following a link to a folder); false with the error otherwise.
    bool open(const std::string& path, SystemError& error);

    // Reads the three times. Where the file system records no creation time, the
    // modification time stands in for it and the source says so.
    bool readTimes(FolderTimes& times, CreationTimeSource& source, SystemError& error) const;

    // Writes the access and modification times, and the creation time where the file
    // system can store it (Windows; on Linux NTFS through ntfs-3g, SMB/CIFS); elsewhere the
    // creation time stays as it is, which is not an error.
    bool writeTimes(const FolderTimes& times, CreationTimeWrite& creation,
                    SystemError& error) const;

  private:
    std::intptr_t m_handle = -1;  // a descriptor, or on Windows a HANDLE
};

}  // namespace quorvel::platform
