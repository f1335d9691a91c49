// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_status.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace quorvel::platform {
bool queryFileStatus(const std::string& path, FileStatus& status) {
    struct statx info {};
    const unsigned mask = STATX_MODE | STATX_ATIME | STATX_MTIME | STATX_BTIME;
    if (statx(AT_FDCWD, path.c_str(), 0, mask, &info) != 0) {
        return false;
    }
    status.readOnly = (info.stx_mode & S_IWUSR) == 0;
    status.times.accessed = info.stx_atime.tv_sec;
    status.times.modified = info.stx_mtime.tv_sec;
    status.times.createdRecorded = (info.stx_mask & STATX_BTIME) != 0;
    status.times.created =
        status.times.createdRecorded ? info.stx_btime.tv_sec : status.times.modified;
    return true;
}

bool clearReadOnly(const std::string& path, SystemError& error) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 ||
        chmod(path.c_str(), (info.st_mode & 07777) | S_IWUSR) != 0) {
        error = systemError(errno);
        return false;
    }
    return true;
}

bool setAccessAndModifyTimes(const std::string& path, std::int64_t accessed, std::int64_t modified,
                             SystemError& error) {
    const timespec times[2] = {{static_cast<time_t>(accessed), 0},
                               {static_cast<time_t>(modified), 0}};
    if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) {
        error = systemError(errno);
        return false;
    }
    return true;
}

}  // namespace quorvel::platform
