// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/creation_time.h"

#include "platform/windows_api.h"

namespace quorvel::platform {

// Every Windows file system that records a creation time lets its owner set it.
bool setCreationTime(const std::string& path, std::int64_t creation, CreationTimeWrite& result,
                     SystemError& error) {
    const UniqueHandle file = openForAttributes(path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
    if (!file.valid()) {
        error = lastSystemError();
        return false;
    }
    const FILETIME time = fileTimeOf(creation);
    return setFileTimes(file.get(), &time, nullptr, nullptr, result, error);
}

}  // namespace quorvel::platform
