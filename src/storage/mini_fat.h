// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "storage/allocation_table.h"
#include "storage/fat.h"
#include "storage/sector_chain.h"

namespace quorvel::storage::cfb {

// A FAT entry that joins new sectors onto an existing chain. Links are written only
// after the new sectors they reach, so that a chain never names unwritten data.
struct ChainLink {
    SectorId from;
    SectorId to;
};

// The MiniFAT: a table in a chain of ordinary sectors that starts in the header.
class MiniFat final : public AllocationTable {
  public:
    MiniFat(SectorFile& file, Fat& fat, SectorId first, std::uint32_t count)
        : AllocationTable(file), m_fat(fat), m_first(first), m_count(count), m_chain(first) {}

    SectorId firstSector() const { return m_first; }
    std::uint32_t sectorCount() const { return m_count; }
    // Adds a table sector at the end of the chain; the link to it is left in `links`.
    Status grow(std::vector<ChainLink>& links);

  protected:
    std::uint32_t tableSectorCount() const override { return m_count; }
    Status locate(std::uint32_t index, SectorId& out) override;

  private:
    Fat& m_fat;
    SectorId m_first;
    std::uint32_t m_count;
    SectorChain m_chain;
};

}  // namespace quorvel::storage::cfb
