// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "io/block_device.h"

namespace quorvel::package {

// Outcome of opening a ZIP container.
enum class ZipStatus { Ok, NotZip, Damaged };

// One central-directory record, ZIP64 values already resolved.
struct ZipEntry {
    std::string name;  // raw bytes as stored
    std::uint16_t versionMadeBy = 0;
    std::uint16_t versionNeeded = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint16_t modTime = 0;
    std::uint16_t modDate = 0;
    std::uint32_t crc32 = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint64_t localHeaderOffset = 0;
    std::uint16_t internalAttributes = 0;
    std::uint32_t externalAttributes = 0;
    std::string extra;  // central extra fields, the ZIP64 one taken out
    std::string comment;
    // Where the next entry's local header, or the central directory, starts: this entry's
    // header, data and data descriptor must end there or before.
    std::uint64_t limit = 0;
};

struct ZipDirectory {
    std::vector<ZipEntry> entries;  // in central-directory order
    std::uint64_t centralOffset = 0;
    std::uint64_t centralSize = 0;
    std::uint64_t entryCount = 0;
    std::string comment;  // the archive comment
};

// Where the end-of-central-directory record says the directory is.
struct ZipEnd {
    std::uint64_t recordOffset = 0;  // of the end record within the file
    std::uint64_t centralOffset = 0;
    std::uint64_t centralSize = 0;
    std::uint64_t entryCount = 0;
    bool needsZip64 = false;  // a field holds its ZIP64 marker
    std::string comment;
};

// Finds the end record in the last bytes of a file; tailOffset is where tail starts.
ZipStatus parseEndRecord(std::span<const std::byte> tail, std::uint64_t tailOffset, ZipEnd& end);

// Reads the ZIP64 end record (bytes at the offset the locator names) into end.
ZipStatus parseZip64EndRecord(std::span<const std::byte> record, ZipEnd& end);

// Parses the central directory bytes; checks names are unique and entries lie in order
// before the directory without overlapping.
ZipStatus parseCentralDirectory(std::span<const std::byte> bytes, const ZipEnd& end,
                                ZipDirectory& directory);

// The extra fields without the block of one id; a damaged trailing block is dropped.
std::string withoutExtraBlock(std::string_view extra, std::uint16_t id);

// Reads the end record and the central directory of the ZIP file on device.
ZipStatus readZipDirectory(io::BlockDevice& device, ZipDirectory& directory);

}  // namespace quorvel::package
