// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "storage/allocation_table.h"
#include "storage/cfb_format.h"
#include "storage/storage_status.h"

namespace quorvel::storage::cfb {

// A chain of sectors (or mini sectors) followed through its table only as far as a
// caller asks. A loop, a step outside [0, idLimit) or an early end is Damaged.
class SectorChain {
  public:
    explicit SectorChain(SectorId first = kEndOfChain) : m_first(first) {}

    // The index-th sector of the chain.
    Status sectorAt(std::uint32_t index, AllocationTable& table, std::uint32_t idLimit,
                    SectorId& out);
    // Follows the chain to its end marker and gives its length.
    Status length(AllocationTable& table, std::uint32_t idLimit, std::uint32_t& out);
    // The sectors followed so far.
    const std::vector<SectorId>& sectors() const { return m_sectors; }
    // Adds a sector planned to follow the last one (after a walk to the end).
    void append(SectorId sector);

  private:
    enum class Step { Added, Ended };
    Status step(AllocationTable& table, std::uint32_t idLimit, Step& result);
    // Records a sector of the chain; false when the chain held it already (a loop).
    bool firstVisit(SectorId sector);

    // Consecutive sectors [first, end) of the chain. Most chains are a few such runs, so a
    // loop is found without a set node per sector.
    struct Run {
        SectorId first;
        SectorId end;
    };

    SectorId m_first;
    std::vector<SectorId> m_sectors;
    std::vector<Run> m_runs;              // by first sector, disjoint
    std::unordered_set<SectorId> m_seen;  // the sectors, once the chain is in many runs
    bool m_ended = false;
};

}  // namespace quorvel::storage::cfb
