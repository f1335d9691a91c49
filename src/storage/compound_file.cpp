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

bool CompoundFile::Impl::contentFits(const DirEntry& stream) const {
    const std::uint64_t room =
        stream.size < kMiniStreamCutoff
            ? miniStream->size()
            : static_cast<std::uint64_t>(file->sectorCount()) * file->sectorSize();
    return stream.size <= room;
}

Status CompoundFile::Impl::readContent(const DirEntry& stream, std::uint64_t offset,
                                       std::span<std::byte> out) {
    if (!contentFits(stream) || offset > stream.size || out.size() > stream.size - offset) {
        return Status::Damaged;
    }
    return stream.size < kMiniStreamCutoff ? readMiniSectors(stream.start, offset, out)
                                           : readSectors(stream.start, offset, out);
}

// Reads runs of consecutive sectors with one device read each.
Status CompoundFile::Impl::readSectors(SectorId start, std::uint64_t offset,
                                       std::span<std::byte> out) {
    const std::uint32_t sectorSize = file->sectorSize();
    SectorChain chain(start);
    // offset lies inside the stream, which fits in the file (checked by the caller).
    auto index = static_cast<std::uint32_t>(offset / sectorSize);
    auto within = static_cast<std::uint32_t>(offset % sectorSize);
    for (std::size_t done = 0; done < out.size(); ++index, within = 0) {
        SectorId first = kFreeSect;
        if (const Status s = chain.sectorAt(index, *fat, file->sectorCount(), first);
            s != Status::Ok) {
            return s;
        }
        std::size_t run = sectorSize - within;
        for (SectorId last = first; done + run < out.size(); ++last, run += sectorSize) {
            SectorId next = kFreeSect;
            if (const Status s = chain.sectorAt(index + 1, *fat, file->sectorCount(), next);
                s != Status::Ok) {
                return s;
            }
            if (next != last + 1) {
                break;
            }
            ++index;
        }
        const std::size_t length = std::min(run, out.size() - done);
        if (const Status s = file->read(first, within, out.subspan(done, length));
            s != Status::Ok) {
            return s;
        }
        done += length;
    }
    return Status::Ok;
}

Status CompoundFile::Impl::readMiniSectors(SectorId start, std::uint64_t offset,
                                           std::span<std::byte> out) {
    const std::uint64_t streamSize = miniStream->size();
    const auto limit =
        static_cast<std::uint32_t>((streamSize + kMiniSectorSize - 1) / kMiniSectorSize);
    SectorChain chain(start);
    auto index = static_cast<std::uint32_t>(offset / kMiniSectorSize);
    std::size_t within = offset % kMiniSectorSize;
    for (std::size_t done = 0; done < out.size(); ++index, within = 0) {
        SectorId mini = kFreeSect;
        if (const Status s = chain.sectorAt(index, *miniFat, limit, mini); s != Status::Ok) {
            return s;
        }
        const std::size_t length = std::min(kMiniSectorSize - within, out.size() - done);
        if (const Status s =
                miniStream->read(static_cast<std::uint64_t>(mini) * kMiniSectorSize + within,
                                 out.subspan(done, length));
            s != Status::Ok) {
            return s;
        }
        done += length;
    }
    return Status::Ok;
}

Status CompoundFile::Impl::streamEntry(EntryId stream, DirEntry& out) {
    if (!usable) {
        return Status::IoError;
    }
    if (const Status s = directory->entry(stream, out); s != Status::Ok) {
        return s;
    }
    if (out.type == EntryType::Unused) {
        return Status::NoSuchEntry;
    }
    return out.type == EntryType::Stream ? Status::Ok : Status::NotAStream;
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
    DirEntry found;
    if (const Status s = m_impl->streamEntry(stream, found); s != Status::Ok) {
        return s;
    }
    if (found.size > maxBytes) {
        return Status::TooLarge;
    }
    // No allocation before the size is known to fit in the file.
    if (!m_impl->contentFits(found)) {
        return Status::Damaged;
    }
    std::vector<std::byte> content(static_cast<std::size_t>(found.size));
    if (const Status s = m_impl->readContent(found, 0, content); s != Status::Ok) {
        return s;
    }
    out = std::move(content);
    return Status::Ok;
}

Status CompoundFile::readStreamAt(EntryId stream, std::uint64_t offset,
                                  std::span<std::byte> out) const {
    DirEntry found;
    if (const Status s = m_impl->streamEntry(stream, found); s != Status::Ok) {
        return s;
    }
    return m_impl->readContent(found, offset, out);
}

}  // namespace quorvel::storage
