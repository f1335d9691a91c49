#pragma once

#include <cstdint>
#include <string>

#include "platform/system_error.h"

namespace quorvel::platform {

// What writing the times did with the creation time.
enum class CreationTimeWrite { Written, NotStorable };

// Writes the creation time (seconds since 1970 UTC) through an open descriptor where the file
// system can store it (NTFS through ntfs-3g or ntfs3, SMB/CIFS); elsewhere the creation time
// stays as it is and result says NotStorable, which is not an error.
bool writeCreationTime(int fd, std::int64_t creation, CreationTimeWrite& result,
                       SystemError& error);

// The same for the file or folder at path.
bool setCreationTime(const std::string& path, std::int64_t creation, CreationTimeWrite& result,
                     SystemError& error);

}  // namespace quorvel::platform
