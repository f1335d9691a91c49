// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/system_error.h"

#include <cerrno>
#include <cstring>

namespace quorvel::platform {

SystemError systemError(int code) {
    char buffer[1024];
    // The GNU strerror_r returns the text, which need not be in the buffer.
    return {code, ::strerror_r(code, buffer, sizeof buffer)};
}

SystemError invalidArgumentError() {
    return systemError(EINVAL);
}

}  // namespace quorvel::platform
