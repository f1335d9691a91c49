// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows_api.h"

#include "platform/local_time.h"

namespace quorvel::platform {

std::wstring widePath(const std::string& utf8) {
    const int size = static_cast<int>(utf8.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string utf8FromWide(std::wstring_view wide) {
    const int size = static_cast<int>(wide.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

SystemError lastSystemError() {
    return systemError(static_cast<int>(::GetLastError()));
}

void UniqueHandle::reset(HANDLE handle) {
    if (valid()) {
        ::CloseHandle(m_handle);
    }
    m_handle = handle;
}

UniqueHandle openForAttributes(const std::string& path, DWORD access) {
    // Backup semantics let the same call open a folder.
    return UniqueHandle(::CreateFileW(widePath(path).c_str(), access,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool setFileTimes(HANDLE handle, const FILETIME* creation, const FILETIME* access,
                  const FILETIME* modification, CreationTimeWrite& result, SystemError& error) {
    FILETIME stored{};
    if (::SetFileTime(handle, creation, access, modification) == 0 ||
        (creation && ::GetFileTime(handle, &stored, nullptr, nullptr) == 0)) {
        error = lastSystemError();
        return false;
    }
    const bool held = creation && ::CompareFileTime(&stored, creation) == 0;
    result = held ? CreationTimeWrite::Written : CreationTimeWrite::NotStorable;
    return true;
}

HANDLE UniqueHandle::release() {
    const HANDLE handle = m_handle;
    m_handle = INVALID_HANDLE_VALUE;
    return handle;
}

std::int64_t unixSecondsOf(const FILETIME& time) {
    return fileTimeToUnixSeconds((FileTime{time.dwHighDateTime} << 32) | time.dwLowDateTime);
}

FILETIME fileTimeOf(std::int64_t unixSeconds) {
    const FileTime value = unixSecondsToFileTime(unixSeconds);
    return {static_cast<DWORD>(value & 0xFFFFFFFF), static_cast<DWORD>(value >> 32)};
}

}  // namespace quorvel::platform
