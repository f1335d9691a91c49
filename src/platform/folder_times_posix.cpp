// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/folder_times.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/creation_time.h"

namespace quorvel::platform {
namespace {

timespec wholeSeconds(std::int64_t seconds) {
    timespec time{};
    time.tv_sec = static_cast<time_t>(seconds);
    return time;
}

}  // namespace

FolderHandle::~FolderHandle() {
    if (m_handle >= 0) {
        ::close(static_cast<int>(m_handle));
    }
}

bool FolderHandle::open(const std::string& path, SystemError& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = systemError(errno);
        return false;
    }
    if (m_handle >= 0) {
        ::close(static_cast<int>(m_handle));
    }
    m_handle = fd;
    return true;
}

bool FolderHandle::readTimes(FolderTimes& times, CreationTimeSource& source,
                             SystemError& error) const {
    struct statx info {};
    if (::statx(static_cast<int>(m_handle), "", AT_EMPTY_PATH,
                STATX_ATIME | STATX_MTIME | STATX_BTIME, &info) != 0) {
        error = systemError(errno);
        return false;
    }
    times.access = info.stx_atime.tv_sec;
    times.modification = info.stx_mtime.tv_sec;
    if ((info.stx_mask & STATX_BTIME) != 0) {
        times.creation = info.stx_btime.tv_sec;
        source = CreationTimeSource::Recorded;
    } else {
        times.creation = times.modification;
        source = CreationTimeSource::NotRecorded;
    }
    return true;
}

bool FolderHandle::writeTimes(const FolderTimes& times, CreationTimeWrite& creation,
                              SystemError& error) const {
    // The creation time first: on some file systems setting it touches the others.
    if (!writeCreationTime(static_cast<int>(m_handle), times.creation, creation, error)) {
        return false;
    }
    const timespec accessAndModification[2] = {wholeSeconds(times.access),
                                               wholeSeconds(times.modification)};
    if (::futimens(static_cast<int>(m_handle), accessAndModification) != 0) {
        error = systemError(errno);
        return false;
    }
    return true;
}

}  // namespace quorvel::platform
