// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "storage/cfb_format.h"
#include "storage/storage_status.h"

namespace quorvel::storage::cfb {

// The 512-byte file header (MS-CFB 2.2). Fields are read from and written into the
// raw bytes, so that fields this code does not know are kept as they are.
class Header {
  public:
    // NotCompound for fewer than 512 bytes or a wrong signature, Damaged for
    // impossible field values, else Ok.
    static Status parse(std::span<const std::byte> bytes, Header& out);

    std::span<const std::byte> bytes() const { return m_raw; }
    bool isVersion3() const { return loadU16(m_raw, kMajorVersion) == 3; }
    unsigned sectorShift() const { return loadU16(m_raw, kSectorShift); }
    std::uint32_t sectorSize() const { return 1U << sectorShift(); }

    std::uint32_t numDirSectors() const { return loadU32(m_raw, kNumDirSectors); }
    std::uint32_t numFatSectors() const { return loadU32(m_raw, kNumFatSectors); }
    SectorId firstDirSector() const { return loadU32(m_raw, kFirstDirSector); }
    SectorId firstMiniFatSector() const { return loadU32(m_raw, kFirstMiniFatSector); }
    std::uint32_t numMiniFatSectors() const { return loadU32(m_raw, kNumMiniFatSectors); }
    SectorId firstDifatSector() const { return loadU32(m_raw, kFirstDifatSector); }
    std::uint32_t numDifatSectors() const { return loadU32(m_raw, kNumDifatSectors); }
    SectorId difatEntry(std::size_t index) const { return loadU32(m_raw, kDifat + 4 * index); }

    void setNumDirSectors(std::uint32_t n) { storeU32(m_raw, kNumDirSectors, n); }
    void setNumFatSectors(std::uint32_t n) { storeU32(m_raw, kNumFatSectors, n); }
    void setMiniFat(SectorId first, std::uint32_t count) {
        storeU32(m_raw, kFirstMiniFatSector, first);
        storeU32(m_raw, kNumMiniFatSectors, count);
    }
    void setDifatChain(SectorId first, std::uint32_t count) {
        storeU32(m_raw, kFirstDifatSector, first);
        storeU32(m_raw, kNumDifatSectors, count);
    }
    void setDifatEntry(std::size_t index, SectorId sector) {
        storeU32(m_raw, kDifat + 4 * index, sector);
    }

  private:
    static constexpr std::size_t kMajorVersion = 26;
    static constexpr std::size_t kByteOrder = 28;
    static constexpr std::size_t kSectorShift = 30;
    static constexpr std::size_t kMiniSectorShift = 32;
    static constexpr std::size_t kNumDirSectors = 40;
    static constexpr std::size_t kNumFatSectors = 44;
    static constexpr std::size_t kFirstDirSector = 48;
    static constexpr std::size_t kFirstMiniFatSector = 60;
    static constexpr std::size_t kNumMiniFatSectors = 64;
    static constexpr std::size_t kFirstDifatSector = 68;
    static constexpr std::size_t kNumDifatSectors = 72;
    static constexpr std::size_t kDifat = 76;
    static_assert(kDifat + 4 * kHeaderDifatEntries == kHeaderSize);

    std::array<std::byte, kHeaderSize> m_raw{};
};

}  // namespace quorvel::storage::cfb
