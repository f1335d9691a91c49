// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "storage/fat.h"
#include "storage/mini_fat.h"
#include "storage/sector_chain.h"

namespace quorvel::storage::cfb {

// The mini stream: the root entry's stream, which holds the 64-byte mini sectors of
// all streams shorter than the cutoff.
class MiniStream {
  public:
    MiniStream(SectorFile& file, Fat& fat, SectorId start, std::uint64_t size)
        : m_file(file), m_fat(fat), m_chain(start), m_start(start), m_size(size) {}

    SectorId start() const { return m_start; }
    std::uint64_t size() const { return m_size; }
    // Mini sectors wholly inside the stream.
    std::uint32_t wholeSectors() const {
        return static_cast<std::uint32_t>(m_size / kMiniSectorSize);
    }

    // Bytes at `position`, which must lie inside one mini sector of the stream.
    Status read(std::uint64_t position, std::span<std::byte> out);
    Status write(std::uint64_t position, std::span<const std::byte> data);
    // Grows the stream to `size`, adding sectors to its chain (first links in `links`).
    Status grow(std::uint64_t size, std::vector<ChainLink>& links);
    // Fills the sectors added by grow() with zeros, so that the file never ends inside
    // a sector.
    Status writeNewSectors();

  private:
    Status sectorFor(std::uint64_t position, std::size_t length, SectorId& out);

    SectorFile& m_file;
    Fat& m_fat;
    SectorChain m_chain;
    SectorId m_start;
    std::uint64_t m_size;
    std::vector<SectorId> m_added;
};

}  // namespace quorvel::storage::cfb
