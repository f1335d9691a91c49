// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Constants and little-endian field access of the compound file binary format (MS-CFB).
namespace quorvel::storage::cfb {

using SectorId = std::uint32_t;

inline constexpr SectorId kMaxRegSect = 0xFFFFFFFA;  // MAXREGSECT: highest regular sector number
inline constexpr SectorId kDifSect = 0xFFFFFFFC;     // DIFSECT: the sector holds part of the DIFAT
inline constexpr SectorId kFatSect = 0xFFFFFFFD;     // FATSECT: the sector holds part of the FAT
inline constexpr SectorId kEndOfChain = 0xFFFFFFFE;  // ENDOFCHAIN: last sector of a chain
inline constexpr SectorId kFreeSect = 0xFFFFFFFF;    // FREESECT: unallocated sector

inline constexpr std::uint32_t kMaxRegSid = 0xFFFFFFFA;  // MAXREGSID: highest directory entry id
inline constexpr std::uint32_t kNoStream = 0xFFFFFFFF;   // NOSTREAM: no sibling or child

inline constexpr std::size_t kHeaderSize = 512;
inline constexpr std::size_t kHeaderDifatEntries = 109;  // DIFAT entries inside the header
inline constexpr std::size_t kDirEntrySize = 128;
inline constexpr std::uint32_t kMiniSectorSize = 64;
// Streams shorter than this live in the mini stream. Every writer uses 4096 and the
// reference implementation ignores the header field, so the header value is not used.
inline constexpr std::uint64_t kMiniStreamCutoff = 4096;

// Callers pass offsets inside fixed-size structures (header, directory entry, sector).
inline std::uint16_t loadU16(std::span<const std::byte> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(bytes[at]) |
                                      std::to_integer<unsigned>(bytes[at + 1]) << 8);
}

inline std::uint32_t loadU32(std::span<const std::byte> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(loadU16(bytes, at)) |
           static_cast<std::uint32_t>(loadU16(bytes, at + 2)) << 16;
}

inline std::uint64_t loadU64(std::span<const std::byte> bytes, std::size_t at) {
    return static_cast<std::uint64_t>(loadU32(bytes, at)) |
           static_cast<std::uint64_t>(loadU32(bytes, at + 4)) << 32;
}

inline void storeU16(std::span<std::byte> bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::byte>(value & 0xFF);
    bytes[at + 1] = static_cast<std::byte>(value >> 8);
}

inline void storeU32(std::span<std::byte> bytes, std::size_t at, std::uint32_t value) {
    storeU16(bytes, at, static_cast<std::uint16_t>(value & 0xFFFF));
    storeU16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

inline void storeU64(std::span<std::byte> bytes, std::size_t at, std::uint64_t value) {
    storeU32(bytes, at, static_cast<std::uint32_t>(value & 0xFFFFFFFF));
    storeU32(bytes, at + 4, static_cast<std::uint32_t>(value >> 32));
}

}  // namespace quorvel::storage::cfb
