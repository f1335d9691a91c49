// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace quorvel::io {

// Positioned byte I/O under every container. Tests substitute devices that fail or
// stop after a number of writes.
class BlockDevice {
  public:
    virtual ~BlockDevice() = default;
    // Reads exactly out.size() bytes at offset; false on error or short read.
    virtual bool readAt(std::uint64_t offset, std::span<std::byte> out) = 0;
    // Writes all of data at offset (may extend the file); false on error.
    virtual bool writeAt(std::uint64_t offset, std::span<const std::byte> data) = 0;
    // Orders the writes before this call ahead of the writes after it.
    virtual bool sync() = 0;
    virtual std::uint64_t size() const = 0;
    // Cuts the file to size bytes, which must not be more than it holds; false on error and
    // where the device cannot.
    virtual bool truncate(std::uint64_t) { return false; }
};

}  // namespace quorvel::io
