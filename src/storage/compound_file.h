// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "io/block_device.h"
#include "storage/storage_status.h"

namespace quorvel::storage {

using EntryId = std::uint32_t;
inline constexpr EntryId kRootEntry = 0;

enum class EntryType : std::uint8_t { Unused = 0, Storage = 1, Stream = 2, Root = 5 };

// A compound file (versions 3 and 4) over a block device. Loads only what a call
// needs; every write is copy-on-write so that an interrupted write leaves the old
// or the new stream content, never a damaged file.
class CompoundFile {
  public:
    // Checks the header and the directory; NotCompound, Damaged, IoError or Ok.
    static Status open(io::BlockDevice& device, std::unique_ptr<CompoundFile>& out);
    ~CompoundFile();

    // Looks a name up among the children of a storage (the format's name comparison).
    Status findChild(EntryId storage, std::u16string_view name, EntryId& out) const;
    EntryType entryType(EntryId entry) const;
    // Name and size of an entry (empty, 0 when the entry cannot be read).
    std::u16string entryName(EntryId entry) const;
    std::uint64_t entrySize(EntryId entry) const;
    // The children of a storage, in the directory's name order.
    Status listChildren(EntryId storage, std::vector<EntryId>& out) const;

    // Reads a whole stream; TooLarge when it is longer than maxBytes.
    Status readStream(EntryId stream, std::vector<std::byte>& out, std::uint64_t maxBytes) const;
    // Reads the stream's bytes [offset, offset + out.size()) and no others from the file;
    // Damaged when they run past the stream's end.
    Status readStreamAt(EntryId stream, std::uint64_t offset, std::span<std::byte> out) const;
    // Replaces a stream's content with data of any size.
    Status replaceStream(EntryId stream, std::span<const std::byte> data);
    // Creates a stream under a storage (the root in practice); when a stream of that
    // name exists already, replaces its content instead. NoSuchEntry for a name the
    // format cannot hold (empty, over 31 characters, or with / \ : !).
    Status createStream(EntryId storage, std::u16string_view name, std::span<const std::byte> data,
                        EntryId& out);

  private:
    struct Impl;
    explicit CompoundFile(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace quorvel::storage
