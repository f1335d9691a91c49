// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/fat.h"

#include <algorithm>

namespace quorvel::storage::cfb {

Fat::Fat(SectorFile& file, Header& header)
    : AllocationTable(file), m_header(header), m_nextAppend(file.sectorCount()) {}

Status Fat::locate(std::uint32_t index, SectorId& out) {
    if (index >= m_header.numFatSectors()) {
        return Status::Damaged;
    }
    if (index < kHeaderDifatEntries) {
        out = m_header.difatEntry(index);
        return Status::Ok;
    }
    const std::uint32_t rest = index - static_cast<std::uint32_t>(kHeaderDifatEntries);
    DifatSector* sector = nullptr;
    if (const Status s = difatSector(rest / difatSlots(), sector); s != Status::Ok) {
        return s;
    }
    out = sector->entries[rest % difatSlots()];
    return Status::Ok;
}

// DIFAT sectors are chained through their last entry (MS-CFB 2.5); the header's count
// bounds the walk.
Status Fat::difatSector(std::uint32_t index, DifatSector*& out) {
    if (index >= m_header.numDifatSectors()) {
        return Status::Damaged;
    }
    while (m_difat.size() <= index) {
        const SectorId next =
            m_difat.empty() ? m_header.firstDifatSector() : m_difat.back().entries[difatSlots()];
        if (next >= file().sectorCount() || !m_difatSeen.insert(next).second) {
            return Status::Damaged;
        }
        std::vector<std::byte> raw(file().sectorSize());
        if (const Status s = file().readPadded(next, raw, std::byte{0xFF}); s != Status::Ok) {
            return s;
        }
        DifatSector sector{next, std::vector<SectorId>(entriesPerSector()), false, false};
        for (std::uint32_t i = 0; i < entriesPerSector(); ++i) {
            sector.entries[i] = loadU32(raw, 4 * i);
        }
        m_difat.push_back(std::move(sector));
    }
    out = &m_difat[index];
    return Status::Ok;
}

Status Fat::allocate(SectorId& out) {
    bool found = false;
    if (const Status s = findFree(file().sectorCount(), out, found); s != Status::Ok) {
        return s;
    }
    if (!found) {
        if (const Status s = appendSector(out); s != Status::Ok) {
            return s;
        }
    }
    return set(out, kEndOfChain);
}

// The next sector past the end of the file whose FAT entry is free; a sector past
// the FAT's reach becomes a new FAT sector first.
Status Fat::appendSector(SectorId& out) {
    for (;;) {
        if (m_nextAppend > kMaxRegSect) {
            return Status::Damaged;
        }
        if (m_nextAppend > capacity()) {
            bool orphaned = false;
            if (const Status s = growthWasInterrupted(orphaned); s != Status::Ok) {
                return s;
            }
            // Other sectors beyond the FAT's reach cannot be described safely.
            if (!orphaned) {
                return Status::Damaged;
            }
            m_nextAppend = static_cast<std::uint32_t>(capacity());
        }
        const SectorId candidate = m_nextAppend++;
        if (candidate == capacity()) {
            if (const Status s = addFatSector(candidate); s != Status::Ok) {
                return s;
            }
            continue;
        }
        SectorId entry = kFreeSect;
        if (const Status s = get(candidate, entry); s != Status::Ok) {
            return s;
        }
        if (entry == kFreeSect) {
            out = candidate;
            return Status::Ok;
        }
    }
}

// A FAT growth stopped before its header write leaves, where the FAT ends, a FAT
// sector that marks only itself (and FAT or DIFAT sectors after it). Nothing names
// what lies beyond, so appending may start there again.
Status Fat::growthWasInterrupted(bool& out) {
    const auto first = static_cast<SectorId>(capacity());
    std::vector<std::byte> raw(file().sectorSize());
    if (const Status s = file().readPadded(first, raw, std::byte{0xFF}); s != Status::Ok) {
        return s;
    }
    out = loadU32(raw, 0) == kFatSect;
    for (std::uint32_t i = 1; i < entriesPerSector() && out; ++i) {
        const SectorId entry = loadU32(raw, 4 * i);
        out = entry == kFreeSect || entry == kFatSect || entry == kDifSect;
    }
    return Status::Ok;
}

Status Fat::addFatSector(SectorId where) {
    const std::uint32_t index = m_header.numFatSectors();
    addTableSector(index, where);
    m_addedFatSectors.push_back(index);
    m_header.setNumFatSectors(index + 1);
    if (const Status s = set(where, kFatSect); s != Status::Ok) {
        return s;
    }
    if (index < kHeaderDifatEntries) {
        m_header.setDifatEntry(index, where);
        return Status::Ok;
    }
    const std::uint32_t rest = index - static_cast<std::uint32_t>(kHeaderDifatEntries);
    if (rest / difatSlots() >= m_header.numDifatSectors()) {
        if (const Status s = addDifatSector(); s != Status::Ok) {
            return s;
        }
    }
    DifatSector* sector = nullptr;
    if (const Status s = difatSector(rest / difatSlots(), sector); s != Status::Ok) {
        return s;
    }
    sector->entries[rest % difatSlots()] = where;
    sector->dirty = true;
    return Status::Ok;
}

Status Fat::addDifatSector() {
    const std::uint32_t count = m_header.numDifatSectors();
    SectorId where = kFreeSect;
    if (const Status s = appendSector(where); s != Status::Ok) {
        return s;
    }
    if (const Status s = set(where, kDifSect); s != Status::Ok) {
        return s;
    }
    if (count > 0) {
        DifatSector* previous = nullptr;
        if (const Status s = difatSector(count - 1, previous); s != Status::Ok) {
            return s;
        }
        previous->entries[difatSlots()] = where;
        previous->dirty = true;
    }
    DifatSector sector{where, std::vector<SectorId>(entriesPerSector(), kFreeSect), true, true};
    sector.entries[difatSlots()] = kEndOfChain;
    m_header.setDifatChain(count == 0 ? where : m_header.firstDifatSector(), count + 1);
    m_difat.push_back(std::move(sector));
    m_difatSeen.insert(where);
    return Status::Ok;
}

Status Fat::writeDifat(bool newSectors) {
    std::vector<std::byte> raw(file().sectorSize());
    for (DifatSector& sector : m_difat) {
        if (!sector.dirty || sector.isNew != newSectors) {
            continue;
        }
        for (std::uint32_t i = 0; i < entriesPerSector(); ++i) {
            storeU32(raw, 4 * i, sector.entries[i]);
        }
        if (const Status s = file().write(sector.where, 0, raw); s != Status::Ok) {
            return s;
        }
        sector.dirty = false;
    }
    return Status::Ok;
}

Status Fat::writeGrowth() {
    if (m_addedFatSectors.empty()) {
        return Status::Ok;
    }
    for (const std::uint32_t index : m_addedFatSectors) {
        if (const Status s = writeMarksOnly(index); s != Status::Ok) {
            return s;
        }
    }
    Status s = writeDifat(true);
    s = s == Status::Ok ? file().sync() : s;
    s = s == Status::Ok ? writeDifat(false) : s;
    s = s == Status::Ok ? file().sync() : s;
    if (s == Status::Ok) {
        m_addedFatSectors.clear();
        for (DifatSector& sector : m_difat) {
            sector.isNew = false;
        }
    }
    return s;
}

}  // namespace quorvel::storage::cfb
