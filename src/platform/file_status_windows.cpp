// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_status.h"

#include "platform/windows_api.h"

namespace quorvel::platform {

bool queryFileStatus(const std::string& path, FileStatus& status) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExW(widePath(path).c_str(), GetFileExInfoStandard, &data) == 0) {
        return false;
    }
    status.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    status.times.accessed = unixSecondsOf(data.ftLastAccessTime);
    status.times.modified = unixSecondsOf(data.ftLastWriteTime);
    // Every Windows file system records a creation time; zero means it has none.
    status.times.createdRecorded =
        data.ftCreationTime.dwLowDateTime != 0 || data.ftCreationTime.dwHighDateTime != 0;
    status.times.created =
        status.times.createdRecorded ? unixSecondsOf(data.ftCreationTime) : status.times.modified;
    return true;
}

bool clearReadOnly(const std::string& path, SystemError& error) {
    const std::wstring wide = widePath(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = lastSystemError();
        return false;
    }
    const DWORD cleared = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (::SetFileAttributesW(wide.c_str(), cleared == 0 ? FILE_ATTRIBUTE_NORMAL : cleared) == 0) {
        error = lastSystemError();
        return false;
    }
    return true;
}

bool setAccessAndModifyTimes(const std::string& path, std::int64_t accessed, std::int64_t modified,
                             SystemError& error) {
    const UniqueHandle file = openForAttributes(path, FILE_WRITE_ATTRIBUTES);
    const FILETIME access = fileTimeOf(accessed);
    const FILETIME modification = fileTimeOf(modified);
    if (!file.valid() || ::SetFileTime(file.get(), nullptr, &access, &modification) == 0) {
        error = lastSystemError();
        return false;
    }
    return true;
}

}  // namespace quorvel::platform
