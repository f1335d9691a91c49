// SPDX-License-Identifier: GPL-3.0-or-later
// Copy-on-write replacement and creation of streams. Every step leaves a file that
// opens with the old or the new content:
//   0. when allocation went past the end of the FAT: the new FAT sectors (free but
//      for their own marks), DIFAT sectors and the header, so that no data is ever
//      written beyond the FAT's reach;
//   1. new data, new table and directory sectors and table entries for new sectors,
//      none of them reachable yet from anything the file already uses;
//   2. links from the ends of existing chains (mini stream, MiniFAT, directory)
//      to their new sectors, making those chains longer than their sizes say;
//   3. the header's MiniFAT and directory sizes, then the root entry's mini stream size;
//   4. the switch: one directory sector write naming the new content;
//   5. the old sectors are freed.
// A sync separates the steps.
#include <algorithm>

#include "storage/compound_file.h"
#include "storage/compound_file_impl.h"

namespace quorvel::storage {

using namespace cfb;

namespace {

constexpr std::size_t kMaxNameLength = 31;  // 64 bytes with the terminating null

bool validStreamName(std::u16string_view name) {
    return !name.empty() && name.size() <= kMaxNameLength &&
           name.find_first_of(u"/\\:!") == std::u16string_view::npos;
}

}  // namespace

Status CompoundFile::Impl::placeContent(std::span<const std::byte> data, Placement& out) {
    out = Placement{kEndOfChain, data.size()};
    nextMiniAppend =
        static_cast<std::uint32_t>((miniStream->size() + kMiniSectorSize - 1) / kMiniSectorSize);
    if (data.empty()) {
        return Status::Ok;
    }
    return data.size() < kMiniStreamCutoff ? placeMiniSectors(data, out) : placeSectors(data, out);
}

Status CompoundFile::Impl::placeSectors(std::span<const std::byte> data, Placement& out) {
    const std::uint32_t sectorSize = file->sectorSize();
    const std::uint64_t count = (data.size() + sectorSize - 1) / sectorSize;
    if (count > kMaxRegSect) {
        return Status::TooLarge;
    }
    std::vector<SectorId> sectors(count);
    for (SectorId& sector : sectors) {
        if (const Status s = fat->allocate(sector); s != Status::Ok) {
            return s;
        }
    }
    if (const Status s = growFat(); s != Status::Ok) {
        return s;
    }
    // One write per run of consecutive sectors; the last sector is padded with zeros.
    for (std::size_t i = 0; i < sectors.size();) {
        std::size_t j = i + 1;
        while (j < sectors.size() && sectors[j] == sectors[j - 1] + 1) {
            ++j;
        }
        const std::size_t from = i * sectorSize;
        const std::size_t to = std::min(data.size(), j * sectorSize);
        std::vector<std::byte> run(data.begin() + static_cast<std::ptrdiff_t>(from),
                                   data.begin() + static_cast<std::ptrdiff_t>(to));
        run.resize((j - i) * sectorSize);
        if (const Status s = file->write(sectors[i], 0, run); s != Status::Ok) {
            return s;
        }
        i = j;
    }
    for (std::size_t i = 0; i + 1 < sectors.size(); ++i) {
        if (const Status s = fat->set(sectors[i], sectors[i + 1]); s != Status::Ok) {
            return s;
        }
    }
    out.start = sectors.front();
    return Status::Ok;
}

Status CompoundFile::Impl::allocateMiniSector(SectorId& out) {
    bool found = false;
    if (const Status s = miniFat->findFree(miniStream->wholeSectors(), out, found);
        s != Status::Ok) {
        return s;
    }
    if (!found) {
        out = nextMiniAppend++;
        if (out > kMaxRegSect) {
            return Status::TooLarge;
        }
        while (out >= miniFat->capacity()) {
            if (const Status s = miniFat->grow(links); s != Status::Ok) {
                return s;
            }
        }
        const std::uint64_t end = (static_cast<std::uint64_t>(out) + 1) * kMiniSectorSize;
        if (end > miniStream->size()) {
            if (const Status s = miniStream->grow(end, links); s != Status::Ok) {
                return s;
            }
        }
    }
    return miniFat->set(out, kEndOfChain);
}

Status CompoundFile::Impl::placeMiniSectors(std::span<const std::byte> data, Placement& out) {
    const std::size_t count = (data.size() + kMiniSectorSize - 1) / kMiniSectorSize;
    std::vector<SectorId> sectors(count);
    for (SectorId& sector : sectors) {
        if (const Status s = allocateMiniSector(sector); s != Status::Ok) {
            return s;
        }
    }
    if (const Status s = growFat(); s != Status::Ok) {
        return s;
    }
    if (const Status s = miniStream->writeNewSectors(); s != Status::Ok) {
        return s;
    }
    std::array<std::byte, kMiniSectorSize> block{};
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t from = i * kMiniSectorSize;
        const std::size_t length = std::min<std::size_t>(kMiniSectorSize, data.size() - from);
        std::fill(
            std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(from), length, block.begin()),
            block.end(), std::byte{0});
        if (const Status s =
                miniStream->write(static_cast<std::uint64_t>(sectors[i]) * kMiniSectorSize, block);
            s != Status::Ok) {
            return s;
        }
        if (i + 1 < count) {
            if (const Status s = miniFat->set(sectors[i], sectors[i + 1]); s != Status::Ok) {
                return s;
            }
        }
    }
    out.start = sectors.front();
    return Status::Ok;
}

Status CompoundFile::Impl::writeHeaderIfChanged() {
    if (std::equal(headerOnDisk.begin(), headerOnDisk.end(), header.bytes().begin())) {
        return Status::Ok;
    }
    if (const Status s = file->writeHeader(header.bytes()); s != Status::Ok) {
        return s;
    }
    std::copy(header.bytes().begin(), header.bytes().end(), headerOnDisk.begin());
    return sync();
}

Status CompoundFile::Impl::growFat() {
    if (const Status s = fat->writeGrowth(); s != Status::Ok) {
        return s;
    }
    return writeHeaderIfChanged();
}

Status CompoundFile::Impl::commitAllocation() {
    const bool directoryGrew = directory->grew();
    Status s = growFat();
    s = s == Status::Ok ? fat->flushNewSectors() : s;
    s = s == Status::Ok ? miniFat->flush() : s;
    s = s == Status::Ok ? directory->flushNewSectors() : s;
    s = s == Status::Ok ? sync() : s;
    if (s == Status::Ok && !links.empty()) {
        for (const ChainLink& link : links) {
            s = s == Status::Ok ? fat->set(link.from, link.to) : s;
        }
        s = s == Status::Ok ? fat->flush() : s;
        s = s == Status::Ok ? sync() : s;
        links.clear();
    }
    if (s != Status::Ok) {
        return s;
    }
    header.setMiniFat(miniFat->firstSector(), miniFat->sectorCount());
    // Version 4 headers count the directory sectors; some writers leave 0 there.
    if (directoryGrew && !header.isVersion3() && header.numDirSectors() != 0) {
        header.setNumDirSectors(directory->sectorCount());
    }
    if (const Status h = writeHeaderIfChanged(); h != Status::Ok) {
        return h;
    }
    DirEntry root;
    if (const Status r = directory->entry(kRootEntry, root); r != Status::Ok) {
        return r;
    }
    if (root.start == miniStream->start() && root.size == miniStream->size()) {
        return Status::Ok;
    }
    if (const Status r =
            directory->setLocation(kRootEntry, miniStream->start(), miniStream->size());
        r != Status::Ok) {
        return r;
    }
    return sync();
}

// The sectors a stream's size covers. A damaged tail is left allocated: leaking
// sectors is harmless, freeing another stream's sectors is not.
Status CompoundFile::Impl::collectChain(const DirEntry& stream, std::vector<SectorId>& out) {
    out.clear();
    if (stream.size == 0) {
        return Status::Ok;
    }
    const bool mini = stream.size < kMiniStreamCutoff;
    AllocationTable& table = mini ? static_cast<AllocationTable&>(*miniFat) : *fat;
    const std::uint64_t unit = mini ? kMiniSectorSize : file->sectorSize();
    const auto limit = static_cast<std::uint32_t>(
        mini ? (miniStream->size() + kMiniSectorSize - 1) / kMiniSectorSize : file->sectorCount());
    const std::uint64_t count = std::min<std::uint64_t>((stream.size + unit - 1) / unit, limit);
    SectorChain chain(stream.start);
    for (std::uint32_t i = 0; i < count; ++i) {
        SectorId sector = kFreeSect;
        if (chain.sectorAt(i, table, limit, sector) != Status::Ok) {
            break;
        }
    }
    out = chain.sectors();
    if (out.empty()) {
        return Status::Ok;
    }
    // A chain whose last entry says free would let allocation hand out its sector.
    SectorId end = kFreeSect;
    if (const Status s = table.get(out.back(), end); s != Status::Ok) {
        return s;
    }
    return end == kFreeSect ? table.set(out.back(), kEndOfChain) : Status::Ok;
}

Status CompoundFile::Impl::freeSectors(bool mini, const std::vector<SectorId>& sectors) {
    if (sectors.empty()) {
        return Status::Ok;
    }
    AllocationTable& table = mini ? static_cast<AllocationTable&>(*miniFat) : *fat;
    for (const SectorId sector : sectors) {
        if (const Status s = table.set(sector, kFreeSect); s != Status::Ok) {
            return s;
        }
    }
    if (const Status s = table.flush(); s != Status::Ok) {
        return s;
    }
    return sync();
}

Status CompoundFile::Impl::replace(EntryId stream, std::span<const std::byte> data) {
    DirEntry old;
    if (const Status s = directory->entry(stream, old); s != Status::Ok) {
        return s;
    }
    if (old.type == EntryType::Unused) {
        return Status::NoSuchEntry;
    }
    if (old.type != EntryType::Stream) {
        return Status::NotAStream;
    }
    std::vector<SectorId> oldSectors;
    Placement placed;
    Status s = collectChain(old, oldSectors);
    s = s == Status::Ok ? placeContent(data, placed) : s;
    s = s == Status::Ok ? commitAllocation() : s;
    s = s == Status::Ok ? directory->setLocation(stream, placed.start, placed.size) : s;
    s = s == Status::Ok ? sync() : s;
    return s == Status::Ok ? freeSectors(old.size < kMiniStreamCutoff, oldSectors) : s;
}

Status CompoundFile::Impl::create(EntryId storage, std::u16string_view name,
                                  std::span<const std::byte> data, EntryId& out) {
    if (!validStreamName(name)) {
        return Status::NoSuchEntry;
    }
    const Status existing = directory->findChild(storage, name, out);
    if (existing == Status::Ok) {
        return replace(out, data);
    }
    if (existing != Status::NoSuchEntry) {
        return existing;
    }
    InsertPoint point;
    EntryId id = kNoStream;
    Placement placed;
    Status s = directory->findInsertPoint(storage, name, point);
    s = s == Status::Ok ? directory->reserveEntry(id, links) : s;
    s = s == Status::Ok ? placeContent(data, placed) : s;
    s = s == Status::Ok ? commitAllocation() : s;
    if (s != Status::Ok) {
        return s;
    }
    DirEntry fields;
    fields.name = name;
    fields.color = point.color;
    fields.start = placed.start;
    fields.size = placed.size;
    s = directory->writeStreamEntry(id, fields);
    s = s == Status::Ok ? sync() : s;
    s = s == Status::Ok ? directory->setLink(point.parent, point.link, id) : s;
    s = s == Status::Ok ? sync() : s;
    if (s == Status::Ok) {
        out = id;
    }
    return s;
}

Status CompoundFile::replaceStream(EntryId stream, std::span<const std::byte> data) {
    if (!m_impl->usable) {
        return Status::IoError;
    }
    const Status s = m_impl->replace(stream, data);
    return s == Status::Ok ? s : m_impl->recover(s);
}

Status CompoundFile::createStream(EntryId storage, std::u16string_view name,
                                  std::span<const std::byte> data, EntryId& out) {
    if (!m_impl->usable) {
        return Status::IoError;
    }
    const Status s = m_impl->create(storage, name, data, out);
    return s == Status::Ok ? s : m_impl->recover(s);
}

}  // namespace quorvel::storage
