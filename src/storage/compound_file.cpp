// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/compound_file.h"

#include <algorithm>

#include "storage/compound_file_impl.h"

namespace quorvel::storage {

using namespace cfb;

Status CompoundFile::Impl::load() {
    usable = false;
    links.clear();
    miniStream.reset();
    directory.reset();
    miniFat.reset();
    fat.reset();
    if (device.size() < kHeaderSize) {
        return Status::NotCompound;
    }
    std::array<std::byte, kHeaderSize> raw{};
    if (!device.readAt(0, raw)) {
        return Status::IoError;
    }
    if (const Status s = Header::parse(raw, header); s != Status::Ok) {
        return s;
    }
    headerOnDisk = raw;
    file = std::make_unique<SectorFile>(device, header.sectorSize());
    const std::uint32_t sectors = file->sectorCount();
    if (header.numFatSectors() > sectors || header.numDifatSectors() > sectors ||
        header.numMiniFatSectors() > sectors) {
        return Status::Damaged;
    }
    fat = std::make_unique<Fat>(*file, header);
    // Some writers leave a MiniFAT count beside a chain that starts at end of chain.
    const bool noMiniFat = header.firstMiniFatSector() > kMaxRegSect;
    miniFat = std::make_unique<MiniFat>(*file, *fat, header.firstMiniFatSector(),
                                        noMiniFat ? 0 : header.numMiniFatSectors());
    directory =
        std::make_unique<Directory>(*file, *fat, header.firstDirSector(), header.isVersion3());
    DirEntry root;
    if (const Status s = directory->entry(kRootEntry, root); s != Status::Ok) {
        return s;
    }
    const std::uint64_t fileBytes = static_cast<std::uint64_t>(sectors) * header.sectorSize();
    if (root.type != EntryType::Root || root.size > fileBytes) {
        return Status::Damaged;
    }
    miniStream = std::make_unique<MiniStream>(*file, *fat, root.start, root.size);
    usable = true;
    return Status::Ok;
}

Status CompoundFile::Impl::recover(Status failure) {
    load();
    return failure;
}

Status CompoundFile::Impl::readContent(const DirEntry& stream, std::vector<std::byte>& out) {
    // No allocation before the size is known to fit in the file.
    const bool mini = stream.size < kMiniStreamCutoff;
    const std::uint64_t room =
        mini ? miniStream->size()
             : static_cast<std::uint64_t>(file->sectorCount()) * file->sectorSize();
    if (stream.size > room) {
        return Status::Damaged;
    }
    out.assign(static_cast<std::size_t>(stream.size), std::byte{0});
    return mini ? readMiniSectors(stream.start, out) : readSectors(stream.start, out);
}

// Reads runs of consecutive sectors with one device read each.
Status CompoundFile::Impl::readSectors(SectorId start, std::span<std::byte> out) {
    const std::uint32_t sectorSize = file->sectorSize();
    const auto count = static_cast<std::uint32_t>((out.size() + sectorSize - 1) / sectorSize);
    SectorChain chain(start);
    std::uint32_t runStart = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        SectorId sector = kFreeSect;
        if (const Status s = chain.sectorAt(i, *fat, file->sectorCount(), sector);
            s != Status::Ok) {
            return s;
        }
        const bool runEnds = i + 1 == count;
        SectorId next = kFreeSect;
        if (!runEnds) {
            if (const Status s = chain.sectorAt(i + 1, *fat, file->sectorCount(), next);
                s != Status::Ok) {
                return s;
            }
        }
        if (runEnds || next != sector + 1) {
            const std::size_t from = static_cast<std::size_t>(runStart) * sectorSize;
            const std::size_t to =
                std::min(out.size(), static_cast<std::size_t>(i + 1) * sectorSize);
            if (const Status s =
                    file->read(chain.sectors()[runStart], 0, out.subspan(from, to - from));
                s != Status::Ok) {
                return s;
            }
            runStart = i + 1;
        }
    }
    return Status::Ok;
}

Status CompoundFile::Impl::readMiniSectors(SectorId start, std::span<std::byte> out) {
    const std::uint64_t streamSize = miniStream->size();
    const auto limit =
        static_cast<std::uint32_t>((streamSize + kMiniSectorSize - 1) / kMiniSectorSize);
    SectorChain chain(start);
    for (std::size_t done = 0, i = 0; done < out.size(); ++i) {
        SectorId mini = kFreeSect;
        if (const Status s = chain.sectorAt(static_cast<std::uint32_t>(i), *miniFat, limit, mini);
            s != Status::Ok) {
            return s;
        }
        const std::size_t length = std::min<std::size_t>(kMiniSectorSize, out.size() - done);
        if (const Status s = miniStream->read(static_cast<std::uint64_t>(mini) * kMiniSectorSize,
                                              out.subspan(done, length));
            s != Status::Ok) {
            return s;
        }
        done += length;
    }
    return Status::Ok;
}

CompoundFile::CompoundFile(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
CompoundFile::~CompoundFile() = default;

Status CompoundFile::open(io::BlockDevice& device, std::unique_ptr<CompoundFile>& out) {
    auto impl = std::make_unique<Impl>(device);
    if (const Status s = impl->load(); s != Status::Ok) {
        return s;
    }
    out.reset(new CompoundFile(std::move(impl)));
    return Status::Ok;
}

Status CompoundFile::findChild(EntryId storage, std::u16string_view name, EntryId& out) const {
    if (!m_impl->usable) {
        return Status::IoError;
    }
    return m_impl->directory->findChild(storage, name, out);
}

EntryType CompoundFile::entryType(EntryId entry) const {
    DirEntry found;
    return m_impl->usable && m_impl->directory->entry(entry, found) == Status::Ok
               ? found.type
               : EntryType::Unused;
}

std::u16string CompoundFile::entryName(EntryId entry) const {
    DirEntry found;
    return m_impl->usable && m_impl->directory->entry(entry, found) == Status::Ok
               ? found.name
               : std::u16string();
}

std::uint64_t CompoundFile::entrySize(EntryId entry) const {
    DirEntry found;
    return m_impl->usable && m_impl->directory->entry(entry, found) == Status::Ok ? found.size : 0;
}

Status CompoundFile::listChildren(EntryId storage, std::vector<EntryId>& out) const {
    out.clear();
    if (!m_impl->usable) {
        return Status::IoError;
    }
    return m_impl->directory->listChildren(storage, out);
}

Status CompoundFile::readStream(EntryId stream, std::vector<std::byte>& out,
                                std::uint64_t maxBytes) const {
    out.clear();
    if (!m_impl->usable) {
        return Status::IoError;
    }
    DirEntry found;
    if (const Status s = m_impl->directory->entry(stream, found); s != Status::Ok) {
        return s;
    }
    if (found.type == EntryType::Unused) {
        return Status::NoSuchEntry;
    }
    if (found.type != EntryType::Stream) {
        return Status::NotAStream;
    }
    if (found.size > maxBytes) {
        return Status::TooLarge;
    }
    const Status s = m_impl->readContent(found, out);
    if (s != Status::Ok) {
        out.clear();
    }
    return s;
}

}  // namespace quorvel::storage
