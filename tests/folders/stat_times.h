#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdint>
#include <ostream>
#include <string>

namespace quorvel::test {

// A folder's access and modification times in whole seconds, as the system reports them.
struct StatTimes {
    std::int64_t access;
    std::int64_t modification;
    bool operator==(const StatTimes&) const = default;
};

// {-1, -1} when the folder is gone.
inline StatTimes statTimes(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return {-1, -1};
    }
    return {info.st_atim.tv_sec, info.st_mtim.tv_sec};
}

// True when the times could be set.
inline bool setStatTimes(const std::string& path, std::int64_t access, std::int64_t modification) {
    const timespec times[2] = {{access, 0}, {modification, 0}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

inline void PrintTo(const StatTimes& times, std::ostream* out) {
    *out << "{" << times.access << ", " << times.modification << "}";
}

}  // namespace quorvel::test
