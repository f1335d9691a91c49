// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "storage/allocation_table.h"
#include "storage/cfb_header.h"

namespace quorvel::storage::cfb {

// The FAT, found through the DIFAT (the header's 109 entries, then a chain of DIFAT
// sectors read only as far as needed). Allocation may append FAT and DIFAT sectors;
// their registration in the header and the DIFAT is kept in memory until written.
class Fat final : public AllocationTable {
  public:
    Fat(SectorFile& file, Header& header);

    // A sector for new data, marked end of chain: a free one held in memory, else
    // one appended at the end of the file.
    Status allocate(SectorId& out);
    // Makes FAT sectors added by allocation part of the file before any data goes
    // beyond the old end of the FAT: writes them with only their own marks (every
    // other entry free), the new and then the changed DIFAT sectors, syncing between.
    // The caller then writes the header.
    Status writeGrowth();
    // Writes the changed FAT sectors.
    Status flushNewSectors() { return flush(); }

  protected:
    std::uint32_t tableSectorCount() const override { return m_header.numFatSectors(); }
    Status locate(std::uint32_t index, SectorId& out) override;

  private:
    struct DifatSector {
        SectorId where = kFreeSect;
        std::vector<SectorId> entries;
        bool dirty = false;
        bool isNew = false;
    };
    std::uint32_t difatSlots() const { return entriesPerSector() - 1; }
    Status difatSector(std::uint32_t index, DifatSector*& out);
    Status appendSector(SectorId& out);
    Status growthWasInterrupted(bool& out);
    Status addFatSector(SectorId where);
    Status addDifatSector();
    Status writeDifat(bool newSectors);

    Header& m_header;
    std::uint32_t m_nextAppend;
    std::vector<std::uint32_t> m_addedFatSectors;
    std::vector<DifatSector> m_difat;
    std::unordered_set<SectorId> m_difatSeen;
};

}  // namespace quorvel::storage::cfb
