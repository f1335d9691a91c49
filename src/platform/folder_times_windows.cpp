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
    // Shared with everyone: Explorer keeps a handle on every folder it shows, and a handle
    // that shares nothing could not be opened beside it.
    UniqueHandle folder = openForAttributes(path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!folder.valid() || ::GetFileInformationByHandle(folder.get(), &information) == 0) {
        error = lastSystemError();
        return false;
    }
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        error = systemError(ERROR_DIRECTORY);
        return false;
    }
    UniqueHandle previous(handleOf(m_handle));
    m_handle = reinterpret_cast<std::intptr_t>(folder.release());
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
    return setFileTimes(handleOf(m_handle), &created, &accessed, &modified, creation, error);
}

}  // namespace quorvel::platform
