// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "support/disk_times.h"

namespace quorvel::test {

// A folder's access and modification times in whole seconds, as the system reports them.
struct StatTimes {
    std::int64_t access;
    std::int64_t modification;
    bool operator==(const StatTimes&) const = default;
};

// {-1, -1} when the folder is gone.
inline StatTimes statTimes(const std::string& path) {
    const std::optional<DiskTimes> times = diskTimes(path);
    if (!times) {
        return {-1, -1};
    }
    return {times->access.seconds, times->modification.seconds};
}

// True when the times could be set.
inline bool setStatTimes(const std::string& path, std::int64_t access, std::int64_t modification) {
    return setDiskTimes(path, {{access}, {modification}});
}

inline void PrintTo(const StatTimes& times, std::ostream* out) {
    *out << "{" << times.access << ", " << times.modification << "}";
}

}  // namespace quorvel::test
