// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "io/memory_device.h"
#include "property_set_builder.h"
#include "storage/compound_file.h"

// Compound files built by the tests, and their streams read back.
namespace quorvel::compound::testing {

constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::size_t kSector = 512;

inline const std::u16string kSummaryName = u"\u0005SummaryInformation";
inline const std::u16string kDocSummaryName = u"\u0005DocumentSummaryInformation";

struct DirectoryEntry {
    std::u16string name;
    std::uint8_t type;  // 1 storage, 2 stream, 5 root
    std::uint32_t child = kNoStream;
    std::uint32_t right = kNoStream;
    Bytes data = {};  // streams only; stored in regular sectors, so at least 4096 bytes
};

// A version 3 file: FAT in sector 0, up to four directory entries in sector 1, stream
// data from sector 2 on. Enough to build layouts the container cannot create itself.
inline Bytes handBuiltCompoundFile(std::vector<DirectoryEntry> entries) {
    Bytes file;
    const std::uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    for (std::uint8_t b : signature) {
        file.push_back(std::byte{b});
    }
    file.resize(24);
    put(file, 0x003E, 2);  // minor version
    put(file, 0x0003, 2);  // major version
    put(file, 0xFFFE, 2);
    put(file, 9, 2);  // sector shift
    put(file, 6, 2);  // mini sector shift
    file.resize(44);
    put(file, 1, 4);  // FAT sectors
    put(file, 1, 4);  // first directory sector
    put(file, 0, 4);
    put(file, 4096, 4);  // mini stream cutoff
    put(file, kEndOfChain, 4);
    put(file, 0, 4);
    put(file, kEndOfChain, 4);
    put(file, 0, 4);
    put(file, 0, 4);  // DIFAT[0]: the FAT is sector 0
    while (file.size() < kSector) {
        put(file, kFreeSector, 4);
    }

    std::vector<std::uint32_t> fat = {kFatSector, kEndOfChain};
    Bytes directory;
    Bytes data;
    for (DirectoryEntry& entry : entries) {
        Bytes record;
        for (char16_t c : entry.name) {
            put(record, c, 2);
        }
        record.resize(64);
        put(record, (entry.name.size() + 1) * 2, 2);
        record.push_back(std::byte{entry.type});
        record.push_back(std::byte{1});  // black
        put(record, kNoStream, 4);       // left sibling
        put(record, entry.right, 4);
        put(record, entry.child, 4);
        record.resize(116);
        std::uint32_t start = kEndOfChain;
        if (entry.type == 2) {
            entry.data.resize(std::max<std::size_t>(entry.data.size(), 4096));
            start = static_cast<std::uint32_t>(fat.size());
            const std::size_t sectors = (entry.data.size() + kSector - 1) / kSector;
            for (std::size_t i = 1; i <= sectors; ++i) {
                fat.push_back(i == sectors ? kEndOfChain : start + static_cast<std::uint32_t>(i));
            }
            data.insert(data.end(), entry.data.begin(), entry.data.end());
            data.resize(sectors * kSector + (data.size() - entry.data.size()));
        }
        put(record, start, 4);
        put(record, entry.type == 2 ? entry.data.size() : 0, 8);
        directory.insert(directory.end(), record.begin(), record.end());
    }
    while (directory.size() < kSector) {
        Bytes unused(64 + 4);
        put(unused, kNoStream, 4);
        put(unused, kNoStream, 4);
        put(unused, kNoStream, 4);
        unused.resize(128);
        directory.insert(directory.end(), unused.begin(), unused.end());
    }
    Bytes fatSector;
    for (std::uint32_t next : fat) {
        put(fatSector, next, 4);
    }
    while (fatSector.size() < kSector) {
        put(fatSector, kFreeSector, 4);
    }
    file.insert(file.end(), fatSector.begin(), fatSector.end());
    file.insert(file.end(), directory.begin(), directory.end());
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

inline Bytes emptyCompoundFile() {
    return handBuiltCompoundFile({{u"Root Entry", 5}});
}

// A compound file holding the given streams under the root, created by the container.
inline Bytes compoundFileWith(const std::vector<std::pair<std::u16string, Bytes>>& streams) {
    io::MemoryDevice device(emptyCompoundFile());
    std::unique_ptr<storage::CompoundFile> file;
    if (storage::CompoundFile::open(device, file) != storage::Status::Ok) {
        return {};
    }
    for (const auto& [name, content] : streams) {
        storage::EntryId id = 0;
        if (file->createStream(storage::kRootEntry, name, content, id) != storage::Status::Ok) {
            return {};
        }
    }
    file.reset();
    return device.bytes();
}

using StreamMap = std::map<std::u16string, Bytes>;

inline void collectStreams(const storage::CompoundFile& file, storage::EntryId storage,
                           const std::u16string& prefix, StreamMap& out) {
    std::vector<storage::EntryId> children;
    if (file.listChildren(storage, children) != storage::Status::Ok) {
        return;
    }
    for (storage::EntryId child : children) {
        const std::u16string path = prefix + u"/" + file.entryName(child);
        if (file.entryType(child) == storage::EntryType::Storage) {
            collectStreams(file, child, path, out);
        } else {
            file.readStream(child, out[path], 1u << 30);
        }
    }
}

// Every stream of a compound file by its path ("/name", "/storage/name").
inline StreamMap streamsOf(io::BlockDevice& device) {
    StreamMap streams;
    std::unique_ptr<storage::CompoundFile> file;
    if (storage::CompoundFile::open(device, file) == storage::Status::Ok) {
        collectStreams(*file, storage::kRootEntry, u"", streams);
    }
    return streams;
}

}  // namespace quorvel::compound::testing
