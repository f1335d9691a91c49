// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace quorvel::storage {

// Outcome of a container operation.
enum class Status : std::uint8_t {
    Ok,
    NotFound,     // the path names no file
    NotCompound,  // the file exists but has no compound-file signature or is shorter than a header
    Locked,       // another program holds the file open (conflicting lock or office lock file)
    Damaged,      // inconsistent structure: bad sector chains, loops, sizes beyond the file
    NoSuchEntry,  // no directory entry of that name
    NotAStream,   // the entry is a storage, not a stream
    TooLarge,     // a stream larger than the caller's limit
    IoError,      // the operating system refused a read, write or sync
};

}  // namespace quorvel::storage
