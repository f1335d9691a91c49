// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/whole_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace quorvel::platform {
namespace {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

bool writeWholeFile(const std::string& path, std::string_view bytes, SystemError& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = systemError(errno);
        return false;
    }
    bool ok = writeAll(fd, bytes);
    int failure = errno;
    // A network file system may report a failed write only when the file is closed.
    if (::close(fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    if (!ok) {
        error = systemError(failure);
    }
    return ok;
}

}  // namespace quorvel::platform
