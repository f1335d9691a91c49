// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <memory>
#include <span>
#include <vector>

#include "storage/cfb_header.h"
#include "storage/compound_file.h"
#include "storage/directory.h"
#include "storage/fat.h"
#include "storage/mini_fat.h"
#include "storage/mini_stream.h"
#include "storage/sector_file.h"

namespace quorvel::storage {

// Where new stream content was put: its first sector (or mini sector).
struct Placement {
    cfb::SectorId start = cfb::kEndOfChain;
    std::uint64_t size = 0;
};

struct CompoundFile::Impl {
    explicit Impl(io::BlockDevice& onDevice) : device(onDevice) {}

    // Reads the header and the root entry, dropping everything held before.
    Status load();
    // The stream's declared size fits in the file (in the mini stream, for a small stream).
    bool contentFits(const cfb::DirEntry& stream) const;
    // The stream's bytes [offset, offset + out.size()).
    Status readContent(const cfb::DirEntry& stream, std::uint64_t offset, std::span<std::byte> out);
    Status readSectors(cfb::SectorId start, std::uint64_t offset, std::span<std::byte> out);
    Status readMiniSectors(cfb::SectorId start, std::uint64_t offset, std::span<std::byte> out);
    // The stream an entry names; NoSuchEntry or NotAStream otherwise.
    Status streamEntry(EntryId stream, cfb::DirEntry& out);

    Status replace(EntryId stream, std::span<const std::byte> data);
    Status create(EntryId storage, std::u16string_view name, std::span<const std::byte> data,
                  EntryId& out);
    Status placeContent(std::span<const std::byte> data, Placement& out);
    Status placeSectors(std::span<const std::byte> data, Placement& out);
    Status placeMiniSectors(std::span<const std::byte> data, Placement& out);
    Status allocateMiniSector(cfb::SectorId& out);
    Status growFat();
    Status commitAllocation();
    Status writeHeaderIfChanged();
    Status collectChain(const cfb::DirEntry& stream, std::vector<cfb::SectorId>& out);
    Status freeSectors(bool mini, const std::vector<cfb::SectorId>& sectors);
    // After a failed write: forgets what memory holds and reads the file again.
    Status recover(Status failure);
    Status sync() { return file->sync(); }

    io::BlockDevice& device;
    bool usable = false;
    cfb::Header header;
    std::array<std::byte, cfb::kHeaderSize> headerOnDisk{};
    std::unique_ptr<cfb::SectorFile> file;
    std::unique_ptr<cfb::Fat> fat;
    std::unique_ptr<cfb::MiniFat> miniFat;
    std::unique_ptr<cfb::Directory> directory;
    std::unique_ptr<cfb::MiniStream> miniStream;
    // Links from existing chains to sectors added by the write in progress.
    std::vector<cfb::ChainLink> links;
    // Mini sectors appended by the write in progress start here.
    std::uint32_t nextMiniAppend = 0;
};

}  // namespace quorvel::storage
