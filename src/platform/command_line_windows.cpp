// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/command_line.h"

#include "platform/windows_api.h"

// Needs windows.h first.
#include <shellapi.h>

namespace quorvel::platform {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(utf8FromWide(wide[i]));
    }
    ::LocalFree(wide);
    return arguments;
}

void useUtf8Console() {
    ::SetConsoleOutputCP(CP_UTF8);
}

}  // namespace quorvel::platform
