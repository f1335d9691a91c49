// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "package/zip_bytes.h"
#include "package/zip_format.h"

// ZIP files built by the tests, including layouts no careful writer produces.
namespace quorvel::package::testing {

struct BuiltEntry {
    std::string name;
    std::string content;
    bool deflate = true;
    bool dataDescriptor = false;  // crc and sizes after the data, zero in the local header
    bool zip64 = false;           // sizes and offset in ZIP64 extra fields
    std::string localName = {};   // the local header's name when it differs
    std::optional<std::uint32_t> centralSize = {};  // a claimed uncompressed size
    std::optional<std::uint32_t> centralCrc = {};
    std::optional<std::uint16_t> method = {};  // a claimed method in both headers
    std::uint16_t flags = 0;
};

struct BuiltZip {
    std::string bytes;
    std::vector<std::size_t> localOffsets;
    std::vector<std::size_t> centralOffsets;
};

inline std::string rawDeflate(const std::string& content) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(content.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

inline std::uint32_t crcOf(const std::string& content) {
    return static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(content.data()),
                                            static_cast<uInt>(content.size())));
}

inline std::string zip64Extra(std::uint64_t size, std::uint64_t compressed, std::uint64_t offset,
                              bool withOffset) {
    std::string extra;
    zip::putU16(extra, zip::kZip64ExtraId);
    zip::putU16(extra, withOffset ? 24 : 16);
    for (std::uint64_t value : {size, compressed, offset}) {
        if (value != offset || withOffset) {
            zip::putU32(extra, static_cast<std::uint32_t>(value));
            zip::putU32(extra, static_cast<std::uint32_t>(value >> 32));
        }
    }
    return extra;
}

// Entries in order, then the central directory (ZIP64 end records when zip64End) and the end
// record with comment.
inline BuiltZip buildZip(const std::vector<BuiltEntry>& entries, bool zip64End = false,
                         const std::string& comment = "") {
    using namespace zip;
    BuiltZip zipFile;
    std::string central;
    for (const BuiltEntry& entry : entries) {
        const std::string data = entry.deflate ? rawDeflate(entry.content) : entry.content;
        const std::uint16_t method =
            entry.method.value_or(entry.deflate ? kMethodDeflated : kMethodStored);
        const std::uint16_t flags = entry.flags | (entry.dataDescriptor ? kFlagDataDescriptor : 0);
        const std::uint32_t crc = crcOf(entry.content);
        const std::size_t offset = zipFile.bytes.size();
        zipFile.localOffsets.push_back(offset);
        const std::string& localName = entry.localName.empty() ? entry.name : entry.localName;
        const bool hidden = entry.dataDescriptor;
        std::string local;
        putU32(local, kLocalHeaderSignature);
        putU16(local, entry.zip64 ? kVersionZip64 : kVersionDeflate);
        putU16(local, flags);
        putU16(local, method);
        putU32(local, 0);  // time, date
        putU32(local, hidden ? 0 : crc);
        putU32(local, hidden ? 0 : entry.zip64 ? kMax32 : static_cast<std::uint32_t>(data.size()));
        putU32(local, hidden        ? 0
                      : entry.zip64 ? kMax32
                                    : static_cast<std::uint32_t>(entry.content.size()));
        const std::string localExtra =
            entry.zip64 ? zip64Extra(entry.content.size(), data.size(), 0, false) : "";
        putU16(local, static_cast<std::uint16_t>(localName.size()));
        putU16(local, static_cast<std::uint16_t>(localExtra.size()));
        zipFile.bytes += local + localName + localExtra + data;
        if (entry.dataDescriptor) {
            std::string descriptor;
            putU32(descriptor, 0x08074b50);
            putU32(descriptor, crc);
            putU32(descriptor, static_cast<std::uint32_t>(data.size()));
            putU32(descriptor, static_cast<std::uint32_t>(entry.content.size()));
            zipFile.bytes += descriptor;
        }
        zipFile.centralOffsets.push_back(central.size());
        const std::string centralExtra =
            entry.zip64 ? zip64Extra(entry.content.size(), data.size(), offset, true) : "";
        std::string record;
        putU32(record, kCentralHeaderSignature);
        putU16(record, 20);
        putU16(record, entry.zip64 ? kVersionZip64 : kVersionDeflate);
        putU16(record, flags);
        putU16(record, method);
        putU32(record, 0);
        putU32(record, entry.centralCrc.value_or(crc));
        putU32(record, entry.zip64 ? kMax32 : static_cast<std::uint32_t>(data.size()));
        putU32(record, entry.zip64 ? kMax32
                                   : entry.centralSize.value_or(
                                         static_cast<std::uint32_t>(entry.content.size())));
        putU16(record, static_cast<std::uint16_t>(entry.name.size()));
        putU16(record, static_cast<std::uint16_t>(centralExtra.size()));
        putU16(record, 0);  // comment
        putU16(record, 0);  // disk
        putU16(record, 0);
        putU32(record, 0);
        putU32(record, entry.zip64 ? kMax32 : static_cast<std::uint32_t>(offset));
        central += record + entry.name + centralExtra;
    }
    const std::size_t centralOffset = zipFile.bytes.size();
    for (std::size_t& at : zipFile.centralOffsets) {
        at += centralOffset;
    }
    zipFile.bytes += central;
    const std::size_t zip64Offset = zipFile.bytes.size();
    if (zip64End) {
        std::string record;
        putU32(record, kZip64EndRecordSignature);
        putU32(record, 44);
        putU32(record, 0);
        putU16(record, 45);
        putU16(record, 45);
        putU32(record, 0);
        putU32(record, 0);
        for (std::uint64_t value :
             {entries.size(), entries.size(), central.size(), centralOffset}) {
            putU32(record, static_cast<std::uint32_t>(value));
            putU32(record, static_cast<std::uint32_t>(value >> 32));
        }
        putU32(record, kZip64LocatorSignature);
        putU32(record, 0);
        putU32(record, static_cast<std::uint32_t>(zip64Offset));
        putU32(record, 0);
        putU32(record, 1);
        zipFile.bytes += record;
    }
    std::string end;
    putU32(end, kEndRecordSignature);
    putU32(end, 0);
    putU16(end, zip64End ? kMax16 : static_cast<std::uint16_t>(entries.size()));
    putU16(end, zip64End ? kMax16 : static_cast<std::uint16_t>(entries.size()));
    putU32(end, zip64End ? kMax32 : static_cast<std::uint32_t>(central.size()));
    putU32(end, zip64End ? kMax32 : static_cast<std::uint32_t>(centralOffset));
    putU16(end, static_cast<std::uint16_t>(comment.size()));
    zipFile.bytes += end + comment;
    return zipFile;
}

inline void patchU32(std::string& bytes, std::size_t at, std::uint32_t value) {
    std::string field;
    zip::putU32(field, value);
    bytes.replace(at, 4, field);
}

}  // namespace quorvel::package::testing
