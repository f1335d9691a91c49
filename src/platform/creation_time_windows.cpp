// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/creation_time.h"

#include "platform/windows_api.h"

namespace quorvel::platform {

// Every Windows file system that records a creation time lets its owner set it.
bool setCreationTime(const std::string& path, std::int64_t creation, CreationTimeWrite& result,
                     SystemError& error) {
    const UniqueHandle file = openForAttributes(path, FILE_WRITE_ATTRIBUTES);
    const FILETIME time = fileTimeOf(creation);
    if (!file.valid() || ::SetFileTime(file.get(), &time, nullptr, nullptr) == 0) {
        error = lastSystemError();
        return false;
    }
    result = CreationTimeWrite::Written;
    return true;
}

}  // namespace quorvel::platform
