// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/block_device.h"

namespace quorvel::storage::test {

// A stream of a file made by the builder. A stream with `holeSize` set takes that
// many bytes of sectors whose content is never written (sparse test files).
struct TestStream {
    std::u16string name;
    std::vector<std::byte> data;
    std::uint64_t holeSize = 0;
};

struct TestFilePlan {
    std::vector<TestStream> streams;
    unsigned sectorShift = 9;
    std::uint16_t majorVersion = 3;
    std::uint32_t freeSectors = 0;  // free sectors added at the end of the file
};

// Where the builder put things, for tests that break one field.
struct TestFileLayout {
    std::uint32_t sectorSize = 0;
    std::uint32_t firstDirSector = 0;
    std::uint32_t firstMiniFatSector = 0;
    std::uint32_t fatSectors = 0;
    std::uint32_t sectorCount = 0;
    std::uint64_t offsetOf(std::uint32_t sector) const {
        return (static_cast<std::uint64_t>(sector) + 1) * sectorSize;
    }
    // Entry 0 is the root; streams follow in the order given.
    std::uint64_t entryOffset(std::uint32_t entry) const {
        return offsetOf(firstDirSector) + 128ULL * entry;
    }
};

// Writes a valid compound file: FAT (and DIFAT) first, then the directory (root
// children in a balanced tree, all black), MiniFAT, mini stream and big streams.
TestFileLayout buildCompoundFile(const TestFilePlan& plan, io::BlockDevice& out);
std::vector<std::byte> buildCompoundFile(const TestFilePlan& plan);

std::vector<std::byte> bytesOf(std::string_view text);
std::vector<std::byte> patternBytes(std::size_t size, unsigned seed);
void putU16(std::vector<std::byte>& bytes, std::uint64_t at, std::uint16_t value);
void putU32(std::vector<std::byte>& bytes, std::uint64_t at, std::uint32_t value);

}  // namespace quorvel::storage::test
