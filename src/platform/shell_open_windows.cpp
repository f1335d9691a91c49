// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/shell_open.h"

#include "platform/windows_api.h"

// Needs windows.h first.
#include <shellapi.h>

namespace quorvel::platform {

// The association of the file's extension decides; the caller's types are for desktops
// that go by content.
ShellOpenResult openWithAssociatedApplication(const std::string& path,
                                              const std::vector<std::string>& /*mimeTypes*/) {
    const std::wstring file = widePath(path);
    wchar_t program[MAX_PATH] = {};
    // Values up to 32 are errors, SE_ERR_NOASSOC among them.
    if (reinterpret_cast<INT_PTR>(::FindExecutableW(file.c_str(), nullptr, program)) <= 32) {
        return {ShellOpenStatus::NoApplication, {}};
    }
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof start;
    // Started before the call returns; failures are reported to us, not shown to the user.
    start.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.lpFile = file.c_str();
    start.nShow = SW_SHOWNORMAL;
    const bool started = ::ShellExecuteExW(&start) != 0;
    return {started ? ShellOpenStatus::Started : ShellOpenStatus::StartFailed,
            utf8FromWide(program)};
}

}  // namespace quorvel::platform
