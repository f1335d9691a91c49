// SPDX-License-Identifier: GPL-3.0-or-later
// Opens arbitrary bytes as a compound file, walks every storage, reads every stream
// and replaces and creates a stream in a copy. Any crash, hang, leak or huge
// allocation is a finding.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "io/memory_device.h"
#include "storage/compound_file.h"

namespace {

using namespace quorvel::storage;

constexpr std::uint64_t kReadLimit = 1 << 20;

void walk(const CompoundFile& file, std::vector<EntryId>& streams) {
    std::vector<EntryId> storages = {kRootEntry};
    std::set<EntryId> seen = {kRootEntry};
    for (std::size_t i = 0; i < storages.size(); ++i) {
        std::vector<EntryId> children;
        if (file.listChildren(storages[i], children) != Status::Ok) {
            continue;
        }
        for (const EntryId child : children) {
            if (file.entryType(child) == EntryType::Stream) {
                streams.push_back(child);
                std::vector<std::byte> data;
                file.readStream(child, data, kReadLimit);
                EntryId found = 0;
                file.findChild(storages[i], file.entryName(child), found);
            } else if (seen.insert(child).second) {
                storages.push_back(child);
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::byte> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::byte>(data[i]);
    }
    quorvel::io::MemoryDevice device(bytes);
    std::unique_ptr<CompoundFile> file;
    if (CompoundFile::open(device, file) != Status::Ok) {
        return 0;
    }
    std::vector<EntryId> streams;
    walk(*file, streams);

    quorvel::io::MemoryDevice copy(bytes);
    std::unique_ptr<CompoundFile> writable;
    if (CompoundFile::open(copy, writable) != Status::Ok) {
        return 0;
    }
    const std::vector<std::byte> content(size % 5000, std::byte{0x5A});
    if (!streams.empty()) {
        writable->replaceStream(streams.front(), content);
    }
    EntryId created = 0;
    writable->createStream(kRootEntry, u"\u0005SummaryInformation", content, created);
    std::vector<EntryId> after;
    walk(*writable, after);
    return 0;
}
