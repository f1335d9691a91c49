// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/allocation_table.h"

namespace quorvel::storage::cfb {

Status AllocationTable::load(std::uint32_t index, TableSector*& out) {
    if (const auto it = m_sectors.find(index); it != m_sectors.end()) {
        out = &it->second;
        return Status::Ok;
    }
    SectorId where = kFreeSect;
    if (const Status s = locate(index, where); s != Status::Ok) {
        return s;
    }
    std::vector<std::byte> raw(m_file.sectorSize());
    // Entries missing at a cut-short end of file read as free.
    if (const Status s = m_file.readPadded(where, raw, std::byte{0xFF}); s != Status::Ok) {
        return s;
    }
    TableSector sector{where, std::vector<std::uint32_t>(m_entriesPerSector), false};
    for (std::uint32_t i = 0; i < m_entriesPerSector; ++i) {
        sector.entries[i] = loadU32(raw, 4 * i);
    }
    out = &m_sectors.emplace(index, std::move(sector)).first->second;
    return Status::Ok;
}

Status AllocationTable::get(std::uint32_t id, SectorId& out) {
    if (id >= capacity()) {
        return Status::Damaged;
    }
    TableSector* sector = nullptr;
    if (const Status s = load(id / m_entriesPerSector, sector); s != Status::Ok) {
        return s;
    }
    out = sector->entries[id % m_entriesPerSector];
    return Status::Ok;
}

Status AllocationTable::set(std::uint32_t id, SectorId value) {
    if (id >= capacity()) {
        return Status::Damaged;
    }
    TableSector* sector = nullptr;
    if (const Status s = load(id / m_entriesPerSector, sector); s != Status::Ok) {
        return s;
    }
    sector->entries[id % m_entriesPerSector] = value;
    sector->dirty = true;
    if (value == kFreeSect && id < m_searchFrom) {
        m_searchFrom = id;
    }
    return Status::Ok;
}

Status AllocationTable::findFree(std::uint32_t limit, std::uint32_t& out, bool& found) {
    found = false;
    // Entries below m_searchFrom are known to be in use; set() lowers it on a free.
    auto search = [&] {
        const auto first = static_cast<std::uint32_t>(m_searchFrom / m_entriesPerSector);
        for (auto it = m_sectors.lower_bound(first); it != m_sectors.end() && !found; ++it) {
            const std::uint64_t base = static_cast<std::uint64_t>(it->first) * m_entriesPerSector;
            for (std::uint32_t i = 0; i < m_entriesPerSector && base + i < limit; ++i) {
                if (base + i >= m_searchFrom && it->second.entries[i] == kFreeSect) {
                    out = static_cast<std::uint32_t>(base + i);
                    m_searchFrom = base + i;
                    found = true;
                    break;
                }
            }
        }
    };
    search();
    if (found || tableSectorCount() == 0 || m_sectors.count(tableSectorCount() - 1) != 0) {
        return Status::Ok;
    }
    TableSector* last = nullptr;
    if (const Status s = load(tableSectorCount() - 1, last); s != Status::Ok) {
        return s;
    }
    search();
    return Status::Ok;
}

Status AllocationTable::flush() {
    std::vector<std::byte> raw(m_file.sectorSize());
    for (auto& [index, sector] : m_sectors) {
        if (!sector.dirty) {
            continue;
        }
        for (std::uint32_t i = 0; i < m_entriesPerSector; ++i) {
            storeU32(raw, 4 * i, sector.entries[i]);
        }
        if (const Status s = m_file.write(sector.where, 0, raw); s != Status::Ok) {
            return s;
        }
        sector.dirty = false;
    }
    return Status::Ok;
}

Status AllocationTable::writeMarksOnly(std::uint32_t index) {
    const TableSector& sector = m_sectors.at(index);
    std::vector<std::byte> raw(m_file.sectorSize());
    for (std::uint32_t i = 0; i < m_entriesPerSector; ++i) {
        const SectorId entry = sector.entries[i];
        storeU32(raw, 4 * i, entry == kFatSect || entry == kDifSect ? entry : kFreeSect);
    }
    return m_file.write(sector.where, 0, raw);
}

void AllocationTable::addTableSector(std::uint32_t index, SectorId where) {
    m_sectors[index] =
        TableSector{where, std::vector<std::uint32_t>(m_entriesPerSector, kFreeSect), true};
}

}  // namespace quorvel::storage::cfb
