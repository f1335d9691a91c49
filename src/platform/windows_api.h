// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the Windows implementations of the platform and io layers share: UTF-16 at the
// system boundary, handles that close themselves, file times and the last error.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/creation_time.h"
#include "platform/system_error.h"

namespace quorvel::platform {

// A path or text of the program (UTF-8) as the system's wide API takes it.
std::wstring widePath(const std::string& utf8);
// A wide text of the system as the program's UTF-8; unpaired surrogates become U+FFFD.
std::string utf8FromWide(std::wstring_view wide);

// The error of the system call that failed last on this thread.
SystemError lastSystemError();

// A handle closed when it goes.
class UniqueHandle {
  public:
    explicit UniqueHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE);
    // Hands the handle over without closing it.
    HANDLE release();

  private:
    HANDLE m_handle;
};

// Opens a file or folder (links followed) for reading or writing its attributes and times,
// sharing it with every other user.
UniqueHandle openForAttributes(const std::string& path, DWORD access);

// Sets the times given (null leaves one as it is) through a handle opened with
// FILE_WRITE_ATTRIBUTES. A creation time that did not hold, as on a file system that records
// none (Wine on most Linux file systems), is reported NotStorable, not written.
bool setFileTimes(HANDLE handle, const FILETIME* creation, const FILETIME* access,
                  const FILETIME* modification, CreationTimeWrite& result, SystemError& error);

// FILETIME and whole seconds since 1970 UTC.
std::int64_t unixSecondsOf(const FILETIME& time);
FILETIME fileTimeOf(std::int64_t unixSeconds);

}  // namespace quorvel::platform
