// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <compare>
#include <cstdint>

namespace quorvel::platform {

// What makes a file or folder the same whatever path leads to it: device and inode, or on
// Windows volume serial number and file index.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

}  // namespace quorvel::platform
