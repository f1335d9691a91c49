// SPDX-License-Identifier: GPL-3.0-or-later
#include "package/zip_directory.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <set>
#include <string_view>

#include "package/zip_bytes.h"
#include "package/zip_format.h"

namespace quorvel::package {
namespace {

using namespace zip;

// A central directory larger than this is not an office document's (65,535 entries take
// about 5 MB); refused before reading, as it is parsed in memory.
constexpr std::uint64_t kMaxCentralDirectory = 16u << 20;

// Calls visit(id, data) for each well-formed extra block, stopping at a damaged one.
template <typename Visit>
void forEachExtraBlock(std::string_view extra, Visit visit) {
    ByteCursor cursor(asBytes(extra));
    while (cursor.remaining() >= 4) {
        const std::size_t start = cursor.position();
        const std::uint16_t id = cursor.u16();
        const std::uint16_t size = cursor.u16();
        if (size > cursor.remaining()) {
            return;
        }
        visit(id, extra.substr(start, 4 + std::size_t{size}));
        cursor.skip(size);
    }
}

// Replaces the fields holding their ZIP64 marker with the values of the ZIP64 extra block,
// in the block's fixed order. False when a marked value is missing.
bool resolveZip64(ZipEntry& entry, std::uint16_t diskStart) {
    const bool anyMarker = entry.uncompressedSize == kMax32 || entry.compressedSize == kMax32 ||
                           entry.localHeaderOffset == kMax32 || diskStart == kMax16;
    if (!anyMarker) {
        return true;
    }
    std::string_view block;
    forEachExtraBlock(entry.extra, [&](std::uint16_t id, std::string_view data) {
        if (id == kZip64ExtraId && block.empty()) {
            block = data.substr(4);
        }
    });
    ByteCursor cursor(asBytes(block));
    for (std::uint64_t* field :
         {&entry.uncompressedSize, &entry.compressedSize, &entry.localHeaderOffset}) {
        if (*field == kMax32) {
            *field = cursor.u64();
        }
    }
    if (diskStart == kMax16 && cursor.u32() != 0) {
        return false;
    }
    return !cursor.failed();
}

bool parseCentralEntry(ByteCursor& cursor, ZipEntry& entry) {
    if (cursor.u32() != kCentralHeaderSignature) {
        return false;
    }
    entry.versionMadeBy = cursor.u16();
    entry.versionNeeded = cursor.u16();
    entry.flags = cursor.u16();
    entry.method = cursor.u16();
    entry.modTime = cursor.u16();
    entry.modDate = cursor.u16();
    entry.crc32 = cursor.u32();
    entry.compressedSize = cursor.u32();
    entry.uncompressedSize = cursor.u32();
    const std::uint16_t nameSize = cursor.u16();
    const std::uint16_t extraSize = cursor.u16();
    const std::uint16_t commentSize = cursor.u16();
    const std::uint16_t diskStart = cursor.u16();
    entry.internalAttributes = cursor.u16();
    entry.externalAttributes = cursor.u32();
    entry.localHeaderOffset = cursor.u32();
    entry.name = cursor.text(nameSize);
    entry.extra = cursor.text(extraSize);
    entry.comment = cursor.text(commentSize);
    if (cursor.failed() || entry.name.empty() || (diskStart != 0 && diskStart != kMax16) ||
        !resolveZip64(entry, diskStart)) {
        return false;
    }
    entry.extra = withoutExtraBlock(entry.extra, kZip64ExtraId);
    return true;
}

// Entries must lie one after another before the central directory: each one's header, name
// and data end before the next starts. Sets each entry's limit.
bool placeEntries(ZipDirectory& directory) {
    std::vector<std::size_t> order(directory.entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return directory.entries[a].localHeaderOffset < directory.entries[b].localHeaderOffset;
    });
    for (std::size_t i = 0; i < order.size(); ++i) {
        ZipEntry& entry = directory.entries[order[i]];
        entry.limit = i + 1 < order.size() ? directory.entries[order[i + 1]].localHeaderOffset
                                           : directory.centralOffset;
        const std::uint64_t room = entry.limit - std::min(entry.limit, entry.localHeaderOffset);
        const std::uint64_t fixed = kLocalHeaderSize + entry.name.size();
        if (entry.localHeaderOffset >= entry.limit || fixed > room ||
            entry.compressedSize > room - fixed) {
            return false;
        }
    }
    return true;
}

bool namesUnique(const ZipDirectory& directory) {
    std::set<std::string_view> names;
    for (const ZipEntry& entry : directory.entries) {
        if (!names.insert(entry.name).second) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string withoutExtraBlock(std::string_view extra, std::uint16_t id) {
    std::string kept;
    forEachExtraBlock(extra, [&](std::uint16_t blockId, std::string_view block) {
        if (blockId != id) {
            kept += block;
        }
    });
    return kept;
}

namespace {

// Reads the end record at the start of bytes; false when it is none or its comment does not
// fit (exact: does not end where bytes end).
bool readEndRecordAt(std::span<const std::byte> bytes, bool exact, ZipEnd& end, bool& oneDisk) {
    ByteCursor cursor(bytes);
    if (cursor.u32() != kEndRecordSignature) {
        return false;
    }
    const std::uint16_t disk = cursor.u16();
    const std::uint16_t centralDisk = cursor.u16();
    const std::uint16_t entriesOnDisk = cursor.u16();
    const std::uint16_t entriesTotal = cursor.u16();
    const std::uint32_t centralSize = cursor.u32();
    const std::uint32_t centralOffset = cursor.u32();
    const std::uint16_t commentSize = cursor.u16();
    if (cursor.failed() || commentSize > cursor.remaining() ||
        (exact && commentSize != cursor.remaining())) {
        return false;
    }
    end.comment = cursor.text(commentSize);
    end.entryCount = entriesTotal;
    end.centralSize = centralSize;
    end.centralOffset = centralOffset;
    end.needsZip64 = entriesTotal == kMax16 || centralSize == kMax32 || centralOffset == kMax32;
    oneDisk = (disk == 0 && centralDisk == 0 && entriesOnDisk == entriesTotal) || end.needsZip64;
    return true;
}

// The last end record in tail that fits (with `exact`, whose comment ends the file):
// Ok, Damaged for one that spans disks, nullopt when there is none.
std::optional<ZipStatus> lastEndRecord(std::span<const std::byte> tail, std::uint64_t tailOffset,
                                       bool exact, ZipEnd& end) {
    if (tail.size() < kEndRecordSize) {
        return std::nullopt;
    }
    for (std::size_t at = tail.size() - kEndRecordSize + 1; at-- > 0;) {
        bool oneDisk = false;
        if (readEndRecordAt(tail.subspan(at), exact, end, oneDisk)) {
            end.recordOffset = tailOffset + at;
            return oneDisk ? ZipStatus::Ok : ZipStatus::Damaged;
        }
    }
    return std::nullopt;
}

}  // namespace

ZipStatus parseEndRecord(std::span<const std::byte> tail, std::uint64_t tailOffset, ZipEnd& end) {
    // A comment may hold the signature: first the record whose comment ends the file, as
    // every writer puts it, then the last one whose comment fits.
    for (const bool exact : {true, false}) {
        if (const std::optional<ZipStatus> found = lastEndRecord(tail, tailOffset, exact, end)) {
            return *found;
        }
    }
    return ZipStatus::Damaged;
}

ZipStatus parseZip64EndRecord(std::span<const std::byte> record, ZipEnd& end) {
    ByteCursor cursor(record);
    const bool signed64 = cursor.u32() == kZip64EndRecordSignature;
    cursor.skip(8 + 2 + 2);  // record size, versions
    const std::uint32_t disk = cursor.u32();
    const std::uint32_t centralDisk = cursor.u32();
    const std::uint64_t entriesOnDisk = cursor.u64();
    end.entryCount = cursor.u64();
    end.centralSize = cursor.u64();
    end.centralOffset = cursor.u64();
    const bool oneDisk = disk == 0 && centralDisk == 0 && entriesOnDisk == end.entryCount;
    return signed64 && !cursor.failed() && oneDisk ? ZipStatus::Ok : ZipStatus::Damaged;
}

ZipStatus parseCentralDirectory(std::span<const std::byte> bytes, const ZipEnd& end,
                                ZipDirectory& directory) {
    directory = {};
    directory.centralOffset = end.centralOffset;
    directory.centralSize = end.centralSize;
    directory.entryCount = end.entryCount;
    directory.comment = end.comment;
    if (end.entryCount > bytes.size() / kCentralHeaderSize) {
        return ZipStatus::Damaged;
    }
    directory.entries.resize(end.entryCount);
    ByteCursor cursor(bytes);
    for (ZipEntry& entry : directory.entries) {
        if (!parseCentralEntry(cursor, entry)) {
            return ZipStatus::Damaged;
        }
    }
    return namesUnique(directory) && placeEntries(directory) ? ZipStatus::Ok : ZipStatus::Damaged;
}

namespace {

bool readBytes(io::BlockDevice& device, std::uint64_t offset, std::size_t size,
               std::vector<std::byte>& out) {
    out.resize(size);
    return device.readAt(offset, out);
}

// The ZIP64 end record named by the locator just before the end record.
ZipStatus readZip64End(io::BlockDevice& device, ZipEnd& end) {
    std::vector<std::byte> bytes;
    if (end.recordOffset < kZip64LocatorSize ||
        !readBytes(device, end.recordOffset - kZip64LocatorSize, kZip64LocatorSize, bytes)) {
        return ZipStatus::Damaged;
    }
    ByteCursor locator(bytes);
    const bool signedLocator = locator.u32() == kZip64LocatorSignature;
    locator.skip(4);
    const std::uint64_t recordOffset = locator.u64();
    const std::uint64_t recordRoom = end.recordOffset - kZip64LocatorSize;
    if (!signedLocator || recordOffset > recordRoom ||
        recordRoom - recordOffset < kZip64EndRecordSize ||
        !readBytes(device, recordOffset, kZip64EndRecordSize, bytes)) {
        return ZipStatus::Damaged;
    }
    end.recordOffset = recordOffset;
    return parseZip64EndRecord(bytes, end);
}

// The end record. Every writer puts it last, with its comment (most often none) ending the
// file, so a short tail holds it: looked for there first, it costs a network share a few
// bytes instead of the 64 KB a comment might take.
ZipStatus findEndRecord(io::BlockDevice& device, ZipEnd& end) {
    constexpr std::uint64_t kShortTail = 1024;
    const std::uint64_t size = device.size();
    std::vector<std::byte> bytes;
    const std::uint64_t shortTail = std::min(size, kShortTail);
    if (!readBytes(device, size - shortTail, shortTail, bytes)) {
        return ZipStatus::Damaged;
    }
    if (const std::optional<ZipStatus> found = lastEndRecord(bytes, size - shortTail, true, end)) {
        return *found;
    }
    const std::uint64_t tailSize = std::min<std::uint64_t>(size, kEndRecordSize + kMaxCommentSize);
    if (!readBytes(device, size - tailSize, tailSize, bytes)) {
        return ZipStatus::Damaged;
    }
    return parseEndRecord(bytes, size - tailSize, end);
}

}  // namespace

ZipStatus readZipDirectory(io::BlockDevice& device, ZipDirectory& directory) {
    const std::uint64_t size = device.size();
    std::vector<std::byte> bytes;
    if (size < 4 || !readBytes(device, 0, 4, bytes)) {
        return ZipStatus::NotZip;
    }
    const std::uint32_t signature = ByteCursor(bytes).u32();
    if (signature != kLocalHeaderSignature && signature != kEndRecordSignature) {
        return ZipStatus::NotZip;
    }
    ZipEnd end;
    if (findEndRecord(device, end) != ZipStatus::Ok ||
        (end.needsZip64 && readZip64End(device, end) != ZipStatus::Ok)) {
        return ZipStatus::Damaged;
    }
    if (end.centralSize > kMaxCentralDirectory || end.centralOffset > end.recordOffset ||
        end.centralSize > end.recordOffset - end.centralOffset ||
        !readBytes(device, end.centralOffset, end.centralSize, bytes)) {
        return ZipStatus::Damaged;
    }
    return parseCentralDirectory(bytes, end, directory);
}

}  // namespace quorvel::package
