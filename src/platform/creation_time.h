// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "platform/system_error.h"

namespace quorvel::platform {

// What writing the times did with the creation time.
enum class CreationTimeWrite { Written, NotStorable };

// Sets the creation time (seconds since 1970 UTC) of the file or folder at path where the
// file system can store it (Windows; on Linux NTFS through ntfs-3g or ntfs3, SMB/CIFS);
// elsewhere the creation time stays as it is and result says NotStorable, which is not an
// error.
bool setCreationTime(const std::string& path, std::int64_t creation, CreationTimeWrite& result,
                     SystemError& error);

// The same through an open descriptor (POSIX systems; Windows folders set all three times
// through their handle).
bool writeCreationTime(int fd, std::int64_t creation, CreationTimeWrite& result,
                       SystemError& error);

}  // namespace quorvel::platform
