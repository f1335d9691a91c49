// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/sector_file.h"

#include <algorithm>

namespace quorvel::storage::cfb {

std::uint32_t SectorFile::sectorCount() const {
    const std::uint64_t size = m_device.size();
    if (size <= m_sectorSize) {
        return 0;
    }
    const std::uint64_t count = (size - 1) / m_sectorSize;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(count, kMaxRegSect + 1ULL));
}

Status SectorFile::read(SectorId sector, std::uint32_t offset, std::span<std::byte> out) const {
    if (sector >= sectorCount() || offset > m_sectorSize) {
        return Status::Damaged;
    }
    const std::uint64_t at = offsetOf(sector) + offset;
    if (at + out.size() > m_device.size()) {
        return Status::Damaged;
    }
    return m_device.readAt(at, out) ? Status::Ok : Status::IoError;
}

Status SectorFile::readPadded(SectorId sector, std::span<std::byte> out, std::byte fill) const {
    if (sector >= sectorCount() || out.size() != m_sectorSize) {
        return Status::Damaged;
    }
    const std::uint64_t at = offsetOf(sector);
    const std::size_t present =
        static_cast<std::size_t>(std::min<std::uint64_t>(m_sectorSize, m_device.size() - at));
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(present), out.end(), fill);
    return m_device.readAt(at, out.first(present)) ? Status::Ok : Status::IoError;
}

Status SectorFile::write(SectorId sector, std::uint32_t offset, std::span<const std::byte> data) {
    if (sector > kMaxRegSect || offset > m_sectorSize) {
        return Status::Damaged;
    }
    return m_device.writeAt(offsetOf(sector) + offset, data) ? Status::Ok : Status::IoError;
}

Status SectorFile::writeHeader(std::span<const std::byte> header) {
    return m_device.writeAt(0, header) ? Status::Ok : Status::IoError;
}

Status SectorFile::sync() {
    return m_device.sync() ? Status::Ok : Status::IoError;
}

}  // namespace quorvel::storage::cfb
