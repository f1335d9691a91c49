// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace quorvel::platform {

// A failed system call: its error number (errno; on Windows the system's error code) and
// the system's text for it in the user's language.
struct SystemError {
    int code = 0;
    std::string text;
};

// The error for an error number, with the text the system gives in the user's language.
SystemError systemError(int code);

// The error of an argument the system refuses (EINVAL; ERROR_INVALID_PARAMETER on Windows).
SystemError invalidArgumentError();

}  // namespace quorvel::platform
