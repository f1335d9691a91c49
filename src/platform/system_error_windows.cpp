// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/system_error.h"

#include <string>

#include "platform/windows_api.h"

namespace quorvel::platform {

SystemError systemError(int code) {
    wchar_t* text = nullptr;
    // Language 0: the user's language first, then the system's, then English.
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0) {
        return {code, "Error " + std::to_string(code)};
    }
    std::wstring_view message(text, length);
    // The system's texts end with a line break.
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) {
        message.remove_suffix(1);
    }
    SystemError error{code, utf8FromWide(message)};
    ::LocalFree(text);
    return error;
}

SystemError invalidArgumentError() {
    return systemError(ERROR_INVALID_PARAMETER);
}

}  // namespace quorvel::platform
