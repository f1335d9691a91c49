// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "io/memory_device.h"
#include "storage/compound_file.h"

namespace quorvel::storage::test {

// No limit from the caller: the container itself must refuse sizes beyond the file.
inline constexpr std::uint64_t kReadLimit = 1ULL << 40;

// Every stream of a file by its path ("Storage/Stream"), or the first failure. A
// storage met twice (a cycle between levels) is Damaged.
inline Status readAllStreams(const CompoundFile& file,
                             std::map<std::u16string, std::vector<std::byte>>& out) {
    out.clear();
    std::vector<std::pair<EntryId, std::u16string>> storages = {{kRootEntry, u""}};
    std::set<EntryId> seen = {kRootEntry};
    for (std::size_t i = 0; i < storages.size(); ++i) {
        std::vector<EntryId> children;
        if (const Status s = file.listChildren(storages[i].first, children); s != Status::Ok) {
            return s;
        }
        for (const EntryId child : children) {
            const std::u16string path = storages[i].second + file.entryName(child);
            if (file.entryType(child) == EntryType::Stream) {
                if (const Status s = file.readStream(child, out[path], kReadLimit);
                    s != Status::Ok) {
                    return s;
                }
            } else if (seen.insert(child).second) {
                storages.emplace_back(child, path + u"/");
            } else {
                return Status::Damaged;
            }
        }
    }
    return Status::Ok;
}

inline Status readNamed(const CompoundFile& file, std::u16string_view name,
                        std::vector<std::byte>& out) {
    EntryId id = 0;
    if (const Status s = file.findChild(kRootEntry, name, id); s != Status::Ok) {
        return s;
    }
    return file.readStream(id, out, kReadLimit);
}

}  // namespace quorvel::storage::test
