// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/mini_fat.h"

namespace quorvel::storage::cfb {

Status MiniFat::locate(std::uint32_t index, SectorId& out) {
    if (index >= m_count) {
        return Status::Damaged;
    }
    return m_chain.sectorAt(index, m_fat, file().sectorCount(), out);
}

Status MiniFat::grow(std::vector<ChainLink>& links) {
    SectorId last = kEndOfChain;
    if (m_count > 0) {
        if (const Status s = locate(m_count - 1, last); s != Status::Ok) {
            return s;
        }
    }
    SectorId where = kFreeSect;
    if (const Status s = m_fat.allocate(where); s != Status::Ok) {
        return s;
    }
    if (m_count == 0) {
        m_first = where;
    } else {
        links.push_back({last, where});
    }
    m_chain.append(where);
    addTableSector(m_count, where);
    ++m_count;
    return Status::Ok;
}

}  // namespace quorvel::storage::cfb
