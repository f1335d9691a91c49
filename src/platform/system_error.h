#pragma once

#include <string>

namespace quorvel::platform {

// A failed system call: its errno and the system's text for it in the user's locale.
struct SystemError {
    int code = 0;
    std::string text;
};

// The error for an errno value, with the text the C library gives for the current locale.
SystemError systemError(int code);

}  // namespace quorvel::platform
