// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/mini_stream.h"

namespace quorvel::storage::cfb {

Status MiniStream::sectorFor(std::uint64_t position, std::size_t length, SectorId& out) {
    const std::uint32_t sectorSize = m_file.sectorSize();
    if (position > m_size || length > m_size - position ||
        position % sectorSize + length > sectorSize) {
        return Status::Damaged;
    }
    return m_chain.sectorAt(static_cast<std::uint32_t>(position / sectorSize), m_fat,
                            m_file.sectorCount(), out);
}

Status MiniStream::read(std::uint64_t position, std::span<std::byte> out) {
    SectorId sector = kFreeSect;
    if (const Status s = sectorFor(position, out.size(), sector); s != Status::Ok) {
        return s;
    }
    return m_file.read(sector, static_cast<std::uint32_t>(position % m_file.sectorSize()), out);
}

Status MiniStream::write(std::uint64_t position, std::span<const std::byte> data) {
    SectorId sector = kFreeSect;
    if (const Status s = sectorFor(position, data.size(), sector); s != Status::Ok) {
        return s;
    }
    return m_file.write(sector, static_cast<std::uint32_t>(position % m_file.sectorSize()), data);
}

Status MiniStream::grow(std::uint64_t size, std::vector<ChainLink>& links) {
    const std::uint32_t sectorSize = m_file.sectorSize();
    const std::uint64_t have = (m_size + sectorSize - 1) / sectorSize;
    const std::uint64_t need = (size + sectorSize - 1) / sectorSize;
    SectorId last = kEndOfChain;
    if (have > 0) {
        if (const Status s = m_chain.sectorAt(static_cast<std::uint32_t>(have - 1), m_fat,
                                              m_file.sectorCount(), last);
            s != Status::Ok) {
            return s;
        }
        if (m_chain.sectors().size() != have) {
            return Status::Damaged;
        }
    }
    for (std::uint64_t i = have; i < need; ++i) {
        SectorId added = kFreeSect;
        if (const Status s = m_fat.allocate(added); s != Status::Ok) {
            return s;
        }
        if (last == kEndOfChain) {
            m_start = added;
        } else if (i == have) {
            // The old end of the chain: linked only after the new sectors are written.
            links.push_back({last, added});
        } else if (const Status s = m_fat.set(last, added); s != Status::Ok) {
            return s;
        }
        m_chain.append(added);
        m_added.push_back(added);
        last = added;
    }
    m_size = size;
    return Status::Ok;
}

Status MiniStream::writeNewSectors() {
    const std::vector<std::byte> zeros(m_file.sectorSize());
    for (const SectorId sector : m_added) {
        if (const Status s = m_file.write(sector, 0, zeros); s != Status::Ok) {
            return s;
        }
    }
    m_added.clear();
    return Status::Ok;
}

}  // namespace quorvel::storage::cfb
