// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "storage/cfb_format.h"
#include "storage/compound_file.h"
#include "storage/fat.h"
#include "storage/mini_fat.h"
#include "storage/sector_chain.h"

namespace quorvel::storage::cfb {

// The fields of a directory entry (MS-CFB 2.6.1) that the container uses.
struct DirEntry {
    std::u16string name;
    EntryType type = EntryType::Unused;
    std::uint8_t color = kBlack;
    EntryId left = kNoStream;
    EntryId right = kNoStream;
    EntryId child = kNoStream;
    SectorId start = kEndOfChain;
    std::uint64_t size = 0;

    static constexpr std::uint8_t kRed = 0;
    static constexpr std::uint8_t kBlack = 1;
};

enum class Link { Left, Right, Child };

// Where a new entry joins a storage's tree: as `link` of `parent`.
struct InsertPoint {
    EntryId parent = kNoStream;
    Link link = Link::Child;
    std::uint8_t color = DirEntry::kBlack;
};

// The directory: entries in a chain of sectors, read a sector at a time as entries
// are needed. Every change of an existing sector is written at once (one sector
// write), so that callers can order the writes.
class Directory {
  public:
    Directory(SectorFile& file, Fat& fat, SectorId first, bool version3)
        : m_file(file), m_fat(fat), m_chain(first), m_version3(version3) {}

    Status entry(EntryId id, DirEntry& out);
    Status setLocation(EntryId id, SectorId start, std::uint64_t size);
    Status setLink(EntryId id, Link link, EntryId target);
    // Fills an entry with a new stream: name, colour, no links, start and size.
    Status writeStreamEntry(EntryId id, const DirEntry& fields);
    // An unused entry: a free one, else one in a new sector for the end of the chain
    // (its link left in `links`, its content written by flushNewSectors()).
    Status reserveEntry(EntryId& out, std::vector<ChainLink>& links);
    Status flushNewSectors();
    // Whether reserveEntry() added a sector since the last flushNewSectors().
    bool grew() const { return m_grew; }
    // Sectors in the chain as far as it has been followed or planned.
    std::uint32_t sectorCount() const {
        return static_cast<std::uint32_t>(m_chain.sectors().size());
    }

    Status findChild(EntryId storage, std::u16string_view name, EntryId& out);
    Status listChildren(EntryId storage, std::vector<EntryId>& out);
    Status findInsertPoint(EntryId storage, std::u16string_view name, InsertPoint& out);

  private:
    struct Sector {
        SectorId where = kFreeSect;
        std::vector<std::byte> raw;
        bool isNew = false;
    };
    std::uint32_t entriesPerSector() const {
        return m_file.sectorSize() / static_cast<std::uint32_t>(kDirEntrySize);
    }
    Status sectorOf(EntryId id, Sector*& out);
    Status patchEntry(EntryId id, std::size_t offset, std::span<const std::byte> bytes);
    Status storageChild(EntryId storage, EntryId& out);
    // Reads a node of a sibling tree; a node met twice (a cycle) or unused is damage.
    Status enterTreeNode(EntryId node, std::unordered_set<EntryId>& visited, DirEntry& out);

    SectorFile& m_file;
    Fat& m_fat;
    SectorChain m_chain;
    bool m_version3;
    bool m_grew = false;
    std::map<std::uint32_t, Sector> m_sectors;
};

}  // namespace quorvel::storage::cfb
