// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/cfb_header.h"

#include <algorithm>

namespace quorvel::storage::cfb {
namespace {

constexpr std::array<unsigned char, 8> kSignature = {0xD0, 0xCF, 0x11, 0xE0,
                                                     0xA1, 0xB1, 0x1A, 0xE1};

}  // namespace

Status Header::parse(std::span<const std::byte> bytes, Header& out) {
    if (bytes.size() < kHeaderSize ||
        !std::equal(kSignature.begin(), kSignature.end(), bytes.begin(),
                    [](unsigned char a, std::byte b) { return std::byte{a} == b; })) {
        return Status::NotCompound;
    }
    std::copy_n(bytes.begin(), kHeaderSize, out.m_raw.begin());
    const std::uint16_t major = loadU16(out.m_raw, kMajorVersion);
    // Version 3 files with 1024- to 4096-byte sectors exist (image and test files);
    // the sector size alone decides the layout, so any size from 512 to 4096 is read.
    const unsigned shift = out.sectorShift();
    if ((major != 3 && major != 4) || loadU16(out.m_raw, kByteOrder) != 0xFFFE || shift < 9 ||
        shift > 12 || loadU16(out.m_raw, kMiniSectorShift) != 6) {
        return Status::Damaged;
    }
    return Status::Ok;
}

}  // namespace quorvel::storage::cfb
