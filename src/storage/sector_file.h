// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "io/block_device.h"
#include "storage/cfb_format.h"
#include "storage/storage_status.h"

namespace quorvel::storage::cfb {

// The file seen as numbered sectors: sector n starts at (n + 1) * sectorSize, behind
// the header's sector. Every access is checked against the end of the file.
class SectorFile {
  public:
    SectorFile(io::BlockDevice& device, std::uint32_t sectorSize)
        : m_device(device), m_sectorSize(sectorSize) {}

    std::uint32_t sectorSize() const { return m_sectorSize; }
    // Sectors that start inside the file (a cut-short last sector counts).
    std::uint32_t sectorCount() const;

    // Reads bytes from `offset` in `sector` on, into the sectors that follow it on disk
    // when `out` is longer; Damaged when they lie beyond the end of the file.
    Status read(SectorId sector, std::uint32_t offset, std::span<std::byte> out) const;
    // Reads a whole sector of a table or the directory; bytes missing at a cut-short
    // end of file read as `fill`.
    Status readPadded(SectorId sector, std::span<std::byte> out, std::byte fill) const;
    Status write(SectorId sector, std::uint32_t offset, std::span<const std::byte> data);
    Status writeHeader(std::span<const std::byte> header);
    Status sync();

  private:
    std::uint64_t offsetOf(SectorId sector) const {
        return (static_cast<std::uint64_t>(sector) + 1) * m_sectorSize;
    }

    io::BlockDevice& m_device;
    std::uint32_t m_sectorSize;
};

}  // namespace quorvel::storage::cfb
