// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "storage/cfb_format.h"
#include "storage/sector_file.h"
#include "storage/storage_status.h"

namespace quorvel::storage::cfb {

// An array of sector numbers stored in sectors of the file: the FAT (one entry per
// sector) or the MiniFAT (one entry per mini sector). Table sectors are read when an
// entry in them is first needed and kept; changes stay in memory until flush().
class AllocationTable {
  public:
    explicit AllocationTable(SectorFile& file)
        : m_file(file), m_entriesPerSector(file.sectorSize() / 4) {}
    virtual ~AllocationTable() = default;
    AllocationTable(const AllocationTable&) = delete;
    AllocationTable& operator=(const AllocationTable&) = delete;

    std::uint32_t entriesPerSector() const { return m_entriesPerSector; }
    std::uint64_t capacity() const {
        return static_cast<std::uint64_t>(tableSectorCount()) * m_entriesPerSector;
    }

    // The entry of `id`: the next sector of its chain or a marker; Damaged beyond the table.
    Status get(std::uint32_t id, SectorId& out);
    Status set(std::uint32_t id, SectorId value);
    // A free entry below `limit`, searched in the table sectors already held, then in
    // the last table sector, so that the cost does not grow with the file.
    Status findFree(std::uint32_t limit, std::uint32_t& out, bool& found);
    // Writes the table sectors changed since the last flush.
    Status flush();

  protected:
    virtual std::uint32_t tableSectorCount() const = 0;
    // Where table sector `index` is stored; Damaged when the file does not say.
    virtual Status locate(std::uint32_t index, SectorId& out) = 0;
    // Registers a new table sector (all entries free) stored in `where`.
    void addTableSector(std::uint32_t index, SectorId where);
    // Writes a held table sector with every entry but the FAT and DIFAT marks free.
    Status writeMarksOnly(std::uint32_t index);
    SectorFile& file() { return m_file; }

  private:
    struct TableSector {
        SectorId where = kFreeSect;
        std::vector<std::uint32_t> entries;
        bool dirty = false;
    };
    Status load(std::uint32_t index, TableSector*& out);

    SectorFile& m_file;
    std::uint32_t m_entriesPerSector;
    std::map<std::uint32_t, TableSector> m_sectors;
    std::uint64_t m_searchFrom = 0;
};

}  // namespace quorvel::storage::cfb
