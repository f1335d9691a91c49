// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/directory.h"

#include <algorithm>

namespace quorvel::storage::cfb {
namespace {

// Field offsets in a directory entry (MS-CFB 2.6.1).
constexpr std::size_t kNameLength = 64;
constexpr std::size_t kType = 66;
constexpr std::size_t kColor = 67;
constexpr std::size_t kLeft = 68;
constexpr std::size_t kRight = 72;
constexpr std::size_t kChild = 76;
constexpr std::size_t kStart = 116;
constexpr std::size_t kSize = 120;
constexpr std::size_t kMaxNameBytes = 64;
static_assert(kSize + 8 == kDirEntrySize);

bool knownType(std::uint8_t type) {
    return type == 0 || type == 1 || type == 2 || type == 5;
}

// An unused entry: zeros, with no siblings and no child.
void clearEntry(std::span<std::byte> entry) {
    std::fill(entry.begin(), entry.end(), std::byte{0});
    storeU32(entry, kLeft, kNoStream);
    storeU32(entry, kRight, kNoStream);
    storeU32(entry, kChild, kNoStream);
}

}  // namespace

Status Directory::sectorOf(EntryId id, Sector*& out) {
    if (id > kMaxRegSid) {
        return Status::Damaged;
    }
    const std::uint32_t index = id / entriesPerSector();
    if (const auto it = m_sectors.find(index); it != m_sectors.end()) {
        out = &it->second;
        return Status::Ok;
    }
    SectorId where = kFreeSect;
    if (const Status s = m_chain.sectorAt(index, m_fat, m_file.sectorCount(), where);
        s != Status::Ok) {
        return s;
    }
    Sector sector{where, std::vector<std::byte>(m_file.sectorSize()), false};
    if (const Status s = m_file.readPadded(where, sector.raw, std::byte{0}); s != Status::Ok) {
        return s;
    }
    out = &m_sectors.emplace(index, std::move(sector)).first->second;
    return Status::Ok;
}

Status Directory::entry(EntryId id, DirEntry& out) {
    Sector* sector = nullptr;
    if (const Status s = sectorOf(id, sector); s != Status::Ok) {
        return s;
    }
    const auto raw = std::span<const std::byte>(sector->raw)
                         .subspan((id % entriesPerSector()) * kDirEntrySize, kDirEntrySize);
    const auto type = std::to_integer<std::uint8_t>(raw[kType]);
    if (!knownType(type)) {
        return Status::Damaged;
    }
    out = DirEntry{};
    out.type = static_cast<EntryType>(type);
    if (out.type == EntryType::Unused) {
        return Status::Ok;
    }
    const std::uint16_t nameBytes = loadU16(raw, kNameLength);
    if (nameBytes > kMaxNameBytes || nameBytes % 2 != 0) {
        return Status::Damaged;
    }
    // The length counts the terminating null character.
    out.name.reserve(nameBytes / 2U);
    for (std::size_t i = 0; i + 1 < nameBytes / 2U; ++i) {
        out.name.push_back(static_cast<char16_t>(loadU16(raw, 2 * i)));
    }
    out.color = std::to_integer<std::uint8_t>(raw[kColor]);
    out.left = loadU32(raw, kLeft);
    out.right = loadU32(raw, kRight);
    out.child = loadU32(raw, kChild);
    out.start = loadU32(raw, kStart);
    // Version 3 writers may leave junk in the high half of the size (MS-CFB 2.6.3).
    out.size = m_version3 ? loadU32(raw, kSize) : loadU64(raw, kSize);
    return Status::Ok;
}

Status Directory::patchEntry(EntryId id, std::size_t offset, std::span<const std::byte> bytes) {
    Sector* sector = nullptr;
    if (const Status s = sectorOf(id, sector); s != Status::Ok) {
        return s;
    }
    const std::size_t at = (id % entriesPerSector()) * kDirEntrySize + offset;
    std::copy(bytes.begin(), bytes.end(), sector->raw.begin() + static_cast<std::ptrdiff_t>(at));
    return m_file.write(sector->where, 0, sector->raw);
}

Status Directory::setLocation(EntryId id, SectorId start, std::uint64_t size) {
    std::array<std::byte, 12> fields{};
    storeU32(fields, 0, start);
    storeU64(fields, 4, size);
    return patchEntry(id, kStart, fields);
}

Status Directory::setLink(EntryId id, Link link, EntryId target) {
    std::array<std::byte, 4> field{};
    storeU32(field, 0, target);
    const std::size_t offset = link == Link::Left ? kLeft : link == Link::Right ? kRight : kChild;
    return patchEntry(id, offset, field);
}

Status Directory::writeStreamEntry(EntryId id, const DirEntry& fields) {
    if (fields.name.size() * 2 + 2 > kMaxNameBytes) {
        return Status::Damaged;
    }
    std::array<std::byte, kDirEntrySize> raw{};
    clearEntry(raw);
    for (std::size_t i = 0; i < fields.name.size(); ++i) {
        storeU16(raw, 2 * i, static_cast<std::uint16_t>(fields.name[i]));
    }
    storeU16(raw, kNameLength, static_cast<std::uint16_t>(fields.name.size() * 2 + 2));
    raw[kType] = static_cast<std::byte>(EntryType::Stream);
    raw[kColor] = static_cast<std::byte>(fields.color);
    storeU32(raw, kStart, fields.start);
    storeU64(raw, kSize, fields.size);
    return patchEntry(id, 0, raw);
}

Status Directory::reserveEntry(EntryId& out, std::vector<ChainLink>& links) {
    std::uint32_t length = 0;
    if (const Status s = m_chain.length(m_fat, m_file.sectorCount(), length); s != Status::Ok) {
        return s;
    }
    for (std::uint32_t index = 0; index < length; ++index) {
        for (std::uint32_t slot = 0; slot < entriesPerSector(); ++slot) {
            const EntryId id = index * entriesPerSector() + slot;
            DirEntry candidate;
            if (const Status s = entry(id, candidate); s != Status::Ok) {
                return s;
            }
            if (candidate.type == EntryType::Unused && id != kRootEntry) {
                out = id;
                return Status::Ok;
            }
        }
    }
    const std::uint64_t firstId = static_cast<std::uint64_t>(length) * entriesPerSector();
    if (length == 0 || firstId > kMaxRegSid) {
        return Status::Damaged;
    }
    SectorId where = kFreeSect;
    if (const Status s = m_fat.allocate(where); s != Status::Ok) {
        return s;
    }
    links.push_back({m_chain.sectors().back(), where});
    m_chain.append(where);
    Sector sector{where, std::vector<std::byte>(m_file.sectorSize()), true};
    for (std::uint32_t slot = 0; slot < entriesPerSector(); ++slot) {
        clearEntry(std::span<std::byte>(sector.raw).subspan(slot * kDirEntrySize, kDirEntrySize));
    }
    m_sectors[length] = std::move(sector);
    m_grew = true;
    out = static_cast<EntryId>(firstId);
    return Status::Ok;
}

Status Directory::flushNewSectors() {
    for (auto& [index, sector] : m_sectors) {
        if (!sector.isNew) {
            continue;
        }
        if (const Status s = m_file.write(sector.where, 0, sector.raw); s != Status::Ok) {
            return s;
        }
        sector.isNew = false;
    }
    m_grew = false;
    return Status::Ok;
}

}  // namespace quorvel::storage::cfb
