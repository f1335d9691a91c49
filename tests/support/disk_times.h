// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include "support/environment.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace quorvel::test {

// A moment since 1970 (UTC) as the file system holds it; Windows keeps 100 ns steps.
struct DiskMoment {
    std::int64_t seconds = 0;
    std::int64_t nanoseconds = 0;
    bool operator==(const DiskMoment&) const = default;
};

// A file's or folder's access and modification times, read and set without the code under test.
struct DiskTimes {
    DiskMoment access;
    DiskMoment modification;
    bool operator==(const DiskTimes&) const = default;
};

#ifdef _WIN32
namespace detail {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kTicksFrom1601To1970 = 116'444'736'000'000'000;

inline DiskMoment diskMoment(const FILETIME& time) {
    const std::int64_t ticks =
        static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime) -
        kTicksFrom1601To1970;
    std::int64_t seconds = ticks / kTicksPerSecond;
    std::int64_t rest = ticks % kTicksPerSecond;
    if (rest < 0) {
        --seconds;
        rest += kTicksPerSecond;
    }
    return {seconds, rest * 100};
}

inline FILETIME fileTime(const DiskMoment& moment) {
    const auto ticks = static_cast<std::uint64_t>(moment.seconds * kTicksPerSecond +
                                                  moment.nanoseconds / 100 + kTicksFrom1601To1970);
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// A handle for the attributes of a file or a folder (which needs backup semantics).
inline HANDLE openForAttributes(const std::string& path, DWORD access) {
    return CreateFileW(wideText(path).c_str(), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace detail

inline std::optional<DiskTimes> diskTimes(const std::string& path) {
    const HANDLE file = detail::openForAttributes(path, FILE_READ_ATTRIBUTES);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    FILETIME access{};
    FILETIME modification{};
    const bool read = GetFileTime(file, nullptr, &access, &modification) != 0;
    CloseHandle(file);
    if (!read) {
        return std::nullopt;
    }
    return DiskTimes{detail::diskMoment(access), detail::diskMoment(modification)};
}

inline bool setDiskTimes(const std::string& path, const DiskTimes& times) {
    const HANDLE file = detail::openForAttributes(path, FILE_WRITE_ATTRIBUTES);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const FILETIME access = detail::fileTime(times.access);
    const FILETIME modification = detail::fileTime(times.modification);
    const bool written = SetFileTime(file, nullptr, &access, &modification) != 0;
    CloseHandle(file);
    return written;
}
#else
inline std::optional<DiskTimes> diskTimes(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return DiskTimes{{info.st_atim.tv_sec, info.st_atim.tv_nsec},
                     {info.st_mtim.tv_sec, info.st_mtim.tv_nsec}};
}

inline bool setDiskTimes(const std::string& path, const DiskTimes& times) {
    const timespec both[2] = {{times.access.seconds, times.access.nanoseconds},
                              {times.modification.seconds, times.modification.nanoseconds}};
    return ::utimensat(AT_FDCWD, path.c_str(), both, 0) == 0;
}
#endif

}  // namespace quorvel::test
