// SPDX-License-Identifier: GPL-3.0-or-later
#include "cfb_builder.h"

#include <algorithm>
#include <functional>

#include "io/memory_device.h"
#include "storage/entry_name.h"

namespace quorvel::storage::test {
namespace {

constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kEnd = 0xFFFFFFFE;
constexpr std::uint32_t kFatMark = 0xFFFFFFFD;
constexpr std::uint32_t kDifatMark = 0xFFFFFFFC;
constexpr std::uint32_t kNone = 0xFFFFFFFF;

std::uint64_t ceilDiv(std::uint64_t a, std::uint64_t b) {
    return (a + b - 1) / b;
}

void put(std::vector<std::byte>& bytes, std::uint64_t at, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes[at + i] = static_cast<std::byte>((value >> (8 * i)) & 0xFF);
    }
}

// Chains `count` sectors from `first` in the FAT; gives the first or end of chain.
std::uint32_t chain(std::vector<std::uint32_t>& fat, std::uint32_t first, std::uint64_t count) {
    for (std::uint64_t i = 0; i < count; ++i) {
        fat[first + i] = i + 1 < count ? static_cast<std::uint32_t>(first + i + 1) : kEnd;
    }
    return count == 0 ? kEnd : first;
}

}  // namespace

void putU16(std::vector<std::byte>& bytes, std::uint64_t at, std::uint16_t value) {
    put(bytes, at, value, 2);
}
void putU32(std::vector<std::byte>& bytes, std::uint64_t at, std::uint32_t value) {
    put(bytes, at, value, 4);
}

std::vector<std::byte> bytesOf(std::string_view text) {
    std::vector<std::byte> out(text.size());
    std::transform(text.begin(), text.end(), out.begin(),
                   [](char c) { return static_cast<std::byte>(c); });
    return out;
}

std::vector<std::byte> patternBytes(std::size_t size, unsigned seed) {
    std::vector<std::byte> out(size);
    std::uint32_t state = seed * 2654435761U + 1;
    for (std::byte& b : out) {
        state = state * 1103515245U + 12345U;
        b = static_cast<std::byte>(state >> 24);
    }
    return out;
}

TestFileLayout buildCompoundFile(const TestFilePlan& plan, io::BlockDevice& out) {
    const std::uint32_t sectorSize = 1U << plan.sectorShift;
    const std::uint32_t perFat = sectorSize / 4;
    const std::size_t n = plan.streams.size();
    auto sizeOf = [](const TestStream& s) { return s.holeSize ? s.holeSize : s.data.size(); };

    std::uint64_t miniSectors = 0;
    std::uint64_t bigSectors = 0;
    for (const TestStream& s : plan.streams) {
        if (sizeOf(s) < 4096) {
            miniSectors += ceilDiv(sizeOf(s), 64);
        } else {
            bigSectors += ceilDiv(sizeOf(s), sectorSize);
        }
    }
    const std::uint64_t dirSectors = ceilDiv(n + 1, sectorSize / 128);
    const std::uint64_t miniFatSectors = ceilDiv(miniSectors, perFat);
    const std::uint64_t miniStreamSectors = ceilDiv(miniSectors * 64, sectorSize);
    const std::uint64_t content =
        dirSectors + miniFatSectors + miniStreamSectors + bigSectors + plan.freeSectors;
    std::uint64_t fatSectors = 1;
    std::uint64_t difatSectors = 0;
    for (;;) {
        const std::uint64_t total = content + fatSectors + difatSectors;
        const std::uint64_t needFat = ceilDiv(total, perFat);
        const std::uint64_t needDifat = needFat > 109 ? ceilDiv(needFat - 109, perFat - 1) : 0;
        if (needFat == fatSectors && needDifat == difatSectors) {
            break;
        }
        fatSectors = needFat;
        difatSectors = needDifat;
    }
    const std::uint64_t total = content + fatSectors + difatSectors;
    std::vector<std::uint32_t> fat(fatSectors * perFat, kFree);
    for (std::uint32_t i = 0; i < fatSectors; ++i) {
        fat[i] = kFatMark;
    }
    for (std::uint64_t i = 0; i < difatSectors; ++i) {
        fat[fatSectors + i] = kDifatMark;
    }
    auto next = static_cast<std::uint32_t>(fatSectors + difatSectors);
    const std::uint32_t firstDir = chain(fat, next, dirSectors);
    next += static_cast<std::uint32_t>(dirSectors);
    const std::uint32_t firstMiniFat = chain(fat, next, miniFatSectors);
    next += static_cast<std::uint32_t>(miniFatSectors);
    const std::uint32_t firstMiniStream = chain(fat, next, miniStreamSectors);
    const std::uint32_t miniStreamSector = next;
    next += static_cast<std::uint32_t>(miniStreamSectors);

    std::vector<std::byte> sector(sectorSize);
    auto writeSector = [&](std::uint32_t id, const std::vector<std::byte>& bytes) {
        out.writeAt((static_cast<std::uint64_t>(id) + 1) * sectorSize, bytes);
    };

    // Directory entries and the streams' content.
    std::vector<std::byte> dir(dirSectors * sectorSize, std::byte{0});
    for (std::uint64_t e = 0; e < dir.size() / 128; ++e) {
        put(dir, e * 128 + 68, kNone, 4);
        put(dir, e * 128 + 72, kNone, 4);
        put(dir, e * 128 + 76, kNone, 4);
    }
    auto setName = [&](std::size_t entry, std::u16string_view name, int type) {
        for (std::size_t i = 0; i < name.size(); ++i) {
            put(dir, entry * 128 + 2 * i, name[i], 2);
        }
        put(dir, entry * 128 + 64, name.size() * 2 + 2, 2);
        dir[entry * 128 + 66] = static_cast<std::byte>(type);
        dir[entry * 128 + 67] = std::byte{1};
    };
    setName(0, u"Root Entry", 5);
    put(dir, 116, miniSectors ? firstMiniStream : kEnd, 4);
    put(dir, 120, miniSectors * 64, 8);
    std::vector<std::uint32_t> miniFat(miniFatSectors * perFat, kFree);
    std::vector<std::byte> miniStream(miniStreamSectors * sectorSize, std::byte{0});
    std::uint32_t nextMini = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const TestStream& s = plan.streams[i];
        const std::size_t entry = i + 1;
        setName(entry, s.name, 2);
        put(dir, entry * 128 + 120, sizeOf(s), 8);
        if (sizeOf(s) < 4096) {
            const std::uint64_t count = ceilDiv(sizeOf(s), 64);
            put(dir, entry * 128 + 116, chain(miniFat, nextMini, count), 4);
            std::copy(s.data.begin(), s.data.end(), miniStream.begin() + nextMini * 64);
            nextMini += static_cast<std::uint32_t>(count);
        } else {
            const std::uint64_t count = ceilDiv(sizeOf(s), sectorSize);
            put(dir, entry * 128 + 116, chain(fat, next, count), 4);
            if (!s.data.empty()) {
                std::vector<std::byte> padded = s.data;
                padded.resize(count * sectorSize);
                writeSector(next, padded);
            }
            next += static_cast<std::uint32_t>(count);
        }
    }
    // Root children: a balanced tree over the names in the format's order.
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i) {
        order[i] = i + 1;
    }
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return cfb::compareEntryNames(plan.streams[a - 1].name, plan.streams[b - 1].name) < 0;
    });
    std::function<std::uint32_t(std::size_t, std::size_t)> tree = [&](std::size_t from,
                                                                      std::size_t to) {
        if (from >= to) {
            return kNone;
        }
        const std::size_t middle = (from + to) / 2;
        const std::size_t entry = order[middle];
        put(dir, entry * 128 + 68, tree(from, middle), 4);
        put(dir, entry * 128 + 72, tree(middle + 1, to), 4);
        return static_cast<std::uint32_t>(entry);
    };
    put(dir, 76, tree(0, n), 4);

    std::vector<std::byte> header(512, std::byte{0});
    const unsigned char signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    for (int i = 0; i < 8; ++i) {
        header[i] = std::byte{signature[i]};
    }
    put(header, 24, 0x3E, 2);
    put(header, 26, plan.majorVersion, 2);
    put(header, 28, 0xFFFE, 2);
    put(header, 30, plan.sectorShift, 2);
    put(header, 32, 6, 2);
    put(header, 40, plan.majorVersion == 4 ? dirSectors : 0, 4);
    put(header, 44, fatSectors, 4);
    put(header, 48, firstDir, 4);
    put(header, 56, 4096, 4);
    put(header, 60, firstMiniFat, 4);
    put(header, 64, miniFatSectors, 4);
    put(header, 68, difatSectors ? static_cast<std::uint32_t>(fatSectors) : kEnd, 4);
    put(header, 72, difatSectors, 4);
    for (std::uint32_t i = 0; i < 109; ++i) {
        put(header, 76 + 4 * i, i < fatSectors ? i : kFree, 4);
    }
    std::vector<std::byte> first(sectorSize, std::byte{0});
    std::copy(header.begin(), header.end(), first.begin());
    out.writeAt(0, first);

    for (std::uint64_t d = 0; d < difatSectors; ++d) {
        std::vector<std::byte> bytes(sectorSize);
        for (std::uint32_t i = 0; i + 1 < perFat; ++i) {
            const std::uint64_t fatIndex = 109 + d * (perFat - 1) + i;
            put(bytes, 4 * i, fatIndex < fatSectors ? fatIndex : kFree, 4);
        }
        put(bytes, 4 * (perFat - 1), d + 1 < difatSectors ? fatSectors + d + 1 : kEnd, 4);
        writeSector(static_cast<std::uint32_t>(fatSectors + d), bytes);
    }
    std::vector<std::byte> fatBytes(fat.size() * 4);
    for (std::size_t i = 0; i < fat.size(); ++i) {
        put(fatBytes, 4 * i, fat[i], 4);
    }
    out.writeAt(sectorSize, fatBytes);
    writeSector(firstDir, dir);
    if (miniFatSectors) {
        std::vector<std::byte> bytes(miniFat.size() * 4);
        for (std::size_t i = 0; i < miniFat.size(); ++i) {
            put(bytes, 4 * i, miniFat[i], 4);
        }
        writeSector(firstMiniFat, bytes);
    }
    if (miniStreamSectors) {
        writeSector(miniStreamSector, miniStream);
    }
    if (out.size() < (total + 1) * sectorSize) {
        const std::vector<std::byte> lastByte(1);
        out.writeAt((total + 1) * sectorSize - 1, lastByte);
    }

    TestFileLayout layout;
    layout.sectorSize = sectorSize;
    layout.firstDirSector = firstDir;
    layout.firstMiniFatSector = firstMiniFat;
    layout.fatSectors = static_cast<std::uint32_t>(fatSectors);
    layout.sectorCount = static_cast<std::uint32_t>(total);
    return layout;
}

std::vector<std::byte> buildCompoundFile(const TestFilePlan& plan) {
    io::MemoryDevice device;
    buildCompoundFile(plan, device);
    return device.bytes();
}

}  // namespace quorvel::storage::test
