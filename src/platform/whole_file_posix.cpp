// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/whole_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

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

// Opens with flags, writes, syncs with fdatasync and closes; false with the error.
bool writeSynced(const std::string& path, int flags, std::string_view bytes, SystemError& error) {
    const int fd = ::open(path.c_str(), flags | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = systemError(errno);
        return false;
    }
    const bool ok = writeAll(fd, bytes) && ::fdatasync(fd) == 0;
    const int failure = errno;
    ::close(fd);
    if (!ok) {
        error = systemError(failure);
    }
    return ok;
}

}  // namespace

bool writeNewFileDurably(const std::string& path, std::string_view bytes, SystemError& error) {
    return writeSynced(path, O_CREAT | O_EXCL, bytes, error);
}

bool appendDurably(const std::string& path, std::string_view bytes, SystemError& error) {
    return writeSynced(path, O_CREAT | O_APPEND, bytes, error);
}

bool syncFolder(const std::string& path, SystemError& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::fsync(fd) == 0;
    if (!ok) {
        error = systemError(errno);
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return ok;
}

std::string stateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') {
        return std::string(state) + "/quorvel";
    }
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? std::string(home) + "/.local/state/quorvel" : "";
}

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
