#include "platform/system_error.h"

#include <cstring>

namespace quorvel::platform {

SystemError systemError(int code) {
    char buffer[1024];
    // The GNU strerror_r returns the text, which need not be in the buffer.
    return {code, ::strerror_r(code, buffer, sizeof buffer)};
}

}  // namespace quorvel::platform
