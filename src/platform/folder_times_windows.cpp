// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/folder_times.h"

#include "platform/windows_api.h"

namespace quorvel::platform {
namespace {

HANDLE handleOf(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

}  // namespace

FolderHandle::~FolderHandle() {
    UniqueHandle closer(handleOf(m_handle));
}

bool FolderHandle::open(const std::string& path, SystemError& error) {
    // Shared with no one while held, as the times are read or written: another program
    // holding the folder open is reported, not raced.
    const HANDLE folder =
        ::CreateFileW(widePath(path).c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) {
        error = lastSystemError();
        return false;
    }
    UniqueHandle previous(handleOf(m_handle));
    m_handle = reinterpret_cast<std::intptr_t>(folder);
    return true;
}

bool FolderHandle::readTimes(FolderTimes& times, CreationTimeSource& source,
                             SystemError& error) const {
    FILETIME creation{};
    FILETIME access{};
    FILETIME modification{};
    if (::GetFileTime(handleOf(m_handle), &creation, &access, &modification) == 0) {
        error = lastSystemError();
        return false;
    }
    times.access = unixSecondsOf(access);
    times.modification = unixSecondsOf(modification);
    const bool recorded = creation.dwLowDateTime != 0 || creation.dwHighDateTime != 0;
    times.creation = recorded ? unixSecondsOf(creation) : times.modification;
    source = recorded ? CreationTimeSource::Recorded : CreationTimeSource::NotRecorded;
    return true;
}

bool FolderHandle::writeTimes(const FolderTimes& times, CreationTimeWrite& creation,
                              SystemError& error) const {
    const FILETIME created = fileTimeOf(times.creation);
    const FILETIME accessed = fileTimeOf(times.access);
    const FILETIME modified = fileTimeOf(times.modification);
    if (::SetFileTime(handleOf(m_handle), &created, &accessed, &modified) == 0) {
        error = lastSystemError();
        return false;
    }
    creation = CreationTimeWrite::Written;
    return true;
}

}  // namespace quorvel::platform
